#include "SoundDeviceDialog.h"

#include "Pardev.h"
#include "QrbConfig.h"
#include "SoundCardTable.h"
#include "SoundChoices.h"
#include "SoundDeviceDialogRes.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

void FillList(HWND list, const std::vector<std::string>& texts)
{
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& text : texts)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(list, CB_SETCURSEL, 0, 0);
}

// A device's description, which may fill its field.
std::string Description(const QrbDeviceRecord& record)
{
    const char* end = static_cast<const char*>(std::memchr(record.description, 0, sizeof record.description));
    return std::string(record.description, end ? end : record.description + sizeof record.description);
}

std::string SelectedText(HWND list)
{
    const LRESULT index = SendMessageA(list, CB_GETCURSEL, 0, 0);
    const LRESULT length = index == CB_ERR ? CB_ERR : SendMessageA(list, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

SoundDeviceDialog::SoundDeviceDialog(QrbDeviceRecord* records, int32_t count, bool detectedMode,
                                     std::string directory, HWND parent)
    : Dialog(IDD_SOUND_DEVICE),
      records_(records),
      count_(count),
      detectedMode_(detectedMode && count > 0),
      directory_(std::move(directory)),
      parent_(parent)
{
}

INT_PTR SoundDeviceDialog::Run()
{
    return RunModal(parent_);
}

BOOL SoundDeviceDialog::OnInitDialog()
{
    HWND devices = Item(IDC_DEVICE_LIST);
    std::vector<std::string> names;
    if (detectedMode_) {
        for (int32_t i = 0; i < count_; i++)
            names.push_back(Description(records_[i]));
    } else {
        for (int id : {IDC_UNUSED_EDIT, IDC_PORT_TEXT, IDC_IRQ_TEXT})
            ShowWindow(Item(id), SW_HIDE);
        for (int id : {IDC_DMA_LIST, IDC_PORT_LIST, IDC_IRQ_LIST})
            ShowWindow(Item(id), SW_SHOW);
        for (const SoundCard& card : SoundCardTable)
            names.push_back(card.name);
    }
    FillList(devices, names);
    Refresh();
    return TRUE;
}

INT_PTR SoundDeviceDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (message == WM_COMMAND) {
        handled = true;
        switch (LOWORD(wParam)) {
        case IDOK:
            Accept();
            End(IDOK);
            return TRUE;
        case IDCANCEL:  // Escape or the close box
            End(IDCANCEL);
            return TRUE;
        case IDC_DEVICE_LIST:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                Refresh();
            return TRUE;
        default:
            handled = false;
            return FALSE;
        }
    }
    return Dialog::OnMessage(message, wParam, lParam, handled);
}

int SoundDeviceDialog::Selection(int id) const
{
    const LRESULT index = SendMessageA(Item(id), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<int>(index);
}

void SoundDeviceDialog::Refresh()
{
    if (detectedMode_)
        RefreshDetected();
    else
        RefreshCard(Selection(IDC_DEVICE_LIST));
}

void SoundDeviceDialog::RefreshCard(int row)
{
    const SoundCard& card = SoundCardTable[row < SoundCardCount ? row : 0];
    EnableWindow(Item(IDC_DMA_LIST), TRUE);
    EnableWindow(Item(IDC_IRQ_LIST), TRUE);
    FillList(Item(IDC_PORT_LIST), CardPortChoices(card));
    FillList(Item(IDC_DMA_LIST), CardDmaChoices(card));
    FillList(Item(IDC_IRQ_LIST), CardIrqChoices(card));
    if (CardDmaCount(card) == 0)
        EnableWindow(Item(IDC_DMA_LIST), FALSE);
    if (CardIrqCount(card) == 0)
        EnableWindow(Item(IDC_IRQ_LIST), FALSE);
}

void SoundDeviceDialog::RefreshDetected()
{
    selected_ = Selection(IDC_DEVICE_LIST);
    if (selected_ >= count_)
        selected_ = 0;
    const QrbDeviceRecord& record = records_[selected_];
    FillList(Item(IDC_DMA_LIST), DetectedDmaChoices(record));
    SetDlgItemTextA(Handle(), IDC_IRQ_TEXT, DetectedIrqText(record).c_str());
    SetDlgItemTextA(Handle(), IDC_PORT_TEXT, DetectedPortText(record).c_str());
}

// Failures to write are not reported: the dialog closes all the same.
void SoundDeviceDialog::Accept()
{
    if (directory_.empty())
        return;
    if (detectedMode_) {
        QrbDeviceRecord& record = records_[selected_];
        record.dma = static_cast<uint32_t>(DmaFromText(SelectedText(Item(IDC_DMA_LIST))));
        qrbDIWriteQRBConfig(&record, directory_.c_str());
    } else {
        WriteCardConfig(directory_, Selection(IDC_DEVICE_LIST), Selection(IDC_PORT_LIST), Selection(IDC_DMA_LIST),
                        Selection(IDC_IRQ_LIST));
    }
}
