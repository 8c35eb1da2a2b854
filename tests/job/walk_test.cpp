// The folder walk on real trees under Wine: the notices a test window receives, the
// counters at each notice, and which files were rewritten.
#include "walk_fixture.h"

#include "engine/character_model_win.h"
#include "engine/replace_job.h"
#include "job/worker.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

class Walk : public ::testing::Test {
protected:
    void SetUp() override {
        InitCharacterModel();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '-';
        root = MakeScratchFolder(name.c_str());
        request.folder = root;
    }
    void TearDown() override {
        if (recorder) DestroyRecorder(recorder);
        RemoveTree(root);
    }

    const std::vector<RecordedNotice>& Run(NoticeHook hook = nullptr) {
        recorder = CreateRecorder(hook);
        SetRequest(request);
        RunWorker(recorder);
        return RecordedNotices();
    }

    // Files named by how many "x" they hold, so each notice tells which file it follows.
    void Put(const std::string& relative, int occurrences) {
        WriteText(root + relative, std::string(static_cast<size_t>(occurrences), 'x'));
    }
    bool Rewritten(const std::string& relative) {
        const std::string text = ReadText(root + relative);
        return !text.empty() && text.find('x') == std::string::npos;
    }

    std::string root;
    Request request;
    HWND recorder = nullptr;
};

// The last notice is the one walk-ended notice, and it is the only one.
void ExpectOneEndedNoticeLast(const std::vector<RecordedNotice>& notices) {
    ASSERT_FALSE(notices.empty());
    size_t ended = 0;
    for (const RecordedNotice& notice : notices) {
        EXPECT_EQ(notice.lParam, 0);
        EXPECT_TRUE(notice.kind == 0 || notice.kind == 1);
        if (notice.kind == 1) ++ended;
    }
    EXPECT_EQ(ended, 1u);
    EXPECT_EQ(notices.back().kind, 1u);
}

std::wstring WideOf(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0],
                                          static_cast<int>(wide.size()));
    wide.resize(units > 0 ? static_cast<size_t>(units - 1) : 0);
    return wide;
}

// Names of the entries of a folder in the platform's order.
std::vector<std::string> PlatformOrder(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

TEST_F(Walk, FilesFirstThenSubfoldersThenTheEndedNotice) {
    Put("f1.txt", 1);
    Put("f2.txt", 2);
    MakeFolder(root + "s");
    Put("s\\g1.txt", 4);
    const auto& notices = Run();

    // Replacements added per notice tell the file: f1 1, f2 2, g1 4.
    std::vector<DWORD> expectedSteps;
    for (const std::string& name : PlatformOrder(root + "*.txt"))
        expectedSteps.push_back(name == "f1.txt" ? 1 : 2);
    expectedSteps.push_back(4);
    ASSERT_EQ(notices.size(), 4u);
    DWORD before = 0;
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(notices[i].kind, 0u);
        EXPECT_EQ(notices[i].replacedStrings - before, expectedSteps[i]) << i;
        EXPECT_EQ(notices[i].replacedFiles, i + 1);
        EXPECT_EQ(notices[i].searchedFiles, i + 1);
        before = notices[i].replacedStrings;
    }
    EXPECT_EQ(notices[3].kind, 1u);
    EXPECT_EQ(notices[3].replacedStrings, 7u);
    EXPECT_EQ(notices[3].replacedFiles, 3u);
    EXPECT_EQ(notices[3].searchedFiles, 3u);
}

TEST_F(Walk, CountsReplacementsFilesAndSearchedFiles) {
    WriteText(root + "three.txt", "x-x-x");
    WriteText(root + "none.txt", "abc");
    const auto& notices = Run();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[2].replacedStrings, 3u);
    EXPECT_EQ(notices[2].replacedFiles, 1u);
    EXPECT_EQ(notices[2].searchedFiles, 2u);
    EXPECT_EQ(ReadText(root + "three.txt"), "y-y-y");
    EXPECT_EQ(ReadText(root + "none.txt"), "abc");
}

