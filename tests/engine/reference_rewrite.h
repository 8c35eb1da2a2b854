// A plain reference for the matcher and the two passes, written from the rules themselves
// rather than through the engine's functions: characters of the code page, folding, whole
// words, the step from one candidate to the next, the last character's offset, and the
// rewrite that replaces occurrence by occurrence and moves the rest of the data each time.
// It reads only the character model's tables (lead and trail bytes, fold map and ranges).
// Shared by the differential test and the rewrite fuzzer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/character_model.h"

struct ReferenceRequest {
    const CharacterModel* model;
    std::string find; // no NUL byte
    bool matchCase;
    bool onlyWords;
};

// The number of occurrences the counting pass finds in data.
uint32_t ReferenceCount(const ReferenceRequest& request, const std::vector<unsigned char>& data);

// Replaces occurrences in buffer (its first size bytes are the data; it has room for the
// growth) front to back until `count` have been made or the data ends; returns how many
// were made. The data then ends at size + made * (replace.size() - find.size()).
uint32_t ReferenceRewrite(const ReferenceRequest& request, std::vector<unsigned char>& buffer,
                          uint32_t size, uint32_t count, const std::string& replace);

// The find text's measures, by the rules.
uint32_t ReferenceCharCount(const CharacterModel& model, const std::string& text);
uint32_t ReferenceLastCharOffset(const CharacterModel& model, const std::string& text);
