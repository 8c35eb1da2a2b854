// Each platform call of the rewrite made to fail in turn, through the call table, for files
// with and without occurrences, growing, shrinking and equal-length replacements, with and
// without backups: the file is left as it was or completely rewritten, a backup holds the
// original, a failure is never counted as a success, and everything the call opened through
// the table is released. Also a file cut short from the Unix side under a view.
#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <string>

#include "engine/character_model.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "engine/rewrite_calls.h"
#include "tests/engine/engine_file_helpers.h"

namespace {

enum Call {
    OpenCall,
    SizeCall,
    ReadCall,
    WriteCall,
    PointerCall,
    EndCall,
    MappingCall,
    ViewCall,
    FlushCall,
    CopyCall,
    CallKinds
};

const char* const CallNames[CallKinds] = {"CreateFileA",    "GetFileSize",        "ReadFile",
                                          "WriteFile",      "SetFilePointer",     "SetEndOfFile",
                                          "CreateFileMappingA", "MapViewOfFile", "FlushViewOfFile",
                                          "CopyFileA"};

// The injected failure: the at-th call of the kind fails, or every call from the at-th on.
Call FailingCall = CallKinds;
int FailAt = 0;
bool FailFromThenOn = false;
int Seen[CallKinds];
int WritableOpens = 0;

// What the rewrite opened through the table and has not released yet.
std::set<HANDLE> OpenHandles;
std::set<LPCVOID> OpenViews;
int UnknownReleases = 0;

// Runs after a view is made, before the pass reads it; the test of a file cut short sets it.
void (*AfterView)(LPVOID view) = nullptr;

bool ShouldFail(Call call) {
    ++Seen[call];
    return call == FailingCall && (FailFromThenOn ? Seen[call] >= FailAt : Seen[call] == FailAt);
}

bool Failed() {
    return FailingCall != CallKinds && Seen[FailingCall] >= FailAt;
}

HANDLE WINAPI TestCreateFile(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    if (ShouldFail(OpenCall)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(a, b, c, d, e, f, g);
    if (file != INVALID_HANDLE_VALUE) {
        OpenHandles.insert(file);
        WritableOpens += (b & GENERIC_WRITE) ? 1 : 0;
    }
    return file;
}

DWORD WINAPI TestGetFileSize(HANDLE a, LPDWORD b) {
    if (ShouldFail(SizeCall)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_FILE_SIZE;
    }
    return GetFileSize(a, b);
}

BOOL WINAPI TestReadFile(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e) {
    if (ShouldFail(ReadCall)) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    return ReadFile(a, b, c, d, e);
}

BOOL WINAPI TestWriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e) {
    if (ShouldFail(WriteCall)) {
        // A full disk: part of the bytes written, then the failure.
        DWORD part = c / 2;
        DWORD written = 0;
        if (part)
            WriteFile(a, b, part, &written, e);
        *d = written;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(a, b, c, d, e);
}

DWORD WINAPI TestSetFilePointer(HANDLE a, LONG b, PLONG c, DWORD d) {
    if (ShouldFail(PointerCall)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    return SetFilePointer(a, b, c, d);
}

BOOL WINAPI TestSetEndOfFile(HANDLE a) {
    if (ShouldFail(EndCall)) {
        SetLastError(ERROR_USER_MAPPED_FILE);
        return FALSE;
    }
    return SetEndOfFile(a);
}

HANDLE WINAPI TestCreateFileMapping(HANDLE a, LPSECURITY_ATTRIBUTES b, DWORD c, DWORD d, DWORD e, LPCSTR f) {
    if (ShouldFail(MappingCall)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE mapping = CreateFileMappingA(a, b, c, d, e, f);
    if (mapping)
        OpenHandles.insert(mapping);
    return mapping;
}

LPVOID WINAPI TestMapViewOfFile(HANDLE a, DWORD b, DWORD c, DWORD d, SIZE_T e) {
    if (ShouldFail(ViewCall)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    LPVOID view = MapViewOfFile(a, b, c, d, e);
    if (view) {
        OpenViews.insert(view);
        if (AfterView)
            AfterView(view);
    }
    return view;
}

BOOL WINAPI TestFlushViewOfFile(LPCVOID a, SIZE_T b) {
    if (ShouldFail(FlushCall)) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return FlushViewOfFile(a, b);
}

BOOL WINAPI TestUnmapViewOfFile(LPCVOID a) {
    UnknownReleases += OpenViews.erase(a) == 0 ? 1 : 0;
    return UnmapViewOfFile(a);
}

BOOL WINAPI TestCloseHandle(HANDLE a) {
    UnknownReleases += OpenHandles.erase(a) == 0 ? 1 : 0;
    return CloseHandle(a);
}

BOOL WINAPI TestCopyFile(LPCSTR a, LPCSTR b, BOOL c) {
    if (ShouldFail(CopyCall)) {
        // A disk that runs out: at odd counts the copy is cut short after half the file, as
        // Wine's CopyFileA leaves it; at even ones it fails before it starts.
        if (FailAt % 2 == 1) {
            const std::string content = ReadWholeFile(a);
            WriteWholeFile(b, content.substr(0, content.size() / 2));
        }
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return CopyFileA(a, b, c);
}

int Questions = 0;

int WINAPI AnswerNo(HWND, LPCSTR, LPCSTR, UINT) {
    ++Questions;
    return IDNO;
}

void InstallFailingCalls(Call call, int at, bool fromThenOn) {
    FailingCall = call;
    FailAt = at;
    FailFromThenOn = fromThenOn;
    for (int& seen : Seen)
        seen = 0;
    Questions = 0;
    WritableOpens = 0;
    UnknownReleases = 0;
    OpenHandles.clear();
    OpenViews.clear();
    RewriteCalls.createFile = TestCreateFile;
    RewriteCalls.getFileSize = TestGetFileSize;
    RewriteCalls.readFile = TestReadFile;
    RewriteCalls.writeFile = TestWriteFile;
    RewriteCalls.setFilePointer = TestSetFilePointer;
    RewriteCalls.setEndOfFile = TestSetEndOfFile;
    RewriteCalls.createFileMapping = TestCreateFileMapping;
    RewriteCalls.mapViewOfFile = TestMapViewOfFile;
    RewriteCalls.flushViewOfFile = TestFlushViewOfFile;
    RewriteCalls.unmapViewOfFile = TestUnmapViewOfFile;
    RewriteCalls.closeHandle = TestCloseHandle;
    RewriteCalls.copyFile = TestCopyFile;
    RewriteCalls.messageBox = AnswerNo;
}

struct Workload {
    const char* name;
    const char* content;
    const char* find;
    const char* replace;
    const char* rewritten;
    int count;
};

const Workload Workloads[] = {
    {"grow", "a a a", "a", "bb", "bb bb bb", 3},
    {"equal", "a a a", "a", "b", "b b b", 3},
    {"shrink", "ab ab ab", "ab", "c", "c c c", 3},
    {"no match", "a a a", "x", "yy", "a a a", 0},
};

class RewriteFailureTest : public testing::Test {
protected:
    void SetUp() override {
        MakeSingleByteModel(&ProcessCharacterModel, 1252);
        folder = ScratchFolder();
        path = folder + "file.txt";
        backup = path + ".bak";
    }
    void TearDown() override {
        RewriteCalls = RealRewriteCalls();
        AfterView = nullptr;
        ReplaceJob = ReplaceJobRecord();
        DeleteFileA(path.c_str());
        DeleteFileA(backup.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    // One rewrite under the injected failure; the call table is back to the real one after.
    int Rewrite(const Workload& w, bool backups, Call call, int at, bool fromThenOn) {
        WriteWholeFile(path, w.content);
        DeleteFileA(backup.c_str());
        ReplaceJob = ReplaceJobRecord();
        SetRequest(w.find, w.replace, false, false, backups);
        InstallFailingCalls(call, at, fromThenOn);
        int result = ReplaceInFile(path.c_str());
        RewriteCalls = RealRewriteCalls();
        return result;
    }

    void ExpectAllReleased() {
        EXPECT_TRUE(OpenHandles.empty()) << OpenHandles.size() << " handles left open";
        EXPECT_TRUE(OpenViews.empty()) << OpenViews.size() << " views left mapped";
        EXPECT_EQ(UnknownReleases, 0);
        EXPECT_TRUE(OpensExclusively(path));
    }

    std::string folder;
    std::string path;
    std::string backup;
};

TEST_F(RewriteFailureTest, EveryFailingCallLeavesTheFileWholeAndClosed) {
    int failures = 0;
    int runs = 0;
    std::set<int> kindsFailed;
    for (const Workload& w : Workloads) {
        for (bool backups : {false, true}) {
            for (int call = 0; call < CallKinds; ++call) {
                for (int at = 1; at <= 6; ++at) {
                    SCOPED_TRACE(std::string(w.name) + (backups ? ", backups" : "") + ": " +
                                 CallNames[call] + " #" + std::to_string(at));
                    const int result = Rewrite(w, backups, static_cast<Call>(call), at, false);
                    const bool failed = Failed();
                    failures += failed;
                    ++runs;
                    if (failed)
                        kindsFailed.insert(call);
                    const std::string content = ReadWholeFile(path);
                    const bool copyFailed = call == CopyCall && failed;
                    if (result == w.count && result != 0) {
                        EXPECT_EQ(content, w.rewritten);
                    } else if (result == -1) {
                        EXPECT_TRUE(copyFailed);
                        EXPECT_EQ(content, w.content);
                    } else {
                        EXPECT_EQ(result, 0);
                        EXPECT_TRUE(failed || w.count == 0);
                        // A failed flush leaves the whole result in the file's pages; without
                        // a backup to restore, the file gets the result's length and the
                        // call still reports a failure.
                        const bool wholeResultUnflushed = call == FlushCall && failed && !backups;
                        EXPECT_EQ(content, wholeResultUnflushed ? w.rewritten : w.content);
                    }
                    if (w.count == 0) {
                        EXPECT_EQ(WritableOpens, 0);
                    }
                    const std::string backupContent = ReadWholeFile(backup);
                    if (backupContent != "<missing>") {
                        EXPECT_EQ(backupContent, w.content);
                    }
                    if (backups && w.count > 0 && !copyFailed && result == w.count) {
                        EXPECT_EQ(backupContent, w.content);
                    }
                    if (copyFailed) {
                        EXPECT_EQ(backupContent, "<missing>"); // no backup cut short
                    }
                    EXPECT_EQ(Questions, copyFailed && w.count > 0 ? 1 : 0);
                    ExpectAllReleased();
                }
            }
        }
    }
    std::cout << runs << " rewrites, " << failures << " with a failed call\n";
    EXPECT_EQ(kindsFailed.size(), static_cast<size_t>(CallKinds)); // each call was made to fail
}

// Failures that last: the steps that put the file back are tried again, so these take
// more than one failed call to show.
TEST_F(RewriteFailureTest, LastingFailuresOfTheLengthLeaveTheOriginalWhenThereIsABackup) {
    const Workload shrink = Workloads[2];
    const Workload grow = Workloads[0];
    struct Case {
        const Workload& w;
        Call call;
        int from;
    };
    // From the second SetEndOfFile on: the cut proof passed, the final length cannot be set.
    // From the first: the proof fails and the file is passed over untouched.
    const Case cases[] = {
        {shrink, EndCall, 1}, {shrink, EndCall, 2}, {grow, EndCall, 1},
        {shrink, FlushCall, 1}, {grow, WriteCall, 2}, {grow, PointerCall, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.w.name) + ": " + CallNames[c.call] + " from #" + std::to_string(c.from));
        const int result = Rewrite(c.w, true, c.call, c.from, true);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(ReadWholeFile(path), c.w.content);
        ExpectAllReleased();
    }
}

TEST_F(RewriteFailureTest, LastingFailureOfTheFinalCutWithoutABackupIsNeverASuccess) {
    // The one step with no way back when there is no backup: the cut was proven possible
    // just before, so only a failing device gets here. The result says so.
    const Workload shrink = Workloads[2];
    const int result = Rewrite(shrink, false, EndCall, 2, true);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadWholeFile(path).substr(0, 5), shrink.rewritten);
    ExpectAllReleased();
}

TEST_F(RewriteFailureTest, FailedWritableViewSetsTheLengthBack) {
    WriteWholeFile(path, "a a");
    SetRequest("a", "bbbbbbbb");
    InstallFailingCalls(ViewCall, 2, false); // the first view is the counting pass's
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    RewriteCalls = RealRewriteCalls();
    EXPECT_EQ(ReadWholeFile(path), "a a");
    ExpectAllReleased();
}

// The Unix path of a Windows path, from Wine's own export.
std::string UnixPathOf(const std::string& path) {
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return std::string();
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* unixPath = toUnix(wide);
    std::string result = unixPath ? unixPath : "";
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

std::string CutShortPath;
int CutShortAtView = 0;
int ViewsMade = 0;

// Cuts the file to 10 bytes with the Unix truncate, which no Windows lock or view stops,
// and waits until the cut shows.
void CutShortFromUnix(LPVOID) {
    if (++ViewsMade != CutShortAtView)
        return;
    const std::string command = "truncate -s 10 " + UnixPathOf(CutShortPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = command;
    if (!CreateProcessA("Z:\\usr\\bin\\truncate", &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 500 && FileSizeByName(CutShortPath) != 10; ++i)
        Sleep(10);
}

TEST_F(RewriteFailureTest, FileCutShortUnderAViewEndsThatPassAndIsRestoredFromItsBackup) {
    ASSERT_FALSE(UnixPathOf(path).empty());
    // Big enough that the pass reads pages past the cut.
    std::string content;
    for (int i = 0; i < 40000; ++i)
        content += "ab ";
    std::string rewritten;
    for (int i = 0; i < 40000; ++i)
        rewritten += "abcd ";
    struct Case {
        const char* name;
        int atView; // 1: the counting pass's view, 2: the rewriting pass's
        bool backups;
    };
    const Case cases[] = {{"counting", 1, false}, {"rewriting", 2, false}, {"rewriting, backup", 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWholeFile(path, content);
        DeleteFileA(backup.c_str());
        ReplaceJob = ReplaceJobRecord();
        SetRequest("ab", "abcd", false, false, c.backups);
        InstallFailingCalls(CallKinds, 0, false);
        CutShortPath = path;
        CutShortAtView = c.atView;
        ViewsMade = 0;
        AfterView = CutShortFromUnix;
        const int result = ReplaceInFile(path.c_str());
        AfterView = nullptr;
        RewriteCalls = RealRewriteCalls();
        EXPECT_EQ(FileSizeByName(path) == 10 || c.backups, true);
        EXPECT_EQ(result, 0);
        if (c.backups) {
            EXPECT_EQ(ReadWholeFile(path), content);
        }
        ExpectAllReleased();
        // The process goes on: the next file is rewritten as usual.
        WriteWholeFile(path, content);
        SetRequest("ab", "abcd");
        EXPECT_EQ(ReplaceInFile(path.c_str()), 40000);
        EXPECT_EQ(ReadWholeFile(path), rewritten);
    }
}

} // namespace
