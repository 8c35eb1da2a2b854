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

// Random data of up to maxLength bytes with the find text, or the find text less one byte,
// put in every 0 to 40 bytes, so that longer find texts occur too.
std::string PlantedText(std::mt19937& random, const std::string& find, size_t maxLength) {
    const size_t length = random() % (maxLength + 1);
    std::string text;
    while (text.size() < length) {
        text += RandomText(random, DataAlphabet, sizeof DataAlphabet, 0, 40);
        std::string planted = find;
        if (random() % 4 == 0)
            planted.erase(random() % planted.size(), 1);
        text += planted;
    }
    text.resize(length);
    return text;
}

// Sizes of the random inputs: many short ones, and fewer long ones whose data spans several
// blocks of the scan, with find texts whose rarest bytes lie apart, planted in the data,
// and replacements long enough for every way of copying.
struct Shape {
    size_t maxData, minFind, maxFind, maxReplace;
    bool planted;
    int rounds;
};
const Shape Shapes[] = {{40, 1, 3, 5, false, 40000}, {600, 1, 9, 40, true, 6000}};

TEST(RewriteDifferential, RealPassesEqualThePerOccurrenceReference) {
    std::mt19937 random(20261210);
    const unsigned codePages[] = {1252, 932};
    int cases = 0;
    for (const Shape& shape : Shapes) {
        for (unsigned codePage : codePages) {
            CharacterModel model = ModelFor(codePage);
            for (int round = 0; round < shape.rounds; ++round) {
                const bool matchCase = round & 1;
                const bool onlyWords = (round >> 1) & 1;
                std::string dataText;
                if (!shape.planted)
                    dataText = RandomText(random, DataAlphabet, sizeof DataAlphabet, 0, shape.maxData);
                std::string find =
                    RandomText(random, FindAlphabet, sizeof FindAlphabet, shape.minFind, shape.maxFind);
                std::string replace =
                    RandomText(random, FindAlphabet, sizeof FindAlphabet, 0, shape.maxReplace);
                if (shape.planted)
                    dataText = PlantedText(random, find, shape.maxData);
                std::vector<unsigned char> data(dataText.begin(), dataText.end());
                const uint32_t size = static_cast<uint32_t>(data.size());

                MatchRequest request;
                PrepareMatch(&request, model, find.c_str(), matchCase, onlyWords);
                const uint32_t expectedCount = ReferenceCount(model, data, find, matchCase, onlyWords);
                const uint32_t count = CountOccurrences(request, data.data(), size);
                ASSERT_EQ(count, expectedCount) << "shape " << shape.maxData << " cp " << codePage << " round " << round;

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
                ASSERT_EQ(made, expectedMade) << "shape " << shape.maxData << " cp " << codePage << " round " << round;
                const size_t length = static_cast<size_t>(size + made * d);
                ASSERT_EQ(std::string(actual.begin(), actual.begin() + length),
                          std::string(expected.begin(), expected.begin() + length))
                    << "shape " << shape.maxData << " cp " << codePage << " round " << round << " find " << find;
                ++cases;
            }
        }
    }
    EXPECT_GT(cases, 10000);
}

} // namespace
