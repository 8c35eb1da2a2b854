// The real kelvora.exe, started as its own process and driven only through its windows; the
// files and the settings key are checked afterwards. The program's path is the first argument.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/resource.h"
#include "tests/end_to_end/program_driver.h"
#include "tests/support/long_text.h"

namespace {

const char kKeyPath[] = "Software\\Dunmak\\Kelvora";

void DeleteSettingsKey() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKeyPath);
}

void WriteDword(const char* name, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }
}

// The value's type and bytes; type 0 when it is missing.
struct Value {
    DWORD type;
    std::vector<unsigned char> bytes;
};

Value ReadValue(const char* name) {
    Value value = {0, {}};
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<unsigned char> data(size + 1);
        if (RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
            value.type = type;
            value.bytes.assign(data.begin(), data.begin() + size);
        }
    }
    RegCloseKey(key);
    return value;
}

Value Dword(DWORD v) {
    return {REG_DWORD, {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                        static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)}};
}

// A history value holding the given entries.
Value History(const std::vector<std::string>& entries) {
    Value value = {REG_BINARY, {}};
    auto put32 = [&](size_t v) {
        for (int i = 0; i < 4; ++i) value.bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    put32(entries.size());
    for (const std::string& e : entries) {
        put32(e.size());
        value.bytes.insert(value.bytes.end(), e.begin(), e.end());
    }
    return value;
}

bool operator==(const Value& a, const Value& b) {
    return a.type == b.type && a.bytes == b.bytes;
}

void PrintTo(const Value& v, std::ostream* os) {
    *os << "type " << v.type << ", " << v.bytes.size() << " bytes:";
    char hex[4];
    for (unsigned char c : v.bytes) {
        snprintf(hex, sizeof hex, " %02x", c);
        *os << hex;
    }
}

void WriteFileText(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

// The file's bytes, or "<missing>".
std::string ReadFileText(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    fclose(f);
    return text;
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// Each test: a fresh settings key, a fresh folder of files, one or more runs of the program.
class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "kelvora_e2e_" + std::to_string(GetCurrentProcessId());
        DeleteTree(folder_);
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    }

    void TearDown() override {
        for (RunningProgram& p : programs_) StopProgram(&p);
        DeleteTree(folder_);
        DeleteSettingsKey();
    }

    // Starts a copy; the test stops on failure.
    RunningProgram* Start(const char* arguments = "") {
        programs_.push_back(RunningProgram{});
        RunningProgram* p = &programs_.back();
        EXPECT_TRUE(StartProgram(p, arguments)) << "no main dialog from " << ProgramPath();
        return p->mainDialog ? p : nullptr;
    }

    // Closes the main dialog with Close and checks the exit code.
    void CloseAndExpectExitZero(RunningProgram* p) {
        PostCommand(p->mainDialog, IDCANCEL);
        DWORD code = 1234;
        ASSERT_TRUE(WaitForExit(p, &code)) << "the program did not end";
        EXPECT_EQ(code, 0u);
        StopProgram(p);
    }

    void FillRequest(HWND dialog, const char* find, const char* replace, const char* types,
                     const std::string& folder) {
        SetItemText(dialog, IDC_FIND, find);
        SetItemText(dialog, IDC_REPLACE, replace);
        SetItemText(dialog, IDC_FILETYPES, types);
        SetItemText(dialog, IDC_FOLDER, folder.c_str());
    }

    // Presses Replace All and waits for "Finished"; returns the three counters and closes
    // the progress dialog with its button.
    std::vector<std::string> RunToFinished(RunningProgram* p) {
        PostCommand(p->mainDialog, IDOK);
        HWND progress = WaitForOwnedDialog(p->process.dwProcessId, p->mainDialog, "Finished", kWaitMs);
        EXPECT_NE(progress, nullptr) << "no finished progress dialog";
        if (!progress) return {};
        std::vector<std::string> counts = {ItemText(progress, IDC_REPLACED_STRINGS),
                                           ItemText(progress, IDC_REPLACED_FILES),
                                           ItemText(progress, IDC_SEARCHED_FILES)};
        EXPECT_EQ(ItemText(progress, IDCANCEL), "OK");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(progress, IDCANCEL)));
        PostCommand(progress, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(progress, kWaitMs));
        return counts;
    }

    std::string Path(const std::string& name) const { return folder_ + "\\" + name; }

    std::string folder_;
    std::vector<RunningProgram> programs_;
};

