// Large files: a sparse file a little over 2 GiB is rewritten, growing and shrinking (a
// mapping over 2 GiB, lengths of 2^31 and more handed to the file pointer); files beyond what
// 32-bit sizes can describe are passed over untouched: a sparse file of 4 GiB and more, and
// one whose rewritten size would not fit in 32 bits.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/replace_in_file.h"
#include "tests/engine/engine_file_helpers.h"
#include "tests/engine/large_file_fixture.h"
#include "tests/engine/large_file_helpers.h"

namespace {

std::string Head(const std::string& path, size_t length) {
    return BytesAt(path, 0, length);
}


// 2 GiB + 64 KiB, zeros but for "ab" at the start, across the 2 GiB mark, past it and at
// the very end. Growing by 2 bytes each, then shrinking back by 3: every length set is past
// 2^31, where a 32-bit length read as a signed number turns negative.
TEST_F(LargeFileTest, FileOfOverTwoGibibytesIsRewrittenGrowingAndShrinking) {
    const LONGLONG size = 0x80000000LL + 0x10000;
    const LONGLONG spots[] = {0, 0x7FFFFFFFLL, 0x80008000LL, size - 2};
    ASSERT_TRUE(MakeLargeFile(path, size, "ab"));
    for (LONGLONG spot : spots)
        ASSERT_TRUE(WriteAt(path, spot, "ab")) << spot;

    SetRequest("ab", "abcd");
    EXPECT_EQ(ReplaceInFile(path.c_str()), 4);
    ASSERT_EQ(FileSizeByName(path), size + 8);
    for (int i = 0; i < 4; ++i) {
        const LONGLONG at = spots[i] + 2 * i; // moved by the growth of the ones before
        EXPECT_EQ(BytesAt(path, at, 4), "abcd") << "occurrence " << i;
        if (at > 0) {
            EXPECT_EQ(BytesAt(path, at - 1, 1), std::string(1, '\0')) << "before occurrence " << i;
        }
        if (i < 3) {
            EXPECT_EQ(BytesAt(path, at + 4, 1), std::string(1, '\0')) << "after occurrence " << i;
        }
    }

    SetRequest("abcd", "x");
    EXPECT_EQ(ReplaceInFile(path.c_str()), 4);
    ASSERT_EQ(FileSizeByName(path), size - 4);
    for (int i = 0; i < 4; ++i) {
        const LONGLONG at = spots[i] - i;
        EXPECT_EQ(BytesAt(path, at, 1), "x") << "occurrence " << i;
        if (i < 3) {
            EXPECT_EQ(BytesAt(path, at + 1, 1), std::string(1, '\0')) << "after occurrence " << i;
        }
    }
    EXPECT_EQ(BytesAt(path, size - 6, 2), std::string("\0x", 2));
}

TEST_F(LargeFileTest, FileOfFourGibibytesOrMoreIsLeftUntouched) {
    const LONGLONG size = 0x100000000LL + 3; // its low 32 bits would read as 3 bytes
    ASSERT_TRUE(MakeLargeFile(path, size, "a a"));
    SetRequest("a", "bb");
    EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
    EXPECT_EQ(FileSizeByName(path), size);
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
