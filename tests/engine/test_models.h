// Character models for the engine tests, built by code page number.
#pragma once

#include "engine/character_model.h"

inline CharacterModel ModelFor(unsigned codePage) {
    CharacterModel model;
    MakeCharacterModel(&model, codePage);
    return model;
}