TEST_F(EndToEndTest, FirstStartShowsTheDefaults) {
    programs_.reserve(1);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    HWND dialog = p->mainDialog;

    RECT rect;
    ASSERT_TRUE(GetWindowRect(dialog, &rect));
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(WindowText(dialog), "Replace in Files");
    // The window class (Wine answers these across processes; the class icon it does not).
    EXPECT_EQ(GetClassLongA(dialog, GCL_STYLE), 0x2808u);
    EXPECT_EQ(GetClassLongA(dialog, GCL_CBWNDEXTRA), static_cast<DWORD>(DLGWINDOWEXTRA));
    EXPECT_TRUE(IsChecked(dialog, IDC_MATCHCASE));
    EXPECT_TRUE(IsChecked(dialog, IDC_BACKUPS));
    EXPECT_FALSE(IsChecked(dialog, IDC_ONLYWORDS));
    EXPECT_FALSE(IsChecked(dialog, IDC_SUBFOLDERS));
    EXPECT_EQ(ItemText(dialog, IDC_FIND), "");
    EXPECT_EQ(ItemText(dialog, IDC_REPLACE), "");
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER), "");
    EXPECT_EQ(ItemText(dialog, IDC_FILETYPES), "*.txt");
    EXPECT_TRUE(ComboItems(GetDlgItem(dialog, IDC_FILETYPES)).empty());
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_LABEL), "In F&older:");

    CloseAndExpectExitZero(p);
    EXPECT_EQ(ReadValue("PosX"), Dword(20));
    EXPECT_EQ(ReadValue("PosY"), Dword(20));
}

TEST_F(EndToEndTest, RunsWithoutThenWithSubfolders) {
    ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    WriteFileText(Path("a.txt"), "foo bar foo");
    WriteFileText(Path("b.txt"), "nothing here");
    WriteFileText(Path("c.dat"), "foo");
    WriteFileText(Path("sub\\d.txt"), "a foo");
    programs_.reserve(2);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);

    FillRequest(p->mainDialog, "foo", "quux", "*.txt", folder_);
    EXPECT_EQ(RunToFinished(p), (std::vector<std::string>{"2", "1", "2"}));
    EXPECT_EQ(ReadFileText(Path("a.txt")), "quux bar quux");
    EXPECT_EQ(ReadFileText(Path("a.txt.bak")), "foo bar foo");
    EXPECT_EQ(ReadFileText(Path("b.txt")), "nothing here");
    EXPECT_EQ(ReadFileText(Path("b.txt.bak")), "<missing>");
    EXPECT_EQ(ReadFileText(Path("c.dat")), "foo");
    EXPECT_EQ(ReadFileText(Path("sub\\d.txt")), "a foo");
    EXPECT_TRUE(IsWindowEnabled(p->mainDialog));

    // The second request: fields as the first left them, subfolders on, backups off.
    EXPECT_EQ(ItemText(p->mainDialog, IDC_FIND), "foo");
    SetCheck(p->mainDialog, IDC_SUBFOLDERS, true);
    SetCheck(p->mainDialog, IDC_BACKUPS, false);
    SetItemText(p->mainDialog, IDC_REPLACE, "");
    EXPECT_EQ(RunToFinished(p), (std::vector<std::string>{"1", "1", "3"}));
    EXPECT_EQ(ReadFileText(Path("sub\\d.txt")), "a ");
    EXPECT_EQ(ReadFileText(Path("sub\\d.txt.bak")), "<missing>");
    EXPECT_EQ(ComboItems(GetDlgItem(p->mainDialog, IDC_REPLACE)),
              (std::vector<std::string>{"quux"}));
    CloseAndExpectExitZero(p);

    EXPECT_EQ(ReadValue("Find"), History({"foo"}));
    EXPECT_EQ(ReadValue("Replace"), History({"quux"}));
    EXPECT_EQ(ReadValue("File"), History({"*.txt"}));
    EXPECT_EQ(ReadValue("Path"), History({folder_}));
    EXPECT_EQ(ReadValue("Backup"), Dword(0));

    // The next start shows the histories and the options, subfolders off again; the focus is
    // in Find, with its remembered text selected, so typing replaces it.
    p = Start();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(ItemText(p->mainDialog, IDC_FIND), "foo");
    HWND find = GetDlgItem(p->mainDialog, IDC_FIND);
    EXPECT_EQ(FocusedWindow(p->mainDialog), GetWindow(find, GW_CHILD));
    EXPECT_EQ(ComboSelection(find), std::make_pair(0, 3));
    EXPECT_EQ(ItemText(p->mainDialog, IDC_FOLDER), folder_);
    EXPECT_EQ(ComboItems(GetDlgItem(p->mainDialog, IDC_FILETYPES)),
              (std::vector<std::string>{"*.txt"}));
    EXPECT_FALSE(IsChecked(p->mainDialog, IDC_BACKUPS));
    EXPECT_FALSE(IsChecked(p->mainDialog, IDC_SUBFOLDERS));
    CloseAndExpectExitZero(p);
}

