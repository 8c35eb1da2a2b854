// The progress dialog under Wine: the bytes of its template, centring, and each row of its
// state table, driven by a real worker over a real tree and by posted input (the button's
// command, Esc, the close box).
#include "walk_fixture.h"

#include "app/resource.h"
#include "engine/character_model_win.h"
#include "engine/replace_job.h"
#include "job/progress_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- the template -------------------------------------------------------------------

struct Bytes {
    std::vector<unsigned char> data;
    void Word(unsigned value) {
        data.push_back(static_cast<unsigned char>(value & 0xFF));
        data.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
    }
    void Dword(unsigned long value) {
        Word(value & 0xFFFF);
        Word((value >> 16) & 0xFFFF);
    }
    void Text(const char* ascii) {
        for (const char* p = ascii; *p; ++p) Word(static_cast<unsigned char>(*p));
        Word(0);
    }
    void Align4() {
        while (data.size() % 4) data.push_back(0);
    }
};

struct Item {
    unsigned id, atom;
    const char* text;
    unsigned long style;
    unsigned x, y, cx, cy;
};

std::vector<unsigned char> ExpectedProgressTemplate() {
    const Item items[] = {
        {2, 0x80, "Cancel", 0x50010001, 28, 48, 50, 14},
        {0xFFFF, 0x82, "Replaced Strings:", 0x5002000C, 8, 8, 64, 8},
        {1001, 0x82, "0", 0x5002000C, 72, 8, 32, 8},
        {0xFFFF, 0x82, "Replaced Files:", 0x5002000C, 8, 20, 64, 8},
        {1002, 0x82, "0", 0x5002000C, 72, 20, 32, 8},
        {0xFFFF, 0x82, "Searched Files:", 0x5002000C, 8, 32, 64, 8},
        {1004, 0x82, "0", 0x5002000C, 72, 32, 32, 8},
    };
    Bytes b;
    b.Dword(0x80C800C0); // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    b.Dword(0);
    b.Word(7);
    b.Word(0), b.Word(0), b.Word(106), b.Word(67);
    b.Word(0); // no menu
    b.Word(0); // the standard dialog class
    b.Text("Replacing...");
    b.Word(8);
    b.Text("MS Sans Serif");
    for (const Item& item : items) {
        b.Align4();
        b.Dword(item.style);
        b.Dword(0);
        b.Word(item.x), b.Word(item.y), b.Word(item.cx), b.Word(item.cy);
        b.Word(item.id);
        b.Word(0xFFFF), b.Word(item.atom);
        b.Text(item.text);
        b.Word(0); // no creation data
    }
    return b.data;
}

TEST(ProgressTemplate, IsTheClassicTemplateByteForByteInLanguage1033) {
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                                  MAKEINTRESOURCEA(IDD_PROGRESS),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(nullptr, found), 376u);
    const unsigned char* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_NE(bytes, nullptr);
    const std::vector<unsigned char> expected = ExpectedProgressTemplate();
    ASSERT_EQ(expected.size(), 376u);
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(bytes[i], expected[i]) << "first difference at offset " << i;
    // The first item (the button) starts at offset 80.
    DWORD firstStyle;
    std::memcpy(&firstStyle, bytes + 80, sizeof firstStyle);
    EXPECT_EQ(firstStyle, 0x50010001u);
}

// ---- centring -----------------------------------------------------------------------

HWND MakePopup(HWND owner, int x, int y, int width, int height) {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, width, height, owner, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    return window;
}

TEST(CenterOverParent, CentresOverTheOwnerTruncatingTowardZero) {
    struct Case {
        int parentX, parentY, parentWidth, parentHeight, width, height;
        int expectedX, expectedY;
    };
    const Case cases[] = {
        {100, 50, 400, 300, 200, 100, 200, 150},
        {100, 50, 200, 100, 203, 105, 99, 48},   // 3 wider: -1.5 becomes -1; 5 taller: -2
        {100, 50, 201, 101, 200, 100, 100, 50},  // 1 narrower: 0.5 becomes 0
        {-150, -80, 200, 100, 100, 50, -100, -55}, // partly off the screen, not clamped
    };
    for (const Case& c : cases) {
        HWND owner = MakePopup(nullptr, c.parentX, c.parentY, c.parentWidth, c.parentHeight);
        HWND window = MakePopup(owner, 0, 0, c.width, c.height);
        CenterOverParent(window);
        RECT rect = {};
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, c.expectedX) << c.parentWidth << " vs " << c.width;
        EXPECT_EQ(rect.top, c.expectedY) << c.parentHeight << " vs " << c.height;
        EXPECT_EQ(rect.right - rect.left, c.width);
        EXPECT_EQ(rect.bottom - rect.top, c.height);
        DestroyWindow(window);
        DestroyWindow(owner);
    }
}