TEST_F(Walk, StartsEachRunWithCountersAtZero) {
    ReplaceJob.replacedStrings = 100;
    ReplaceJob.replacedFiles = 200;
    ReplaceJob.searchedFiles = 300;
    const auto& notices = Run();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, 1u);
    EXPECT_EQ(notices[0].replacedStrings, 0u);
    EXPECT_EQ(notices[0].replacedFiles, 0u);
    EXPECT_EQ(notices[0].searchedFiles, 0u);
}

TEST_F(Walk, PassesOverReadOnlyFilesAndFoldersNamedLikeThePattern) {
    request.includeSubfolders = false;
    Put("ro.txt", 1);
    SetFileAttributesA((root + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    MakeFolder(root + "folder.txt");
    Put("plain.txt", 1);
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices.back().searchedFiles, 1u);
    EXPECT_EQ(ReadText(root + "ro.txt"), "x");
    EXPECT_TRUE(Rewritten("plain.txt"));
}

TEST_F(Walk, ProcessesHiddenAndSystemFiles) {
    request.includeSubfolders = false;
    Put("hidden.txt", 1);
    Put("system.txt", 1);
    ASSERT_TRUE(SetFileAttributesA((root + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((root + "system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM));
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(notices.back().searchedFiles, 2u);
    EXPECT_TRUE(Rewritten("hidden.txt"));
    EXPECT_TRUE(Rewritten("system.txt"));
}

TEST_F(Walk, DescendsIntoEveryKindOfSubfolder) {
    // Hidden, system, read-only, named like the pattern, not named like it, and one
    // without matching files that holds a folder with one.
    const char* folders[] = {"hidden", "system", "readonly", "match.txt", "other", "nomatch"};
    for (const char* folder : folders) {
        MakeFolder(root + folder);
        if (std::string(folder) != "nomatch") Put(std::string(folder) + "\\f.txt", 1);
    }
    MakeFolder(root + "nomatch\\deeper");
    Put("nomatch\\deeper\\f.txt", 1);
    Put("nomatch\\f.dat", 1);
    SetFileAttributesA((root + "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((root + "system").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((root + "readonly").c_str(), FILE_ATTRIBUTE_READONLY);
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(notices.back().searchedFiles, 6u);
    for (const char* folder : folders) {
        if (std::string(folder) != "nomatch") {
            EXPECT_TRUE(Rewritten(std::string(folder) + "\\f.txt")) << folder;
        }
    }
    EXPECT_TRUE(Rewritten("nomatch\\deeper\\f.txt"));
    EXPECT_EQ(ReadText(root + "nomatch\\f.dat"), "x");
}

TEST_F(Walk, StaysInTheStartFolderWithoutSubfolders) {
    request.includeSubfolders = false;
    Put("f.txt", 1);
    MakeFolder(root + "s");
    Put("s\\g.txt", 1);
    const auto& notices = Run();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(Rewritten("f.txt"));
    EXPECT_EQ(ReadText(root + "s\\g.txt"), "x");
}

struct BackupNameCase {
    const char* name;
    bool processedWithBackups;
};

TEST_F(Walk, PassesOverBackupNamesOnlyWhenBackupsAreMade) {
    const BackupNameCase cases[] = {
        {"a.bak", false}, {"B.BAK", false}, {"x.Bak", false}, {".bak", true}, {"c.bak1", true},
    };
    request.fileTypes = "*";
    request.includeSubfolders = false;
    for (bool backups : {true, false}) {
        SCOPED_TRACE(backups ? "with backups" : "without backups");
        for (const BackupNameCase& c : cases) Put(c.name, 1);
        request.saveBackups = backups;
        const auto& notices = Run();
        ExpectOneEndedNoticeLast(notices);
        DWORD expected = 0;
        for (const BackupNameCase& c : cases) {
            const bool processed = !backups || c.processedWithBackups;
            EXPECT_EQ(Rewritten(c.name), processed) << c.name;
            expected += processed ? 1 : 0;
        }
        EXPECT_EQ(notices.back().searchedFiles, expected);
        DestroyRecorder(recorder);
        recorder = nullptr;
        RemoveTree(root);
        MakeFolder(root);
    }
}

TEST_F(Walk, AcceptsStartFoldersWithAndWithoutAFinalBackslash) {
    Put("f.txt", 1);
    request.folder = root.substr(0, root.size() - 1);
    EXPECT_EQ(Run().back().searchedFiles, 1u);
    Put("f.txt", 1);
    request.folder = root;
    EXPECT_EQ(Run().back().searchedFiles, 1u);
}

TEST_F(Walk, AppendsABackslashToABareDriveLetter) {
    const std::string name = "kelvora-drive-" + std::to_string(GetACP()) + "-" +
                             std::to_string(GetCurrentProcessId()) + ".kvt";
    WriteText("C:\\" + name, "x");
    request.folder = "C:";
    request.fileTypes = name;
    request.includeSubfolders = false;
    const auto& notices = Run();
    EXPECT_EQ(notices.back().searchedFiles, 1u);
    EXPECT_EQ(ReadText("C:\\" + name), "y");
    DeleteFileA(("C:\\" + name).c_str());
}

// Start folder ending in U+8868, 0x95 0x5C in code page 932: its trail byte is no
// backslash, so one is appended, and the folder itself is walked, not its parent.
TEST_F(Walk, AppendsABackslashAfterADoubleByteCharacterEndingIn5C) {
    if (GetACP() != 932) GTEST_SKIP() << "needs ANSI code page 932";
    const std::string folder = root + "\x95\x5C";
    MakeFolder(folder);
    WriteText(folder + "\\f.txt", "x");
    // What a walk of "...\<lead byte>\" would take for its files.
    Put("\x95\x5C" "f.txt", 1);
    request.folder = folder;
    request.includeSubfolders = false;
    const auto& notices = Run();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices.back().searchedFiles, 1u);
    EXPECT_EQ(ReadText(folder + "\\f.txt"), "y");
    EXPECT_EQ(ReadText(root + "\x95\x5C" "f.txt"), "x");
}

// Under code page 932 only: a folder path of exactly `bytes` bytes (no final backslash) below
// root, made of two-byte characters, so that it is long in bytes but short in UTF-16 units.
// Two levels, since each name must also fit the Unix side's 255 bytes in UTF-8.
std::string MakeDoubleByteFolder(const std::string& root, size_t bytes) {
    const std::string hiragana = "\x82\xa0";
    std::string path = root;
    for (int i = 0; i < 50; ++i) path += hiragana;
    MakeFolder(path);
    path += "\\";
    if (bytes < path.size() + 2) return std::string();
    if ((bytes - path.size()) % 2 == 1) path += 'd';
    while (path.size() < bytes) path += hiragana;
    MakeFolder(path);
    return path;
}

TEST_F(Walk, RefusesOverLongStartFoldersAndPatternsAndStillEndsOnce) {
    Put("f.txt", 1);
    if (GetACP() == 932) {
        // Start folders that exist and hold a file, just within and just past the 264 bytes
        // that the start folder with its backslash may take. Only two-byte names make such a
        // path through the ANSI calls, and Wine's search takes it (under 260 UTF-16 units):
        // the bound alone refuses the longer ones.
        const std::string within = MakeDoubleByteFolder(root, 262);
        const std::string past = MakeDoubleByteFolder(root, 263);
        ASSERT_EQ(within.size(), 262u);
        ASSERT_EQ(past.size(), 263u);
        struct Case {
            std::string folder;
            bool walked;
        };
        const Case cases[] = {
            {within, true},         // 262 + backslash + NUL = 264
            {within + "\\", true}, // 263 + NUL
            {past, false},          // 263 + backslash + NUL = 265
            {past + "\\", false},  // 264 + NUL
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.folder.size());
            const std::string file = (c.folder.back() == '\\' ? c.folder : c.folder + "\\") + "f.txt";
            WriteText(file, "x");
            ASSERT_EQ(ReadText(file), "x");
            // The platform's search finds the file: only the bound keeps the walk from it.
            ASSERT_EQ(PlatformOrder(file), std::vector<std::string>{"f.txt"});
            request.folder = c.folder;
            const auto& notices = Run();
            ExpectOneEndedNoticeLast(notices);
            EXPECT_EQ(notices.back().searchedFiles, c.walked ? 1u : 0u);
            EXPECT_EQ(ReadText(file), c.walked ? "y" : "x");
            DestroyRecorder(recorder);
            recorder = nullptr;
        }
    }
    // The existing start folder with a pattern that takes the search path past 519 bytes.
    request.folder = root;
    request.fileTypes = std::string(600, '*') + ".txt";
    const auto& notices = Run();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, 1u);
    EXPECT_EQ(notices[0].searchedFiles, 0u);
    EXPECT_EQ(ReadText(root + "f.txt"), "x");
}

TEST_F(Walk, RewritesTheFilesInTheFolderThePatternNames) {
    // "sub\*.log" finds sub\notes.log; notes.log beside sub is not one the pattern matches.
    request.includeSubfolders = false;
    request.fileTypes = "sub\\*.log";
    Put("notes.log", 1);
    MakeFolder(root + "sub");
    Put("sub\\notes.log", 1);
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(notices.back().searchedFiles, 1u);
    EXPECT_EQ(ReadText(root + "notes.log"), "x");
    EXPECT_TRUE(Rewritten("sub\\notes.log"));

    // "..\*.txt" from inner\ finds the files beside inner, not those in it.
    request.fileTypes = "..\\*.txt";
    request.folder = root + "inner";
    MakeFolder(root + "inner");
    Put("up.txt", 1);
    Put("inner\\in.txt", 1);
    DestroyRecorder(recorder);
    const auto& again = Run();
    EXPECT_EQ(again.back().searchedFiles, 1u);
    EXPECT_TRUE(Rewritten("up.txt"));
    EXPECT_EQ(ReadText(root + "inner\\in.txt"), "x");
}

// The entry's 8.3 alias, as the platform's search reports it ("" when it has none).
std::string AliasOf(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(path.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return "<missing>";
    FindClose(find);
    return entry.cAlternateFileName;
}

struct OwnNameCase {
    const char* pattern;
    const char* processed; // the files taken, by name, separated by spaces
};

// Files named so that their aliases end like the pattern while their names do not; each
// holds its own number of "x", a power of two, so the replacements tell which were taken.
void ExpectOnlyOwnNamesTaken(const std::string& root, const std::vector<std::string>& names,
                             const OwnNameCase& c, const std::vector<RecordedNotice>& notices) {
    SCOPED_TRACE(c.pattern);
    ExpectOneEndedNoticeLast(notices);
    const std::string processed = std::string(" ") + c.processed + " ";
    DWORD files = 0, strings = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool taken = processed.find(" " + names[i] + " ") != std::string::npos;
        const std::string text = ReadText(root + names[i]);
        EXPECT_EQ(text.find('x') == std::string::npos, taken) << names[i];
        files += taken ? 1 : 0;
        strings += taken ? 1u << i : 0;
    }
    // Passed-over files are neither counted nor given a notice.
    EXPECT_EQ(notices.size(), files + 1);
    EXPECT_EQ(notices.back().searchedFiles, files);
    EXPECT_EQ(notices.back().replacedFiles, files);
    EXPECT_EQ(notices.back().replacedStrings, strings);
}

TEST_F(Walk, TakesOnlyTheFilesWhoseOwnNamesMatchThePattern) {
    request.includeSubfolders = false;
    const std::vector<std::string> names = {"a.txt",  "notes.txt~", "data.txt_old", "b.txtx",
                                            "page.html", "x.htm",   "README",      "x.y.txt",
                                            "Mixed Case.TXT"};
    // The search finds the last three of the first row and page.html by their aliases alone.
    const OwnNameCase cases[] = {
        {"*.txt", "a.txt x.y.txt Mixed Case.TXT"},
        {"*.TXT", "a.txt x.y.txt Mixed Case.TXT"},
        {"*.htm", "x.htm"},
        {"*.tx?", "a.txt x.y.txt Mixed Case.TXT"},
        {"*~", "notes.txt~"},
        {"*", "a.txt notes.txt~ data.txt_old b.txtx page.html x.htm README x.y.txt Mixed Case.TXT"},
        {"*.*", "a.txt notes.txt~ data.txt_old b.txtx page.html x.htm README x.y.txt Mixed Case.TXT"},
    };
    for (const OwnNameCase& c : cases) {
        for (size_t i = 0; i < names.size(); ++i) Put(names[i], 1 << i);
        ASSERT_EQ(AliasOf(root + "a.txt"), "");
        for (const char* aliased : {"notes.txt~", "data.txt_old", "b.txtx", "page.html"})
            ASSERT_NE(AliasOf(root + aliased), "") << aliased;
        request.fileTypes = c.pattern;
        ExpectOnlyOwnNamesTaken(root, names, c, Run());
        DestroyRecorder(recorder);
        recorder = nullptr;
    }
}

TEST_F(Walk, MatchesOnlyTheLastComponentOfAPatternWithAFolderPart) {
    // "sub\*.txt" searches sub\ and matches the names there against "*.txt" alone.
    request.includeSubfolders = false;
    request.fileTypes = "sub\\*.txt";
    MakeFolder(root + "sub");
    const std::vector<std::string> names = {"sub\\c.txt", "sub\\c.txt~", "sub\\long name.txt",
                                            "c.txt"};
    for (size_t i = 0; i < names.size(); ++i) Put(names[i], 1 << i);
    ASSERT_NE(AliasOf(root + "sub\\c.txt~"), "");
    ExpectOnlyOwnNamesTaken(root, names, {"sub\\*.txt", "sub\\c.txt sub\\long name.txt"}, Run());
}

// Names with an alias whose case differs from the pattern's beyond A-Z: the search matched
// them by their own names, so the system's own upper-casing must take them too.
TEST_F(Walk, FoldsCaseAsTheSystemDoesForNamesWithAnAlias) {
    request.includeSubfolders = false;
    // U+FF21 and U+FF41 (full-width A and a), U+3042 (hiragana a) in code page 932.
    const std::vector<std::string> names932 = {"\x82\x60.txt", "\x82\xA0.txt", "\x82\xA0.txt~"};
    const OwnNameCase cases932[] = {{"\x82\x81.TXT", "\x82\x60.txt"},
                                    {"*.txt", "\x82\x60.txt \x82\xA0.txt"}};
    // A and a with diaeresis, e and E with acute accent in code page 1252.
    const std::vector<std::string> names1252 = {"\xC4" "b.txt", "a\xE9.txt", "\xC4" "b.txt~"};
    const OwnNameCase cases1252[] = {{"\xE4" "B.TXT", "\xC4" "b.txt"}, {"A\xC9*", "a\xE9.txt"}};
    const bool cp932 = GetACP() == 932;
    const std::vector<std::string>& names = cp932 ? names932 : names1252;
    for (const OwnNameCase& c : cp932 ? cases932 : cases1252) {
        for (size_t i = 0; i < names.size(); ++i) Put(names[i], 1 << i);
        for (const std::string& name : names) ASSERT_NE(AliasOf(root + name), "") << name;
        request.fileTypes = c.pattern;
        ExpectOnlyOwnNamesTaken(root, names, c, Run());
        DestroyRecorder(recorder);
        recorder = nullptr;
    }
}

TEST_F(Walk, TreatsAMissingStartFolderAsEmpty) {
    request.folder = root + "missing";
    const auto& notices = Run();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, 1u);
}

TEST_F(Walk, RemembersFoldersOnlyWithinOneOutermostWalk) {
    // Two separate walks of the same folder each take its files; within one, a folder
    // entered once is not entered again.
    Put("f.txt", 1);
    recorder = CreateRecorder(nullptr);
    request.replaceText = "xx";
    SetRequest(request);
    ReplaceJob.cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(ReplaceJob.cancelEvent, nullptr);
    WalkFolder(recorder, root.c_str());
    WalkFolder(recorder, root.c_str());
    CloseHandle(ReplaceJob.cancelEvent);
    ReplaceJob.cancelEvent = nullptr;
    EXPECT_EQ(RecordedNotices().size(), 2u);
    EXPECT_EQ(ReadText(root + "f.txt"), "xxxx");
}

// Cancel signalled by another thread while the worker waits in a counts notice.
HANDLE eventToSignal;
size_t cancelAtNotice;

DWORD WINAPI SignalCancel(LPVOID) {
    SetEvent(eventToSignal);
    return 0;
}

void CancelFromAnotherThread(const RecordedNotice&, size_t index) {
    if (index != cancelAtNotice) return;
    eventToSignal = ReplaceJob.cancelEvent;
    HANDLE thread = CreateThread(nullptr, 0, SignalCancel, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
}

TEST_F(Walk, CancelStopsAfterTheFileInHandWithoutAnotherNotice) {
    // Signalled during the first file's notice: the folder's next file is already under
    // way before the next poll, is counted, and no notice follows it.
    Put("f1.txt", 1);
    Put("f2.txt", 1);
    Put("f3.txt", 1);
    MakeFolder(root + "s");
    Put("s\\g.txt", 1);
    cancelAtNotice = 0;
    const auto& notices = Run(CancelFromAnotherThread);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].searchedFiles, 1u);
    EXPECT_EQ(notices[1].kind, 1u);
    EXPECT_EQ(notices[1].searchedFiles, 2u);
    EXPECT_EQ(notices[1].replacedFiles, 2u);
    EXPECT_EQ(ReadText(root + "s\\g.txt"), "x");
}

TEST_F(Walk, CancelInASubfolderTouchesNothingFurtherAtAnyDepth) {
    Put("f.txt", 1);
    MakeFolder(root + "s");
    Put("s\\g.txt", 2);
    MakeFolder(root + "s\\t");
    Put("s\\t\\h.txt", 4);
    MakeFolder(root + "u");
    Put("u\\k.txt", 8);
    MakeFolder(root + "v");
    Put("v\\m.txt", 16);
    // Cancel at g's notice, whichever of s, u and v the platform lists first.
    struct Finder {
        static void Hook(const RecordedNotice& notice, size_t index) {
            const DWORD before = index ? RecordedNotices()[index - 1].replacedStrings : 0;
            if (notice.kind == 0 && notice.replacedStrings - before == 2) {
                cancelAtNotice = index;
                CancelFromAnotherThread(notice, index);
            }
        }
    };
    cancelAtNotice = 1000;
    const auto& notices = Run(Finder::Hook);
    ExpectOneEndedNoticeLast(notices);
    ASSERT_LT(cancelAtNotice, notices.size());
    EXPECT_EQ(cancelAtNotice, notices.size() - 2); // g's notice is the last counts notice
    EXPECT_EQ(ReadText(root + "s\\t\\h.txt"), "xxxx");
    const RecordedNotice& ended = notices.back();
    EXPECT_EQ(ended.replacedStrings, notices[cancelAtNotice].replacedStrings);
    EXPECT_EQ(ended.searchedFiles, notices[cancelAtNotice].searchedFiles);
    // Every file rewritten has a notice; nothing after g.
    const DWORD total = ended.replacedStrings;
    EXPECT_EQ(Rewritten("f.txt"), (total & 1) != 0);
    EXPECT_TRUE(Rewritten("s\\g.txt"));
    EXPECT_EQ(Rewritten("u\\k.txt"), (total & 8) != 0);
    EXPECT_EQ(Rewritten("v\\m.txt"), (total & 16) != 0);
}

// The backup question, answered No from a timer of the thread that shows it.
// The box may take a while to close, so it is answered again until it has gone; each
// question is a window of its own.
UINT_PTR questionTimer;
std::set<HWND> questionsSeen;

void CALLBACK AnswerNo(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindOwnBackupQuestion();
    if (!box) return;
    questionsSeen.insert(box);
    PostMessageA(box, WM_COMMAND, IDNO, 0);
}

TEST_F(Walk, DecliningToGoOnWithoutBackupsStopsTheRun) {
    // Each file's backup name is taken by a folder, so no copy can be made.
    Put("f1.txt", 1);
    Put("f2.txt", 1);
    MakeFolder(root + "f1.txt.bak");
    MakeFolder(root + "f2.txt.bak");
    MakeFolder(root + "s");
    Put("s\\g.txt", 1);
    request.saveBackups = true;
    questionsSeen.clear();
    questionTimer = SetTimer(nullptr, 0, 50, AnswerNo);
    const auto& notices = Run();
    KillTimer(nullptr, questionTimer);
    EXPECT_EQ(questionsSeen.size(), 1u);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].kind, 1u);
    EXPECT_EQ(notices[0].searchedFiles, 0u);
    EXPECT_EQ(notices[0].replacedStrings, 0u);
    EXPECT_EQ(ReadText(root + "f1.txt"), "x");
    EXPECT_EQ(ReadText(root + "f2.txt"), "x");
    EXPECT_EQ(ReadText(root + "s\\g.txt"), "x");
    EXPECT_FALSE(ReplaceJob.backupFailureAccepted);
}

// Trees with links and an over-long path, made on the Unix side by the test set-up.
class WalkPrepared : public Walk {
protected:
    void SetUp() override {
        Walk::SetUp();
        prepared = WindowsPathOfUnix(KELVORA_WALK_TREES) + "\\" + std::to_string(GetACP()) + "\\";
        ASSERT_NE(GetFileAttributesA(prepared.c_str()), INVALID_FILE_ATTRIBUTES) << prepared;
    }
    std::string prepared;
};

TEST_F(WalkPrepared, WalksALinkLoopOnce) {
    const std::string loop = prepared + "loop\\";
    WriteText(loop + "f.txt", "x");
    WriteText(loop + "sub\\g.txt", "x");
    request.folder = loop;
    request.replaceText = "xx"; // a growing replacement shows every extra visit
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices.back().replacedFiles, 2u);
    EXPECT_EQ(notices.back().replacedStrings, 2u);
    // Sizes, not texts: an extra visit doubles a file each time.
    EXPECT_EQ(ReadText(loop + "f.txt").size(), 2u);
    EXPECT_EQ(ReadText(loop + "sub\\g.txt").size(), 2u);
}

