// The settings store against the real registry of the Wine prefix. Each test starts with
// no "Software\Dunmak" key at all.
#include "ui/settings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char kPath[] = "Software\\Dunmak\\Kelvora";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Dunmak");
        key = OpenSettingsKey();
        ASSERT_NE(key, nullptr);
    }
    void TearDown() override {
        if (key)
            RegCloseKey(key);
    }
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    HKEY key = nullptr;
};

} // namespace

TEST(SettingsKey, IsCreatedWithItsParentsOnFirstUse) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Dunmak");
    HKEY probe = nullptr;
    ASSERT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, KEY_READ, &probe), ERROR_SUCCESS);
    HKEY key = OpenSettingsKey();
    ASSERT_NE(key, nullptr);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, KEY_READ, &probe), ERROR_SUCCESS);
    RegCloseKey(probe);
}

TEST_F(SettingsTest, MissingValuesAndNoKeyTakeTheDefaults) {
    EXPECT_EQ(ReadDwordSetting(key, "Case", 1), 1u);
    EXPECT_EQ(ReadDwordSetting(key, "Backup", 1), 1u);
    EXPECT_EQ(ReadDwordSetting(key, "OnlyWord", 0), 0u);
    EXPECT_EQ(ReadDwordSetting(key, "PosX", 20), 20u);
    EXPECT_EQ(ReadDwordSetting(key, "PosY", 20), 20u);
    EXPECT_EQ(ReadDwordSetting(nullptr, "Case", 7), 7u);
}

TEST_F(SettingsTest, PositionStoredAsStringTakesTheDefault) {
    SetRaw("PosX", REG_SZ, "300", 4);
    const DWORD y = 300;
    SetRaw("PosY", REG_DWORD, &y, sizeof y);
    EXPECT_EQ(ReadDwordSetting(key, "PosX", 20), 20u);
    EXPECT_EQ(ReadDwordSetting(key, "PosY", 20), 300u);
}

TEST_F(SettingsTest, ValuesNotExactlyFourBytesOfDwordTakeTheDefault) {
    const unsigned char zeros[8] = {};
    struct Case {
        const char* what;
        DWORD type;
        DWORD size;
    };
    const Case cases[] = {
        {"8-byte REG_DWORD", REG_DWORD, 8},
        {"8-byte REG_BINARY", REG_BINARY, 8},
        {"REG_QWORD", REG_QWORD, 8},
        {"2-byte REG_DWORD", REG_DWORD, 2},
        {"empty REG_DWORD", REG_DWORD, 0},
        {"4-byte REG_BINARY", REG_BINARY, 4},
        {"REG_DWORD_BIG_ENDIAN", REG_DWORD_BIG_ENDIAN, 4},
    };
    for (const Case& c : cases) {
        SetRaw("Case", c.type, zeros, c.size);
        EXPECT_EQ(ReadDwordSetting(key, "Case", 1), 1u) << c.what;
    }
    const DWORD other = 5;
    SetRaw("Backup", REG_DWORD, &other, sizeof other);
    EXPECT_EQ(ReadDwordSetting(key, "Backup", 1), 5u) << "no range check";
}

TEST_F(SettingsTest, NegativePositionRoundTripsAsTwosComplement) {
    EXPECT_EQ(WriteDwordSetting(key, "PosX", static_cast<DWORD>(-800)), ERROR_SUCCESS);
    EXPECT_EQ(WriteDwordSetting(key, "PosY", 40), ERROR_SUCCESS);
    RegCloseKey(key);
    key = OpenSettingsKey();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(static_cast<int>(ReadDwordSetting(key, "PosX", 20)), -800);
    EXPECT_EQ(static_cast<int>(ReadDwordSetting(key, "PosY", 20)), 40);

    unsigned char raw[8] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof raw;
    ASSERT_EQ(RegQueryValueExA(key, "PosX", nullptr, &type, raw, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(size, 4u);
    const unsigned char expected[4] = {0xE0, 0xFC, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(raw, expected, 4), 0);
}

TEST_F(SettingsTest, WriteWithoutKeyStoresNothing) {
    EXPECT_NE(WriteDwordSetting(nullptr, "Case", 0), ERROR_SUCCESS);
    EXPECT_EQ(ReadDwordSetting(key, "Case", 1), 1u);
}
