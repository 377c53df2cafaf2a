// Texts and figures that InstallDialog paints over its picture.
#pragma once

#include <cstdint>
#include <string>

namespace formats {

// "8191 Kb libres" below 8,192 KB, else "8.00 Mb libres" (hundredths truncated).
std::string FreeSpace(int32_t freeKb);

// "8191 Kb" below 8,388,608 bytes, else "8.00 Mb" (hundredths truncated).
std::string RequiredSize(int32_t requiredBytes);

// Width of the filled part of a progress bar barWidth pixels wide: 0 when
// nothing is to be done, never wider than the bar.
int ProgressFill(int32_t totalBytes, int32_t doneBytes, int32_t currentFileBytes, int barWidth);

}  // namespace formats
