// Choosing where the demo goes: the drive steps, the free space and the
// checked creation of the install directory.
#include "Files.h"
#include "Formats.h"
#include "InstallDialog.h"
#include "Location.h"
#include "PathNames.h"
#include "resource.h"

#include <vector>

namespace {

const RECT FreeSpaceArea = {34, 265, 227, 282};

int CurrentDriveNumber()
{
    const std::string dir = files::CurrentDirectory();
    if (dir.size() < 2 || dir[1] != ':')
        return 0;
    char letter = dir[0];
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    return letter - 64;
}

// Nothing but "." and ".." in it.
bool CurrentDirectoryIsEmpty()
{
    bool empty = true;
    files::ForEachMatch("*.*", [&empty](const files::Entry& entry) {
        empty = entry.name == "." || entry.name == "..";
        return empty;
    });
    return empty;
}

bool Eligible(UINT type)
{
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR && type != DRIVE_CDROM;
}

}  // namespace

void InstallDialog::SelectNextDrive()
{
    StepDrive(location::StepForward);
}

void InstallDialog::SelectPreviousDrive()
{
    StepDrive(location::StepBackward);
}

// Steps until a drive that can take the installation becomes current, at most
// once round all the letters from C to Z; when none can, nothing changes.
void InstallDialog::StepDrive(int (*step)(int))
{
    int drive = DriveNumber;
    bool found = false;
    for (int tries = 0; tries < location::DriveCycle && !found; tries++) {
        drive = step(drive);
        const char letter[3] = {static_cast<char>(64 + drive), ':', '\0'};
        files::EnterDirectory(letter);
        UINT type = GetDriveTypeA(nullptr);
        found = CurrentDriveNumber() == drive && Eligible(type);
    }
    if (!found)
        return;
    DriveNumber = drive;
    DriveText = std::string(1, static_cast<char>(64 + drive)) + ":";

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    GetDiskFreeSpaceA((DriveText + "\\").c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters);
    FreeKb = location::FreeKb(sectorsPerCluster, bytesPerSector, freeClusters);

    SetDlgItemTextA(Handle(), IDC_INSTALL_DIR, InstallDir.c_str());
    DrawFreeSpace(nullptr);
}

void InstallDialog::DrawFreeSpace(HDC dc)
{
    if (!dc) {
        RedrawWindow(Handle(), &FreeSpaceArea, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return;
    }
    DrawText(dc, 35, 266, DriveText);
    DrawText(dc, 73, 266, formats::FreeSpace(FreeKb));
}

// Enters or creates each directory of the path in turn, below the drive's
// root. On failure the directories created here are removed again and the
// drive's current directory is its root. On success it is known whether the
// installation owns the directory (see registration::OwnedValue).
bool InstallDialog::ValidateAndCreateDirectory(std::string path, char letter)
{
    std::vector<std::string> components;
    const location::PathCheck check = location::CheckDirectoryPath(path, components);
    if (check != location::PathCheck::Ok) {
        Message(location::PathCheckMessage(check));
        return false;
    }
    const std::string drive(1, letter);
    files::EnterDirectory(drive + ":\\");

    std::vector<bool> created;
    bool failed = false;
    for (const std::string& component : components) {
        const std::string relative = drive + ":" + component;
        if (files::EnterDirectory(relative)) {
            created.push_back(false);
            continue;
        }
        if (!files::MakeDirectory(relative)) {
            failed = true;
            break;
        }
        if (!files::EnterDirectory(relative)) {
            // Created but not entered: undo it from where we stand.
            files::RemoveEmptyDirectory(relative);
            failed = true;
            break;
        }
        created.push_back(true);
    }
    if (!failed) {
        OwnsInstallDir = created.back() || CurrentDirectoryIsEmpty() ||
                         paths::SameDirectory(EarlierOwnedDir, drive + ":\\" + path);
        return true;
    }
    for (std::size_t i = created.size(); i-- > 0;) {
        files::EnterDirectory(drive + ":..");
        if (created[i])
            files::RemoveEmptyDirectory(drive + ":" + components[i]);
    }
    Message(location::PathCheckMessage(location::PathCheck::Uncreatable));
    return false;
}
