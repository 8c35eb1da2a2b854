// The character model from the platform's code-page services.
#include "engine/character_model_win.h"

#include <windows.h>

namespace {

// The single-byte fold map of a double-byte code page: each one-byte character that the
// platform classes as an upper-case letter folds to its lower-case partner. Keeps the ASCII
// map when the platform has no tables for the page.
void FoldFromPlatform(CharacterModel* model) {
    WORD type = 0;
    char probe = 'A';
    if (!GetStringTypeExA(LOCALE_SYSTEM_DEFAULT, CT_CTYPE1, &probe, 1, &type) ||
        !(type & C1_UPPER))
        return;
    for (int b = 1; b < 256; ++b) {
        model->fold[b] = static_cast<unsigned char>(b);
        if (model->lead[b])
            continue;
        char c = static_cast<char>(b);
        type = 0;
        if (!GetStringTypeExA(LOCALE_SYSTEM_DEFAULT, CT_CTYPE1, &c, 1, &type) ||
            !(type & C1_UPPER))
            continue;
        CharLowerBuffA(&c, 1);
        unsigned char lower = static_cast<unsigned char>(c);
        if (lower != 0 && !model->lead[lower])
            model->fold[b] = lower;
    }
}

} // namespace

void BuildCharacterModelForAnsiCodePage(CharacterModel* model) {
    UINT codePage = GetACP();
    if (MakeKnownDoubleByteModel(model, codePage)) {
        FoldFromPlatform(model);
        return;
    }
    CPINFO info = {};
    if (GetCPInfo(codePage, &info) && info.MaxCharSize == 2) {
        MakeOtherDoubleByteModel(model, codePage, info.LeadByte, MAX_LEADBYTES);
        FoldFromPlatform(model);
        return;
    }
    MakeSingleByteModel(model, codePage);
}

void InitCharacterModel() {
    BuildCharacterModelForAnsiCodePage(&ProcessCharacterModel);
}
