// The main dialog's window class, registered in this process with the program's own
// resources linked in (for the icon).
#include <windows.h>

#include <gtest/gtest.h>

#include "app/main_window_class.h"
#include "app/resource.h"

namespace {

TEST(MainWindowClass, HasTheDialogWindowFields) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_NE(RegisterMainWindowClass(instance), 0);

    WNDCLASSA found = {};
    ASSERT_TRUE(GetClassInfoA(instance, "DmKelvoraClass", &found));
    EXPECT_EQ(found.style, 0x2808u);
    EXPECT_EQ(found.lpfnWndProc, reinterpret_cast<WNDPROC>(DefDlgProcA));
    EXPECT_EQ(found.cbClsExtra, 0);
    EXPECT_EQ(found.cbWndExtra, DLGWINDOWEXTRA);
    EXPECT_EQ(found.hIcon, LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP)));
    EXPECT_NE(found.hIcon, nullptr);
    EXPECT_EQ(found.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(found.hbrBackground), 9);
    EXPECT_EQ(found.lpszMenuName, nullptr);
    EXPECT_TRUE(UnregisterClassA("DmKelvoraClass", instance));
}

TEST(MainWindowClass, ADialogOfTheClassCarriesTheIcon) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_NE(RegisterMainWindowClass(instance), 0);
    // The main template itself names the class: create it without showing it.
    HWND dialog = CreateDialogParamA(
        instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    char name[64] = "";
    GetClassNameA(dialog, name, sizeof name);
    EXPECT_STREQ(name, "DmKelvoraClass");
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(dialog, GCLP_HICON)),
              LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP)));
    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Replace in Files");
    DestroyWindow(dialog);
    EXPECT_TRUE(UnregisterClassA("DmKelvoraClass", instance));
}

} // namespace
