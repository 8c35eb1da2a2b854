// The rules by which the find text is found in a file's bytes: characters of the ANSI code
// page, comparison with or without regard to case, whole words, and the step from one
// candidate position to the next. Pure functions over byte ranges; nothing is allocated and
// no byte outside [data, data + end) is read.
#pragma once

#include <cstdint>

#include "engine/character_model.h"

// The character before a candidate position: a position in the data, or none together with
// whether the character before is a boundary.
struct PreviousCharacter {
    bool atPosition;
    uint32_t position;
    bool boundaryBefore;
};

inline PreviousCharacter PreviousAtStart() {
    return PreviousCharacter{false, 0, true};
}

bool IsWordByte(unsigned char value);

// The find text's character count C (a lead byte that ends the text is not counted).
uint32_t CharCount(const CharacterModel& model, const char* text);

// Where the find text's last character begins, from the start of an occurrence (K).
uint32_t LastCharOffset(const CharacterModel& model, const char* text);

// True when an occurrence of the find text (C characters) starts at position.
bool MatchesAt(const CharacterModel& model, const unsigned char* data, uint32_t end,
               uint32_t position, const char* findText, uint32_t charCount, bool matchCase);

// True when the occurrence of length findLength at position stands as a whole word.
bool IsWholeWord(const unsigned char* data, uint32_t end, const PreviousCharacter& previous,
                 uint32_t position, uint32_t findLength);

// The next candidate after a position that yielded no occurrence. A lead byte followed,
// inside the data, by a trail byte is always stepped over together with it, so no
// occurrence ever starts on the second half of a character.
uint32_t NextCandidate(const CharacterModel& model, const unsigned char* data, uint32_t end,
                       uint32_t position);
