// The process's view of its ANSI code page: which bytes lead and trail a two-byte character
// and how characters fold to lower case. Fixed once at start-up, only read afterwards.
// Platform-free: tests build the model of any known code page on any machine.
#pragma once

#include <cstdint>

// A range of two-byte character values that folds to lower case by adding a difference.
struct DoubleByteFold {
    uint16_t first;
    uint16_t last;
    uint16_t add;
};

struct CharacterModel {
    unsigned codePage;
    bool doubleByte;
    bool lead[256];
    bool trail[256];
    unsigned char fold[256]; // single-byte fold map; identity for bytes that do not fold
    int foldRangeCount;      // 0 to 2
    DoubleByteFold foldRanges[2];
};

extern CharacterModel ProcessCharacterModel;

inline bool IsLeadByte(const CharacterModel& model, unsigned char value) {
    return model.lead[value];
}

// Single-byte model: no lead bytes, only 'A'..'Z' fold, whatever the code page.
void MakeSingleByteModel(CharacterModel* model, unsigned codePage);

// The five double-byte code pages known by number (932, 936, 949, 950, 1361), with the
// ASCII letters as their single-byte fold map. Returns false, leaving the model alone,
// for any other code page.
bool MakeKnownDoubleByteModel(CharacterModel* model, unsigned codePage);

// Any other double-byte code page: lead bytes from the platform's pairs of inclusive
// ranges (up to six pairs, ended by a 0,0 pair), trail bytes 0x01-0xFE, no two-byte folding.
void MakeOtherDoubleByteModel(CharacterModel* model, unsigned codePage,
                              const unsigned char* leadRanges, int rangeBytes);

// The known double-byte model for the five code pages, the single-byte one otherwise.
void MakeCharacterModel(CharacterModel* model, unsigned codePage);
