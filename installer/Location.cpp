#include "Location.h"

#include <cctype>
#include <climits>

namespace location {

// Remainders truncate toward zero as in C, so forward from 0 gives 1 and
// from 1 gives 2; from 3 to 26 both directions cycle through 3 to 26.
int StepForward(int driveNumber)
{
    return (driveNumber - 2) % 24 + 3;
}

int StepBackward(int driveNumber)
{
    return (driveNumber + 20) % 24 + 3;
}

int32_t FreeKb(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters)
{
    uint64_t bytes = uint64_t(sectorsPerCluster) * bytesPerSector;
    // Keep the product within 64 bits: any overflow is far beyond the clamp.
    if (bytes != 0 && freeClusters > UINT64_MAX / bytes)
        return INT32_MAX;
    uint64_t kb = (bytes * freeClusters) >> 10;
    return kb > uint64_t(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(kb);
}

bool SpaceSuffices(int32_t requiredBytes, int32_t freeKb)
{
    // A total that reached the counters' limit may stand for any larger one.
    return requiredBytes >= 0 && requiredBytes < INT32_MAX && requiredBytes / 1024 <= freeKb;
}

PathCheck CheckDirectoryPath(std::string path, std::vector<std::string>& components)
{
    components.clear();
    if (path.empty())
        return PathCheck::Empty;
    if (path.find("\\\\") != std::string::npos)
        return PathCheck::DoubleBackslash;
    if (path[0] == '\\')
        return PathCheck::LeadingBackslash;
    if (path.back() == '\\')
        path.pop_back();
    if (path.back() == '.')
        return PathCheck::TrailingDot;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type end = path.find('\\', start);
        components.push_back(path.substr(start, end - start));
        if (end == std::string::npos)
            return PathCheck::Ok;
        start = end + 1;
    }
}

const char* PathCheckMessage(PathCheck check)
{
    switch (check) {
    case PathCheck::Ok:
        return "";
    case PathCheck::Empty:
        return "Debe introducir un nombre para el directorio";
    case PathCheck::LeadingBackslash:
        return "El nombre del directorio no puede comenzar por '\\'";
    case PathCheck::DoubleBackslash:
    case PathCheck::TrailingDot:
    case PathCheck::Uncreatable:
        break;
    }
    return "Nombre de directorio no válido";
}

bool ParseInstalledPath(const std::string& installed, std::string& installDir, int& driveNumber)
{
    if (installed.size() < 4 || !std::isalpha(static_cast<unsigned char>(installed[0])) ||
        installed[1] != ':' || installed[2] != '\\')
        return false;
    installDir = installed.substr(3, installed.size() - 4);
    driveNumber = std::toupper(static_cast<unsigned char>(installed[0])) - 'A';
    return true;
}

}  // namespace location
