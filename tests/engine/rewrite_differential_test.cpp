// The real passes against the reference written from the matcher's rules alone
// (tests/engine/reference_rewrite.h): replacing occurrence by occurrence and moving the rest
// of the data each time. Many small random inputs, single-byte and double-byte code pages,
// every combination of options, longer, shorter, equal and empty replacements, and counts
// that no longer fit the data (the file changed between the passes).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/rewrite_passes.h"
#include "engine/text_matcher.h"
#include "tests/engine/reference_rewrite.h"
#include "tests/engine/test_models.h"

namespace {

// Lead and trail bytes of the double-byte pages, letters of their fold ranges (0x60/0x81 after
// 0x82 in 932; 0xC1/0xE1 after 0xA3 in 936), ASCII letters, word and boundary bytes.
const unsigned char DataAlphabet[] = {'a', 'A', 'b', 'B', '_', '-', ' ', '0', 0x00, 0x82,
                                      0x60, 0x81, 0xA0, 0x40, 0xE9, 0xC9, 0xFD, 0xA3, 0xC1, 0xE1};
const unsigned char FindAlphabet[] = {'a', 'A', 'b', '-', 0x82, 0x60, 0x81, 0xA0, 0xE9, 0xA3, 0xC1};

std::string RandomText(std::mt19937& random, const unsigned char* alphabet, size_t alphabetSize,
                       size_t minLength, size_t maxLength) {
    size_t length = minLength + random() % (maxLength - minLength + 1);
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<char>(alphabet[random() % alphabetSize]);
    return text;
}

TEST(RewriteDifferential, MeasuresEqualTheReference) {
    std::mt19937 random(20261211);
    for (unsigned codePage : {1252u, 932u, 936u, 950u, 1361u}) {
        CharacterModel model = ModelFor(codePage);
        for (int round = 0; round < 5000; ++round) {
            const std::string text = RandomText(random, FindAlphabet, sizeof FindAlphabet, 1, 6);
            ASSERT_EQ(CharCount(model, text.c_str()), ReferenceCharCount(model, text))
                << "cp " << codePage << " text " << text;
            ASSERT_EQ(LastCharOffset(model, text.c_str()), ReferenceLastCharOffset(model, text))
                << "cp " << codePage << " text " << text;
        }
    }
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

TEST(RewriteDifferential, RealPassesEqualTheReference) {
    std::mt19937 random(20261210);
    const unsigned codePages[] = {1252, 932, 936, 950};
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
                const ReferenceRequest reference = {&model, find, matchCase, onlyWords};
                const uint32_t expectedCount = ReferenceCount(reference, data);
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
                uint32_t expectedMade = ReferenceRewrite(reference, expected, size, handed, replace);
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
