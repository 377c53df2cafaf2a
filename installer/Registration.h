// The installer's registry layout: the marker of an installation under
// HKEY_CURRENT_USER and the uninstall entry under HKEY_LOCAL_MACHINE, which
// the uninstaller removes again.
#pragma once

#include <string>

namespace registration {

extern const char* const MarkerKey;     // HKEY_CURRENT_USER
extern const char* const MarkerValue;   // "Instalado"
extern const char* const UninstallKey;  // HKEY_LOCAL_MACHINE
// Beside "Instalado": 1 (REG_DWORD) when the installation owns its
// directory, which it does when the directory did not exist before it, was
// empty, or was the directory of an earlier installation that owned it. The
// uninstaller deletes only a directory the installation owns.
extern const char* const OwnedValue;    // "DirectorioPropio"

// Opens or creates the marker's key (a first start leaves it empty) and reads
// "Instalado" (empty when there is none; never longer than 255 characters)
// and whether the installation owns that directory.
std::string ReadMarker(bool* owned = nullptr);

// Writes "DisplayName" and "UninstallString" (the Windows directory's
// Dexal.EXE) under the uninstall key, and "Instalado" = installedPath and the
// ownership beside it. Strings are stored with their terminating zero;
// failures go unreported.
void RegisterInstallation(const std::string& windowsDir, const std::string& installedPath, bool owned);

// Deletes the uninstall key, then the marker's key; failures go unreported.
void DeleteKeys();

}  // namespace registration
