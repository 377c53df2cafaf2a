// The installer's registry entries, written and read back under Wine.
#include "Registration.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

struct Value {
    DWORD type = 0;
    std::string data;  // as stored, terminating zero included
};

bool Query(HKEY root, const char* keyName, const char* name, Value& value)
{
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char data[1024];
    DWORD size = sizeof data;
    LONG result = RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    value.data.assign(data, size);
    return result == ERROR_SUCCESS;
}

// Writes a value of the marker's key with exactly these bytes.
void SetValue(const char* name, DWORD type, const std::string& bytes)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, registration::MarkerKey, &key));
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

void SetMarker(DWORD type, const std::string& bytes)
{
    SetValue(registration::MarkerValue, type, bytes);
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, registration::MarkerKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, registration::UninstallKey);
    }
};

TEST_F(RegistrationTest, ValuesWithTheirTypesAndSizes)
{
    registration::RegisterInstallation("C:\\WINDOWS", "D:\\Juegos\\DemoMB\\", "D:\\JUEGOS\\DEMOMB");
    Value value;
    ASSERT_TRUE(Query(HKEY_LOCAL_MACHINE, registration::UninstallKey, "DisplayName", value));
    EXPECT_EQ(DWORD(REG_SZ), value.type);
    EXPECT_EQ(std::string("Demo Morvadin Brumaria\0", 23), value.data);
    ASSERT_TRUE(Query(HKEY_LOCAL_MACHINE, registration::UninstallKey, "UninstallString", value));
    EXPECT_EQ(DWORD(REG_SZ), value.type);
    EXPECT_EQ(std::string("C:\\WINDOWS\\Dexal.EXE\0", 21), value.data);
    ASSERT_TRUE(Query(HKEY_CURRENT_USER, registration::MarkerKey, "Instalado", value));
    EXPECT_EQ(DWORD(REG_SZ), value.type);
    EXPECT_EQ(std::string("D:\\Juegos\\DemoMB\\\0", 18), value.data);
    ASSERT_TRUE(Query(HKEY_CURRENT_USER, registration::MarkerKey, "DirectorioPropio", value));
    EXPECT_EQ(DWORD(REG_SZ), value.type);
    EXPECT_EQ(std::string("D:\\JUEGOS\\DEMOMB\0", 17), value.data);
    registration::Marker marker = registration::ReadMarker();
    EXPECT_EQ("D:\\Juegos\\DemoMB\\", marker.installed);
    EXPECT_FALSE(marker.damaged);
    EXPECT_EQ("D:\\JUEGOS\\DEMOMB", marker.ownedDir);

    // An installation that owns no directory overwrites the one recorded.
    registration::RegisterInstallation("C:\\WINDOWS", "D:\\Juegos\\", "");
    marker = registration::ReadMarker();
    EXPECT_EQ("D:\\Juegos\\", marker.installed);
    EXPECT_EQ("", marker.ownedDir);

    registration::DeleteKeys();
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, registration::UninstallKey, 0, KEY_READ, &key));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, registration::MarkerKey, 0, KEY_READ, &key));
}

// Only a text names the owned directory. The flag of earlier installations
// (REG_DWORD 1) is tied to no directory and owns nothing.
TEST_F(RegistrationTest, OwnershipReadBack)
{
    SetMarker(REG_SZ, std::string("C:\\DemoMB\\") + '\0');
    EXPECT_EQ("", registration::ReadMarker().ownedDir);
    const struct {
        DWORD type;
        std::string data;
        const char* owned;
    } cases[] = {
        {REG_SZ, std::string("C:\\DEMOMB\0", 10), "C:\\DEMOMB"},
        {REG_SZ, std::string("C:\\DEMOMB", 9), "C:\\DEMOMB"},
        {REG_SZ, std::string("\0", 1), ""},
        {REG_DWORD, std::string("\1\0\0\0", 4), ""},
        {REG_BINARY, std::string("C:\\DEMOMB\0", 10), ""},
        {REG_SZ, "C:\\" + std::string(253, 'y'), ""},
        {REG_SZ, "C:\\" + std::string(252, 'y') + '\0', nullptr},
    };
    for (const auto& c : cases) {
        SetValue(registration::OwnedValue, c.type, c.data);
        const std::string expected = c.owned ? c.owned : c.data.substr(0, c.data.size() - 1);
        EXPECT_EQ(expected, registration::ReadMarker().ownedDir) << c.type << " " << c.data.size();
    }
}

// The value fills a 256-byte buffer with its terminating zero; one that does
// not fit is damaged, never taken for "not registered" nor cut short.
TEST_F(RegistrationTest, MarkerReadBack)
{
    // A first start leaves the empty key behind.
    registration::Marker marker = registration::ReadMarker();
    EXPECT_EQ("", marker.installed);
    EXPECT_FALSE(marker.damaged);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, registration::MarkerKey, 0, KEY_READ, &key));
    RegCloseKey(key);

    // Whatever type it has, the value is read as text, and always ends.
    SetMarker(REG_BINARY, "E:\\DemoMB\\");
    EXPECT_EQ("E:\\DemoMB\\", registration::ReadMarker().installed);
    const struct {
        std::string stored;
        bool damaged;
    } cases[] = {
        {"C:\\" + std::string(250, 'x') + "\\" + '\0', false},  // 254 characters
        {"C:\\" + std::string(251, 'x') + "\\" + '\0', false},  // 255
        {"C:\\" + std::string(252, 'x') + "\\" + '\0', true},   // 256
        {"C:\\" + std::string(251, 'x') + "\\", false},         // 255, no terminating zero
        {"C:\\" + std::string(252, 'x') + "\\", true},          // 256, no terminating zero
        {"C:\\" + std::string(400, 'y') + "\\", true},
    };
    for (const auto& c : cases) {
        SetMarker(REG_SZ, c.stored);
        marker = registration::ReadMarker();
        const std::string text = c.stored.substr(0, c.stored.find('\0'));
        EXPECT_EQ(c.damaged, marker.damaged) << text.size();
        EXPECT_EQ(c.damaged ? "" : text, marker.installed) << text.size();
    }
}

}  // namespace
