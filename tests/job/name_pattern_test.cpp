// The platform's file name matching on byte names: the wildcard translation of its folder
// search and the DOS wildcards, with whole double-byte characters. Names and patterns are
// given in one case, as the walk passes them (upper-cased by the system).
#include "engine/character_model.h"
#include "job/name_pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PatternCase {
    const char* pattern;
    const char* name;
    bool matches;
};

void ExpectCases(unsigned codePage, const PatternCase* cases, size_t count) {
    CharacterModel model;
    MakeCharacterModel(&model, codePage);
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(NameMatchesPattern(model, cases[i].pattern, cases[i].name), cases[i].matches)
            << codePage << ": \"" << cases[i].pattern << "\" against \"" << cases[i].name << "\"";
    }
}

TEST(NameMatchesPattern, FollowsTheSearchsWildcardRules) {
    const PatternCase cases[] = {
        // "*.txt": names that end in ".txt", not those that go on after it.
        {"*.TXT", "A.TXT", true},          {"*.TXT", "X.Y.TXT", true},
        {"*.TXT", ".TXT", true},           {"*.TXT", "NOTES.TXT~", false},
        {"*.TXT", "DATA.TXT_OLD", false},  {"*.TXT", "B.TXTX", false},
        {"*.TXT", "A.TX", false},          {"*.HTM", "PAGE.HTML", false},
        {"*.HTM", "X.HTM", true},          {"A*.TXT", "AB.C.TXT", true},
        {"*", "README", true},             {"*", "A.B.C", true},
        // "*.*" is every name, with or without a dot; "*." those without one.
        {"*.*", "README", true},           {"*.*", "A.TXT", true},
        {"*.*", ".PROFILE", true},         {"*.", "README", true},
        {"*.", "A.TXT", false},            {"*.", "A.B", false},
        {"A.*", "A", true},                {"A.*", "A.B.C", true},
        {"A.*", "AB", false},
        // '?' is one character, or none before a dot or at the end.
        {"HELLO?.TXT", "HELLO.TXT", true}, {"HELLO?.TXT", "HELLO1.TXT", true},
        {"HELLO?.TXT", "HELLO12.TXT", false}, {"??.TXT", "A.TXT", true},
        {"A?", "A", true},                 {"A?", "AB", true},
        {"A?", "ABC", false},              {"A?", "A.B", false},
        {"A??C", "ABXC", true},            {"A??C", "AB.C", false},
        {"A.?", "A", true},                {"A.?", "A.B", true},
        {"A.?", "A.BC", false},            {"*.T?T", "A.TXT", true},
        {"*.T?T", "A.TT", false},          {"?", "A", true},
        // Trailing spaces and dots are dropped; a final dot still means "or nothing".
        {"ABC.", "ABC", true},             {"ABC.", "ABC.D", false},
        {"*.TXT.", "A.TXT", true},         {"*.TXT ", "A.TXT", true},
        {"*.TXT. .", "A.TXT", true},       {"A B", "A B", true},
        // Patterns that name no file of their own are not a reason to turn a name away.
        {".", "ANY.TXT", true},            {"", "ANY.TXT", true},
        // The DOS wildcards themselves, as the search passes them on.
        {"A<", "ABC", true},               {"A<", "A.B", false},
        {"A>C", "ABC", true},              {"A\"", "A", true},
        // Plain characters match only themselves.
        {"A.TXT", "A.TXT", true},          {"A.TXT", "B.TXT", false},
        {"A.TXT", "A.TXT2", false},
    };
    ExpectCases(1252, cases, sizeof cases / sizeof cases[0]);
}

TEST(NameMatchesPattern, TakesDoubleByteCharactersWhole) {
    // U+3042 is 82 A0 in code page 932; U+3043 is 82 A1. In code page 1361 88 3F is one
    // character whose second byte is '?': it is no wildcard.
    const PatternCase cp932[] = {
        {"\x82\xA0*", "\x82\xA0X.TXT", true},   {"?.TXT", "\x82\xA0.TXT", true},
        {"??.TXT", "\x82\xA0.TXT", true},       {"?", "\x82\xA0", true},
        {"?X", "\x82\xA0X", true},               {"\x82\xA0", "\x82\xA1", false},
        {"*.\x82\xA0", "A.\x82\xA0", true},     {"*.\x82\xA0", "A.\x82\xA1", false},
    };
    ExpectCases(932, cp932, sizeof cp932 / sizeof cp932[0]);
    const PatternCase cp1361[] = {
        {"\x88\x3F", "\x88\x41", false}, {"\x88\x3F", "\x88\x3F", true},
        {"A\x88\x3F", "A\x88\x3F", true}, {"\x88?*", "\x88\x41X", false},
    };
    ExpectCases(1361, cp1361, sizeof cp1361 / sizeof cp1361[0]);
}

TEST(NameMatchesPattern, LeavesNamesAndPatternsPastTheBuffersAlone) {
    CharacterModel model;
    MakeCharacterModel(&model, 1252);
    const std::string longPattern(600, 'Q');
    EXPECT_TRUE(NameMatchesPattern(model, longPattern.c_str(), "A.TXT"));
    const std::string longest(519, '*');
    EXPECT_TRUE(NameMatchesPattern(model, longest.c_str(), "A.TXT"));
    const std::string questions = std::string(518, '?') + "Z";
    EXPECT_FALSE(NameMatchesPattern(model, questions.c_str(), "A.TXT"));
}

} // namespace