TEST_F(EndToEndTest, EmptyFindRunsNothingButStoresOptionsAndHistories) {
    WriteFileText(Path("a.txt"), "foo");
    programs_.reserve(1);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    FillRequest(p->mainDialog, "", "r", "*.md", folder_);
    SetCheck(p->mainDialog, IDC_MATCHCASE, false);
    SetCheck(p->mainDialog, IDC_ONLYWORDS, true);
    // Sent, not posted: it returns only when the handler has, and no dialog may be shown.
    ASSERT_TRUE(SendCommand(p->mainDialog, IDOK, kWaitMs)) << "Replace All did not return";
    EXPECT_EQ(FindOwnedDialog(p->process.dwProcessId, nullptr), nullptr);
    EXPECT_EQ(ReadValue("Case"), Dword(0));
    EXPECT_EQ(ReadValue("Backup"), Dword(1));
    EXPECT_EQ(ReadValue("OnlyWord"), Dword(1));
    EXPECT_EQ(ReadValue("Find"), History({}));
    EXPECT_EQ(ReadValue("Replace"), History({"r"}));
    EXPECT_EQ(ReadValue("File"), History({"*.md"}));
    EXPECT_EQ(ReadValue("Path"), History({folder_}));
    EXPECT_EQ(ReadFileText(Path("a.txt")), "foo");
    CloseAndExpectExitZero(p);
}

struct BakCase {
    const char* types;
    bool backups;
    bool refused;
};

TEST_F(EndToEndTest, BakPatternIsRefusedOnlyWholeAndWithBackups) {
    WriteFileText(Path("x.bak"), "foo");
    const BakCase cases[] = {
        {"*.bak", true, true},
        {"*.BAK", true, true},
        {"*.bAk", true, true},
        {" *.bak", true, false},
        {"*.ba?", true, false},
        {"*.bak", false, false},
    };
    programs_.reserve(1);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    for (const BakCase& c : cases) {
        SCOPED_TRACE(std::string("pattern '") + c.types + (c.backups ? "' with" : "' without") +
                     " backups");
        FillRequest(p->mainDialog, "nomatch", "x", c.types, folder_);
        SetCheck(p->mainDialog, IDC_BACKUPS, c.backups);
        PostCommand(p->mainDialog, IDOK);
        HWND shown = WaitForOwnedDialog(p->process.dwProcessId, p->mainDialog, nullptr, kWaitMs);
        ASSERT_NE(shown, nullptr);
        if (c.refused) {
            EXPECT_EQ(WindowText(shown), "Replace in Files");
            const std::vector<std::string> texts = ChildTexts(shown);
            EXPECT_NE(std::find(texts.begin(), texts.end(),
                                "Cannot search *.bak while making buckups."),
                      texts.end());
            EXPECT_EQ(GetDlgItem(shown, IDNO), nullptr);
            EXPECT_EQ(GetDlgItem(shown, IDCANCEL) != nullptr || GetDlgItem(shown, IDOK) != nullptr,
                      true);
            PostCommand(shown, IDOK);
            EXPECT_TRUE(WaitForWindowGone(shown, kWaitMs));
        } else {
            HWND finished =
                WaitForOwnedDialog(p->process.dwProcessId, p->mainDialog, "Finished", kWaitMs);
            ASSERT_NE(finished, nullptr);
            PostCommand(finished, IDCANCEL);
            EXPECT_TRUE(WaitForWindowGone(finished, kWaitMs));
        }
    }
    CloseAndExpectExitZero(p);
}

