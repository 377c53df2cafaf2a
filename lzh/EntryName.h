// Entry names are relative paths with "\" between directories. Only names that
// stay below the current directory and that Windows 95 takes safely are
// unpacked.
#pragma once

namespace lzh {

bool IsSafeEntryName(const char* name);

}  // namespace lzh
