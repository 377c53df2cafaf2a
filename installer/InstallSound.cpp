// The installer's sound steps: the device enumeration at start-up and the
// sound configuration written during the install run, automatically or
// through the sound device dialog. Failures are not reported.
#include "DeviceEnumeration.h"
#include "InstallDialog.h"
#include "PardevLibrary.h"
#include "QrbConfig.h"
#include "SoundChoices.h"
#include "SoundDeviceDialog.h"

// Initialises the driver information library, which stays initialised until
// the sound step. True unless a first device was found whose port is 0.
bool InstallDialog::ProbeSoundDevices()
{
    PardevLibrary library;
    return ProbeInstallerDevices(library, SoundDevices, SoundDeviceCount);
}

// Writes qrbset.cfg into the install directory: from the first device
// when autodetection is ticked, else as the user picks in the dialog
// (detected mode when the first device is usable, the card table
// otherwise). True when the library had found a device.
bool InstallDialog::ConfigureSound()
{
    const std::string directory = std::string(1, static_cast<char>('A' + DriveNumber - 1)) + ":\\" + InstallDir;
    const bool found = SoundDeviceCount > 0;
    if (!found) {
        SoundDeviceDialog(SoundDevices, 0, false, directory, Handle()).Run();
    } else if (SendMessageA(autodetectBox_, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        SoundDevices[0].dma = static_cast<uint32_t>(LargerDma(SoundDevices[0]));
        qrbDIWriteQRBConfig(&SoundDevices[0], directory.c_str());
    } else {
        SoundDeviceDialog(SoundDevices, SoundDeviceCount, AutodetectDefault, directory, Handle()).Run();
    }
    // The library writer leaves its last line open; after the card table's
    // the line end makes an empty line, and alone it is the whole file.
    if (found)
        AppendConfigLineEnd(directory);
    qrbDIUnInitSystem();
    return found;
}
