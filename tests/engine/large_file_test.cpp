// Files beyond what 32-bit sizes can describe are passed over untouched: a sparse file of
// 4 GiB and more, and one whose rewritten size would not fit in 32 bits.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/character_model.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "tests/engine/engine_file_helpers.h"

namespace {

// A file of the given size, sparse where the platform allows, starting with head.
bool MakeLargeFile(const std::string& path, LONGLONG size, const std::string& head) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) &&
              written == head.size();
    LARGE_INTEGER end;
    end.QuadPart = size;
    ok = ok && SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

LONGLONG SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Head(const std::string& path, size_t length) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string head(length, '\0');
    DWORD got = 0;
    ReadFile(file, &head[0], static_cast<DWORD>(length), &got, nullptr);
    CloseHandle(file);
    head.resize(got);
    return head;
}

class LargeFileTest : public testing::Test {
protected:
    void SetUp() override {
        MakeSingleByteModel(&ProcessCharacterModel, 1252);
        ReplaceJob = ReplaceJobRecord();
        folder = ScratchFolder();
        path = folder + "large.bin";
    }
    void TearDown() override {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
        ReplaceJob = ReplaceJobRecord();
    }
    std::string folder;
    std::string path;
};

TEST_F(LargeFileTest, FileOfFourGibibytesOrMoreIsLeftUntouched) {
    const LONGLONG size = 0x100000000LL + 3; // its low 32 bits would read as 3 bytes
    ASSERT_TRUE(MakeLargeFile(path, size, "a a"));
    SetRequest("a", "bb");
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    EXPECT_EQ(SizeOf(path), size);
    EXPECT_EQ(Head(path, 3), "a a");
}

TEST_F(LargeFileTest, RewriteThatWouldPassFourGibibytesIsLeftUntouched) {
    // 1 MiB of occurrences, each growing by 4 KiB: the result would need 4 GiB + 1 MiB.
    const std::string content(0x100000, 'a');
    const std::string replacement(4097, 'b');
    ASSERT_TRUE(MakeLargeFile(path, static_cast<LONGLONG>(content.size()), content));
    SetRequest("a", replacement.c_str());
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path), content);
}

} // namespace
