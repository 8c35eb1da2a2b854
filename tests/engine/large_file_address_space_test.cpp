// Large files in both builds, the 32-bit one included, where a file's one view has to fit in
// the process's address space. A sparse file of 1.5 GiB is rewritten growing and shrinking:
// under Wine a 32-bit program that is not large-address-aware has no room for that view. One
// of 3 GiB is rewritten when the process has room for its view, and otherwise left byte for
// byte as it was and not counted (as in a 32-bit process under Wine); the platform says which,
// by reserving that much address space.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "engine/replace_in_file.h"
#include "tests/engine/engine_file_helpers.h"
#include "tests/engine/large_file_fixture.h"
#include "tests/engine/large_file_helpers.h"

namespace {

const LONGLONG MiB = 1 << 20;

// Whether this process has one free stretch of address space of the given size.
bool ViewFits(LONGLONG size) {
    if (static_cast<ULONGLONG>(size) > static_cast<SIZE_T>(-1))
        return false;
    void* room = VirtualAlloc(nullptr, static_cast<SIZE_T>(size), MEM_RESERVE, PAGE_NOACCESS);
    if (!room)
        return false;
    VirtualFree(room, 0, MEM_RELEASE);
    return true;
}

class LargeFileAddressSpaceTest : public LargeFileTest {
protected:
    // A sparse file of the given size, zeros but for "ab" at each spot.
    void Make(LONGLONG size, const std::vector<LONGLONG>& spots) {
        ASSERT_TRUE(MakeLargeFile(path, size, ""));
        for (LONGLONG spot : spots)
            ASSERT_TRUE(WriteAt(path, spot, "ab")) << spot;
    }

    // Each spot holds text, moved by growth for each spot before it; zeros between.
    void ExpectAtSpots(const std::vector<LONGLONG>& spots, const std::string& text, LONGLONG growth) {
        for (size_t i = 0; i < spots.size(); ++i) {
            const LONGLONG at = spots[i] + growth * static_cast<LONGLONG>(i);
            EXPECT_EQ(BytesAt(path, at, text.size()), text) << "occurrence " << i;
            if (at > 0) {
                EXPECT_EQ(BytesAt(path, at - 1, 1), std::string(1, '\0')) << "before occurrence " << i;
            }
        }
    }

    // Growing "ab" by 2 bytes, then shrinking the result back by 3.
    void ExpectRewrittenGrowingAndShrinking(LONGLONG size, const std::vector<LONGLONG>& spots) {
        const int count = static_cast<int>(spots.size());
        SetRequest("ab", "abcd");
        EXPECT_EQ(ReplaceInFile(path.c_str()), count);
        ASSERT_EQ(FileSizeByName(path), size + 2 * count);
        ExpectAtSpots(spots, "abcd", 2);
        SetRequest("abcd", "x");
        EXPECT_EQ(ReplaceInFile(path.c_str()), count);
        ASSERT_EQ(FileSizeByName(path), size - count);
        ExpectAtSpots(spots, "x", -1);
    }
};

TEST_F(LargeFileAddressSpaceTest, FileOfOneAndAHalfGibibytesIsRewrittenGrowingAndShrinking) {
    const LONGLONG size = 1536 * MiB;
    const std::vector<LONGLONG> spots = {0, 1024 * MiB + 1, size - 2};
    ASSERT_NO_FATAL_FAILURE(Make(size, spots));
    ExpectRewrittenGrowingAndShrinking(size, spots);
}

TEST_F(LargeFileAddressSpaceTest, FileOfThreeGibibytesIsRewrittenWhereItsViewFitsElseLeftWhole) {
    const LONGLONG size = 3072 * MiB;
    const std::vector<LONGLONG> spots = {0, 0x7FFFFFFFLL, 0x80008000LL, size - 2};
    ASSERT_NO_FATAL_FAILURE(Make(size, spots));
    if (ViewFits(size + 2 * static_cast<LONGLONG>(spots.size()))) {
        printf("a view of 3 GiB fits in this process: the file is rewritten\n");
        ExpectRewrittenGrowingAndShrinking(size, spots);
    } else {
        printf("a view of 3 GiB does not fit in this process: the file is left whole\n");
        SetRequest("ab", "abcd");
        EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
        EXPECT_EQ(FileSizeByName(path), size);
        ExpectAtSpots(spots, "ab", 0);
        SetRequest("ab", "x");
        EXPECT_EQ(ReplaceInFile(path.c_str()), 0);
        EXPECT_EQ(FileSizeByName(path), size);
        ExpectAtSpots(spots, "ab", 0);
    }
}

} // namespace