// ---- the dialog ---------------------------------------------------------------------

enum Input { kButton, kEscape, kCloseBox, kClose };
const char* InputName(Input input) {
    switch (input) {
    case kButton: return "button";
    case kEscape: return "Esc";
    case kCloseBox: return "close box";
    case kClose: return "WM_CLOSE";
    }
    return "?";
}

void PostInput(HWND dialog, Input input) {
    switch (input) {
    case kButton:
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        break;
    case kEscape:
        PostMessageA(GetFocus() ? GetFocus() : dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        break;
    case kCloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case kClose:
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    }
}

std::string ItemText(HWND dialog, int id) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string Caption(HWND dialog) {
    char text[64] = {};
    GetWindowTextA(dialog, text, sizeof text);
    return text;
}

// What the scripted dialog saw.
struct Seen {
    HWND dialog = nullptr;
    std::string countersAtStart[3];
    bool progressWindowSet = false;
    int workerPriority = 0;
    RECT rect = {};
    std::string captionWhenCancelled, captionAtEnd, buttonAtEnd;
    bool buttonEnabledWhenCancelled = true, buttonEnabledAtEnd = false;
    bool cancelNoticed = false;
    std::string countersAtEnd[3];
    std::string captionAfterLateNotices, bigCounters[3];
    bool stillOpenAfterLateNotices = false;
    int endedNotices = 0, countsNotices = 0;
    bool timedOut = false;
    HANDLE eventHandle = nullptr, threadHandle = nullptr;
};

struct Script {
    Input input = kButton;
    bool cancelAtFirstNotice = false; // else close after the run finished
    bool answerBackupNo = false;
};

Script script;
Seen seen;
const UINT_PTR kGuardTimer = 1, kAnswerTimer = 2;

void ReadCounters(HWND dialog, std::string* out) {
    out[0] = ItemText(dialog, IDC_REPLACED_STRINGS);
    out[1] = ItemText(dialog, IDC_REPLACED_FILES);
    out[2] = ItemText(dialog, IDC_SEARCHED_FILES);
}

bool CancelSignalledNow() {
    return WaitForSingleObject(ReplaceJob.cancelEvent, 0) == WAIT_OBJECT_0;
}

// Runs the modal loop's work (with the dialog's keyboard handling) until the posted input
// has signalled the cancel event, while the worker waits in its notice.
void PumpUntilCancelled(HWND dialog) {
    const DWORD start = GetTickCount();
    while (!CancelSignalledNow() && GetTickCount() - start < 10000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void AfterCountsNotice(HWND dialog) {
    ++seen.countsNotices;
    if (!script.cancelAtFirstNotice || seen.countsNotices != 1) return;
    PostInput(dialog, script.input);
    PumpUntilCancelled(dialog);
    seen.cancelNoticed = CancelSignalledNow();
    seen.captionWhenCancelled = Caption(dialog);
    seen.buttonEnabledWhenCancelled = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)) != 0;
    // Cancel again while cancelling, and a late counts notice: nothing else changes.
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    SendMessageA(dialog, WM_JOB_PROGRESS, 0, 0);
    EXPECT_EQ(Caption(dialog), "Cancelling now...");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
}

void AfterEndedNotice(HWND dialog) {
    ++seen.endedNotices;
    if (seen.endedNotices != 1) return;
    seen.captionAtEnd = Caption(dialog);
    seen.buttonAtEnd = ItemText(dialog, IDCANCEL);
    seen.buttonEnabledAtEnd = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)) != 0;
    ReadCounters(dialog, seen.countersAtEnd);
    if (ReplaceJob.workerThread != nullptr) ADD_FAILURE() << "worker handle still held";
    if (seen.captionAtEnd != "Finished") return; // closing itself
    // Finished: a further walk-ended notice and counts notice only show the counters,
    // as unsigned numbers. The worker is inside its last notice and no longer counts.
    const DWORD saved[3] = {ReplaceJob.replacedStrings, ReplaceJob.replacedFiles,
                            ReplaceJob.searchedFiles};
    ReplaceJob.replacedStrings = 0x80000000u;
    ReplaceJob.replacedFiles = 0xFFFFFFFFu;
    SendMessageA(dialog, WM_JOB_PROGRESS, 1, 0);
    ReplaceJob.searchedFiles = 0x80000005u;
    SendMessageA(dialog, WM_JOB_PROGRESS, 0, 0);
    ReadCounters(dialog, seen.bigCounters);
    seen.captionAfterLateNotices = Caption(dialog);
    seen.stillOpenAfterLateNotices = IsWindowVisible(dialog) != 0;
    ReplaceJob.replacedStrings = saved[0];
    ReplaceJob.replacedFiles = saved[1];
    ReplaceJob.searchedFiles = saved[2];
    PostInput(dialog, script.input);
}

