// The matcher's rules, as tables of cases over the single-byte and double-byte models.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/rewrite_passes.h"
#include "engine/text_matcher.h"
#include "tests/engine/test_models.h"

namespace {

const unsigned char* Bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// Positions of the occurrences the scan accepts.
std::string Occurrences(unsigned codePage, const std::string& data, const char* find,
                        bool matchCase, bool onlyWords) {
    CharacterModel model = ModelFor(codePage);
    MatchRequest request;
    PrepareMatch(&request, model, find, matchCase, onlyWords);
    ScanState state = ScanFromStart();
    uint32_t at = 0;
    std::string found;
    while (NextOccurrence(request, Bytes(data), static_cast<uint32_t>(data.size()), &state, &at))
        found += (found.empty() ? "" : ",") + std::to_string(at);
    return found;
}

struct ScanCase {
    const char* name;
    unsigned codePage;
    std::string data;
    const char* find;
    bool matchCase;
    bool onlyWords;
    const char* expected; // accepted positions
};

class ScanTable : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanTable, FindsExactlyTheseOccurrences) {
    const ScanCase& c = GetParam();
    EXPECT_EQ(Occurrences(c.codePage, c.data, c.find, c.matchCase, c.onlyWords), c.expected);
}

const ScanCase ScanCases[] = {
    {"FoldsAsciiLower", 1252, "xabcx", "ABC", false, false, "1"},
    {"FoldsAsciiMixed", 1252, "xAbCx", "ABC", false, false, "1"},
    {"MatchCaseExact", 1252, "xAbCx abc", "abc", true, false, "6"},
    {"WesternLettersStayApart", 1252, "a\xE9z", "\xC9", false, false, ""},
    {"WesternLettersStayApartBack", 1252, "a\xC9z", "\xE9", false, false, ""},
    {"WesternSameByte", 1252, "a\xC9z", "\xC9", false, false, "1"},
    {"WholeWordDot", 1252, "cat.s", "cat", false, true, "0"},
    {"WholeWordParens", 1252, "(cat)", "cat", false, true, "1"},
    {"WholeWordStartAndEnd", 1252, "cat x cat", "cat", false, true, "0,6"},
    {"WholeWordHighBytes", 1252, "\x80" "cat\xFF", "cat", false, true, "1"},
    {"WholeWordHighBytes2", 1252, "\xE9" "cat\x81", "cat", false, true, "1"},
    {"NotWholeWordCats", 1252, "cats", "cat", false, true, ""},
    {"NotWholeWordUnderscore", 1252, "_cat", "cat", false, true, ""},
    {"NotWholeWordDigit", 1252, "cat9", "cat", false, true, ""},
    {"DashA", 1252, "-a-a x", "-a", false, true, "0"},
    {"ADash", 1252, "a-a-", "a-", false, true, "2"},
    {"NotScannedAgain", 1252, "aaa", "aa", false, false, "0"},
    {"NulNeverMatches", 1252, std::string("a\0b", 3), "b", false, false, "2"},
    // A trail byte is never a candidate, wherever the pair lies.
    {"TrailNotFoundInside", 932, "\x82" "axx", "a", false, false, ""},
    {"TrailNotFoundOneAfter", 932, "\x82" "ax", "a", false, false, ""},
    {"TrailNotFoundAtEnd", 932, "\x82" "a", "a", false, false, ""},
    {"TrailNotFoundAtEndWords", 932, "\x82" "a", "a", false, true, ""},
    {"TrailNotFoundBeforeOne", 932, "\x82" "a ", "a", false, true, ""},
    {"AfterPairFound", 932, "\x82" "aa", "a", false, false, "2"},
    {"LeadWithoutTrailStepsOne", 932, "\x82 a", "a", false, false, "2"},
    {"LeadBeforeTrailIsWordBoundary", 932, "\x82\x60" "a", "a", false, true, "2"},
    {"Folding932DataUpper", 932, "x\x82\x60", "\x82\x81", false, false, "1"},
    {"Folding932FindUpper", 932, "x\x82\x81", "\x82\x60", false, false, "1"},
    {"Folding932MatchCase", 932, "x\x82\x81", "\x82\x60", true, false, ""},
    {"Folding932AsciiToo", 932, "xAB", "ab", false, false, "1"},
    {"LoneLeadAtEnd", 932, "ab\x82", "\x82" "A", false, false, ""},
    {"LoneLeadFindTextFindsNothing", 932, "xx\x82", "\x82", true, false, ""},
    {"Folding936", 936, "\xA3\xC1", "\xA3\xE1", false, false, "0"},
    {"Folding949", 949, "\xA3\xDA", "\xA3\xFA", false, false, "0"},
    {"Folding950First", 950, "\xA2\xCF", "\xA2\xE9", false, false, "0"},
    {"Folding950Second", 950, "\xA2\xE5", "\xA3\x40", false, false, "0"},
    {"Folding1361First", 1361, "\xDA\x51", "\xDA\x71", false, false, "0"},
    {"Folding1361Second", 1361, "\xDA\x5F", "\xDA\x91", false, false, "0"},
    {"Trail1361", 1361, "\x81\x31" "1", "1", false, false, "2"},
};

