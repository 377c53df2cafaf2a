// The sound device dialog (template 146, "Driver QRB"): the user picks the
// device the game will use and accepts with "OK", which writes
// directory\qrbset.cfg; Escape or the close box writes nothing.
//  - card-table mode lists SoundCardTable with its port, DMA and IRQ choices
//    and writes with the card-table writer;
//  - detected mode lists the found devices with their port and IRQ, offers
//    their DMA channels, and writes through the driver information library.
#pragma once

#include "Dialog.h"
#include "QrbDeviceRecord.h"

#include <string>

class SoundDeviceDialog : public Dialog {
public:
    // records: count of them (detected mode needs at least 1); the selected
    // one's DMA becomes the user's choice when the dialog is accepted. An
    // empty directory means there is nowhere to write: accepting only closes.
    SoundDeviceDialog(QrbDeviceRecord* records, int32_t count, bool detectedMode, std::string directory,
                      HWND parent);

    // Runs modally; IDOK when accepted, IDCANCEL when dismissed.
    INT_PTR Run();

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void Refresh();
    void RefreshCard(int row);
    void RefreshDetected();
    void Accept();
    int Selection(int id) const;

    QrbDeviceRecord* records_;
    int32_t count_;
    bool detectedMode_;
    std::string directory_;
    int selected_ = 0;
    HWND parent_;
};
