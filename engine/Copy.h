// The copy run: every selected component's install list carried out into
// the install directory, file by file in 64 KB blocks, with progress by bytes.
#pragma once

#include "Sizes.h"

#include <cstdint>
#include <string>

// What the copy run needs from the installer's window.
class CopyHost : public MessageHost {
public:
    // Lets activation messages through and redraws the progress bar.
    virtual void StepProgress() = 0;
    // Ends the wait cursor of the install run.
    virtual void EndWaitCursor() = 0;
    // Whether component i's check box is checked.
    virtual bool ComponentChecked(int component) = 0;
};

class CopyRun {
public:
    static const uint32_t BlockSize = 65536;

    // The counters are the installer's: bytes of finished files, and of the
    // file being copied.
    CopyRun(CopyHost& host, std::string sourceDir, std::string destinationRoot, int32_t& doneBytes,
            int32_t& currentFileBytes);

    // Copies every checked component; reports each list that failed.
    void InstallComponents();
    // Carries out one install list (relative to the source directory).
    bool InstallFromList(const std::string& listFile);
    // Copies one file; a source that cannot be read to its end fails the copy.
    bool CopyOneFile(const std::string& source, const std::string& destination, bool progress);
    // Copies a tree (or only counts it); returns the number of files found.
    int CopyTree(const std::string& source, const std::string& destination, bool copy);

private:
    void CopyListedFile(const std::string& source, const std::string& destination, bool& failed);

    CopyHost& host_;
    std::string sourceDir_;
    std::string destinationRoot_;
    int32_t& doneBytes_;
    int32_t& currentFileBytes_;
};
