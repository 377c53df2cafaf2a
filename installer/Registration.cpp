#include "Registration.h"

#include <windows.h>

#include <initializer_list>

namespace registration {

const char* const MarkerKey = "Software\\Quelvar Multimedia\\Instalar\\Demo Morvadin Brumaria";
const char* const MarkerValue = "Instalado";
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Demo Morvadin Brumaria";

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

std::string ReadMarker()
{
    char installed[256] = "";
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, MarkerKey, &key) == ERROR_SUCCESS) {
        // The value's type is not looked at; whatever it holds is text here.
        DWORD size = sizeof installed - 1;
        if (RegQueryValueExA(key, MarkerValue, nullptr, nullptr, reinterpret_cast<BYTE*>(installed), &size) !=
            ERROR_SUCCESS)
            installed[0] = '\0';
        installed[sizeof installed - 1] = '\0';
        RegCloseKey(key);
    }
    return installed;
}

void RegisterInstallation(const std::string& windowsDir, const std::string& installedPath)
{
    WriteStrings(HKEY_LOCAL_MACHINE, UninstallKey,
                 {{"DisplayName", "Demo Morvadin Brumaria"}, {"UninstallString", windowsDir + "\\Dexal.EXE"}});
    WriteStrings(HKEY_CURRENT_USER, MarkerKey, {{MarkerValue, installedPath}});
}

}  // namespace registration
