// Start-up of the installer's window: the platform check, an earlier
// installation, the sizes behind "Chequeando ficheros", the font and the
// check boxes.
#include "AlreadyInstalledDialog.h"
#include "Files.h"
#include "InstallDialog.h"
#include "Location.h"
#include "ProgressDialog.h"
#include "Registration.h"
#include "Sizes.h"
#include "resource.h"

#include <commctrl.h>

namespace {

const char* const GameProgram = "Brumaria.EXE";
const char* const Uninstaller = "\\Dexal.EXE";

// The autodetection check box, a row of the component form.
const ComponentRow AutodetectOption = {"Autodetectar Tarjeta de Sonido", "", 3, 0, 1, 16, 346, 42, 345};

// The size pass reports through the installer's message boxes and moves the
// bar of the window that says "Chequeando ficheros".
class SizeCheck : public SizeHost {
public:
    SizeCheck(InstallDialog& owner, HWND window, LzhArchive& archive)
        : owner_(owner), window_(window), archive_(archive) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.Message(text, style); }
    void RepaintProgress() override { UpdateWindow(window_); }
    void SetProgressPosition(int position) override
    {
        SendDlgItemMessageA(window_, IDC_PROGRESS_BAR, PBM_SETPOS, position, 0);
    }
    uint32_t ScanArchive(const std::string& path) override { return archive_.ScanTotalSize(path.c_str()); }

private:
    InstallDialog& owner_;
    HWND window_;
    LzhArchive& archive_;
};

}  // namespace

BOOL InstallDialog::OnInitDialog()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        Message("Demo Morvadin Brumaria necesita Windows 95 para su funcionamiento\nEl programa no se instalará");
        End(IDCANCEL);
        return TRUE;
    }
    AutodetectDefault = ProbeSoundDevices();
    SetWindowTextA(Handle(), "Demo Morvadin Brumaria");
    SetDlgItemTextA(Handle(), IDC_INSTALL_DIR, InstallDir.c_str());

    if (FindEarlierInstallation())
        return TRUE;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    bigIcon_ = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZELMOT));
    smallIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZELMOT), IMAGE_ICON, 16, 16, 0));
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    prevDriveBitmap_ = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_PREV_DRIVE));
    nextDriveBitmap_ = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_NEXT_DRIVE));

    SelectNextDrive();
    CheckSizes();

    LOGFONTA font = {};
    font.lfHeight = 14;
    font.lfWeight = FW_NORMAL;
    font.lfPitchAndFamily = 0x10;
    lstrcpyA(font.lfFaceName, "Arial");
    InstallFont = CreateFontIndirectA(&font);
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(InstallFont), TRUE);

    CreateCheckBoxes();
    CreateButtons();
    UpdateRequiredSize();
    if (!LayoutInstallDialog()) {
        End(IDCANCEL);
        return TRUE;
    }
    CenterOnScreen();
    return TRUE;
}

// Looks up the marker of an earlier installation (creating the empty key on
// a first start) and, when there is one, offers to run, uninstall or
// reinstall. True when the installer is to end now.
bool InstallDialog::FindEarlierInstallation()
{
    const registration::Marker marker = registration::ReadMarker();
    const std::string& installed = marker.installed;
    EarlierOwnedDir = marker.ownedDir;
    // Only a value that names a directory on a drive is an installation.
    int driveNumber;
    std::string dir;
    if (!location::ParseInstalledPath(installed, dir, driveNumber)) {
        InstalledPath.clear();
        EarlierOwnedDir.clear();
        return false;
    }
    InstalledPath = installed;
    InstallDir = dir;
    DriveNumber = driveNumber;

    AlreadyInstalledDialog ask;
    switch (ask.RunModal(Handle())) {
    case IDC_RUN: {
        files::EnterDirectory(InstalledPath);
        // Quoted, so that a directory with spaces starts the right program.
        std::string command = "\"" + InstalledPath + GameProgram + "\"";
        WinExec(command.c_str(), SW_SHOW);
        End(IDCANCEL);
        return true;
    }
    case IDC_QUIT:
        End(IDCANCEL);
        return true;
    case IDC_UNINSTALL: {
        // Quoted like the game: the Windows directory may hold spaces.
        WinExec(("\"" + files::WindowsDirectory() + Uninstaller + "\"").c_str(), SW_SHOW);
        End(IDCANCEL);
        return true;
    }
    default:
        return false;
    }
}

void InstallDialog::CheckSizes()
{
    ProgressDialog progress;
    HWND window = progress.CreateModeless(nullptr);
    progress.SetText("Chequeando ficheros ...");
    SetWindowTextA(window, Caption);
    progress.CenterOnScreen();
    ShowWindow(window, SW_SHOW);
    SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, sLZHCount + 1));
    UpdateWindow(window);
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
    SizeCheck host(*this, window, *this);
    SizePass(host, SourceDir).LoadSizeTable();
    DestroyWindow(window);
    SetCursor(previous);
}

void InstallDialog::CreateCheckBoxes()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (int i = 0; i < ComponentCount; i++) {
        const ComponentRow& row = ComponentTable[i];
        // The first component is always installed: its box is never shown.
        DWORD style = row.boxStyle | WS_CHILD | (i == 0 ? 0 : WS_VISIBLE);
        componentBoxes_[i] = CreateWindowA("BUTTON", "", style, row.boxX, row.boxY, 13, 13, Handle(),
                                           reinterpret_cast<HMENU>(INT_PTR(FirstComponentBoxId + i)), instance,
                                           nullptr);
        if (row.checked)
            SendMessageA(componentBoxes_[i], BM_SETCHECK, 1, 0);
    }
    const ComponentRow& row = AutodetectOption;
    autodetectBox_ = CreateWindowA("BUTTON", "", row.boxStyle | WS_VISIBLE | WS_CHILD, row.boxX, row.boxY, 13, 13,
                                   Handle(), reinterpret_cast<HMENU>(INT_PTR(IDC_AUTODETECT)), instance, nullptr);
    if (row.checked && AutodetectDefault)
        SendMessageA(autodetectBox_, BM_SETCHECK, 1, 0);
}
