// The native build compiles the platform-free core with the host compiler; this checks
// that what it builds is really native and, in the test build, really sanitized.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

TEST(NativeToolchain, IsNotAWindowsBuild) {
#ifdef _WIN32
    FAIL() << "the native build must not target Windows";
#endif
    SUCCEED();
}

TEST(NativeToolchain, LittleEndianAsTheStoredFormatsAssume) {
    const uint32_t value = 0x04030201;
    unsigned char bytes[4];
    std::memcpy(bytes, &value, 4);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[3], 4);
}
