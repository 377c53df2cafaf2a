// The installer's registry layout: the marker of an installation under
// HKEY_CURRENT_USER and the uninstall entry under HKEY_LOCAL_MACHINE, which
// the uninstaller removes again.
#pragma once

#include <string>

namespace registration {

extern const char* const MarkerKey;     // HKEY_CURRENT_USER
extern const char* const MarkerValue;   // "Instalado"
extern const char* const UninstallKey;  // HKEY_LOCAL_MACHINE
// Beside "Instalado": the directory the installation owns, in the form
// paths::FullPath gives ("C:\\JUEGOS\\DEMOMB"), or empty when it owns none. It
// owns the directory when the directory did not exist before it, was empty,
// or was the directory an earlier installation owned. The uninstaller
// deletes a directory only when "Instalado" still names this one. (An older
// form of this value, a REG_DWORD flag tied to no directory, owns nothing.)
extern const char* const OwnedValue;    // "DirectorioPropio"

// Both values are read into buffers of this many bytes, the terminating
// zero included.
const unsigned MarkerBuffer = 256;

struct Marker {
    // "Instalado"; empty when there is none.
    std::string installed;
    // "Instalado" is there but does not fit its buffer.
    bool damaged = false;
    // The directory the installation owns; empty when none was recorded.
    std::string ownedDir;
};

// Opens or creates the marker's key (a first start leaves it empty) and reads
// "Instalado" and the directory the installation owns.
Marker ReadMarker();

// Writes "DisplayName" and "UninstallString" (the Windows directory's
// Dexal.EXE) under the uninstall key, and "Instalado" = installedPath and the
// owned directory beside it. Strings are stored with their terminating zero;
// failures go unreported.
void RegisterInstallation(const std::string& windowsDir, const std::string& installedPath,
                          const std::string& ownedDir);

// Deletes the uninstall key, then the marker's key; failures go unreported.
void DeleteKeys();

}  // namespace registration