TEST_F(EndToEndTest, BackupQuestionAnsweredNoThenYes) {
    WriteFileText(Path("a.txt"), "foo");
    WriteFileText(Path("b.txt"), "foo");
    // A folder where the backups would go makes every copy fail.
    ASSERT_TRUE(CreateDirectoryA(Path("a.txt.bak").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(Path("b.txt.bak").c_str(), nullptr));
    programs_.reserve(1);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    FillRequest(p->mainDialog, "foo", "bar", "*.txt", folder_);

    const int answers[] = {IDNO, IDYES};
    for (int answer : answers) {
        SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
        PostCommand(p->mainDialog, IDOK);
        HWND progress = WaitForOwnedDialog(p->process.dwProcessId, p->mainDialog, nullptr, kWaitMs);
        ASSERT_NE(progress, nullptr);
        HWND question = WaitForOwnedDialog(p->process.dwProcessId, progress, "Replace in Files", kWaitMs);
        ASSERT_NE(question, nullptr);
        const std::vector<std::string> texts = ChildTexts(question);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Cannot make backups. Continue?"),
                  texts.end());
        PostCommand(question, answer);
        if (answer == IDNO) {
            // The run stops; the progress dialog closes by itself.
            EXPECT_TRUE(WaitForWindowGone(progress, kWaitMs));
            EXPECT_EQ(ReadFileText(Path("a.txt")) + ReadFileText(Path("b.txt")), "foofoo");
        } else {
            // Asked once; both files are changed without backups.
            HWND finished =
                WaitForOwnedDialog(p->process.dwProcessId, p->mainDialog, "Finished", kWaitMs);
            ASSERT_NE(finished, nullptr);
            EXPECT_EQ(ItemText(finished, IDC_REPLACED_FILES), "2");
            PostCommand(finished, IDCANCEL);
            EXPECT_TRUE(WaitForWindowGone(finished, kWaitMs));
            EXPECT_EQ(ReadFileText(Path("a.txt")), "bar");
            EXPECT_EQ(ReadFileText(Path("b.txt")), "bar");
        }
    }
    CloseAndExpectExitZero(p);
}

TEST_F(EndToEndTest, CancelStopsALongRun) {
    const int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i) {
        WriteFileText(Path("f" + std::to_string(i) + ".txt"), "one foo two");
    }
    programs_.reserve(1);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    FillRequest(p->mainDialog, "foo", "bar", "*.txt", folder_);
    PostCommand(p->mainDialog, IDOK);
    HWND progress = WaitForOwnedDialog(p->process.dwProcessId, p->mainDialog, nullptr, kWaitMs);
    ASSERT_NE(progress, nullptr);
    PostCommand(progress, IDCANCEL);
    // It closes by itself, never showing "Finished".
    bool sawFinished = false;
    for (DWORD waited = 0; IsWindow(progress) && waited < 120000; waited += 10) {
        if (WindowText(progress) == "Finished") sawFinished = true;
        Sleep(10);
    }
    EXPECT_FALSE(IsWindow(progress));
    EXPECT_FALSE(sawFinished);
    EXPECT_TRUE(IsWindowEnabled(p->mainDialog));

    int changed = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string text = ReadFileText(Path("f" + std::to_string(i) + ".txt"));
        if (text == "one bar two") {
            ++changed;
        } else {
            ASSERT_EQ(text, "one foo two") << i;
        }
    }
    EXPECT_LT(changed, kFiles);
    CloseAndExpectExitZero(p);
}

