// The size pass: what each component and archive will occupy, read from the
// size file "Longitud.dat" or computed from the install lists and archives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The installer's message boxes, as the engine reports through them.
class MessageHost {
public:
    static const unsigned PlainBox = 0x00;        // MB_OK
    static const unsigned InformationBox = 0x40;  // MB_OK | MB_ICONINFORMATION

    virtual ~MessageHost() = default;
    // A message box with the installer's caption, owned by its window.
    virtual void ShowMessage(const std::string& text, unsigned style) = 0;
};

// "No es posible abrir el fichero %s, error = %u\n" for a path and cause code.
std::string OpenFailedMessage(const std::string& path, unsigned cause);
// "ERROR->" and the line: a list line that the pass refuses.
std::string BadLineMessage(const std::string& line);

// The installer counts bytes in signed 32-bit counters. A sum that would
// pass the largest of them stops there instead of wrapping round, so that no
// total ever shows as a small or a negative one; the space check refuses a
// total that reached it (Windows 95 never reports that much free space).
const int32_t MaxBytes = INT32_MAX;
// total + bytes, at most MaxBytes; a negative total counts as past it.
int32_t AddBytes(int32_t total, uint32_t bytes);

// The length of one file from its status, without opening it; 0 after a
// message when it has none.
uint32_t ListedFileSize(MessageHost& host, const std::string& path);

// What the size pass needs from the installer's windows.
class SizeHost : public MessageHost {
public:
    // Repaints the progress window at once.
    virtual void RepaintProgress() = 0;
    // Moves the progress bar of the size check.
    virtual void SetProgressPosition(int position) = 0;
    // The unpacked size of an archive (every entry decoded, nothing written).
    virtual uint32_t ScanArchive(const std::string& path) = 0;
};

class SizePass {
public:
    SizePass(SizeHost& host, std::string sourceDir) : host_(host), sourceDir_(std::move(sourceDir)) {}

    // Fills the size of every component and archive row.
    void LoadSizeTable();

    // The bytes a list installs, at most MaxBytes; 0 after any error, each
    // reported.
    uint32_t GetListSize(const std::string& listPath, bool progress);
    // The length of one file from its status; 0 (reported) when it has none.
    uint32_t GetListedFileSize(const std::string& path, bool progress);
    // The bytes of a tree, at most MaxBytes, leaving out every name that
    // starts with "."; an entry named as a device is reported as a file
    // without status and adds nothing.
    uint32_t GetTreeSize(const std::string& dir, bool progress);

    static const char* const SizeFileName;

private:
    bool ReadSizeFile();
    void WriteSizeFile();

    SizeHost& host_;
    std::string sourceDir_;
};

// The required size and the progress total: the checked components plus
// every archive, at most MaxBytes. isChecked(i) tells whether component i's
// box is checked.
int32_t SelectedBytes(const std::function<bool(int component)>& isChecked);
