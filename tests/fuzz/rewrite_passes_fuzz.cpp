// libFuzzer target for the counting and rewriting passes, differential against the reference
// written from the matcher's rules (tests/engine/reference_rewrite.h). The input:
//   [0] bits 0-2: code page (1252, 932, 936, 950, 1361), bit 3 Match Case, bit 4 whole words,
//       bit 5: hand the rewrite another count than the one found (the file changed between
//       the passes); [1] find length - 1 (modulo 8); [2] replacement length (modulo 12);
//   [3] the other count (modulo 8); then the find text (a NUL byte becomes 'a'), the
//   replacement and the data (at most 4,096 bytes).
#include "engine/rewrite_passes.h"
#include "tests/engine/reference_rewrite.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

const CharacterModel& Model(unsigned index) {
    static CharacterModel models[5];
    static bool made = false;
    static const unsigned pages[5] = {1252, 932, 936, 950, 1361};
    if (!made) {
        for (int i = 0; i < 5; ++i) MakeCharacterModel(&models[i], pages[i]);
        made = true;
    }
    return models[index % 5];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* input, size_t size) {
    if (size < 4) return 0;
    const CharacterModel& model = Model(input[0] & 7);
    const bool matchCase = input[0] & 8;
    const bool onlyWords = input[0] & 16;
    const bool otherCount = input[0] & 32;
    const size_t findLength = 1 + input[1] % 8;
    const size_t replaceLength = input[2] % 12;
    const uint32_t other = input[3] % 8;
    if (size < 4 + findLength + replaceLength) return 0;
    std::string find(reinterpret_cast<const char*>(input + 4), findLength);
    for (char& c : find)
        if (c == 0) c = 'a';
    const std::string replace(reinterpret_cast<const char*>(input + 4 + findLength), replaceLength);
    const unsigned char* rest = input + 4 + findLength + replaceLength;
    size_t dataLength = size - 4 - findLength - replaceLength;
    if (dataLength > 4096) dataLength = 4096;
    const std::vector<unsigned char> data(rest, rest + dataLength);
    const uint32_t n = static_cast<uint32_t>(dataLength);

    const ReferenceRequest reference = {&model, find, matchCase, onlyWords};
    MatchRequest request;
    PrepareMatch(&request, model, find.c_str(), matchCase, onlyWords);
    // The data in an allocation of exactly its size: no pass may read past it.
    unsigned char* exact = new unsigned char[dataLength ? dataLength : 1];
    if (dataLength) std::memcpy(exact, data.data(), dataLength);
    const uint32_t count = CountOccurrences(request, exact, n);
    delete[] exact;
    Check(count == ReferenceCount(reference, data));

    const uint32_t handed = otherCount ? other : count;
    if (handed == 0 || n == 0) return 0;
    const int64_t d = static_cast<int64_t>(replaceLength) - static_cast<int64_t>(findLength);
    const uint32_t room = n + static_cast<uint32_t>(d > 0 ? handed * d : 0);
    std::vector<unsigned char> expected(room, 0xEE);
    std::memcpy(expected.data(), data.data(), n);
    unsigned char* actual = new unsigned char[room];
    std::memset(actual, 0xEE, room);
    std::memcpy(actual, data.data(), n);
    const uint32_t expectedMade = ReferenceRewrite(reference, expected, n, handed, replace);
    const uint32_t made = RewriteOccurrences(request, actual, n, room, handed, replace.c_str(),
                                             static_cast<uint32_t>(replaceLength));
    Check(made == expectedMade);
    const size_t end = static_cast<size_t>(n + static_cast<int64_t>(made) * d);
    Check(std::memcmp(actual, expected.data(), end) == 0);
    delete[] actual;
    return 0;
}
