// The installer's window: its messages and commands, and the install run
// in the order it takes its steps.
#include "InstallDialog.h"

#include "Files.h"
#include "HelpDialog.h"
#include "InstallRun.h"
#include "Location.h"
#include "PathNames.h"
#include "Tables.h"
#include "resource.h"

const char* const InstallDialog::Caption = "Instalador de Demo Morvadin Brumaria";

namespace {

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

InstallDialog::InstallDialog()
    : Dialog(IDD_INSTALL), InstallDir("DemoMB"), SourceDir(paths::WithBackslash(files::CurrentDirectory()))
{
}

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