TEST_F(WalkPrepared, WalksAFolderReachedDirectlyAndByALinkOnce) {
    const std::string sibling = prepared + "sibling\\";
    WriteText(sibling + "a\\h.txt", "x");
    request.folder = sibling;
    request.replaceText = "xx";
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(notices.back().searchedFiles, 1u);
    EXPECT_EQ(ReadText(sibling + "a\\h.txt").size(), 2u);
}

TEST_F(WalkPrepared, FollowsLinksToFoldersOutsideTheTree) {
    WriteText(prepared + "outside\\target\\t.txt", "x");
    request.folder = prepared + "linked";
    const auto& notices = Run();
    EXPECT_EQ(notices.back().searchedFiles, 1u);
    EXPECT_EQ(ReadText(prepared + "outside\\target\\t.txt"), "y");
}

TEST_F(WalkPrepared, TreatsSubfoldersPastTheSearchLimitAsEmpty) {
    // deep\<120 n>\ is within the limit; the folders below it are past it, for any
    // build folder of a plausible length.
    const std::string deep = prepared + "deep\\";
    const std::string level1 = deep + std::string(120, 'n') + "\\";
    ASSERT_LT(level1.size() + 5, 260u);
    ASSERT_GT(level1.size() + 121 + 5, 260u);
    WriteText(deep + "f.txt", "x");
    WriteText(level1 + "f.txt", "x");
    // The set-up put a file with one "x" in each folder below; none of them is reached.
    request.folder = deep;
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(notices.back().searchedFiles, 2u);
    EXPECT_EQ(ReadText(level1 + "f.txt"), "y");
}

