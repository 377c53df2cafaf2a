// AUDSETUP, the audio setup program: lets the user choose the game's sound
// device again after installation and rewrites qrbset.cfg in the current
// directory. It has no window of its own: the sound device dialog is its
// main window while it runs, and the program ends when the dialog closes.
// Nothing is ever reported.
#include "DeviceEnumeration.h"
#include "Files.h"
#include "PardevLibrary.h"
#include "SoundDeviceDialog.h"

#include <windows.h>

#include <string>

namespace {

class AudioSetup {
public:
    void Run();

private:
    QrbDeviceRecord records_[QrbDeviceSlots] = {};
    int32_t count_ = 0;
    bool usable_ = true;
};

// The library stays initialised: its handle on the driver is released, and
// the driver unloaded, when the process ends.
void AudioSetup::Run()
{
    PardevLibrary library;
    usable_ = ProbeAudioSetupDevices(library, records_, count_);
    // A current directory that does not fit the buffer leaves nowhere to
    // write: the dialog is shown all the same and accepting writes nothing.
    SoundDeviceDialog(records_, count_, usable_, files::CurrentDirectory(), nullptr).Run();
}

}  // namespace

// Dialogs of a Windows 4.0 program have the three-dimensional look without
// being asked for it.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    AudioSetup().Run();
    return 0;
}
