// The counting and rewriting passes.
//
// The rewrite is linear: the per-occurrence algorithm moves the whole rest of the data at
// each replacement, but the bytes it then scans are always the original bytes after the
// occurrence, so its result is the original data with the first `count` accepted
// occurrences replaced. We build exactly that in one sweep:
//  - replacement not longer than the find text: compact front to back (the write position
//    never passes the read position);
//  - longer: first move the data from the first occurrence on up by count * d to the end of
//    the room, then write the result front to back from there; the write position stays at
//    or below the read position while fewer than `count` replacements have been made.
// The scan passes most positions with a quick test on two of the find text's bytes, 64
// positions at a time. In a single-byte code page without whole words every position is a
// character of its own and no earlier character matters, so the candidates of a block are
// taken straight from its mask; otherwise NextOccurrence walks them one by one.
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

// How often a byte turns up in common text and code, roughly, in thousandths: the quick
// test looks for the find text's rarest bytes, so that it stops seldom.
unsigned CommonFrequency(unsigned char b) {
    static const unsigned char Lower[26] = {65, 12, 22, 34, 100, 18, 16, 49, 57, 1, 6, 33, 20,
                                            55, 60, 15, 1, 48, 50, 75, 22, 8, 19, 1, 16, 1};
    if (b >= 'a' && b <= 'z')
        return Lower[b - 'a'];
    if (b >= 'A' && b <= 'Z')
        return 1 + Lower[b - 'A'] / 8;
    if (b == ' ')
        return 170;
    if (b == '\n' || b == '\r' || b == '\t' || b == ',' || b == '.' || b == '_' || b == '(' ||
        b == ')' || b == ';' || b == '=')
        return 10;
    if (b >= '0' && b <= '9')
        return 5;
    return 1;
}

#if defined(__SSE2__)
// The quick test on 16 positions at a time.
struct StopTest {
    __m128i v0, v1, w0, w1;
    uint32_t a, b;
    bool pair;
};

StopTest MakeStopTest(const MatchRequest& request) {
    StopTest test;
    test.v0 = _mm_set1_epi8(static_cast<char>(request.stops[0]));
    test.v1 = _mm_set1_epi8(static_cast<char>(request.stops[1]));
    test.w0 = _mm_set1_epi8(static_cast<char>(request.secondStops[0]));
    test.w1 = _mm_set1_epi8(static_cast<char>(request.secondStops[1]));
    test.a = request.stopAt[0];
    test.b = request.stopAt[1];
    test.pair = request.pairStops;
    return test;
}

inline __m128i EitherByte(const unsigned char* p, __m128i x, __m128i y) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return _mm_or_si128(_mm_cmpeq_epi8(block, x), _mm_cmpeq_epi8(block, y));
}

// 0xFF in each lane whose position p + lane passes the test (stopHigh aside). Both bytes
// are always tested: a branch on the first would mispredict on common bytes.
inline __m128i Hits16(const StopTest& test, const unsigned char* p) {
    __m128i hits = EitherByte(p + test.a, test.v0, test.v1);
    if (test.pair)
        hits = _mm_and_si128(hits, EitherByte(p + test.b, test.w0, test.w1));
    return hits;
}

inline unsigned Mask16(__m128i hits) {
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

// The stops among the 64 positions from p, as bits; most blocks have none, and are done
// with a single branch.
inline uint64_t Mask64(const StopTest& test, const unsigned char* p) {
    const __m128i h0 = Hits16(test, p);
    const __m128i h1 = Hits16(test, p + 16);
    const __m128i h2 = Hits16(test, p + 32);
    const __m128i h3 = Hits16(test, p + 48);
    if (Mask16(_mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3))) == 0)
        return 0;
    return static_cast<uint64_t>(Mask16(h0)) | static_cast<uint64_t>(Mask16(h1)) << 16 |
           static_cast<uint64_t>(Mask16(h2)) << 32 | static_cast<uint64_t>(Mask16(h3)) << 48;
}
#endif

// The first position in [from, limit) that the quick test cannot rule out, or limit.
// The test reads up to stopAt[1] bytes after each position, so limit must leave that much
// data (it does: limit is at most end - L + 1, and stopAt[1] < L).
uint32_t SkipToStop(const MatchRequest& request, const unsigned char* data, uint32_t from,
                    uint32_t limit) {
    uint32_t i = from;
    const bool high = request.stopHigh;
#if defined(__SSE2__)
    const StopTest test = MakeStopTest(request);
    if (!high) {
        while (limit - i >= 65) {
            const uint64_t mask = Mask64(test, data + i);
            if (mask != 0)
                return i + static_cast<uint32_t>(__builtin_ctzll(mask));
            i += 64;
        }
    }
    while (limit - i >= 17) {
        unsigned mask = Mask16(Hits16(test, data + i));
        if (high) // stopHigh comes with stopAt[0] == 0
            mask |= Mask16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)));
        if (mask != 0)
            return i + static_cast<uint32_t>(__builtin_ctz(mask));
        i += 16;
    }
