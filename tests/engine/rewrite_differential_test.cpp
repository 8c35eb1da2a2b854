// The real passes against a plain reference: replacing occurrence by occurrence and moving
// the rest of the data each time, the straightforward form of the rewrite (with the pair
// stepping that keeps double-byte characters whole). Many small random inputs, single-byte
// and 932, every combination of options, longer, shorter, equal and empty replacements,
// and counts that no longer fit the data (the file changed between the passes).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/rewrite_passes.h"
#include "engine/text_matcher.h"
#include "tests/engine/test_models.h"

namespace {

struct Measures {
    uint32_t length;
    uint32_t charCount;
    uint32_t lastCharAt;
};

Measures Measure(const CharacterModel& model, const std::string& find) {
    Measures m;
    m.length = static_cast<uint32_t>(find.size());
    m.charCount = model.doubleByte ? CharCount(model, find.c_str()) : m.length;
    m.lastCharAt = LastCharOffset(model, find.c_str());
    return m;
}

uint32_t ReferenceCount(const CharacterModel& model, const std::vector<unsigned char>& data,
                        const std::string& find, bool matchCase, bool onlyWords) {
    Measures m = Measure(model, find);
    const uint32_t n = static_cast<uint32_t>(data.size());
    if (n < m.length || m.charCount == 0)
        return 0;
    const uint32_t last = n - m.length;
    PreviousCharacter previous = PreviousAtStart();
    uint32_t count = 0;
    uint32_t p = 0;
    while (p <= last) {
        if (MatchesAt(model, data.data(), n, p, find.c_str(), m.charCount, matchCase) &&
            (!onlyWords || IsWholeWord(data.data(), n, previous, p, m.length))) {
            ++count;
            previous = PreviousCharacter{true, p + m.lastCharAt, false};
            p += m.length;
        } else {
            previous = PreviousCharacter{true, p, false};
            p = NextCandidate(model, data.data(), n, p);
        }
    }
    return count;
}

// Rewrites buffer (already sized to the room) in place; returns made.
uint32_t ReferenceRewrite(const CharacterModel& model, std::vector<unsigned char>& buffer,
                          uint32_t size, uint32_t count, const std::string& find,
                          const std::string& replace, bool matchCase, bool onlyWords) {
    Measures m = Measure(model, find);
    const uint32_t r = static_cast<uint32_t>(replace.size());
    const int64_t d = static_cast<int64_t>(r) - m.length;
    unsigned char* data = buffer.data();
    int64_t end = size;
    PreviousCharacter previous = PreviousAtStart();
    uint32_t made = 0;
    int64_t p = 0;
    if (m.charCount == 0)
        return 0;
    for (;;) {
        if (p > end - m.length)
            break;
        const uint32_t e = static_cast<uint32_t>(end);
        const uint32_t at = static_cast<uint32_t>(p);
        if (MatchesAt(model, data, e, at, find.c_str(), m.charCount, matchCase) &&
            (!onlyWords || IsWholeWord(data, e, previous, at, m.length))) {
            if (onlyWords)
                previous = PreviousCharacter{false, 0, !IsWordByte(data[at + m.lastCharAt])};
            if (d != 0)
                std::memmove(data + at + r, data + at + m.length, e - at - m.length);
            std::memcpy(data + at, replace.data(), r);
            end += d;
            p += r;
            ++made;
            if (made == count)
                break;
        } else {
            previous = PreviousCharacter{true, at, false};
            p = NextCandidate(model, data, e, at);
        }
    }
    return made;
}

const unsigned char DataAlphabet[] = {'a', 'A', 'b', 'B', '_', '-', ' ', '0', 0x00,
                                      0x82, 0x60, 0x81, 0xA0, 0x40, 0xE9, 0xC9, 0xFD};
const unsigned char FindAlphabet[] = {'a', 'A', 'b', '-', 0x82, 0x60, 0x81, 0xA0, 0xE9};

std::string RandomText(std::mt19937& random, const unsigned char* alphabet, size_t alphabetSize,
                       size_t minLength, size_t maxLength) {
    size_t length = minLength + random() % (maxLength - minLength + 1);
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>(alphabet[random() % alphabetSize]);
    return text;
}

TEST(RewriteDifferential, RealPassesEqualThePerOccurrenceReference) {
    std::mt19937 random(20261210);
    const unsigned codePages[] = {1252, 932};
    int cases = 0;
    for (unsigned codePage : codePages) {
        CharacterModel model = ModelFor(codePage);
        for (int round = 0; round < 40000; ++round) {
            const bool matchCase = round & 1;
            const bool onlyWords = (round >> 1) & 1;
            std::string dataText = RandomText(random, DataAlphabet, sizeof DataAlphabet, 0, 40);
            std::string find = RandomText(random, FindAlphabet, sizeof FindAlphabet, 1, 3);
            std::string replace = RandomText(random, FindAlphabet, sizeof FindAlphabet, 0, 5);
            std::vector<unsigned char> data(dataText.begin(), dataText.end());
            const uint32_t size = static_cast<uint32_t>(data.size());

            MatchRequest request;
            PrepareMatch(&request, model, find.c_str(), matchCase, onlyWords);
            const uint32_t expectedCount = ReferenceCount(model, data, find, matchCase, onlyWords);
            const uint32_t count = CountOccurrences(request, data.data(), size);
            ASSERT_EQ(count, expectedCount) << "cp " << codePage << " round " << round;

            // Now and then the data "changed" since counting: another count is handed over.
            uint32_t handed = count;
            if (round % 5 == 4)
                handed = static_cast<uint32_t>(random() % 6);
            if (handed == 0 || size == 0)
                continue;
            const int64_t d = static_cast<int64_t>(replace.size()) - find.size();
            const uint32_t room = size + static_cast<uint32_t>(d > 0 ? handed * d : 0);
            std::vector<unsigned char> expected(room, 0xEE);
            std::vector<unsigned char> actual(room, 0xEE);
            std::memcpy(expected.data(), data.data(), size);
            std::memcpy(actual.data(), data.data(), size);
            uint32_t expectedMade = ReferenceRewrite(model, expected, size, handed, find, replace,
                                                     matchCase, onlyWords);
            uint32_t made = RewriteOccurrences(request, actual.data(), size, room, handed,
                                               replace.c_str(), static_cast<uint32_t>(replace.size()));
            ASSERT_EQ(made, expectedMade) << "cp " << codePage << " round " << round;
            const size_t length = static_cast<size_t>(size + made * d);
            ASSERT_EQ(std::string(actual.begin(), actual.begin() + length),
                      std::string(expected.begin(), expected.begin() + length))
                << "cp " << codePage << " round " << round << " find " << find;
            ++cases;
        }
    }
    EXPECT_GT(cases, 10000);
}

} // namespace
