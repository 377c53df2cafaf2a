#include "Registration.h"

#include <windows.h>

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

std::string ReadMarker(bool* owned)
{
    char installed[256] = "";
    DWORD ownedFlag = 0;
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, MarkerKey, &key) == ERROR_SUCCESS) {
        // The value's type is not looked at; whatever it holds is text here.
        DWORD size = sizeof installed - 1;
        if (RegQueryValueExA(key, MarkerValue, nullptr, nullptr, reinterpret_cast<BYTE*>(installed), &size) !=
            ERROR_SUCCESS)
            installed[0] = '\0';
        installed[sizeof installed - 1] = '\0';
        DWORD type = 0;
        size = sizeof ownedFlag;
        if (RegQueryValueExA(key, OwnedValue, nullptr, &type, reinterpret_cast<BYTE*>(&ownedFlag), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof ownedFlag)
            ownedFlag = 0;
        RegCloseKey(key);
    }
    if (owned)
        *owned = ownedFlag == 1;
    return installed;
}

void RegisterInstallation(const std::string& windowsDir, const std::string& installedPath, bool owned)
{
    WriteStrings(HKEY_LOCAL_MACHINE, UninstallKey,
                 {{"DisplayName", "Demo Morvadin Brumaria"}, {"UninstallString", windowsDir + "\\Dexal.EXE"}});
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, MarkerKey, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, MarkerValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(installedPath.c_str()),
                   static_cast<DWORD>(installedPath.size() + 1));
    const DWORD ownedFlag = owned ? 1 : 0;
    RegSetValueExA(key, OwnedValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ownedFlag), sizeof ownedFlag);
    RegCloseKey(key);
}

void DeleteKeys()
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, MarkerKey);
}

}  // namespace registration
