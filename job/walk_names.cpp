// Byte-level name tests of the folder walk.
#include "job/walk_names.h"

#include "engine/ascii_case.h"
#include "engine/character_model.h"

#include <cstring>

bool HasBackupSuffix(const char* name) {
    const size_t length = std::strlen(name);
    return length > 4 && EqualsIgnoringAsciiCase(name + length - 4, ".bak");
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