TEST_F(EndToEndTest, PositionIsKeptAcrossStartsNegativeIncluded) {
    WriteDword("PosX", static_cast<DWORD>(-300));
    WriteDword("PosY", 40);
    programs_.reserve(3);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(p->mainDialog, &rect));
    EXPECT_EQ(rect.left, -300);
    EXPECT_EQ(rect.top, 40);
    SetWindowPos(p->mainDialog, nullptr, 130, -25, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // The caption's close box arrives as IDCANCEL too.
    PostMessageA(p->mainDialog, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    ASSERT_TRUE(WaitForExit(p, &code));
    EXPECT_EQ(code, 0u);
    StopProgram(p);
    EXPECT_EQ(ReadValue("PosX"), Dword(130));
    EXPECT_EQ(ReadValue("PosY"), Dword(static_cast<DWORD>(-25)));

    p = Start();
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(GetWindowRect(p->mainDialog, &rect));
    EXPECT_EQ(rect.left, 130);
    EXPECT_EQ(rect.top, -25);
    CloseAndExpectExitZero(p);
}

TEST_F(EndToEndTest, CommandLineIsIgnoredAndExitCodeIsZero) {
    WriteDword("PosX", 60);
    WriteDword("PosY", 70);
    programs_.reserve(2);
    for (const char* arguments : {"", "/x -y C:\\nowhere \"two words\""}) {
        SCOPED_TRACE(std::string("arguments: ") + arguments);
        RunningProgram* p = Start(arguments);
        ASSERT_NE(p, nullptr);
        RECT rect;
        ASSERT_TRUE(GetWindowRect(p->mainDialog, &rect));
        EXPECT_EQ(rect.left, 60);
        EXPECT_EQ(rect.top, 70);
        EXPECT_EQ(ItemText(p->mainDialog, IDC_FILETYPES), "*.txt");
        CloseAndExpectExitZero(p);
    }
}

TEST_F(EndToEndTest, BrowseShowsTheLabelAsTitleAndCancelKeepsTheFolder) {
    programs_.reserve(1);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    SetItemText(p->mainDialog, IDC_FOLDER, "C:\\before");
    PostCommand(p->mainDialog, IDC_BROWSE);
    HWND browser = WaitForOwnedDialog(p->process.dwProcessId, p->mainDialog, nullptr, kWaitMs);
    ASSERT_NE(browser, nullptr);
    const std::vector<std::string> texts = ChildTexts(browser);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "In F&older:"), texts.end());
    PostCommand(browser, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(browser, kWaitMs));
    EXPECT_EQ(ItemText(p->mainDialog, IDC_FOLDER), "C:\\before");
    CloseAndExpectExitZero(p);
}

// Under code page 932 only (the CP932 run): texts of double-byte characters pass through the
// dialog, its history and the run whole, and a trail byte that equals the find text is not a match.
TEST_F(EndToEndTest, DoubleByteTextsUnderCodePage932) {
    if (GetACP() != 932) GTEST_SKIP() << "needs ANSI code page 932";
    const std::string nihongo = "\x93\xfa\x96\x7b\x8c\xea";  // three kanji; 0x7B is '{'
    WriteFileText(Path("a.txt"), nihongo + " text");
    WriteFileText(Path("b.txt"), "\x96\x7b and later a real { brace");
    programs_.reserve(1);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);

    FillRequest(p->mainDialog, "\x96\x7b", "\x82\xa0", "*.txt", folder_); // the middle kanji
    SetCheck(p->mainDialog, IDC_BACKUPS, false);
    EXPECT_EQ(RunToFinished(p), (std::vector<std::string>{"2", "2", "2"}));
    EXPECT_EQ(ReadFileText(Path("a.txt")), "\x93\xfa\x82\xa0\x8c\xea text");
    EXPECT_EQ(ReadFileText(Path("b.txt")), "\x82\xa0 and later a real { brace");

    FillRequest(p->mainDialog, "{", "(", "*.txt", folder_);
    WriteFileText(Path("b.txt"), "\x96\x7b and later a real { brace");
    EXPECT_EQ(RunToFinished(p), (std::vector<std::string>{"1", "1", "2"}));
    EXPECT_EQ(ReadFileText(Path("b.txt")), "\x96\x7b and later a real ( brace");
    EXPECT_EQ(ComboItems(GetDlgItem(p->mainDialog, IDC_FIND)),
              (std::vector<std::string>{"{", "\x96\x7b"}));
    CloseAndExpectExitZero(p);
    EXPECT_EQ(ReadValue("Replace"), History({"(", "\x82\xa0"}));
}