#endif
    const unsigned char s0 = request.stops[0];
    const unsigned char s1 = request.stops[1];
    const unsigned char t0 = request.secondStops[0];
    const unsigned char t1 = request.secondStops[1];
    const uint32_t a = request.stopAt[0];
    const uint32_t b = request.stopAt[1];
    const bool pair = request.pairStops;
    for (; i < limit; ++i) {
        if (high && data[i] >= 0x80)
            break;
        const unsigned char x = data[i + a];
        if ((x == s0 || x == s1) && (!pair || data[i + b] == t0 || data[i + b] == t1))
            break;
    }
    return i;
}

// Copies n bytes to dst from src, which may overlap it. Short copies are done inline, every
// byte read before any is written; the dense rewrite makes millions of them, and a call
// into the C library for each costs more than the copy (under Wine far more).
inline void MoveBytes(unsigned char* dst, const unsigned char* src, size_t n) {
    if (n <= 16) {
        if (n >= 8) {
            uint64_t head, tail;
            std::memcpy(&head, src, 8);
            std::memcpy(&tail, src + n - 8, 8);
            std::memcpy(dst, &head, 8);
            std::memcpy(dst + n - 8, &tail, 8);
        } else if (n >= 4) {
            uint32_t head, tail;
            std::memcpy(&head, src, 4);
            std::memcpy(&tail, src + n - 4, 4);
            std::memcpy(dst, &head, 4);
            std::memcpy(dst + n - 4, &tail, 4);
        } else if (n > 0) {
            const unsigned char first = src[0], middle = src[n / 2], last = src[n - 1];
            dst[0] = first;
            dst[n / 2] = middle;
            dst[n - 1] = last;
        }
        return;
    }
    if (n <= 32) {
        unsigned char head[16], tail[16];
        std::memcpy(head, src, 16);
        std::memcpy(tail, src + n - 16, 16);
        std::memcpy(dst, head, 16);
        std::memcpy(dst + n - 16, tail, 16);
        return;
    }
    std::memmove(dst, src, n);
}

// Single-byte code page, not whole words: the accepted occurrences are simply the leftmost
// matches, each searched from the end of the one before, so the candidates of a block of 16
// positions are taken from one mask. Calls onMatch(position) for each, at most `most` times,
// in order, and returns how many; the search starts at `from`, the end of an occurrence or 0.
// Every byte it reads lies at or after the position where the last occurrence ended, so
// onMatch may write anywhere before that.
template <typename OnMatch>
uint32_t ForEachPlainOccurrence(const MatchRequest& request, const unsigned char* data,
                                uint32_t size, uint32_t from, uint32_t most, OnMatch onMatch) {
    const uint32_t length = request.findLength;
    if (size < length || most == 0)
        return 0;
    const uint32_t last = size - length;
    uint32_t made = 0;
    uint32_t p = from;
#if defined(__SSE2__)
    const StopTest test = MakeStopTest(request);
    // A block of positions [p, p + 64) reads up to data[p + 63 + stopAt[1]], inside the data
    // while p + 63 <= last.
    while (p <= last && last - p >= 63) {
        uint64_t mask = Mask64(test, data + p);
        uint32_t next = p + 64;
        while (mask != 0) {
            const uint32_t at = p + static_cast<uint32_t>(__builtin_ctzll(mask));
            if (!SingleByteMatch(request, data + at)) {
                mask &= mask - 1;
                continue;
            }
            onMatch(at);
            if (++made == most)
                return made;
            const uint32_t after = at + length;
            if (after >= next) {
                next = after;
                break;
            }
            mask &= ~0ull << (after - p); // candidates inside the occurrence are passed
        }
        p = next;
    }
#endif
    while (p <= last) {
        if (SingleByteMatch(request, data + p)) {
            onMatch(p);
            if (++made == most)
                return made;
            p += length;
        } else {
            ++p;
        }
    }
    return made;
}

bool PlainScan(const MatchRequest& request) {
    return request.fastSkip && !request.model->doubleByte && !request.onlyWords;
}

// The offset of the find text's byte whose matching bytes are the rarest in common text,
// other than `except`. Single-byte models only (every byte matches at most two).
uint32_t RarestOffset(const MatchRequest& request, uint32_t except) {
    const unsigned char* find = reinterpret_cast<const unsigned char*>(request.findText);
    uint32_t best = 0;
    unsigned bestFrequency = ~0u;
    for (uint32_t i = 0; i < request.findLength; ++i) {
        unsigned char matching[2];
        if (i == except || !MatchingBytes(request, find[i], false, matching))
            continue;
        unsigned frequency = CommonFrequency(matching[0]);
        if (matching[1] != matching[0])
            frequency += CommonFrequency(matching[1]);
        if (frequency < bestFrequency) {
            bestFrequency = frequency;
            best = i;
        }
    }
    return best;
}

