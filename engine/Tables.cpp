#include "Tables.h"

namespace {

const uint32_t AutoCheckBox = 3;  // BS_AUTOCHECKBOX

// A table's row count: its rows, or 0 when the first row has no name.
template <typename Row, int N>
constexpr int RowCount(Row (&rows)[N])
{
    return rows[0].fileName && rows[0].fileName[0] ? N : 0;
}

}  // namespace

ComponentRow ComponentTable[] = {
    {"Archivos comunes", "INST_100.NFO", AutoCheckBox, 0, 1, 134, 0, 160, 0},
};
const int ComponentCount = sizeof ComponentTable / sizeof ComponentTable[0];

ArchiveRow sLZH[] = {
    {"Resource.lzh", nullptr, 2, -1, -1, 0, 2},
};
const int sLZHCount = RowCount(sLZH);
