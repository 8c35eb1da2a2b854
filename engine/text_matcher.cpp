// The text matcher's rules.
#include "engine/text_matcher.h"

#include <cstring>

namespace {

// Reads one character at *at, not reading at or beyond end. Returns its value; a lead byte
// that is the last byte of the range, or one followed by NUL, reads as 0 (equal to nothing).
unsigned ReadCharacter(const CharacterModel& model, const unsigned char* bytes, uint32_t end,
                       uint32_t* at) {
    unsigned char first = bytes[*at];
    if (model.doubleByte && model.lead[first]) {
        if (*at + 1 >= end) {
            *at += 1;
            return 0;
        }
        unsigned char second = bytes[*at + 1];
        *at += 2;
        if (second == 0)
            return 0;
        return (static_cast<unsigned>(first) << 8) | second;
    }
    *at += 1;
    return first;
}

unsigned FoldCharacter(const CharacterModel& model, unsigned value) {
    if (value < 0x100)
        return model.fold[value];
    for (int i = 0; i < model.foldRangeCount; ++i) {
        const DoubleByteFold& range = model.foldRanges[i];
        if (value >= range.first && value <= range.last)
            return (value + range.add) & 0xFFFF;
    }
    return value;
}

} // namespace

bool IsWordByte(unsigned char value) {
    return (value >= '0' && value <= '9') || (value >= 'A' && value <= 'Z') || value == '_' ||
           (value >= 'a' && value <= 'z');
}

uint32_t CharCount(const CharacterModel& model, const char* text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    uint32_t count = 0;
    for (uint32_t i = 0; bytes[i] != 0;) {
        if (model.doubleByte && model.lead[bytes[i]]) {
            if (bytes[i + 1] == 0)
                break;
            i += 2;
        } else {
            i += 1;
        }
        ++count;
    }
    return count;
}

uint32_t LastCharOffset(const CharacterModel& model, const char* text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    uint32_t n = static_cast<uint32_t>(std::strlen(text));
    if (n == 0)
        return 0;
    if (!model.doubleByte || n == 1)
        return n - 1;
    uint32_t guess;
    if (model.lead[bytes[n - 1]]) {
        guess = n - 2;
    } else {
        uint32_t leads = 0;
        for (uint32_t i = n - 1; i > 0 && model.lead[bytes[i - 1]]; --i)
            ++leads;
        guess = (leads % 2 == 1) ? n - 2 : n - 1;
    }
    if (guess == n - 2 && model.lead[bytes[n - 2]] && model.trail[bytes[n - 1]])
        return n - 2;
    return n - 1;
}

bool MatchesAt(const CharacterModel& model, const unsigned char* data, uint32_t end,
               uint32_t position, const char* findText, uint32_t charCount, bool matchCase) {
    const unsigned char* find = reinterpret_cast<const unsigned char*>(findText);
    if (!model.doubleByte) {
        if (position > end || end - position < charCount)
            return false;
        const unsigned char* at = data + position;
        if (matchCase)
            return std::memcmp(at, find, charCount) == 0;
        for (uint32_t i = 0; i < charCount; ++i) {
            if (model.fold[at[i]] != model.fold[find[i]])
                return false;
        }
        return true;
    }
    uint32_t d = position;
    uint32_t f = 0;
    for (uint32_t i = 0; i < charCount; ++i) {
        if (d >= end)
            return false;
        unsigned dataValue = ReadCharacter(model, data, end, &d);
        unsigned findValue = ReadCharacter(model, find, 0xFFFFFFFFu, &f);
        if (dataValue == 0)
            return false;
        if (!matchCase) {
            dataValue = FoldCharacter(model, dataValue);
            findValue = FoldCharacter(model, findValue);
        }
        if (dataValue != findValue)
            return false;
    }
    return true;
}

bool IsWholeWord(const unsigned char* data, uint32_t end, const PreviousCharacter& previous,
                 uint32_t position, uint32_t findLength) {
    bool before = previous.atPosition ? !IsWordByte(data[previous.position])
                                      : previous.boundaryBefore;
    if (!before)
        return false;
    uint32_t after = position + findLength;
    return after >= end || !IsWordByte(data[after]);
}

uint32_t NextCandidate(const CharacterModel& model, const unsigned char* data, uint32_t end,
                       uint32_t position) {
    uint32_t next = position + 1;
    if (model.doubleByte && model.lead[data[position]] && next < end &&
        model.trail[data[next]])
        return position + 2;
    return next;
}
