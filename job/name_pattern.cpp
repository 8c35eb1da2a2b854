// The platform's file name matching, on byte strings of the ANSI code page.
#include "job/name_pattern.h"

#include "engine/character_model.h"

#include <cstring>

namespace {

enum ElementKind { Literal, Star, DosStar, DosQm, DosDot };

struct Element {
    unsigned char kind;     // an ElementKind
    unsigned char length;   // of a literal character: 1 or 2 bytes
    unsigned char bytes[2];
};

// Names are at most 259 bytes and patterns are bounded by the walk's 520-byte buffers.
const size_t kLongestPattern = 520;
const size_t kLongestName = 520;

size_t CharacterLength(const CharacterModel& model, const char* text, size_t at) {
    return IsLeadByte(model, static_cast<unsigned char>(text[at])) && text[at + 1] != '\0' ? 2 : 1;
}

bool IsSingle(const Element& e, char c) {
    return e.kind == Literal && e.length == 1 && e.bytes[0] == static_cast<unsigned char>(c);
}

// The pattern as the search uses it: trailing spaces and dots dropped, a final dot kept as
// one, then the wildcard translation. Returns the number of elements, or -1 when the
// pattern is empty after the drop.
int Translate(const CharacterModel& model, const char* pattern, Element* elements) {
    // Split into characters first: the trailing run is found on characters, not bytes.
    size_t count = 0;
    size_t end = 0;         // elements up to the last one that is neither space nor dot
    bool finalDot = false;  // the pattern's last character is a dot
    for (size_t at = 0; pattern[at] != '\0' && count < kLongestPattern;) {
        Element e;
        e.kind = Literal;
        e.length = static_cast<unsigned char>(CharacterLength(model, pattern, at));
        e.bytes[0] = static_cast<unsigned char>(pattern[at]);
        e.bytes[1] = e.length == 2 ? static_cast<unsigned char>(pattern[at + 1]) : 0;
        elements[count++] = e;
        at += e.length;
        const bool spaceOrDot = IsSingle(e, ' ') || IsSingle(e, '.');
        if (!spaceOrDot) end = count;
        finalDot = IsSingle(e, '.');
    }
    count = end;
    if (count == 0) return -1;
    if (finalDot) {
        elements[count].kind = Literal;
        elements[count].length = 1;
        elements[count].bytes[0] = '.';
        elements[count].bytes[1] = 0;
        ++count;
    }
    // The translation looks at the typed neighbours, so it is made from a copy.
    Element typed[kLongestPattern + 1];
    std::memcpy(typed, elements, count * sizeof(Element));
    for (size_t i = 0; i < count; ++i) {
        const Element& e = typed[i];
        const bool last = i + 1 == count;
        if (IsSingle(e, '?') || IsSingle(e, '>')) {
            elements[i].kind = DosQm;
        } else if (IsSingle(e, '*')) {
            elements[i].kind = !last && IsSingle(typed[i + 1], '.') ? DosStar : Star;
        } else if (IsSingle(e, '<')) {
            elements[i].kind = DosStar;
        } else if (IsSingle(e, '"')) {
            elements[i].kind = DosDot;
        } else if (IsSingle(e, '.')) {
            if (last || IsSingle(typed[i + 1], '?') || IsSingle(typed[i + 1], '*'))
                elements[i].kind = DosDot;
        }
    }
    return static_cast<int>(count);
}

} // namespace

bool NameMatchesPattern(const CharacterModel& model, const char* pattern, const char* name) {
    if (std::strlen(pattern) >= kLongestPattern || std::strlen(name) >= kLongestName)
        return true; // longer than any the search takes: not ours to turn away
    Element elements[kLongestPattern + 1];
    const int translated = Translate(model, pattern, elements);
    if (translated < 0) return true;
    const size_t count = static_cast<size_t>(translated);

    // The name's characters and where its last dot is.
    unsigned short starts[kLongestName + 1];
    unsigned char lengths[kLongestName + 1];
    size_t characters = 0;
    size_t lastDot = kLongestName + 1;
    for (size_t at = 0; name[at] != '\0';) {
        starts[characters] = static_cast<unsigned short>(at);
        lengths[characters] = static_cast<unsigned char>(CharacterLength(model, name, at));
        if (lengths[characters] == 1 && name[at] == '.') lastDot = characters;
        at += lengths[characters];
        ++characters;
    }

    // The states reached so far: states[s] means the first s elements have matched the
    // characters taken. Each step takes the empty matches first, then one character.
    bool states[kLongestPattern + 2] = {};
    bool next[kLongestPattern + 2];
    states[0] = true;
    for (size_t c = 0;; ++c) {
        const bool atEnd = c == characters;
        const bool atDot = !atEnd && lengths[c] == 1 && name[starts[c]] == '.';
        for (size_t s = 0; s < count; ++s) {
            if (!states[s]) continue;
            const unsigned char kind = elements[s].kind;
            const bool empty = kind == Star || kind == DosStar ||
                               (kind == DosQm && (atEnd || atDot)) || (kind == DosDot && atEnd);
            if (empty) states[s + 1] = true;
        }
        if (atEnd) return states[count];
        bool any = false;
        std::memset(next, 0, sizeof next);
        for (size_t s = 0; s < count; ++s) {
            if (!states[s]) continue;
            const Element& e = elements[s];
            switch (e.kind) {
            case Star:
                next[s] = true;
                break;
            case DosStar:
                if (!(atDot && c == lastDot)) next[s] = true;
                break;
            case DosQm:
                if (!atDot) next[s + 1] = true;
                break;
            case DosDot:
                if (atDot) next[s + 1] = true;
                break;
            case Literal:
                if (e.length == lengths[c] &&
                    std::memcmp(e.bytes, name + starts[c], e.length) == 0)
                    next[s + 1] = true;
                break;
            }
            any = any || next[s] || next[s + 1];
        }
        if (!any) return false;
        std::memcpy(states, next, sizeof states);
    }
}
