// The two passes over a byte buffer: the rewrite's edge cases, at the level of the buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/rewrite_passes.h"
#include "tests/engine/test_models.h"

namespace {

struct RewriteCase {
    const char* name;
    unsigned codePage;
    std::string data;
    const char* find;
    const char* replace;
    bool matchCase;
    bool onlyWords;
    std::string expected;
    uint32_t count;
};

class RewriteTable : public testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteTable, RewritesInPlace) {
    const RewriteCase& c = GetParam();
    CharacterModel model = ModelFor(c.codePage);
    MatchRequest request;
    PrepareMatch(&request, model, c.find, c.matchCase, c.onlyWords);
    const uint32_t size = static_cast<uint32_t>(c.data.size());
    uint32_t count = CountOccurrences(request, reinterpret_cast<const unsigned char*>(c.data.data()), size);
    EXPECT_EQ(count, c.count);
    const uint32_t replaceLength = static_cast<uint32_t>(std::strlen(c.replace));
    const int64_t delta = static_cast<int64_t>(replaceLength) - request.findLength;
    const uint32_t room = size + static_cast<uint32_t>(delta > 0 ? count * delta : 0);
    std::vector<unsigned char> buffer(room);
    std::memcpy(buffer.data(), c.data.data(), size);
    uint32_t made = RewriteOccurrences(request, buffer.data(), size, room, count, c.replace, replaceLength);
    EXPECT_EQ(made, c.count);
    std::string result(reinterpret_cast<char*>(buffer.data()), static_cast<size_t>(size + made * delta));
    EXPECT_EQ(result, c.expected);
}

const RewriteCase RewriteCases[] = {
    {"GrowNotScannedAgain", 1252, "a a", "a", "bb", false, false, "bb bb", 2},
    {"Overlapping", 1252, "aaa", "aa", "X", false, false, "Xa", 1},
    {"EmptyReplacement", 1252, "xaxa", "a", "", false, false, "xx", 2},
    {"WordsFooFoo", 1252, "foofoo", "foo", "bar", false, true, "foofoo", 0},
    {"WordsDashA", 1252, "-a-a x -a", "-a", "X", false, true, "X-a x X", 2},
    {"WordsAtTheEnd", 1252, "x a", "a", "bcd", false, true, "x bcd", 1},
    {"OnlyTheFindText", 1252, "abc", "abc", "xy", false, false, "xy", 1},
    {"OnlyTheFindTextEmpty", 1252, "abc", "abc", "", false, false, "", 1},
    {"EqualLength", 1252, "abcABC", "abc", "xyz", false, false, "xyzxyz", 2},
    {"Dbcs932", 932, "\x82" "a" "a\x82\x60", "\x82\x81", "Z", false, false, "\x82" "aaZ", 1},
    {"Dbcs932TrailAtEnd", 932, "a\x82" "a", "a", "bb", false, false, "bb\x82" "a", 1},
};

INSTANTIATE_TEST_SUITE_P(Passes, RewriteTable, testing::ValuesIn(RewriteCases),
                         [](const testing::TestParamInfo<RewriteCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(Passes, MakesNoMoreThanCountWhenTheDataChanged) {
    CharacterModel model = ModelFor(1252);
    MatchRequest request;
    PrepareMatch(&request, model, "a", false, false);
    std::vector<unsigned char> buffer(10);
    std::memcpy(buffer.data(), "aaaa", 4);
    // Counted two earlier; the data now holds four: only the first two are replaced.
    EXPECT_EQ(RewriteOccurrences(request, buffer.data(), 4, 6, 2, "bb", 2), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), 6), "bbbbaa");
    // Counted three; the data holds one: one replacement, the rest of the data intact.
    std::memcpy(buffer.data(), "xax", 3);
    EXPECT_EQ(RewriteOccurrences(request, buffer.data(), 3, 6, 3, "bb", 2), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), 4), "xbbx");
}

TEST(Passes, RefusesTooLittleRoom) {
    CharacterModel model = ModelFor(1252);
    MatchRequest request;
    PrepareMatch(&request, model, "a", false, false);
    unsigned char buffer[4] = {'a', 'a', 0, 0};
    EXPECT_EQ(RewriteOccurrences(request, buffer, 2, 3, 2, "bb", 2), 0u);
    EXPECT_EQ(buffer[0], 'a');
    EXPECT_EQ(buffer[1], 'a');
}

// A growing rewrite places few occurrences from the end and many by moving the data up
// first: both ways give the same result, on either side of the change, in each kind of scan,
// also when fewer than the occurrences present are to be made.
TEST(Passes, GrowingRewriteOfFewAndOfManyOccurrences) {
    struct Kind {
        const char* name;
        unsigned codePage;
        std::string unit; // one occurrence and what follows it
        const char* find;
        bool onlyWords;
        std::string replacedUnit;
    };
    const Kind kinds[] = {
        {"plain, any case", 1252, "aB-", "ab", false, "xyz-"},
        {"whole words", 1252, "ab ", "ab", true, "xyz "},
        {"double-byte", 932, "\x82\x81-", "\x82\x60", false, "xyz-"},
    };
    for (const Kind& kind : kinds) {
        CharacterModel model = ModelFor(kind.codePage);
        MatchRequest request;
        PrepareMatch(&request, model, kind.find, false, kind.onlyWords);
        for (uint32_t units : {1u, 4095u, 4096u, 4097u, 9000u}) {
            for (uint32_t spared : {0u, 5u}) {
                if (spared >= units) continue;
                SCOPED_TRACE(std::string(kind.name) + ", " + std::to_string(units) + " occurrences, " +
                             std::to_string(spared) + " spared");
                std::string data = "lead ";
                std::string expected = "lead ";
                for (uint32_t i = 0; i < units; ++i) {
                    data += kind.unit;
                    expected += i < units - spared ? kind.replacedUnit : kind.unit;
                }
                const uint32_t size = static_cast<uint32_t>(data.size());
                const uint32_t count = units - spared;
                const uint32_t room = size + count;
                std::vector<unsigned char> buffer(room);
                std::memcpy(buffer.data(), data.data(), size);
                EXPECT_EQ(CountOccurrences(request, buffer.data(), size), units);
                ASSERT_EQ(RewriteOccurrences(request, buffer.data(), size, room, count, "xyz", 3), count);
                EXPECT_TRUE(std::string(buffer.begin(), buffer.end()) == expected);
            }
        }
    }
}

} // namespace
