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

// The first position in [from, limit) whose byte is a stop byte, or limit.
uint32_t SkipToStop(const MatchRequest& request, const unsigned char* data, uint32_t from,
                    uint32_t limit) {
    uint32_t i = from;
    const unsigned char s0 = request.stops[0];
    const unsigned char s1 = request.stops[1];
    const bool high = request.stopHigh;
#if defined(__SSE2__)
    const __m128i v0 = _mm_set1_epi8(static_cast<char>(s0));
    const __m128i v1 = _mm_set1_epi8(static_cast<char>(s1));
    while (limit - i >= 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(block, v0), _mm_cmpeq_epi8(block, v1));
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
        if (b == s0 || b == s1 || (high && b >= 0x80))
            break;
    }
    return i;
}

void PrepareFastSkip(MatchRequest* request) {
    const CharacterModel& model = *request->model;
    const unsigned char first = static_cast<unsigned char>(request->findText[0]);
    request->fastSkip = false;
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
    int stopCount = 0;
    unsigned char stops[2] = {0x80, 0x80};
    if (!(model.doubleByte && model.lead[first])) {
        for (int b = 0; b < 256; ++b) {
            if (model.doubleByte && (b >= 0x80 || model.lead[b]))
                continue; // covered by stopHigh
            bool candidate = request->matchCase ? b == first : model.fold[b] == model.fold[first];
            if (!candidate)
                continue;
            if (stopCount == 2)
                return; // too many start bytes for the quick test
            stops[stopCount++] = static_cast<unsigned char>(b);
        }
    } else if (!model.doubleByte) {
        return;
    }
    if (stopCount == 1)
        stops[1] = stops[0];
    request->stops[0] = stops[0];
    request->stops[1] = stops[1];
    request->fastSkip = stopCount > 0 || request->stopHigh;
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
        if (MatchesAt(*request.model, data, end, p, request.findText, request.charCount,
                      request.matchCase) &&
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