// The set-up's names\ holds one file under four names: a.txt, a hard link h.txt, a symbolic
// link s.txt, and U+FF41 ".txt", which code page 1252 cannot hold: its search reports it as
// a second "a.txt". With a growing replacement, each extra rewrite would show.
TEST_F(WalkPrepared, RewritesAFileOnceWhateverTheNamesThatLeadToIt) {
    const std::string names = prepared + "names\\";
    request.folder = names;
    request.replaceText = "xx";
    request.includeSubfolders = false;
    const auto& notices = Run();
    ExpectOneEndedNoticeLast(notices);
    EXPECT_EQ(ReadText(names + "a.txt"), "xx");
    // The full-width name is a file of its own where the code page can hold it.
    const bool ownName = GetACP() == 932;
    EXPECT_EQ(notices.back().searchedFiles, 4u);
    EXPECT_EQ(notices.back().replacedFiles, ownName ? 2u : 1u);
    HANDLE wide = CreateFileW((WideOf(names) + L"\xff41.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(wide, INVALID_HANDLE_VALUE);
    char text[8] = {};
    DWORD got = 0;
    ReadFile(wide, text, sizeof text, &got, nullptr);
    CloseHandle(wide);
    EXPECT_EQ(std::string(text, got), ownName ? "xx" : "x");
}

} // namespace
