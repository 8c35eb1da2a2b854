// The counting and rewriting passes.
//
// The rewrite is linear: the per-occurrence algorithm moves the whole rest of the data at
// each replacement, but the bytes it then scans are always the original bytes after the
// occurrence, so its result is the original data with the first `count` accepted
// occurrences replaced. We build exactly that in one sweep:
//  - replacement not longer than the find text: compact front to back (the write position
//    never passes the read position);
//  - longer: first move the data up by count * d to the end of the room, then write the
//    result front to back from the start; the write position stays at or below the read
//    position while fewer than `count` replacements have been made.
#include "engine/rewrite_passes.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The up to two bytes (repeated when one) that a one-byte find character may match; false
// when there are more. Lead bytes never match one; with highCovered, neither need the bytes
// >= 0x80 that stopHigh already stops at.
bool MatchingBytes(const MatchRequest& request, unsigned char findByte, bool highCovered,
                   unsigned char* out) {
    const CharacterModel& model = *request.model;
    int found = 0;
    for (int b = 0; b < 256; ++b) {
        if (model.lead[b] || (highCovered && b >= 0x80))
            continue;
        bool candidate = request.matchCase ? b == findByte : model.fold[b] == model.fold[findByte];
        if (!candidate)
            continue;
        if (found == 2)
            return false;
        out[found++] = static_cast<unsigned char>(b);
    }
    if (found == 0)
        out[0] = 0x80; // only bytes >= 0x80, which stopHigh stops at
    if (found < 2)
        out[1] = out[0];
    return true;
}

// The first position in [from, limit) that the quick test cannot rule out, or limit.
// With pairStops the byte after each position is read too, so limit must be below the end
// (it is: pairs need a find text of two bytes or more).
uint32_t SkipToStop(const MatchRequest& request, const unsigned char* data, uint32_t from,
                    uint32_t limit) {
    uint32_t i = from;
    const unsigned char s0 = request.stops[0];
    const unsigned char s1 = request.stops[1];
    const unsigned char t0 = request.secondStops[0];
    const unsigned char t1 = request.secondStops[1];
    const bool high = request.stopHigh;
    const bool pair = request.pairStops;
#if defined(__SSE2__)
    const __m128i v0 = _mm_set1_epi8(static_cast<char>(s0));
    const __m128i v1 = _mm_set1_epi8(static_cast<char>(s1));
    const __m128i w0 = _mm_set1_epi8(static_cast<char>(t0));
    const __m128i w1 = _mm_set1_epi8(static_cast<char>(t1));
    while (limit - i >= 17) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(block, v0), _mm_cmpeq_epi8(block, v1));
        if (pair) {
            __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
            hit = _mm_and_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(next, w0), _mm_cmpeq_epi8(next, w1)));
        }
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (high)
            mask |= static_cast<unsigned>(_mm_movemask_epi8(block));
        if (mask != 0)
            return i + static_cast<uint32_t>(__builtin_ctz(mask));
        i += 16;
    }
#endif
    for (; i < limit; ++i) {
        unsigned char b = data[i];
        if (high && b >= 0x80)
            break;
        if ((b == s0 || b == s1) && (!pair || data[i + 1] == t0 || data[i + 1] == t1))
            break;
    }
    return i;
}

// MatchesAt for a single-byte model, kept here so that the scan's hot loop inlines it.
inline bool SingleByteMatch(const MatchRequest& request, const unsigned char* at) {
    const unsigned char* find = reinterpret_cast<const unsigned char*>(request.findText);
    const unsigned char* fold = request.model->fold;
    if (request.matchCase) {
        for (uint32_t i = 0; i < request.findLength; ++i) {
            if (at[i] != find[i])
                return false;
        }
        return true;
    }
    for (uint32_t i = 0; i < request.findLength; ++i) {
        if (fold[at[i]] != fold[find[i]])
            return false;
    }
    return true;
}

