#include "InstallDialog.h"

#include "AlreadyInstalledDialog.h"
#include "Files.h"
#include "HelpDialog.h"
#include "InstallRun.h"
#include "Location.h"
#include "ProgressDialog.h"
#include "Registration.h"
#include "Sizes.h"
#include "Tables.h"
#include "resource.h"

#include <commctrl.h>

const char* const InstallDialog::Caption = "Instalador de Demo Morvadin Brumaria";

namespace {

const char* const GameProgram = "Brumaria.EXE";
const char* const Uninstaller = "\\Dexal.EXE";

// The autodetection check box, a row of the component form.
const ComponentRow AutodetectOption = {"Autodetectar Tarjeta de Sonido", "", 3, 0, 1, 16, 346, 42, 345};

std::string SourceDirectory()
{
    std::string text = files::CurrentDirectory();
    if (text.empty() || text.back() != '\\')
        text += '\\';
    return text;
}

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

// The install run reports through this window and unpacks with its reader,
// whose notifications move the progress bar.
class DialogRunHost : public InstallRunHost {
public:
    explicit DialogRunHost(InstallDialog& owner) : owner_(owner) {}
    void ShowMessage(const std::string& text, unsigned style) override { owner_.Message(text, style); }
    void StepProgress() override { owner_.StepProgress(); }
    int ComponentState(int component) override { return owner_.ComponentState(component); }
    int ExtractAll(const std::string& archivePath) override { return owner_.ExtractAll(archivePath.c_str()); }

private:
    InstallDialog& owner_;
};

}  // namespace

InstallDialog::InstallDialog() : Dialog(IDD_INSTALL), InstallDir("DemoMB"), SourceDir(SourceDirectory()) {}

InstallDialog::~InstallDialog()
{
    if (InstallFont)
        DeleteObject(InstallFont);
    if (editBrush_)
        DeleteObject(editBrush_);
    if (prevDriveBitmap_)
        DeleteObject(prevDriveBitmap_);
    if (nextDriveBitmap_)
        DeleteObject(nextDriveBitmap_);
}

int InstallDialog::Message(const std::string& text, UINT style)
{
    return MessageBoxA(Handle(), text.c_str(), Caption, style);
}

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

int InstallDialog::ComponentState(int component) const
{
    if (component < 0 || component >= ComponentCount)
        return 0;
    return static_cast<int>(SendMessageA(componentBoxes_[component], BM_GETCHECK, 0, 0));
}

bool InstallDialog::ComponentChecked(int component) const
{
    return ComponentState(component) == 1;
}

void InstallDialog::UpdateRequiredSize()
{
    RequiredBytes = SelectedBytes([this](int i) { return ComponentChecked(i); });
    DrawRequiredSize(nullptr);
}

void InstallDialog::UpdateProgressTotal()
{
    TotalBytes = SelectedBytes([this](int i) { return ComponentChecked(i); });
}

std::string InstallDialog::ReadInstallDir() const
{
    char text[256] = "";
    GetDlgItemTextA(Handle(), IDC_INSTALL_DIR, text, sizeof text);
    return location::Trim(text);
}

INT_PTR InstallDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = true;
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(bigIcon_);
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_QUERYNEWPALETTE:
        OnPaletteMessage();
        SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_PALETTECHANGED:
        OnPaletteMessage();
        return TRUE;
    case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(lParam) == Item(IDC_INSTALL_DIR)) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, PALETTERGB(255, 255, 255));
            SetTextColor(dc, PALETTERGB(0, 0, 0));
            if (!editBrush_)
                editBrush_ = CreateSolidBrush(PALETTERGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(editBrush_);
        }
        break;
    case WM_LBUTTONDOWN:
        StartDrag(lParam);
        return TRUE;
    case WM_MOUSEMOVE:
        Drag(lParam);
        return TRUE;
    case WM_LBUTTONUP:
        EndDrag();
        return TRUE;
    case WM_ACTIVATE:
        EndDrag();
        break;
    default:
        break;
    }
    handled = false;
    return Dialog::OnMessage(message, wParam, lParam, handled);
}

void InstallDialog::OnCommand(int id, int code)
{
    if (id >= FirstComponentBoxId && id < FirstComponentBoxId + ComponentCount) {
        UpdateRequiredSize();
        return;
    }
    switch (id) {
    case IDOK:
        RunInstall();
        break;
    case IDCANCEL:
        End(IDCANCEL);
        break;
    case IDC_PREV_DRIVE:
        if (code == BN_CLICKED)
            SelectPreviousDrive();
        break;
    case IDC_NEXT_DRIVE:
        if (code == BN_CLICKED)
            SelectNextDrive();
        break;
    case IDC_HELP_TEXT:
        // Run without a parent of its own, the help window belongs to this one.
        HelpDialog(SourceDir + "Texto.txt", 465, 465).RunModal(Handle());
        break;
    default:
        break;
    }
}

void InstallDialog::RunInstall()
{
    InstallDir = ReadInstallDir();
    if (!location::SpaceSuffices(RequiredBytes, FreeKb)) {
        Message("Espacio insuficiente en disco");
        return;
    }
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
    if (!ValidateAndCreateDirectory(InstallDir, DriveText[0])) {
        SetCursor(previous);
        return;
    }
    ConfigureSound();
    UpdateProgressTotal();
    DialogRunHost host(*this);
    InstallRun run(host, SourceDir, DestinationRoot(), DoneBytes, CurrentFileBytes);
    run.InstallComponents();
    run.ExtractResourceArchives();
    const bool restart = run.ReplaceSharedFiles(SharedFileList, SharedFileCount) != 0;
    run.InstallUninstaller();
    InstalledPath = run.RegisterInstallation(OwnsInstallDir);
    StepProgress();
    SetCursor(previous);
    run.CreateProgramItems();
    FinishInstall(restart);
}

std::string InstallDialog::DestinationRoot() const
{
    return std::string(1, static_cast<char>(64 + DriveNumber)) + ":\\" + InstallDir + "\\";
}

void InstallDialog::FinishInstall(bool restart)
{
    if (restart) {
        const int answer = Message("Demo Morvadin Brumaria instalado con éxito\n\nNecesitará reiniciar su ordenador "
                                   "para que funcione correctamente\n\nDespués elija 'Demo Morvadin Brumaria' en el "
                                   "menú Programas\n\n¿Desea reiniciar su ordenador ahora?",
                                   MB_YESNO | MB_ICONINFORMATION);
        if (answer == IDNO)
            restart = false;
    } else {
        Message("  Demo Morvadin Brumaria instalado con éxito\n\nElija 'Demo Morvadin Brumaria' en el menú Programas");
    }
    StepProgress();
    InstallDir = ReadInstallDir();
    End(IDOK);
    if (restart)
        ExitWindowsEx(EWX_REBOOT, 0);
}