void PrepareFastSkip(MatchRequest* request) {
    const CharacterModel& model = *request->model;
    const unsigned char* find = reinterpret_cast<const unsigned char*>(request->findText);
    request->fastSkip = false;
    request->pairStops = false;
    request->stopHigh = model.doubleByte;
    request->stopAt[0] = 0;
    request->stopAt[1] = 1;
    if (request->charCount == 0)
        return; // an empty comparison matches everywhere
    if (!model.doubleByte) {
        // Every byte is a character of its own, so any two of the find text's bytes may be
        // tested: the two rarest. MatchingBytes lists at most two for a single-byte model.
        request->stopAt[0] = RarestOffset(*request, request->findLength);
        if (!MatchingBytes(*request, find[request->stopAt[0]], false, request->stops))
            return;
        request->fastSkip = true;
        if (request->findLength >= 2) {
            request->stopAt[1] = RarestOffset(*request, request->stopAt[0]);
            request->pairStops =
                MatchingBytes(*request, find[request->stopAt[1]], false, request->secondStops);
        }
        return;
    }
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

// A growing rewrite of few occurrences: their positions are noted first, then each stretch
// of the data after one is moved straight to its place, from the last occurrence to the
// first, with the replacement put before it. Every byte after the first occurrence is written
// once (the general way moves it up and then back down). Returns the occurrences replaced.
const uint32_t MaxPlacedOccurrences = 4096;

uint32_t PlaceFromTheEnd(const MatchRequest& request, unsigned char* data, uint32_t size,
                         uint32_t count, const unsigned char* replacement, uint32_t replaceLength) {
    uint32_t positions[MaxPlacedOccurrences];
    uint32_t found = 0;
    if (PlainScan(request)) {
        found = ForEachPlainOccurrence(request, data, size, 0, count,
                                       [&](uint32_t at) { positions[found] = at; ++found; });
    } else {
        ScanState state = ScanFromStart();
        uint32_t at = 0;
        while (found < count && NextOccurrence(request, data, size, &state, &at))
            positions[found++] = at;
    }
    const uint32_t findLength = request.findLength;
    const uint32_t grow = replaceLength - findLength;
    uint32_t end = size; // the original data from here on is in place already
    for (uint32_t k = found; k-- > 0;) {
        const uint32_t after = positions[k] + findLength;
        // Stretches move up, each by more than the one before it moves: the bytes a move
        // writes are either free or already moved on.
        std::memmove(data + after + (k + 1) * grow, data + after, end - after);
        MoveBytes(data + positions[k] + k * grow, replacement, replaceLength);
        end = positions[k];
    }
    return found;
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
    if (PlainScan(request))
        return ForEachPlainOccurrence(request, data, size, 0, 0xFFFFFFFFu, [](uint32_t) {});
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
    const bool plain = PlainScan(request);
    const unsigned char* source = data; // the original bytes, read front to back
    const unsigned char* replacement = reinterpret_cast<const unsigned char*>(replaceText);
    uint32_t written = 0;               // end of the result so far
    uint32_t copied = 0;                // original bytes before this are in the result
    auto replaceAt = [&](uint32_t position) {
        uint32_t run = position - copied;
        if (data + written != source + copied)
            MoveBytes(data + written, source + copied, run);
        written += run;
        MoveBytes(data + written, replacement, replaceLength);
        written += replaceLength;
        copied = position + findLength;
    };
    uint32_t made = 0;
    ScanState state = ScanFromStart();
    uint32_t at = 0;
    if (replaceLength > findLength) {
        const uint64_t shift = static_cast<uint64_t>(count) * (replaceLength - findLength);
        if (capacity < size + shift)
            return 0;
        if (count <= MaxPlacedOccurrences)
            return PlaceFromTheEnd(request, data, size, count, replacement, replaceLength);
        // Nothing before the first occurrence changes, so only the data from there on moves
        // up (a late first occurrence leaves most of the data, and its pages, untouched).
        bool found = plain ? ForEachPlainOccurrence(request, data, size, 0, 1,
                                                    [&](uint32_t first) { at = first; }) == 1
                           : NextOccurrence(request, data, size, &state, &at);
        if (!found)
            return 0;
        std::memmove(data + at + shift, data + at, size - at);
        source = data + shift;
        written = copied = at;
        replaceAt(at);
        made = 1;
    }
    if (plain) {
        made += ForEachPlainOccurrence(request, source, size, copied, count - made, replaceAt);
    } else {
        while (made < count && NextOccurrence(request, source, size, &state, &at)) {
            replaceAt(at);
            ++made;
        }
    }
    if (data + written != source + copied)
        std::memmove(data + written, source + copied, size - copied);
    return made;
}
