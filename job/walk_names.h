// Byte-level name tests of the folder walk; no platform calls.
#pragma once

#include <cstddef>

struct CharacterModel;

// True when the name is longer than 4 bytes and ends in ".bak", comparing with ASCII case
// folding only ('A'-'Z' equal 'a'-'z'; every other byte must match exactly).
bool HasBackupSuffix(const char* name);

// True when the path's last backslash is its final character. A 0x5C that is the trail
// byte of a double-byte character of the model is no backslash.
bool EndsWithBackslash(const CharacterModel& model, const char* path);

// The length of the pattern's folder part: up to and including its last separator ('\\'
// or '/', never the second byte of a double-byte character); 0 when it has none. The search
// looks in that folder, so the files it finds are named by it too.
size_t PatternFolderLength(const CharacterModel& model, const char* pattern);
