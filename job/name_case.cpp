// The system's upper-casing of names, for matching them as the file system does.
#include "job/name_case.h"

#include <windows.h>

#include <cstring>

#include "engine/character_model.h"
#include "job/name_pattern.h"

namespace {

const size_t kLongest = 520;

bool IsWildcardOrDot(char c) {
    return c != '\0' && std::strchr("*?<>\".", c) != nullptr;
}

} // namespace

bool UpperCaseName(const CharacterModel& model, const char* text, char* out, size_t size) {
    const size_t length = std::strlen(text);
    if (length >= size) return false;
    for (size_t at = 0; at < length;) {
        const bool lead = IsLeadByte(model, static_cast<unsigned char>(text[at]));
        const size_t n = lead && text[at + 1] != '\0' ? 2 : 1;
        char character[2] = {text[at], n == 2 ? text[at + 1] : '\0'};
        // A lone lead byte is no character the system can convert.
        bool keep = !(lead && n == 1) &&
                    CharUpperBuffA(character, static_cast<DWORD>(n)) == static_cast<DWORD>(n) &&
                    character[0] != '\0' &&
                    IsLeadByte(model, static_cast<unsigned char>(character[0])) == (n == 2) &&
                    (n == 1 ? !IsWildcardOrDot(character[0]) || character[0] == text[at]
                            : character[1] != '\0');
        std::memcpy(out + at, keep ? character : text + at, n);
        at += n;
    }
    out[length] = '\0';
    return true;
}

bool OwnNameMatches(const CharacterModel& model, const char* pattern, const char* name) {
    char upperPattern[kLongest];
    char upperName[kLongest];
    if (!UpperCaseName(model, pattern, upperPattern, sizeof upperPattern) ||
        !UpperCaseName(model, name, upperName, sizeof upperName))
        return true;
    return NameMatchesPattern(model, upperPattern, upperName);
}
