// Byte-level name tests of the folder walk.
#include "job/walk_names.h"

#include "engine/character_model.h"

#include <cstring>

namespace {

unsigned char FoldAscii(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

} // namespace

bool HasBackupSuffix(const char* name) {
    const size_t length = std::strlen(name);
    if (length <= 4) return false;
    const char* suffix = ".bak";
    for (size_t i = 0; i < 4; ++i) {
        if (FoldAscii(static_cast<unsigned char>(name[length - 4 + i])) !=
            static_cast<unsigned char>(suffix[i]))
            return false;
    }
    return true;
}

bool EndsWithBackslash(const CharacterModel& model, const char* path) {
    // Read character by character from the start: only there is it known which bytes are
    // lead bytes. A lead byte followed by NUL is a character of its own.
    bool lastIsBackslash = false;
    for (size_t i = 0; path[i] != '\0';) {
        const unsigned char byte = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(model, byte) && path[i + 1] != '\0') {
            lastIsBackslash = false;
            i += 2;
        } else {
            lastIsBackslash = byte == '\\';
            i += 1;
        }
    }
    return lastIsBackslash;
}
