// Byte-level name tests of the folder walk.
#include "job/walk_names.h"

#include "engine/ascii_case.h"
#include "engine/character_model.h"

#include <cstring>

bool HasBackupSuffix(const char* name) {
    const size_t length = std::strlen(name);
    return length > 4 && EqualsIgnoringAsciiCase(name + length - 4, ".bak");
}

namespace {

// Calls visit(offset, character length) for each character of the text, from its start:
// only there is it known which bytes are lead bytes. A lead byte followed by NUL is a
// character of its own.
template <typename Visit>
void ForEachCharacter(const CharacterModel& model, const char* text, Visit visit) {
    for (size_t i = 0; text[i] != '\0';) {
        const size_t length =
            IsLeadByte(model, static_cast<unsigned char>(text[i])) && text[i + 1] != '\0' ? 2 : 1;
        visit(i, length);
        i += length;
    }
}

} // namespace

bool EndsWithBackslash(const CharacterModel& model, const char* path) {
    bool lastIsBackslash = false;
    ForEachCharacter(model, path, [&](size_t at, size_t length) {
        lastIsBackslash = length == 1 && path[at] == '\\';
    });
    return lastIsBackslash;
}

size_t PatternFolderLength(const CharacterModel& model, const char* pattern) {
    size_t folderLength = 0;
    ForEachCharacter(model, pattern, [&](size_t at, size_t length) {
        if (length == 1 && (pattern[at] == '\\' || pattern[at] == '/'))
            folderLength = at + 1;
    });
    return folderLength;
}