void PrepareFastSkip(MatchRequest* request) {
    const CharacterModel& model = *request->model;
    const unsigned char* find = reinterpret_cast<const unsigned char*>(request->findText);
    request->fastSkip = false;
    request->pairStops = false;
    request->stopHigh = model.doubleByte;
    if (request->charCount == 0)
        return; // an empty comparison matches everywhere
    if (model.doubleByte) {
        // Every byte below 0x80 must be a one-byte character for the skip to be sound.
        for (int b = 0; b < 0x80; ++b) {
            if (model.lead[b])
                return;
        }
    }
    if (model.doubleByte && model.lead[find[0]]) {
        // A two-byte first character: only bytes >= 0x80 can start it.
        request->stops[0] = request->stops[1] = 0x80;
        request->fastSkip = true;
        return;
    }
    if (!MatchingBytes(*request, find[0], model.doubleByte, request->stops))
        return;
    request->fastSkip = true;
    // The second character, when it is a one-byte one, narrows the stops to pairs.
    if (request->charCount >= 2 && !(model.doubleByte && model.lead[find[1]]) &&
        MatchingBytes(*request, find[1], false, request->secondStops))
        request->pairStops = true;
}

} // namespace

void PrepareMatch(MatchRequest* request, const CharacterModel& model, const char* findText,
                  bool matchCase, bool onlyWords) {
    request->model = &model;
    request->findText = findText;
    request->findLength = static_cast<uint32_t>(std::strlen(findText));
    request->charCount = model.doubleByte ? CharCount(model, findText) : request->findLength;
    request->lastCharAt = onlyWords ? LastCharOffset(model, findText) : 0;
    request->matchCase = matchCase;
    request->onlyWords = onlyWords;
    PrepareFastSkip(request);
}

bool NextOccurrence(const MatchRequest& request, const unsigned char* data, uint32_t end,
                    ScanState* state, uint32_t* at) {
    const uint32_t length = request.findLength;
    // A find text without one whole character (a lone lead byte) would compare nothing and
    // so match at every position: it finds nothing instead.
    if (length == 0 || request.charCount == 0 || end < length)
        return false;
    const uint32_t last = end - length;
    uint32_t p = state->position;
    while (p <= last) {
        if (request.fastSkip) {
            uint32_t q = SkipToStop(request, data, p, last + 1);
            if (q != p) {
                state->previous = PreviousCharacter{true, q - 1, false};
                p = q;
                if (p > last)
                    break;
            }
        }
        bool matches = request.model->doubleByte
                           ? MatchesAt(*request.model, data, end, p, request.findText,
                                       request.charCount, request.matchCase)
                           : SingleByteMatch(request, data + p);
        if (matches &&
            (!request.onlyWords || IsWholeWord(data, end, state->previous, p, length))) {
            *at = p;
            // The occurrence's last character is the character before the next position;
            // its class is taken now, before a rewrite overwrites it.
            state->previous =
                PreviousCharacter{false, 0, !IsWordByte(data[p + request.lastCharAt])};
            state->position = p + length;
            return true;
        }
        state->previous = PreviousCharacter{true, p, false};
        p = NextCandidate(*request.model, data, end, p);
    }
    state->position = p;
    return false;
}

uint32_t CountOccurrences(const MatchRequest& request, const unsigned char* data, uint32_t size) {
    ScanState state = ScanFromStart();
    uint32_t count = 0;
    uint32_t at = 0;
    while (NextOccurrence(request, data, size, &state, &at))
        ++count;
    return count;
}

uint32_t RewriteOccurrences(const MatchRequest& request, unsigned char* data, uint32_t size,
                            uint64_t capacity, uint32_t count, const char* replaceText,
                            uint32_t replaceLength) {
    if (count == 0)
        return 0;
    const uint32_t findLength = request.findLength;
    uint64_t shift = 0;
    if (replaceLength > findLength) {
        shift = static_cast<uint64_t>(count) * (replaceLength - findLength);
        if (capacity < size + shift)
            return 0;
        std::memmove(data + shift, data, size);
    }
    const unsigned char* source = data + shift; // the original bytes, read front to back
    uint32_t written = 0;                       // end of the result so far
    uint32_t copied = 0;                        // original bytes before this are in the result
    uint32_t made = 0;
    ScanState state = ScanFromStart();
    uint32_t at = 0;
    while (made < count && NextOccurrence(request, source, size, &state, &at)) {
        uint32_t run = at - copied;
        if (data + written != source + copied)
            std::memmove(data + written, source + copied, run);
        written += run;
        std::memcpy(data + written, replaceText, replaceLength);
        written += replaceLength;
        copied = at + findLength;
        ++made;
    }
    if (data + written != source + copied)
        std::memmove(data + written, source + copied, size - copied);
    return made;
}