void CALLBACK AnswerBackupQuestionNo(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindOwnBackupQuestion();
    if (box) PostMessageA(box, WM_COMMAND, IDNO, 0);
}

INT_PTR CALLBACK ScriptedDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kGuardTimer) {
        // A run that hangs: stop it, and close once the worker is gone.
        seen.timedOut = true;
        SetEvent(ReplaceJob.cancelEvent);
        if (!ReplaceJob.workerThread) EndDialog(dialog, -2);
        return TRUE;
    }
    const INT_PTR result = ProgressDlgProc(dialog, message, wParam, lParam);
    switch (message) {
    case WM_INITDIALOG:
        seen.dialog = dialog;
        ReadCounters(dialog, seen.countersAtStart);
        seen.progressWindowSet = ReplaceJob.progressWindow == dialog;
        seen.workerPriority = GetThreadPriority(ReplaceJob.workerThread);
        seen.eventHandle = ReplaceJob.cancelEvent;
        seen.threadHandle = ReplaceJob.workerThread;
        GetWindowRect(dialog, &seen.rect);
        SetTimer(dialog, kGuardTimer, 30000, nullptr);
        if (script.answerBackupNo) SetTimer(dialog, kAnswerTimer, 50, AnswerBackupQuestionNo);
        break;
    case WM_JOB_PROGRESS:
        if (wParam == 0) AfterCountsNotice(dialog);
        else AfterEndedNotice(dialog);
        break;
    case WM_DESTROY:
        KillTimer(dialog, kGuardTimer);
        KillTimer(dialog, kAnswerTimer);
        break;
    }
    return result;
}

class ProgressDialog : public ::testing::Test {
protected:
    void SetUp() override {
        InitCharacterModel();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("dialog-") + info->name();
        for (char& c : name)
            if (c == '/') c = '-';
        root = MakeScratchFolder(name.c_str());
        WriteText(root + "f1.txt", "x x x");
        WriteText(root + "f2.txt", "x");
        WriteText(root + "f3.txt", "none");
        MakeFolder(root + "s");
        WriteText(root + "s\\g.txt", "xx");
        request.folder = root;
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 80, 500, 400,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner, nullptr);
        script = Script();
        seen = Seen();
    }
    void TearDown() override {
        DestroyWindow(owner);
        RemoveTree(root);
    }

    INT_PTR RunDialog() {
        SetRequest(request);
        // Values an earlier run might have left.
        ReplaceJob.replacedStrings = 11;
        ReplaceJob.replacedFiles = 22;
        ReplaceJob.searchedFiles = 33;
        const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr),
                                               MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                               ScriptedDlgProc, 0);
        EXPECT_FALSE(seen.timedOut);
        return result;
    }

    void ExpectStartSeen() {
        for (const std::string& counter : seen.countersAtStart) EXPECT_EQ(counter, "0");
        EXPECT_TRUE(seen.progressWindowSet);
        EXPECT_EQ(seen.workerPriority, THREAD_PRIORITY_BELOW_NORMAL);
        RECT ownerRect;
        GetWindowRect(owner, &ownerRect);
        const LONG width = seen.rect.right - seen.rect.left;
        const LONG height = seen.rect.bottom - seen.rect.top;
        EXPECT_EQ(seen.rect.left, ownerRect.left + (500 - width) / 2);
        EXPECT_EQ(seen.rect.top, ownerRect.top + (400 - height) / 2);
    }

    void ExpectNothingLeftOpen() {
        EXPECT_EQ(ReplaceJob.workerThread, nullptr);
        EXPECT_EQ(ReplaceJob.cancelEvent, nullptr);
        // Both handles of the run were valid while it ran and are closed now.
        ASSERT_NE(seen.eventHandle, nullptr);
        ASSERT_NE(seen.threadHandle, nullptr);
        DWORD flags = 0;
        EXPECT_FALSE(GetHandleInformation(seen.eventHandle, &flags));
        EXPECT_FALSE(GetHandleInformation(seen.threadHandle, &flags));
    }

    std::string root;
    Request request;
    HWND owner = nullptr;
};

