// The program group "Demo Morvadin Brumaria" and its items, made through the
// Program Manager's DDE commands at the end of the install run.
#pragma once

#include "ProgmanCommands.h"
#include "Sizes.h"
#include "Tables.h"

#include <cstdint>
#include <string>

// Where an item's program or icon lies. The command and the icon directory
// texts live across the whole table: a kind that names no directory keeps
// what an earlier row put there (both start empty).
using DirKind = int32_t;
namespace dirkind {
const DirKind OwnDir = 0;         // the row's own directory text, as it stands
const DirKind Source = 1;
const DirKind Destination = 2;
const DirKind Chosen = 3;         // the destination when the row's box is checked, else the source
const DirKind Windows = 4;
const DirKind System = 5;
const DirKind UncheckedOnly = 6;  // no directory: the row is made only while its box is unchecked
// Any other value: no directory and no condition.
}  // namespace dirkind

struct ItemRow {
    const char* fileName;      // joined to the command directory
    const char* itemName;      // the item's title
    const char* iconFileName;  // joined to the icon directory
    const char* ownDir;        // directory of kind 0, up to 255 characters
    int32_t enabled;           // 0: the row is left out
    int32_t checkBox;          // component check box of kinds 3 and 6, and above 0 a condition; -1 none
    DirKind commandDir;
    DirKind iconDir;
};

extern const ItemRow sItem[];
const int sItemCount = 5;

const char* const ProgramGroup = "Demo Morvadin Brumaria";

// What the item step needs from the installer.
class ProgramItemHost : public MessageHost {
public:
    // A component check box's state as BM_GETCHECK answers: 0 unchecked,
    // 1 checked, 2 indeterminate.
    virtual int ComponentState(int component) = 0;
};

// Encloses a path in double quotes when it holds a character that the
// Program Manager's command syntax gives a meaning: a blank, a comma, a
// parenthesis or a square bracket. Other paths are left as they are.
std::string QuotedPath(const std::string& path);

// Creates the group, then an item for every row that is enabled and whose
// conditions hold. A row whose kind 3 or 6 names no component box is
// reported ("Error en el item: " and its name) and left out. Nothing is
// retried or undone: the Program Manager's answers are not looked at.
// `components` is the number of component check boxes.
void CreateProgramItems(ProgramItemHost& host, ProgmanCommands& progman, const InstallDirs& dirs,
                        const ItemRow* rows = sItem, int rowCount = sItemCount, int components = ComponentCount);
