// The installer's registry layout: the marker of an installation under
// HKEY_CURRENT_USER and the uninstall entry under HKEY_LOCAL_MACHINE, which
// the uninstaller removes again.
#pragma once

#include <string>

namespace registration {

extern const char* const MarkerKey;     // HKEY_CURRENT_USER
extern const char* const MarkerValue;   // "Instalado"
extern const char* const UninstallKey;  // HKEY_LOCAL_MACHINE

// Opens or creates the marker's key (a first start leaves it empty) and reads
// "Instalado"; empty when there is none.
std::string ReadMarker();

// Writes "DisplayName" and "UninstallString" (the Windows directory's
// Dexal.EXE) under the uninstall key, and "Instalado" = installedPath.
// Strings are stored with their terminating zero; failures go unreported.
void RegisterInstallation(const std::string& windowsDir, const std::string& installedPath);

}  // namespace registration
