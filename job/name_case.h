// Names compared as the file system compares them: upper-cased by the system, character by
// character in the ANSI code page, double-byte characters whole.
#pragma once

#include <cstddef>

struct CharacterModel;

// Writes text upper-cased by the system into out when it fits in size bytes (NUL included)
// and returns true; false, writing nothing, otherwise. A character whose upper case is not
// one character of the same length, or would turn into a wildcard or a dot, stays as it is.
bool UpperCaseName(const CharacterModel& model, const char* text, char* out, size_t size);

// True when name matches pattern (one component, no folder part) under the folder search's
// rules (see NameMatchesPattern), both upper-cased by the system. A name or pattern too long
// for the platform's names is not turned away.
bool OwnNameMatches(const CharacterModel& model, const char* pattern, const char* name);