INSTANTIATE_TEST_SUITE_P(Matcher, ScanTable, testing::ValuesIn(ScanCases),
                         [](const testing::TestParamInfo<ScanCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(Matcher, WordBytesAreExactlyLettersDigitsAndUnderscore) {
    for (int b = 0; b < 256; ++b) {
        bool expected = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || b == '_' ||
                        (b >= 'a' && b <= 'z');
        EXPECT_EQ(IsWordByte(static_cast<unsigned char>(b)), expected) << b;
    }
}

struct MeasureCase {
    unsigned codePage;
    const char* text;
    uint32_t charCount;
    uint32_t lastCharOffset;
};

TEST(Matcher, CharCountAndLastCharOffset) {
    const MeasureCase cases[] = {
        {1252, "abc", 3, 2},
        {1252, "\x82\xA0", 2, 1},
        {932, "a", 1, 0},
        {932, "x\x82\xA0", 2, 1},
        {932, "xa", 2, 1},
        {932, "\x82\xA0\x82\xA0", 2, 2},
        {932, "x\x82", 1, 1},           // a lead byte ending the text is not counted
        {932, "\x82", 0, 0},
        {932, "\x82\x82\x82\xA0", 2, 2}, // run of three leads before the last byte
        {932, "\x82\x82" "a", 2, 2},     // two leads: the last byte stands alone
        {932, "\x82\x0A", 1, 1},         // second byte not a trail byte
    };
    for (const MeasureCase& c : cases) {
        CharacterModel model = ModelFor(c.codePage);
        EXPECT_EQ(CharCount(model, c.text), c.charCount) << c.codePage << " " << c.text;
        EXPECT_EQ(LastCharOffset(model, c.text), c.lastCharOffset) << c.codePage << " " << c.text;
    }
}

TEST(Matcher, MatchesAtReadsNothingPastTheEnd) {
    CharacterModel model = ModelFor(932);
    // The data is exactly one lone lead byte in its own allocation; ASan checks the reads.
    unsigned char* data = new unsigned char[1];
    data[0] = 0x82;
    EXPECT_FALSE(MatchesAt(model, data, 1, 0, "\x82" "a", 1, false));
    EXPECT_FALSE(MatchesAt(model, data, 1, 0, "a", 1, false));
    EXPECT_EQ(NextCandidate(model, data, 1, 0), 1u);
    delete[] data;
}

TEST(Matcher, NextCandidateStepsOverPairsEverywhere) {
    CharacterModel model = ModelFor(932);
    const std::string data = "\x82\xA0\x82\x0A\x82";
    EXPECT_EQ(NextCandidate(model, Bytes(data), 5, 0), 2u); // pair
    EXPECT_EQ(NextCandidate(model, Bytes(data), 5, 2), 3u); // lead without trail
    EXPECT_EQ(NextCandidate(model, Bytes(data), 5, 4), 5u); // lone lead at the end
    EXPECT_EQ(NextCandidate(model, Bytes(data), 2, 0), 2u); // pair ending the data
    CharacterModel single = ModelFor(1252);
    EXPECT_EQ(NextCandidate(single, Bytes(data), 5, 0), 1u);
}

TEST(Matcher, WholeWordSeesThePreviousCharacterInEitherForm) {
    const std::string data = "a-a";
    EXPECT_FALSE(IsWholeWord(Bytes(data), 3, PreviousCharacter{true, 0, false}, 1, 2));
    EXPECT_TRUE(IsWholeWord(Bytes(data), 3, PreviousCharacter{true, 1, false}, 2, 1));
    EXPECT_TRUE(IsWholeWord(Bytes(data), 3, PreviousCharacter{false, 0, true}, 1, 2));
    EXPECT_FALSE(IsWholeWord(Bytes(data), 3, PreviousCharacter{false, 0, false}, 1, 2));
    EXPECT_FALSE(IsWholeWord(Bytes(data), 3, PreviousAtStart(), 0, 2)); // followed by 'a'
}

TEST(CharacterModelTable, KnownPagesAreDoubleByteOthersSingle) {
    for (unsigned cp : {932u, 936u, 949u, 950u, 1361u})
        EXPECT_TRUE(ModelFor(cp).doubleByte) << cp;
    for (unsigned cp : {1252u, 1251u, 437u, 65001u}) {
        CharacterModel model = ModelFor(cp);
        EXPECT_FALSE(model.doubleByte) << cp;
        for (int b = 0; b < 256; ++b) {
            EXPECT_FALSE(IsLeadByte(model, static_cast<unsigned char>(b)));
            int expected = (b >= 'A' && b <= 'Z') ? b + 32 : b;
            EXPECT_EQ(model.fold[b], expected);
        }
    }
    CharacterModel other;
    const unsigned char ranges[12] = {0x90, 0x95, 0xA0, 0xA0, 0, 0};
    MakeOtherDoubleByteModel(&other, 12345, ranges, 12);
    EXPECT_TRUE(other.doubleByte);
    EXPECT_TRUE(IsLeadByte(other, 0x90));
    EXPECT_TRUE(IsLeadByte(other, 0xA0));
    EXPECT_FALSE(IsLeadByte(other, 0x96));
    EXPECT_TRUE(other.trail[0x01] && other.trail[0xFE] && !other.trail[0] && !other.trail[0xFF]);
    EXPECT_EQ(other.foldRangeCount, 0);
}

} // namespace
