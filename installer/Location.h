// Rules of the install location that need no window: the drive step, the free
// space, the space check, the directory text and the earlier installation's
// path. InstallDialog applies them with the Win32 calls.
#pragma once

#include "Text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace location {

// Drive numbers: 1 = A ... 26 = Z. Both steps cycle through C to Z; 0 and 1
// (an earlier installation on A or B) step forward to 1 and 2.
int StepForward(int driveNumber);
int StepBackward(int driveNumber);
// The step gives up after one full cycle of the 24 letters C to Z.
const int DriveCycle = 24;

// Free space in KB from GetDiskFreeSpace's figures, computed without 32-bit
// wrap-around and clamped to the largest signed 32-bit value.
int32_t FreeKb(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters);

// The installation fits unless its size in whole KB exceeds the free space.
// A size of 2,147,483,647 bytes, where the size pass's sums stop, never fits.
bool SpaceSuffices(int32_t requiredBytes, int32_t freeKb);

// Uncreatable: a component could be neither entered nor created.
enum class PathCheck { Ok, Empty, DoubleBackslash, LeadingBackslash, TrailingDot, Uncreatable };

// Checks the typed directory (relative to the drive's root) and splits it into
// its components. A trailing backslash is dropped.
PathCheck CheckDirectoryPath(std::string path, std::vector<std::string>& components);
// The message shown for a refused path.
const char* PathCheckMessage(PathCheck check);

// Reads the registry value "Instalado" ("D:\Juegos\DemoMB\"). Only a value of
// a drive letter, ":\" and at least one more character counts as an earlier
// installation; it gives the directory without drive and final character, and
// the drive number one below the drive's (the first drive step lands on it).
bool ParseInstalledPath(const std::string& installed, std::string& installDir, int& driveNumber);

// Edit 1008's text is trimmed when read back.
using text::Trim;

}  // namespace location
