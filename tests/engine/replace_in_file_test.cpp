// ReplaceInFile on real files under Wine: the rewrite cases, files that cannot be changed,
// and backups.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/character_model.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "engine/rewrite_calls.h"
#include "tests/engine/engine_file_helpers.h"

namespace {

// Windows refuses write access to a file with the read-only attribute. Wine running as root
// lets it through; this stands in for the platform's answer there.
HANDLE WINAPI CreateFileHonouringReadOnly(LPCSTR path, DWORD access, DWORD share,
                                          LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                          DWORD flags, HANDLE templateFile) {
    DWORD attributes = GetFileAttributesA(path);
    if ((access & GENERIC_WRITE) && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(path, access, share, security, disposition, flags, templateFile);
}

class ReplaceInFileTest : public testing::Test {
protected:
    void SetUp() override {
        MakeSingleByteModel(&ProcessCharacterModel, 1252);
        folder = ScratchFolder();
        path = folder + "file.txt";
        ReplaceJob = ReplaceJobRecord();
    }
    void TearDown() override {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        DeleteFileA((path + ".bak").c_str());
        RemoveDirectoryA((path + ".bak").c_str());
        RemoveDirectoryA(folder.c_str());
        ReplaceJob = ReplaceJobRecord();
        RewriteCalls = RealRewriteCalls();
    }
    std::string folder;
    std::string path;
};

struct FileCase {
    const char* name;
    const char* content;
    const char* find;
    const char* replace;
    bool onlyWords;
    const char* expected;
    int result;
};

const FileCase FileCases[] = {
    {"GrowNotScannedAgain", "a a", "a", "bb", false, "bb bb", 2},
    {"Overlapping", "aaa", "aa", "X", false, "Xa", 1},
    {"EmptyReplacementShrinks", "xaxax", "a", "", false, "xxx", 2},
    {"WordsFooFoo", "foofoo", "foo", "bar", true, "foofoo", 0},
    {"WordsDashA", "-a-a x -a", "-a", "X", true, "X-a x X", 2},
    {"WordsAtTheVeryEnd", "x.a", "a", "long", true, "x.long", 1},
    {"OnlyTheFindText", "abc", "abc", "xyz", false, "xyz", 1},
    {"OnlyTheFindTextEmptyReplacement", "abc", "abc", "", false, "", 1},
    {"NoOccurrence", "hello", "x", "y", false, "hello", 0},
    {"ShorterThanFindText", "ab", "abc", "y", false, "ab", 0},
};

class FileCaseTest : public ReplaceInFileTest, public testing::WithParamInterface<FileCase> {};

TEST_P(FileCaseTest, RewritesTheFile) {
    const FileCase& c = GetParam();
    WriteWholeFile(path, c.content);
    SetRequest(c.find, c.replace, false, c.onlyWords);
    EXPECT_EQ(ReplaceInFile(path.c_str()), c.result);
    EXPECT_EQ(ReadWholeFile(path), c.expected);
    EXPECT_TRUE(OpensExclusively(path));
}

INSTANTIATE_TEST_SUITE_P(Files, FileCaseTest, testing::ValuesIn(FileCases),
                         [](const testing::TestParamInfo<FileCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(ReplaceInFileTest, ZeroLengthFileIsPassedOver) {
    WriteWholeFile(path, "");
    SetRequest("a", "b");
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path), "");
}

TEST_F(ReplaceInFileTest, MissingFileGivesZero) {
    SetRequest("a", "b");
    EXPECT_EQ(ReplaceInFile((folder + "absent.txt").c_str()), 0);
}

TEST_F(ReplaceInFileTest, ReadOnlyFileIsLeftAloneWithoutBackup) {
    WriteWholeFile(path, "a a");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    if (OpensExclusively(path))
        RewriteCalls.createFile = CreateFileHonouringReadOnly;
    SetRequest("a", "b", false, false, true);
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path), "a a");
    EXPECT_EQ(GetFileAttributesA((path + ".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ReplaceInFileTest, FileHeldOpenElsewhereIsLeftAlone) {
    WriteWholeFile(path, "a a");
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    SetRequest("a", "b");
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    CloseHandle(other);
    EXPECT_EQ(ReadWholeFile(path), "a a");
}

TEST_F(ReplaceInFileTest, BackupReplacesAnOlderOne) {
    WriteWholeFile(path, "new a");
    WriteWholeFile(path + ".bak", "an older backup, longer than the file");
    SetRequest("a", "b", false, false, true);
    EXPECT_EQ(ReplaceInFile(path.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path), "new b");
    EXPECT_EQ(ReadWholeFile(path + ".bak"), "new a");
}

// Windows' CopyFileA refuses to replace a read-only file; Wine running as root does not.
// This stands in for the platform's answer there.
BOOL WINAPI CopyFileHonouringReadOnly(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    DWORD attributes = GetFileAttributesA(to);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return CopyFileA(from, to, failIfExists);
}

// A copy refused before it starts, touching nothing.
BOOL WINAPI CopyFileRefused(LPCSTR, LPCSTR, BOOL) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
}

int Questions = 0;

int WINAPI AnswerNoQuietly(HWND, LPCSTR, LPCSTR, UINT) {
    ++Questions;
    return IDNO;
}

TEST_F(ReplaceInFileTest, AnOlderBackupThatTheCopyCannotOpenStaysByteForByte) {
    // The copy fails before it starts: the older backup is held open by another handle that
    // shares nothing, or is read-only, or the copy is refused. Whatever is answered, it stays
    // as it was.
    enum How { HeldOpen, ReadOnly, Refused };
    const char* const names[] = {"held open", "read-only", "copy refused"};
    const std::string backup = path + ".bak";
    const std::string older = std::string("an older backup\0with a NUL", 26);
    for (How how : {HeldOpen, ReadOnly, Refused}) {
        for (bool acceptedBefore : {false, true}) {
            SCOPED_TRACE(std::string(names[how]) +
                         (acceptedBefore ? ", accepted before" : ", answered No"));
            WriteWholeFile(path, "new a");
            SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
            WriteWholeFile(backup, older);
            HANDLE holder = INVALID_HANDLE_VALUE;
            if (how == ReadOnly) {
                ASSERT_TRUE(SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_READONLY));
                RewriteCalls.copyFile = CopyFileHonouringReadOnly;
            } else if (how == HeldOpen) {
                holder = CreateFileA(backup.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
                ASSERT_NE(holder, INVALID_HANDLE_VALUE);
            } else {
                RewriteCalls.copyFile = CopyFileRefused;
            }
            RewriteCalls.messageBox = AnswerNoQuietly;
            Questions = 0;
            ReplaceJob.backupFailureAccepted = acceptedBefore;
            SetRequest("a", "b", false, false, true);
            const int result = ReplaceInFile(path.c_str());
            if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
            RewriteCalls = RealRewriteCalls();
            EXPECT_EQ(Questions, acceptedBefore ? 0 : 1);
            EXPECT_EQ(result, acceptedBefore ? 1 : -1);
            EXPECT_EQ(ReadWholeFile(path), acceptedBefore ? "new b" : "new a");
            EXPECT_TRUE(ReadWholeFile(backup) == older) << "the older backup was changed";
        }
    }
    SetFileAttributesA(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ReplaceInFileTest, NoBackupWithoutOccurrence) {
    WriteWholeFile(path, "nothing");
    SetRequest("x", "y", false, false, true);
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA((path + ".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ReplaceInFileTest, MatchCaseIsHonoured) {
    WriteWholeFile(path, "Abc abc");
    SetRequest("abc", "X", true);
    EXPECT_EQ(ReplaceInFile(path.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path), "Abc X");
}

TEST_F(ReplaceInFileTest, TrailByteAtTheEndIsKeptWholeUnder932) {
    MakeCharacterModel(&ProcessCharacterModel, 932);
    WriteWholeFile(path, "a\x82" "a");
    SetRequest("a", "bb");
    EXPECT_EQ(ReplaceInFile(path.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(path), "bb\x82" "a");
}

} // namespace
