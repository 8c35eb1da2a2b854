// The reference matcher and passes, straight from the rules; see reference_rewrite.h.
#include "tests/engine/reference_rewrite.h"

#include <cstring>

namespace {

bool WordByte(unsigned char b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || b == '_' || (b >= 'a' && b <= 'z');
}

// One character read at `at` from bytes that end (exclusive) at `end`. A lead byte followed
// by any byte but NUL is a two-byte character; a lead byte followed by NUL has the value 0;
// a lead byte that is the last byte before `end` equals no character. A character of value 0
// equals no character of the find text either.
struct Character {
    unsigned value;
    uint32_t bytes;
    bool comparable;
};

Character Read(const CharacterModel& model, const unsigned char* bytes, uint64_t at, uint64_t end) {
    const unsigned char first = bytes[at];
    if (model.doubleByte && model.lead[first]) {
        if (at + 1 >= end) return {0, 1, false};
        const unsigned char second = bytes[at + 1];
        if (second == 0) return {0, 2, false};
        return {first * 256u + second, 2, true};
    }
    return {first, 1, first != 0};
}

// Two-byte values fold by the first range that holds them, one-byte values by the fold map.
unsigned Fold(const CharacterModel& model, unsigned value) {
    if (value > 0xFF) {
        for (int i = 0; i < model.foldRangeCount; ++i) {
            const DoubleByteFold& range = model.foldRanges[i];
            if (value >= range.first && value <= range.last) return (value + range.add) & 0xFFFF;
        }
        return value;
    }
    return model.fold[value];
}

struct Measures {
    uint32_t length;    // L
    uint32_t charCount; // C
    uint32_t lastChar;  // K
};

Measures Measure(const CharacterModel& model, const std::string& find) {
    return {static_cast<uint32_t>(find.size()), ReferenceCharCount(model, find),
            ReferenceLastCharOffset(model, find)};
}

// C characters compared pair by pair from p; nothing at or past `end` is read.
bool Matches(const ReferenceRequest& request, const Measures& m, const unsigned char* data,
             uint64_t end, uint64_t p) {
    const CharacterModel& model = *request.model;
    const unsigned char* find = reinterpret_cast<const unsigned char*>(request.find.c_str());
    uint64_t at = p;
    uint64_t f = 0;
    for (uint32_t i = 0; i < m.charCount; ++i) {
        if (at >= end) return false;
        const Character d = Read(model, data, at, end);
        const Character t = Read(model, find, f, m.length + 1);
        if (!d.comparable) return false;
        unsigned a = d.value;
        unsigned b = t.value;
        if (!request.matchCase) {
            a = Fold(model, a);
            b = Fold(model, b);
        }
        if (a != b) return false;
        at += d.bytes;
        f += t.bytes;
    }
    return true;
}

struct Previous {
    bool atPosition;
    uint64_t position;
    bool boundaryBefore;
};

bool WholeWord(const unsigned char* data, uint64_t end, const Previous& previous, uint64_t p,
               uint32_t length) {
    const bool before =
        previous.atPosition ? !WordByte(data[previous.position]) : previous.boundaryBefore;
    const bool after = p + length >= end || !WordByte(data[p + length]);
    return before && after;
}

// A lead byte followed, inside the data, by a trail byte is stepped over with it, so no
// candidate starts on the second byte of a character, near the end of the data too.
uint64_t Step(const CharacterModel& model, const unsigned char* data, uint64_t end, uint64_t p) {
    if (model.doubleByte && model.lead[data[p]] && p + 1 < end && model.trail[data[p + 1]])
        return p + 2;
    return p + 1;
}

} // namespace

uint32_t ReferenceCharCount(const CharacterModel& model, const std::string& text) {
    if (!model.doubleByte) return static_cast<uint32_t>(text.size());
    uint32_t count = 0;
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (model.lead[b]) {
            if (i + 1 >= text.size()) break; // a lead byte before the terminator is not counted
            i += 2;
        } else {
            i += 1;
        }
        ++count;
    }
    return count;
}

uint32_t ReferenceLastCharOffset(const CharacterModel& model, const std::string& text) {
    const size_t n = text.size();
    if (n == 0) return 0;
    if (!model.doubleByte || n == 1) return static_cast<uint32_t>(n - 1);
    auto lead = [&](size_t i) { return model.lead[static_cast<unsigned char>(text[i])]; };
    size_t guess;
    if (lead(n - 1)) {
        guess = n - 2;
    } else {
        // Lead bytes in the unbroken run that ends at n - 2.
        size_t k = 0;
        for (size_t i = n - 1; i-- > 0 && lead(i);) ++k;
        guess = k % 2 == 1 ? n - 2 : n - 1;
    }
    if (guess == n - 2 && lead(n - 2) && model.trail[static_cast<unsigned char>(text[n - 1])])
        return static_cast<uint32_t>(n - 2);
    return static_cast<uint32_t>(n - 1);
}

uint32_t ReferenceCount(const ReferenceRequest& request, const std::vector<unsigned char>& data) {
    const Measures m = Measure(*request.model, request.find);
    const uint64_t n = data.size();
    // A find text without one whole character finds nothing.
    if (m.length == 0 || m.charCount == 0 || n < m.length) return 0;
    const uint64_t last = n - m.length;
    Previous previous = {false, 0, true};
    uint32_t count = 0;
    uint64_t p = 0;
    while (p <= last) {
        if (Matches(request, m, data.data(), n, p) &&
            (!request.onlyWords || WholeWord(data.data(), n, previous, p, m.length))) {
            ++count;
            previous = {true, p + m.lastChar, false};
            p += m.length;
        } else {
            previous = {true, p, false};
            p = Step(*request.model, data.data(), n, p);
        }
    }
    return count;
}

uint32_t ReferenceRewrite(const ReferenceRequest& request, std::vector<unsigned char>& buffer,
                          uint32_t size, uint32_t count, const std::string& replace) {
    const Measures m = Measure(*request.model, request.find);
    if (m.length == 0 || m.charCount == 0 || count == 0) return 0;
    const int64_t r = static_cast<int64_t>(replace.size());
    const int64_t d = r - m.length;
    unsigned char* data = buffer.data();
    int64_t end = size;
    Previous previous = {false, 0, true};
    uint32_t made = 0;
    int64_t p = 0;
    while (made < count && p <= end - m.length) {
        const uint64_t at = static_cast<uint64_t>(p);
        const uint64_t e = static_cast<uint64_t>(end);
        if (Matches(request, m, data, e, at) &&
            (!request.onlyWords || WholeWord(data, e, previous, at, m.length))) {
            // The class of the occurrence's last character, taken before it is overwritten.
            previous = {false, 0, !WordByte(data[at + m.lastChar])};
            if (d != 0) std::memmove(data + at + r, data + at + m.length, e - at - m.length);
            std::memcpy(data + at, replace.data(), static_cast<size_t>(r));
            end += d;
            p += r;
            ++made;
        } else {
            previous = {true, at, false};
            p = static_cast<int64_t>(Step(*request.model, data, e, at));
        }
    }
    return made;
}
