// Each platform call of the rewrite made to fail in turn, through the call table: the file
// is left unchanged or completely rewritten with the right length, and nothing stays open.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/character_model.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "engine/rewrite_calls.h"
#include "tests/engine/engine_file_helpers.h"

namespace {

enum Call { OpenCall, SizeCall, MappingCall, ViewCall, PointerCall, EndCall, CopyCall, CallKinds };

const char* const CallNames[CallKinds] = {"CreateFileA",   "GetFileSize",    "CreateFileMappingA",
                                          "MapViewOfFile", "SetFilePointer", "SetEndOfFile",
                                          "CopyFileA"};

Call FailingCall = CallKinds;
int FailAt = 0;
int Seen[CallKinds];

bool ShouldFail(Call call) {
    return ++Seen[call] == FailAt && call == FailingCall;
}

HANDLE WINAPI TestCreateFile(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    if (ShouldFail(OpenCall)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(a, b, c, d, e, f, g);
}

DWORD WINAPI TestGetFileSize(HANDLE a, LPDWORD b) {
    if (ShouldFail(SizeCall)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_FILE_SIZE;
    }
    return GetFileSize(a, b);
}

HANDLE WINAPI TestCreateFileMapping(HANDLE a, LPSECURITY_ATTRIBUTES b, DWORD c, DWORD d, DWORD e, LPCSTR f) {
    if (ShouldFail(MappingCall)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return CreateFileMappingA(a, b, c, d, e, f);
}

LPVOID WINAPI TestMapViewOfFile(HANDLE a, DWORD b, DWORD c, DWORD d, SIZE_T e) {
    if (ShouldFail(ViewCall)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return MapViewOfFile(a, b, c, d, e);
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
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return SetEndOfFile(a);
}

BOOL WINAPI TestCopyFile(LPCSTR a, LPCSTR b, BOOL c) {
    if (ShouldFail(CopyCall)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return CopyFileA(a, b, c);
}

int Questions = 0;

int WINAPI AnswerNo(HWND, LPCSTR, LPCSTR, UINT) {
    ++Questions;
    return IDNO;
}

void InstallFailingCalls(Call call, int at) {
    FailingCall = call;
    FailAt = at;
    for (int& seen : Seen)
        seen = 0;
    Questions = 0;
    RewriteCalls.createFile = TestCreateFile;
    RewriteCalls.getFileSize = TestGetFileSize;
    RewriteCalls.createFileMapping = TestCreateFileMapping;
    RewriteCalls.mapViewOfFile = TestMapViewOfFile;
    RewriteCalls.setFilePointer = TestSetFilePointer;
    RewriteCalls.setEndOfFile = TestSetEndOfFile;
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
};

class RewriteFailureTest : public testing::Test {
protected:
    void SetUp() override {
        MakeSingleByteModel(&ProcessCharacterModel, 1252);
        folder = ScratchFolder();
        path = folder + "file.txt";
    }
    void TearDown() override {
        RewriteCalls = RealRewriteCalls();
        ReplaceJob = ReplaceJobRecord();
        DeleteFileA(path.c_str());
        DeleteFileA((path + ".bak").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    std::string folder;
    std::string path;
};

TEST_F(RewriteFailureTest, EveryFailingCallLeavesTheFileWholeAndClosed) {
    int failures = 0;
    for (const Workload& w : Workloads) {
        for (int call = 0; call < CallKinds; ++call) {
            for (int at = 1; at <= 4; ++at) {
                SCOPED_TRACE(std::string(w.name) + ": call " + CallNames[call] + " #" + std::to_string(at));
                WriteWholeFile(path, w.content);
                DeleteFileA((path + ".bak").c_str());
                ReplaceJob = ReplaceJobRecord();
                SetRequest(w.find, w.replace, false, false, true);
                InstallFailingCalls(static_cast<Call>(call), at);
                int result = ReplaceInFile(path.c_str());
                RewriteCalls = RealRewriteCalls();
                bool failed = Seen[call] >= at;
                failures += failed;
                std::string content = ReadWholeFile(path);
                if (result == w.count) {
                    // Setting the length after a shrinking rewrite is the one step that has
                    // no way back: the compacted data stays, followed by the old tail.
                    bool lengthNotCut = std::string(w.name) == "shrink" &&
                                        (call == PointerCall || call == EndCall) && failed;
                    if (lengthNotCut)
                        EXPECT_EQ(content.substr(0, std::string(w.rewritten).size()), w.rewritten);
                    else
                        EXPECT_EQ(content, w.rewritten);
                } else {
                    EXPECT_TRUE(result == 0 || result == -1) << result;
                    EXPECT_EQ(content, w.content);
                    EXPECT_TRUE(failed);
                }
                if (call == CopyCall && failed) {
                    EXPECT_EQ(result, -1);
                }
                EXPECT_EQ(Questions, call == CopyCall && failed ? 1 : 0);
                EXPECT_TRUE(OpensExclusively(path));
            }
        }
    }
    EXPECT_GT(failures, 30);
}

TEST_F(RewriteFailureTest, FailedWritableViewSetsTheLengthBack) {
    WriteWholeFile(path, "a a");
    SetRequest("a", "bbbbbbbb");
    InstallFailingCalls(ViewCall, 2); // the first view is the counting pass's
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    RewriteCalls = RealRewriteCalls();
    EXPECT_EQ(ReadWholeFile(path), "a a");
    EXPECT_TRUE(OpensExclusively(path));
}

} // namespace
