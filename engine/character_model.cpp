// Building the character model of a code page from the fixed table of known pages.
#include "engine/character_model.h"

#include <cstring>

namespace {

// Until start-up fixes it from the ANSI code page, the model is a single-byte one.
CharacterModel SingleByteModelAtStart() {
    CharacterModel model;
    MakeSingleByteModel(&model, 1252);
    return model;
}

struct ByteRange {
    unsigned char first;
    unsigned char last;
};

struct KnownCodePage {
    unsigned codePage;
    ByteRange lead[3];
    ByteRange trail[2];
    int foldRangeCount;
    DoubleByteFold foldRanges[2];
};

// A {0, 0} range is unused.
const KnownCodePage KnownCodePages[] = {
    {932, {{0x81, 0x9F}, {0xE0, 0xFC}, {0, 0}}, {{0x40, 0x7E}, {0x80, 0xFC}},
     1, {{0x8260, 0x8279, 0x21}, {0, 0, 0}}},
    {936, {{0x81, 0xFE}, {0, 0}, {0, 0}}, {{0x40, 0xFE}, {0, 0}},
     1, {{0xA3C1, 0xA3DA, 0x20}, {0, 0, 0}}},
    {949, {{0x81, 0xFE}, {0, 0}, {0, 0}}, {{0x41, 0xFE}, {0, 0}},
     1, {{0xA3C1, 0xA3DA, 0x20}, {0, 0, 0}}},
    {950, {{0x81, 0xFE}, {0, 0}, {0, 0}}, {{0x40, 0x7E}, {0xA1, 0xFE}},
     2, {{0xA2CF, 0xA2E4, 0x1A}, {0xA2E5, 0xA2E8, 0x5B}}},
    {1361, {{0x81, 0xD3}, {0xD8, 0xDE}, {0xE0, 0xF9}}, {{0x31, 0x7E}, {0x81, 0xFE}},
     2, {{0xDA51, 0xDA5E, 0x20}, {0xDA5F, 0xDA6A, 0x32}}},
};

void SetRange(bool* set, unsigned first, unsigned last) {
    if (first == 0 && last == 0)
        return;
    for (unsigned b = first; b <= last && b < 256; ++b)
        set[b] = true;
}

void ClearModel(CharacterModel* model, unsigned codePage) {
    std::memset(model, 0, sizeof *model);
    model->codePage = codePage;
    for (int b = 0; b < 256; ++b)
        model->fold[b] = static_cast<unsigned char>(b);
    for (int b = 'A'; b <= 'Z'; ++b)
        model->fold[b] = static_cast<unsigned char>(b - 'A' + 'a');
}

} // namespace

CharacterModel ProcessCharacterModel = SingleByteModelAtStart();

void MakeSingleByteModel(CharacterModel* model, unsigned codePage) {
    ClearModel(model, codePage);
}

bool MakeKnownDoubleByteModel(CharacterModel* model, unsigned codePage) {
    for (const KnownCodePage& known : KnownCodePages) {
        if (known.codePage != codePage)
            continue;
        ClearModel(model, codePage);
        model->doubleByte = true;
        for (const ByteRange& r : known.lead)
            SetRange(model->lead, r.first, r.last);
        for (const ByteRange& r : known.trail)
            SetRange(model->trail, r.first, r.last);
        model->foldRangeCount = known.foldRangeCount;
        for (int i = 0; i < known.foldRangeCount; ++i)
            model->foldRanges[i] = known.foldRanges[i];
        return true;
    }
    return false;
}

void MakeOtherDoubleByteModel(CharacterModel* model, unsigned codePage,
                              const unsigned char* leadRanges, int rangeBytes) {
    ClearModel(model, codePage);
    model->doubleByte = true;
    for (int i = 0; i + 1 < rangeBytes; i += 2) {
        if (leadRanges[i] == 0 && leadRanges[i + 1] == 0)
            break;
        SetRange(model->lead, leadRanges[i], leadRanges[i + 1]);
    }
    SetRange(model->trail, 0x01, 0xFE);
}

void MakeCharacterModel(CharacterModel* model, unsigned codePage) {
    if (!MakeKnownDoubleByteModel(model, codePage))
        MakeSingleByteModel(model, codePage);
}
