// The installer's main window: it owns the whole state of an installation,
// from start-up to the end of the install run.
#pragma once

#include "BackgroundDib.h"
#include "Dialog.h"
#include "LzhArchive.h"
#include "QrbDeviceRecord.h"
#include "Tables.h"

#include <string>
#include <windows.h>

class InstallDialog : public Dialog, public LzhArchive {
public:
    static const char* const Caption;

    InstallDialog();
    ~InstallDialog() override;

    // Steps of the install run, in the order RunInstall takes them.
    void RunInstall();

    // Messages of this window, caption "Instalador de Demo Morvadin Brumaria".
    int Message(const std::string& text, UINT style = MB_OK | MB_ICONINFORMATION);
    bool ComponentChecked(int component) const;
    int ComponentState(int component) const;
    // Lets activation messages through, repaints, and redraws the progress bar.
    void StepProgress();

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    BOOL OnInitDialog() override;

    // Archive notifications move the progress counters.
    void OnEntryBegin(const char* name, uint32_t entryBytes, uint32_t uncompressedSize) override;
    void OnEntryEnd(const char* name, uint32_t entryBytes, uint32_t uncompressedSize) override;
    void OnProgress(const char* name, uint32_t bytesDone, uint32_t bytesTotal) override;

private:
    // Start-up (InstallStart.cpp).
    bool FindEarlierInstallation();
    void CreateCheckBoxes();
    void CheckSizes();

    // Commands and the edit's text (InstallDialog.cpp).
    void OnCommand(int id, int code);
    std::string ReadInstallDir() const;

    // Install location (InstallLocation.cpp).
    void SelectNextDrive();
    void SelectPreviousDrive();
    void StepDrive(int (*step)(int));
    void DrawFreeSpace(HDC dc);
    bool ValidateAndCreateDirectory(std::string path, char letter);

    // Presentation (Presentation.cpp).
    void CreateButtons();
    bool LayoutInstallDialog();
    void OnPaint();
    void DrawRequiredSize(HDC dc);
    void DrawText(HDC dc, int x, int y, const std::string& text);
    RECT ProgressArea();
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    BOOL OnPaletteMessage();
    void StartDrag(LPARAM point);
    void Drag(LPARAM point);
    void EndDrag();

    // Sizes (the engine computes them; InstallDialog.cpp holds the glue).
    void UpdateRequiredSize();
    void UpdateProgressTotal();

    // The sound steps (InstallSound.cpp); the steps after the sound are
    // InstallRun's, and the end is the window's.
    std::string DestinationRoot() const;
    bool ProbeSoundDevices();
    bool ConfigureSound();
    void FinishInstall(bool restart);

    // Fields, in the order of their meaning: location, pictures and
    // controls, counters, directories, drive, sizes, font, drag, sound.
    std::string InstallDir;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::string DriveText;
    BackgroundDib background_;
    HBITMAP prevDriveBitmap_ = nullptr;   // bitmap 131, button 1001
    HBITMAP nextDriveBitmap_ = nullptr;   // bitmap 130, button 1002
    HWND componentBoxes_[ComponentRows] = {};
    HWND buttons_[4] = {};
    int32_t TotalBytes = 0;
    int32_t DoneBytes = 0;
    int32_t CurrentFileBytes = 0;
    // The bar's right edge as last drawn since the window was painted, -1
    // when painting has drawn the frame afresh.
    int drawnBarRight_ = -1;
    RECT progressArea_ = {};
    bool progressAreaKnown_ = false;
    // When StepProgress last looked at the queue.
    DWORD lastStepTicks_ = 0;
    static constexpr DWORD StepQuietMs = 10;
    std::string SourceDir;
    std::string InstalledPath;
    // The directory the earlier installation owned (empty: none), and
    // whether this one owns its own.
    std::string EarlierOwnedDir;
    bool OwnsInstallDir = false;
    int32_t DriveNumber = 2;
    int32_t FreeKb = 0;
    int32_t RequiredBytes = 0;
    HFONT InstallFont = nullptr;
    POINT DragOrigin = {0, 0};
    bool Dragging = false;
    HWND autodetectBox_ = nullptr;
    // Sound device records as the driver information library fills them.
    QrbDeviceRecord SoundDevices[QrbDeviceSlots] = {};
    int32_t SoundDeviceCount = 0;
    bool AutodetectDefault = true;
    HBRUSH editBrush_ = nullptr;
};
