// The dialog runner under Wine: which template a dialog is shown from, its font on
// double-byte systems, the copies of nested runs and a missing resource. The dialogs end
// themselves; a timer ends any that would not.
#include "app/dialog_runner.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/dialog_runner_calls.h"
#include "dialog_runner_test_ids.h"

namespace {

constexpr UINT WM_RUN_NESTED = WM_APP + 1;
constexpr UINT_PTR kSafetyTimer = 77;
constexpr INT_PTR kTimedOut = -2;

struct Observed {
    int allocs;
    int frees;
    int live;
    int mostLive;
    const void* shownTemplates[4];
    int shown;
    int procInits;
    char face[LF_FACESIZE];
    LONG height;
    INT_PTR nestedResult;
};
Observed Seen;

HGLOBAL WINAPI CountingAlloc(UINT flags, SIZE_T bytes) {
    HGLOBAL block = GlobalAlloc(flags, bytes);
    if (block) {
        ++Seen.allocs;
        if (++Seen.live > Seen.mostLive) Seen.mostLive = Seen.live;
    }
    return block;
}

HGLOBAL WINAPI CountingFree(HGLOBAL block) {
    ++Seen.frees;
    --Seen.live;
    return GlobalFree(block);
}

INT_PTR WINAPI RecordingDialogBox(HINSTANCE instance, LPCDLGTEMPLATEA tmpl, HWND owner,
                                  DLGPROC proc, LPARAM param) {
    if (Seen.shown < 4) Seen.shownTemplates[Seen.shown++] = tmpl;
    return DialogBoxIndirectParamA(instance, tmpl, owner, proc, param);
}

void RecordFont(HWND dialog) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    LOGFONTA logFont = {};
    if (font && GetObjectA(font, sizeof logFont, &logFont)) {
        lstrcpynA(Seen.face, logFont.lfFaceName, sizeof Seen.face);
        Seen.height = logFont.lfHeight;
    }
}

// Records its font and ends at once with 42.
INT_PTR CALLBACK EndingDlgProc(HWND dialog, UINT message, WPARAM, LPARAM param) {
    if (message == WM_INITDIALOG) {
        ++Seen.procInits;
        EXPECT_EQ(param, 0);
        RecordFont(dialog);
        EndDialog(dialog, 42);
        return TRUE;
    }
    return FALSE;
}

// Runs the font dialog from inside its own modal loop, then ends with 7.
INT_PTR CALLBACK OuterDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetTimer(dialog, kSafetyTimer, 10000, nullptr);
        PostMessageA(dialog, WM_RUN_NESTED, 0, 0);
        return TRUE;
    case WM_RUN_NESTED:
        Seen.nestedResult = RunDialogResource(GetModuleHandleA(nullptr), IDD_TEST_FONT, dialog,
                                              EndingDlgProc);
        KillTimer(dialog, kSafetyTimer);
        EndDialog(dialog, 7);
        return TRUE;
    case WM_TIMER:
        if (wParam == kSafetyTimer) EndDialog(dialog, kTimedOut);
        return TRUE;
    }
    return FALSE;
}

const void* ResourceBytes(WORD id) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    return loaded ? LockResource(loaded) : nullptr;
}

struct GuiFont {
    char face[LF_FACESIZE];
    int points;
};

GuiFont ReadGuiFont() {
    GuiFont gui = {"System", 10};
    LOGFONTA logFont = {};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont)) {
        lstrcpynA(gui.face, logFont.lfFaceName, sizeof gui.face);
        HDC dc = GetDC(nullptr);
        int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        gui.points = MulDiv(logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight, 72, dpi);
    }
    return gui;
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&Seen, 0, sizeof Seen);
        saved = RunnerCalls;
        RunnerCalls = {CountingAlloc, CountingFree, RecordingDialogBox};
    }
    void TearDown() override { RunnerCalls = saved; }
    DialogRunnerCalls saved;
};

using RunnerAnyLocale = Runner;
using RunnerSingleByte = Runner;
using RunnerDoubleByte = Runner;

} // namespace

TEST_F(RunnerAnyLocale, MissingResourceShowsNothingAndGivesMinusOne) {
    EXPECT_EQ(RunDialogResource(GetModuleHandleA(nullptr), IDD_TEST_MISSING, nullptr,
                                EndingDlgProc), -1);
    EXPECT_EQ(RunDialogTemplate(nullptr, GetModuleHandleA(nullptr), nullptr, EndingDlgProc), -1);
    EXPECT_EQ(Seen.shown, 0);
    EXPECT_EQ(Seen.procInits, 0);
    EXPECT_EQ(Seen.allocs, 0);
}

