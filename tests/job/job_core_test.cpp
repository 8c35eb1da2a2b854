// The walk's platform-free pieces: bounded path composition at its limits, the ".bak"
// name rule, the double-byte-aware final backslash and the folder part of a pattern.
#include "engine/character_model.h"
#include "job/path_compose.h"
#include "job/walk_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ComposePath, FitsExactlyOrRefusesWithoutTouchingTheBuffer) {
    struct Case {
        size_t a, b, c;
        size_t size;
        bool fits;
    };
    const Case cases[] = {
        {519, 0, 0, 520, true},   {520, 0, 0, 520, false}, {300, 219, 0, 520, true},
        {300, 220, 0, 520, false}, {300, 218, 1, 520, true}, {300, 219, 1, 520, false},
        {262, 1, 0, 264, true},    {263, 1, 0, 264, false}, {263, 0, 0, 264, true},
        {0, 0, 0, 1, true},        {1, 0, 0, 1, false},     {0, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        const std::string a(c.a, 'a'), b(c.b, 'b'), cc(c.c, 'c');
        // One guard byte past the declared size shows any write past the end.
        std::vector<char> buffer(c.size + 1, '#');
        const bool fits = ComposePath(buffer.data(), c.size, a.c_str(), b.c_str(), cc.c_str());
        EXPECT_EQ(fits, c.fits) << c.a << "+" << c.b << "+" << c.c << " in " << c.size;
        EXPECT_EQ(buffer[c.size], '#');
        if (fits) {
            EXPECT_EQ(std::string(buffer.data()), a + b + cc);
        } else {
            for (size_t i = 0; i < c.size; ++i) ASSERT_EQ(buffer[i], '#');
        }
    }
}

TEST(ComposePath, SkipsNullParts) {
    char buffer[16];
    ASSERT_TRUE(ComposePath(buffer, sizeof buffer, "C:\\d", nullptr, "\\"));
    EXPECT_STREQ(buffer, "C:\\d\\");
    ASSERT_TRUE(ComposePath(buffer, sizeof buffer, nullptr, nullptr, nullptr));
    EXPECT_STREQ(buffer, "");
}

TEST(HasBackupSuffix, FoldsAsciiOnly) {
    struct Case {
        const char* name;
        bool backup;
    };
    const Case cases[] = {
        {"a.bak", true},      {"A.BAK", true},   {"x.Bak", true},  {"report.txt.bak", true},
        {".bak", false},      {"a.bak1", false}, {"bak", false},   {"", false},
        {"a.ba", false},      {"a_bak", false},  {"a.b\xC1k", false}, {"a.bAK", true},
        {"a.\xE2\x61k", false},
    };
    for (const Case& c : cases) EXPECT_EQ(HasBackupSuffix(c.name), c.backup) << c.name;
}

TEST(EndsWithBackslash, SingleByteModel) {
    CharacterModel model;
    MakeSingleByteModel(&model, 1252);
    struct Case {
        const char* path;
        bool ends;
    };
    const Case cases[] = {
        {"C:", false},       {"C:\\", true},     {"C:\\dir", false}, {"C:\\dir\\", true},
        {"", false},         {"\\", true},       {"a\\b", false},    {"C:\\\x95\\", true},
        {"C:\\\x95\\", true},
    };
    for (const Case& c : cases) EXPECT_EQ(EndsWithBackslash(model, c.path), c.ends) << c.path;
}

TEST(EndsWithBackslash, TrailBytesOfCodePage932AreNoBackslashes) {
    CharacterModel model;
    ASSERT_TRUE(MakeKnownDoubleByteModel(&model, 932));
    struct Case {
        const char* path;
        bool ends;
    };
    const Case cases[] = {
        {"C:\\\x95\x5C", false},        // ends in U+8868, whose trail byte is 0x5C
        {"C:\\\x95\x5C\\", true},       // ... followed by a real backslash
        {"C:\\\x95\x5C\x95\x5C", false},
        {"C:\\\x81\x40\\", true},
        {"C:\\a\xDF\\", true},          // half-width katakana: single byte
        {"C:\\\x95", false},            // a lead byte before the NUL is a character alone
        {"C:\\\x5C", true},
    };
    for (const Case& c : cases) EXPECT_EQ(EndsWithBackslash(model, c.path), c.ends) << c.path;
}

TEST(PatternFolderLength, EndsAfterTheLastSeparatorOfThePattern) {
    CharacterModel model;
    MakeCharacterModel(&model, 932);
    struct Case {
        const char* pattern;
        size_t length;
    };
    const Case cases[] = {
        {"*.txt", 0},         {"sub\\*.log", 4},     {"..\\*.txt", 3},   {"a\\b\\c?.txt", 4},
        {"sub/*.log", 4},     {"a\\b/c\\*.txt", 6}, {"\\*.txt", 1},      {"", 0},
        {"\x95\x5C*.txt", 0}, // 0x5C as the second byte of a character is no separator
        {"\x95\x5C\\*.txt", 3},
    };
    for (const Case& c : cases) EXPECT_EQ(PatternFolderLength(model, c.pattern), c.length) << c.pattern;
}

} // namespace