// Texts of 511 to 70,000 characters (two-byte ones under code page 932) in all four fields:
// Wine's ANSI CB_GETLBTEXT copies through a fixed buffer of 512 UTF-16 units, so storing a
// history holding a longer item crashed the program at Replace All. Every text is stored and
// comes back whole at the next start; a long find text is found and replaced.
TEST_F(EndToEndTest, LongTextsInEveryFieldAreStoredAndLoadedAgain) {
    const int fields[] = {IDC_FIND, IDC_REPLACE, IDC_FILETYPES, IDC_FOLDER};
    const char* const names[] = {"Find", "Replace", "File", "Path"};
    std::vector<std::string> lists[4];
    programs_.reserve(2);
    RunningProgram* p = Start();
    ASSERT_NE(p, nullptr);
    SetCheck(p->mainDialog, IDC_BACKUPS, false);
    for (size_t length : kLongTextLengths) {
        SCOPED_TRACE(length);
        std::string texts[4];
        for (int f = 0; f < 4; ++f) {
            texts[f] = LongText(length, f);
            lists[f].insert(lists[f].begin(), texts[f]);
        }
        FillRequest(p->mainDialog, texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3]);
        // No such folder (and past the walk's bound from 512 on): the run searches nothing.
        EXPECT_EQ(RunToFinished(p), (std::vector<std::string>{"0", "0", "0"}));
        ASSERT_TRUE(IsWindow(p->mainDialog)) << "the program ended";
    }
    // A pasted paragraph as the find text.
    const std::string paragraph = LongText(5000, 7);
    WriteFileText(Path("a.txt"), "<" + paragraph + ">");
    FillRequest(p->mainDialog, paragraph.c_str(), "short", "*.txt", folder_);
    EXPECT_EQ(RunToFinished(p), (std::vector<std::string>{"1", "1", "1"}));
    EXPECT_EQ(ReadFileText(Path("a.txt")), "<short>");
    lists[0].insert(lists[0].begin(), paragraph);
    lists[1].insert(lists[1].begin(), "short");
    lists[2].insert(lists[2].begin(), "*.txt");
    lists[3].insert(lists[3].begin(), folder_);
    for (int f = 0; f < 4; ++f) {
        EXPECT_TRUE(ComboItems(GetDlgItem(p->mainDialog, fields[f])) == lists[f]) << names[f];
    }
    CloseAndExpectExitZero(p);
    for (int f = 0; f < 4; ++f) EXPECT_TRUE(ReadValue(names[f]) == History(lists[f])) << names[f];

    p = Start();
    ASSERT_NE(p, nullptr);
    for (int f = 0; f < 4; ++f) {
        EXPECT_TRUE(ComboItems(GetDlgItem(p->mainDialog, fields[f])) == lists[f]) << names[f];
        EXPECT_TRUE(ItemText(p->mainDialog, fields[f]) == lists[f][0]) << names[f];
    }
    // Run again from the loaded texts: the longest ones are stored again, unchanged.
    FillRequest(p->mainDialog, lists[0][1].c_str(), lists[1][1].c_str(), lists[2][1].c_str(),
                lists[3][1]);
    EXPECT_EQ(RunToFinished(p), (std::vector<std::string>{"0", "0", "0"}));
    for (int f = 0; f < 4; ++f) {
        std::swap(lists[f][0], lists[f][1]);
        EXPECT_TRUE(ReadValue(names[f]) == History(lists[f])) << names[f];
    }
    CloseAndExpectExitZero(p);
}

TEST_F(EndToEndTest, TwoCopiesRunSideBySide) {
    programs_.reserve(2);
    RunningProgram* first = Start();
    ASSERT_NE(first, nullptr);
    RunningProgram* second = Start();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first->process.dwProcessId, second->process.dwProcessId);
    EXPECT_NE(first->mainDialog, second->mainDialog);
    EXPECT_TRUE(IsWindowVisible(first->mainDialog));
    EXPECT_TRUE(IsWindowVisible(second->mainDialog));
    CloseAndExpectExitZero(second);
    CloseAndExpectExitZero(first);
}

} // namespace