class ProgressDialogInput : public ProgressDialog, public ::testing::WithParamInterface<Input> {};

TEST_P(ProgressDialogInput, FinishedRunShowsFinishedAndOkAndWaitsForTheUser) {
    script.input = GetParam();
    const INT_PTR result = RunDialog();
    EXPECT_EQ(result, 1);
    ExpectStartSeen();
    EXPECT_EQ(seen.captionAtEnd, "Finished");
    EXPECT_EQ(seen.buttonAtEnd, "OK");
    EXPECT_TRUE(seen.buttonEnabledAtEnd);
    EXPECT_EQ(seen.countersAtEnd[0], "6");
    EXPECT_EQ(seen.countersAtEnd[1], "3");
    EXPECT_EQ(seen.countersAtEnd[2], "4");
    EXPECT_EQ(seen.countsNotices, 4 + 1); // one from the script
    EXPECT_EQ(seen.bigCounters[0], "2147483648");
    EXPECT_EQ(seen.bigCounters[1], "4294967295");
    EXPECT_EQ(seen.bigCounters[2], "2147483653");
    EXPECT_EQ(seen.captionAfterLateNotices, "Finished");
    EXPECT_TRUE(seen.stillOpenAfterLateNotices);
    EXPECT_EQ(ReadText(root + "s\\g.txt"), "yy");
    ExpectNothingLeftOpen();
}

TEST_P(ProgressDialogInput, CancelDuringTheRunClosesByItselfWithResult2) {
    script.input = GetParam();
    script.cancelAtFirstNotice = true;
    const INT_PTR result = RunDialog();
    EXPECT_EQ(result, 2);
    ExpectStartSeen();
    EXPECT_TRUE(seen.cancelNoticed);
    EXPECT_EQ(seen.captionWhenCancelled, "Cancelling now...");
    EXPECT_FALSE(seen.buttonEnabledWhenCancelled);
    EXPECT_EQ(seen.endedNotices, 1);
    EXPECT_EQ(seen.captionAtEnd, "Cancelling now...");
    // The file after the one whose notice was cancelled is finished and shown at the end;
    // nothing in the subfolder is touched.
    EXPECT_EQ(seen.countersAtEnd[2], "2");
    EXPECT_EQ(ReadText(root + "s\\g.txt"), "xx");
    ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(Inputs, ProgressDialogInput,
                         ::testing::Values(kButton, kEscape, kCloseBox, kClose),
                         [](const ::testing::TestParamInfo<Input>& param) {
                             std::string name = InputName(param.param);
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST_F(ProgressDialog, DecliningToGoOnWithoutBackupsClosesWithoutCancellingNow) {
    // Every file's backup name is taken by a folder, so the first copy fails.
    for (const char* name : {"f1.txt", "f2.txt", "f3.txt"}) MakeFolder(root + name + ".bak");
    request.saveBackups = true;
    script.answerBackupNo = true;
    const INT_PTR result = RunDialog();
    EXPECT_EQ(result, 2);
    EXPECT_EQ(seen.countsNotices, 0);
    EXPECT_EQ(seen.endedNotices, 1);
    EXPECT_EQ(seen.captionAtEnd, "Replacing...");
    EXPECT_EQ(seen.buttonAtEnd, "Cancel");
    EXPECT_TRUE(seen.buttonEnabledAtEnd);
    EXPECT_EQ(seen.countersAtEnd[2], "0");
    EXPECT_EQ(ReadText(root + "f1.txt"), "x x x");
    ExpectNothingLeftOpen();
}

// ---- which counter texts a notice sets ------------------------------------------------

// Counts the texts set on each counter control, by subclassing the three statics.
const int kCounterIds[3] = {IDC_REPLACED_STRINGS, IDC_REPLACED_FILES, IDC_SEARCHED_FILES};
WNDPROC staticProc = nullptr;
int textsSet[3];

LRESULT CALLBACK CountingStaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT) {
        const int id = GetDlgCtrlID(window);
        for (int i = 0; i < 3; ++i)
            if (kCounterIds[i] == id) ++textsSet[i];
    }
    return CallWindowProcA(staticProc, window, message, wParam, lParam);
}

// Opens the dialog modelessly, counts from before its first notice, and delivers the
// worker's notices until the walk-ended one has been handled.
HWND OpenAndRunToEnd(HWND owner) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS),
                                     owner, ProgressDlgProc, 0);
    EXPECT_NE(dialog, nullptr);
    if (!dialog) return nullptr;
    for (int id : kCounterIds) {
        staticProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            GetDlgItem(dialog, id), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingStaticProc)));
    }
    for (int& n : textsSet) n = 0;
    const DWORD start = GetTickCount();
    while (ReplaceJob.workerThread && GetTickCount() - start < 20000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_EQ(ReplaceJob.workerThread, nullptr) << "the walk did not end";
    return dialog;
}