TEST_F(RunnerAnyLocale, TemplateRunningPastItsResourceIsNotShown) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDD_TEST_TRUNCATED), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(module, found), 62u);
    EXPECT_EQ(GetTemplateSizeWithin(ResourceBytes(IDD_TEST_TRUNCATED), 62), 0u);
    EXPECT_EQ(RunDialogResource(module, IDD_TEST_TRUNCATED, nullptr, EndingDlgProc), -1);
    EXPECT_EQ(Seen.shown, 0);
    EXPECT_EQ(Seen.procInits, 0);
    EXPECT_EQ(Seen.allocs, 0);
    // The test's well-formed templates fit their resources exactly.
    for (WORD id : {IDD_TEST_FONT, IDD_TEST_NO_FONT}) {
        found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
        EXPECT_EQ(GetTemplateSizeWithin(ResourceBytes(id), SizeofResource(module, found)),
                  GetTemplateSize(ResourceBytes(id))) << id;
    }
}

TEST_F(RunnerAnyLocale, PointSizeRoundsLikeMulDiv) {
    for (long height = -40; height <= 40; ++height) {
        for (int dpi : {72, 96, 120, 144}) {
            EXPECT_EQ(FontPointSize(height, dpi), MulDiv(height < 0 ? -height : height, 72, dpi))
                << height << " at " << dpi;
        }
    }
}

TEST_F(RunnerSingleByte, DialogIsShownFromTheResourceBytesThemselves) {
    ASSERT_EQ(GetSystemMetrics(SM_DBCSENABLED), 0);
    EXPECT_EQ(RunDialogResource(GetModuleHandleA(nullptr), IDD_TEST_FONT, nullptr,
                                EndingDlgProc), 42);
    ASSERT_EQ(Seen.shown, 1);
    EXPECT_EQ(Seen.shownTemplates[0], ResourceBytes(IDD_TEST_FONT));
    EXPECT_EQ(Seen.allocs, 0);
    EXPECT_STREQ(Seen.face, "MS Sans Serif");
}

TEST_F(RunnerDoubleByte, DialogHasTheGuiFontFromAFreedCopy) {
    ASSERT_NE(GetSystemMetrics(SM_DBCSENABLED), 0);
    const GuiFont gui = ReadGuiFont();
    ASSERT_STRNE(gui.face, "MS Sans Serif");
    for (WORD id : {IDD_TEST_FONT, IDD_TEST_NO_FONT}) {
        SCOPED_TRACE(id);
        std::memset(&Seen, 0, sizeof Seen);
        EXPECT_EQ(RunDialogResource(GetModuleHandleA(nullptr), id, nullptr, EndingDlgProc), 42);
        ASSERT_EQ(Seen.shown, 1);
        EXPECT_NE(Seen.shownTemplates[0], ResourceBytes(id));
        EXPECT_STREQ(Seen.face, gui.face);
        HDC dc = GetDC(nullptr);
        EXPECT_EQ(Seen.height, -MulDiv(gui.points, GetDeviceCaps(dc, LOGPIXELSY), 72));
        ReleaseDC(nullptr, dc);
        EXPECT_EQ(Seen.allocs, 1);
        EXPECT_EQ(Seen.live, 0);
    }
}

TEST_F(RunnerDoubleByte, NestedRunMakesAndFreesItsOwnCopy) {
    ASSERT_NE(GetSystemMetrics(SM_DBCSENABLED), 0);
    EXPECT_EQ(RunDialogResource(GetModuleHandleA(nullptr), IDD_TEST_NO_FONT, nullptr,
                                OuterDlgProc), 7);
    EXPECT_EQ(Seen.nestedResult, 42);
    ASSERT_EQ(Seen.shown, 2);
    EXPECT_NE(Seen.shownTemplates[0], Seen.shownTemplates[1]);
    EXPECT_EQ(Seen.allocs, 2);
    EXPECT_EQ(Seen.mostLive, 2);
    EXPECT_EQ(Seen.frees, 2);
    EXPECT_EQ(Seen.live, 0);
}

TEST_F(RunnerDoubleByte, FaceThatDoesNotConvertKeepsTheTemplateFont) {
    const void* resource = ResourceBytes(IDD_TEST_FONT);
    DWORD size = GetTemplateSize(resource);
    TemplateCopy copy = {GlobalAlloc(GPTR, size + kTemplateCopyRoom), size};
    ASSERT_NE(copy.block, nullptr);
    std::memcpy(copy.block, resource, size);
    // 40 bytes convert to more units than the face buffer holds.
    EXPECT_EQ(SetTemplateFont(&copy, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn", 9), 0);
    EXPECT_EQ(copy.size, size);
    EXPECT_EQ(std::memcmp(copy.block, resource, size), 0);
    EXPECT_EQ(SetTemplateFont(&copy, "System", 9), 1);
    EXPECT_EQ(GetTemplateSize(copy.block), copy.size);
    TemplateCopy none = {nullptr, 0};
    EXPECT_EQ(ApplyGuiFont(&none, 0), 0);
    GlobalFree(copy.block);
}
