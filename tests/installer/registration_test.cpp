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

void SetMarker(DWORD type, const std::string& bytes)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, registration::MarkerKey, &key));
    RegSetValueExA(key, registration::MarkerValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
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
    registration::RegisterInstallation("C:\\WINDOWS", "D:\\Juegos\\DemoMB\\", true);
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
    EXPECT_EQ(DWORD(REG_DWORD), value.type);
    EXPECT_EQ(std::string("\1\0\0\0", 4), value.data);
    bool owned = false;
    EXPECT_EQ("D:\\Juegos\\DemoMB\\", registration::ReadMarker(&owned));
    EXPECT_TRUE(owned);

    registration::RegisterInstallation("C:\\WINDOWS", "D:\\Juegos\\", false);
    EXPECT_EQ("D:\\Juegos\\", registration::ReadMarker(&owned));
    EXPECT_FALSE(owned);

    registration::DeleteKeys();
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, registration::UninstallKey, 0, KEY_READ, &key));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, registration::MarkerKey, 0, KEY_READ, &key));
}

// Only a REG_DWORD of 1 says the installation owns its directory: an
// installation registered without it, or with anything else, does not.
TEST_F(RegistrationTest, OwnershipReadBack)
{
    SetMarker(REG_SZ, std::string("C:\\DemoMB\\") + '\0');
    bool owned = true;
    EXPECT_EQ("C:\\DemoMB\\", registration::ReadMarker(&owned));
    EXPECT_FALSE(owned);
    const struct {
        DWORD type;
        std::string data;
        bool owned;
    } cases[] = {
        {REG_DWORD, std::string("\1\0\0\0", 4), true},
        {REG_DWORD, std::string("\2\0\0\0", 4), false},
        {REG_DWORD, std::string("\0\0\0\0", 4), false},
        {REG_SZ, std::string("1\0", 2), false},
        {REG_BINARY, std::string("\1\0\0\0\0\0\0\0", 8), false},
    };
    for (const auto& c : cases) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, registration::MarkerKey, &key));
        RegSetValueExA(key, registration::OwnedValue, 0, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                       static_cast<DWORD>(c.data.size()));
        RegCloseKey(key);
        registration::ReadMarker(&owned);
        EXPECT_EQ(c.owned, owned) << c.type << " " << c.data.size();
    }
}

TEST_F(RegistrationTest, MarkerReadBack)
{
    // A first start leaves the empty key behind.
    EXPECT_EQ("", registration::ReadMarker());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, registration::MarkerKey, 0, KEY_READ, &key));
    RegCloseKey(key);

    // Whatever type it has, the value is read as text, and always ends.
    SetMarker(REG_BINARY, "E:\\DemoMB\\");
    EXPECT_EQ("E:\\DemoMB\\", registration::ReadMarker());
    SetMarker(REG_SZ, std::string(254, 'x') + '\0');
    EXPECT_EQ(std::string(254, 'x'), registration::ReadMarker());
    // More than the 256-byte buffer takes is no marker at all.
    SetMarker(REG_SZ, "C:\\" + std::string(400, 'y') + "\\");
    EXPECT_EQ("", registration::ReadMarker());
}

}  // namespace
