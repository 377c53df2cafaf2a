#include "Formats.h"

#include <cstdio>

namespace formats {

std::string FreeSpace(int32_t freeKb)
{
    char text[64];
    if (freeKb < 8192)
        std::snprintf(text, sizeof text, "%ld Kb libres", static_cast<long>(freeKb));
    else
        std::snprintf(text, sizeof text, "%ld.%02ld Mb libres", static_cast<long>(freeKb / 1024),
                      static_cast<long>((freeKb % 1024) * 100 / 1024));
    return text;
}

std::string RequiredSize(int32_t requiredBytes)
{
    char text[64];
    if (requiredBytes < 8388608) {
        std::snprintf(text, sizeof text, "%ld Kb", static_cast<long>(requiredBytes / 1024));
    } else {
        // Hundredths of a MB, truncated, printed with two decimals.
        int64_t hundredths = int64_t(requiredBytes) * 100 / 1048576;
        std::snprintf(text, sizeof text, "%.2f Mb", hundredths * 0.01);
    }
    return text;
}

int ProgressFill(int32_t totalBytes, int32_t doneBytes, int32_t currentFileBytes, int barWidth)
{
    if (totalBytes == 0)
        return 0;
    double fill = (double(doneBytes) + double(currentFileBytes)) * barWidth / totalBytes;
    int width = static_cast<int>(fill);
    if (width > barWidth)
        width = barWidth;
    if (width < 0)
        width = 0;
    return width;
}

}  // namespace formats
