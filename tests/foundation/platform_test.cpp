// The Windows tests run real Win32 under Wine: this checks the pieces every later test
// relies on. The CP932 run of this program takes place under LC_ALL=ja_JP.UTF-8.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool RunningUnderJapaneseLocale() {
    const char* lcAll = std::getenv("LC_ALL");
    return lcAll && std::strncmp(lcAll, "ja_JP", 5) == 0;
}

std::string TempFilePath(const char* name) {
    char dir[MAX_PATH];
    DWORD n = GetTempPathA(sizeof dir, dir);
    EXPECT_GT(n, 0u);
    return std::string(dir) + name;
}

} // namespace

TEST(Platform, AnsiCodePageFollowsTheLocale) {
    CPINFO info = {};
    ASSERT_TRUE(GetCPInfo(GetACP(), &info));
    if (RunningUnderJapaneseLocale()) {
        EXPECT_EQ(GetACP(), 932u);
        EXPECT_EQ(info.MaxCharSize, 2u);
        EXPECT_NE(GetSystemMetrics(SM_DBCSENABLED), 0);
    } else {
        EXPECT_EQ(GetACP(), 1252u);
        EXPECT_EQ(info.MaxCharSize, 1u);
        EXPECT_EQ(GetSystemMetrics(SM_DBCSENABLED), 0);
    }
}

TEST(Platform, ExclusiveOpenKeepsOtherOpensAway) {
    const std::string path = TempFilePath("kelvora-platform-exclusive.txt");
    HANDLE first = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(first);
    HANDLE third = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(third, INVALID_HANDLE_VALUE);
    CloseHandle(third);
    DeleteFileA(path.c_str());
}

TEST(Platform, LocalMachineRegistryIsWritableInThePrefix) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\KelvoraPlatformTest\\Nested", 0,
                              nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD written = 0xFFFFFCE0; // -800
    EXPECT_EQ(RegSetValueExA(key, "Value", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&written), sizeof written),
              ERROR_SUCCESS);
    DWORD read = 0, type = 0, size = sizeof read;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&read),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(read, written);
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\KelvoraPlatformTest\\Nested");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\KelvoraPlatformTest");
}

TEST(Platform, WindowsCanBeCreatedOnTheDisplay) {
    HWND window = CreateWindowExA(0, "STATIC", "Kelvora platform test", WS_POPUP | WS_VISIBLE,
                                  10, 10, 200, 50, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    ASSERT_NE(window, nullptr);
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "Kelvora platform test");
    RECT rect = {};
    EXPECT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_TRUE(DestroyWindow(window));
}