void ExpectCounters(HWND dialog, const char* strings, const char* files, const char* searched) {
    std::string shown[3];
    ReadCounters(dialog, shown);
    EXPECT_EQ(shown[0], strings);
    EXPECT_EQ(shown[1], files);
    EXPECT_EQ(shown[2], searched);
}

TEST_F(ProgressDialog, SetsOnlyTheCountersWhoseShownValueChanges) {
    MakeFolder(root + "empty");
    request.folder = root + "empty\\";
    SetRequest(request);
    ReplaceJob.replacedStrings = 11; // what an earlier run left
    ReplaceJob.replacedFiles = 22;
    ReplaceJob.searchedFiles = 33;
    HWND dialog = OpenAndRunToEnd(owner);
    ASSERT_NE(dialog, nullptr);
    // The walk of an empty folder ends with all counters 0: the template's "0" stays.
    ExpectCounters(dialog, "0", "0", "0");
    EXPECT_EQ(Caption(dialog), "Finished");
    EXPECT_EQ(textsSet[0] + textsSet[1] + textsSet[2], 0);

    // Further notices with chosen counters, after the worker has gone.
    struct Step {
        WPARAM kind;
        DWORD strings, files, searched;
        const char* shown[3];
        int sets[3];
    };
    const Step steps[] = {
        {0, 0, 0, 1, {"0", "0", "1"}, {0, 0, 1}},
        {0, 0, 0, 1, {"0", "0", "1"}, {0, 0, 0}},
        {0, 3, 1, 2, {"3", "1", "2"}, {1, 1, 1}},
        {0, 3, 1, 3, {"3", "1", "3"}, {0, 0, 1}},
        {1, 3, 1, 3, {"3", "1", "3"}, {0, 0, 0}},
        {0, 0x80000000u, 1, 3, {"2147483648", "1", "3"}, {1, 0, 0}},
        {1, 0x80000000u, 0xFFFFFFFFu, 4, {"2147483648", "4294967295", "4"}, {0, 1, 1}},
        {0, 0, 0, 0, {"0", "0", "0"}, {1, 1, 1}},
    };
    int step = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(step++));
        for (int& n : textsSet) n = 0;
        ReplaceJob.replacedStrings = s.strings;
        ReplaceJob.replacedFiles = s.files;
        ReplaceJob.searchedFiles = s.searched;
        SendMessageA(dialog, WM_JOB_PROGRESS, s.kind, 0);
        ExpectCounters(dialog, s.shown[0], s.shown[1], s.shown[2]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(textsSet[i], s.sets[i]) << "counter " << kCounterIds[i];
        EXPECT_EQ(Caption(dialog), "Finished");
    }
    DestroyWindow(dialog);
}

TEST_F(ProgressDialog, ASecondRunStartsFromTheTemplatesZeros) {
    // Two runs over the same one-file folder report the same counts; the second dialog
    // shows them too, although the first one already had.
    MakeFolder(root + "one");
    request.folder = root + "one\\";
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        WriteText(root + "one\\f.txt", "x x x");
        SetRequest(request);
        HWND dialog = OpenAndRunToEnd(owner);
        ASSERT_NE(dialog, nullptr);
        ExpectCounters(dialog, "3", "1", "1");
        for (int i = 0; i < 3; ++i) EXPECT_EQ(textsSet[i], 1) << "counter " << kCounterIds[i];
        DestroyWindow(dialog);
    }
}

} // namespace
