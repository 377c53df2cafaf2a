// The installer's built-in tables of what it installs: components (each an
// install list) and resource archives. Their sizes are filled at start-up.
#pragma once

#include <cstdint>
#include <string>

struct ComponentRow {
    const char* label;
    const char* listFile;      // install list, relative to the source directory
    uint32_t boxStyle;         // window style of its check box
    int32_t size;              // bytes it installs; filled at start-up
    int32_t checked;           // the check box starts checked
    int32_t boxX, boxY;
    int32_t labelX, labelY;
};

struct ArchiveRow {
    const char* fileName;      // relative to the source directory
    const char* fixedDir;      // target of directory kind 6; null reads as empty
    int32_t condition;         // 100 or more: only when conditionBox is checked
    int32_t kind3Box;          // component box consulted by directory kind 3; -1 none
    int32_t conditionBox;      // component box consulted by the condition; -1 none
    int32_t size;              // unpacked bytes; filled at start-up
    int32_t dirKind;           // where it is unpacked: 1 source ... 6 fixedDir
};

// The rows of ComponentTable, known when the program is built so that what
// holds one item per component (the installer's check boxes) is sized from
// it; the table's definition must have exactly this many rows.
const int ComponentRows = 1;
extern ComponentRow ComponentTable[ComponentRows];
extern const int ComponentCount;
extern ArchiveRow sLZH[];
extern const int sLZHCount;
// Bare file names of the shared files, installed into the System directory.
extern const char* const SharedFileList[];
extern const int SharedFileCount;

// A component's check box is control 2000 + its row.
const int FirstComponentBoxId = 2000;

// The directories that table rows name by their directory kinds, each ending
// in "\".
struct InstallDirs {
    std::string source;       // kind 1: where the installer was started
    std::string destination;  // kind 2: drive, ":\", the typed directory
    std::string windows;      // kind 4
    std::string system;       // kind 5
};
