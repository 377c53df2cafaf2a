#include "Registration.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>

namespace registration {

const char* const MarkerKey = "Software\\Quelvar Multimedia\\Instalar\\Demo Morvadin Brumaria";
const char* const MarkerValue = "Instalado";
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo Morvadin Brumaria";
const char* const OwnedValue = "DirectorioPropio";

namespace {

struct Value {
    const char* name;
    std::string text;
};

// Opens or creates the key once and writes its values, each with its
// terminating zero.
void WriteStrings(HKEY root, const char* keyName, std::initializer_list<Value> values)
{
    HKEY key;
    if (RegCreateKeyA(root, keyName, &key) != ERROR_SUCCESS)
        return;
    for (const Value& value : values)
        RegSetValueExA(key, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                       static_cast<DWORD>(value.text.size() + 1));
    RegCloseKey(key);
}

}  // namespace

namespace {

enum class Read { Missing, Text, TooLong };

// Reads a value as text into a buffer of MarkerBuffer bytes, whatever its
// type. A text that needs the whole buffer and more for its terminating zero
// is TooLong: cut short it would name another directory.
Read ReadText(HKEY key, const char* name, std::string& text)
{
    char buffer[MarkerBuffer];
    DWORD size = sizeof buffer;
    const LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    if (status == ERROR_MORE_DATA)
        return Read::TooLong;
    if (status != ERROR_SUCCESS)
        return Read::Missing;
    const char* end = static_cast<const char*>(std::memchr(buffer, '\0', size));
    if (!end && size == sizeof buffer)
        return Read::TooLong;
    text.assign(buffer, end ? end - buffer : size);
    return Read::Text;
}

}  // namespace

Marker ReadMarker()
{
    Marker marker;
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, MarkerKey, &key) != ERROR_SUCCESS)
        return marker;
    marker.damaged = ReadText(key, MarkerValue, marker.installed) == Read::TooLong;
    if (marker.damaged)
        marker.installed.clear();
    // Only a text names a directory; the older flag form owns nothing.
    DWORD type = 0;
    if (RegQueryValueExA(key, OwnedValue, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS && type == REG_SZ &&
        ReadText(key, OwnedValue, marker.ownedDir) != Read::Text)
        marker.ownedDir.clear();
    RegCloseKey(key);
    return marker;
}

void RegisterInstallation(const std::string& windowsDir, const std::string& installedPath,
                          const std::string& ownedDir)
{
    WriteStrings(HKEY_LOCAL_MACHINE, UninstallKey,
                 {{"DisplayName", "Demo Morvadin Brumaria"}, {"UninstallString", windowsDir + "\\Dexal.EXE"}});
    WriteStrings(HKEY_CURRENT_USER, MarkerKey, {{MarkerValue, installedPath}, {OwnedValue, ownedDir}});
}

void DeleteKeys()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, MarkerKey);
}

}  // namespace registration
