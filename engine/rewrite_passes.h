// The two passes of the rewrite over a byte buffer: counting the occurrences, and replacing
// them in place. Both take their decisions through NextOccurrence, so they agree at every
// position. Platform-free; the file mapping around them lives in replace_in_file.cpp.
#pragma once

#include <cstdint>

#include "engine/character_model.h"
#include "engine/text_matcher.h"

// The find text and options of one file's scan, with the measures worked out once.
struct MatchRequest {
    const CharacterModel* model;
    const char* findText;
    uint32_t findLength;   // L, at least 1
    uint32_t charCount;    // C
    uint32_t lastCharAt;   // K
    bool matchCase;
    bool onlyWords;
    // The quick test that lets the scan pass most positions at once: a position is a stop
    // only when the byte stopAt[0] bytes after it is one of stops (or, with stopHigh, the
    // byte at the position is >= 0x80) and, with pairStops, the byte stopAt[1] bytes after
    // it is one of secondStops. Every position that fails it starts no occurrence. In a
    // single-byte code page the two offsets are those of the find text's rarest bytes in
    // common text; in a double-byte one they are its first two bytes (0 and 1).
    bool fastSkip;
    bool stopHigh;
    bool pairStops;
    unsigned char stops[2];
    unsigned char secondStops[2];
    uint32_t stopAt[2];
};

struct ScanState {
    uint32_t position;
    PreviousCharacter previous;
};

void PrepareMatch(MatchRequest* request, const CharacterModel& model, const char* findText,
                  bool matchCase, bool onlyWords);

inline ScanState ScanFromStart() {
    return ScanState{0, PreviousAtStart()};
}

// Finds the next occurrence that the scan accepts at or after state->position in
// [data, data + end); on success stores its position and moves the state past it.
bool NextOccurrence(const MatchRequest& request, const unsigned char* data, uint32_t end,
                    ScanState* state, uint32_t* at);

// The counting pass.
uint32_t CountOccurrences(const MatchRequest& request, const unsigned char* data, uint32_t size);

// The rewriting pass, in place and in time linear in the size: replaces the first `count`
// occurrences (fewer when the data no longer holds as many) and returns how many it made;
// the data then ends at size + made * (replaceLength - findLength). When the replacement is
// longer, capacity must be at least size + count * (replaceLength - findLength); otherwise
// nothing is changed and 0 is returned. The result equals replacing occurrence by occurrence
// and moving the rest of the data each time.
uint32_t RewriteOccurrences(const MatchRequest& request, unsigned char* data, uint32_t size,
                            uint64_t capacity, uint32_t count, const char* replaceText,
                            uint32_t replaceLength);
