// The stored form of one input history: a REG_BINARY value, packed, little-endian:
// a signed 32-bit count, then per entry a 32-bit length and that many text bytes.
// Platform-free, so it builds and is tested natively as well.
#pragma once

#include <cstddef>
#include <cstdint>

// At most this many entries are stored, however long the list in the combo box is.
constexpr int kMaxStoredHistoryEntries = 16;

uint32_t GetLittleEndian32(const unsigned char* p);
void PutLittleEndian32(unsigned char* p, uint32_t value);

// Walks the entries of a stored value. It stops at the first entry whose length field or
// text does not lie within the value, so it never reads outside data[0, size).
struct HistoryReader {
    const unsigned char* data;
    size_t size;
    size_t offset;     // where the next entry's length field starts
    int32_t remaining; // entries the count still promises
};

void BeginHistoryRead(HistoryReader* reader, const unsigned char* data, size_t size);

// The next entry's text (not terminated) and its length up to its first NUL byte;
// false when no further entry fits in the value.
bool ReadHistoryEntry(HistoryReader* reader, const unsigned char** text, size_t* length);

// Builds a value in a caller's buffer; the count at offset 0 always matches the entries
// added, and `offset` is the value's size so far.
struct HistoryWriter {
    unsigned char* data;
    size_t capacity;
    size_t offset;
    uint32_t count;
};

// False when the buffer cannot hold even the count.
bool BeginHistoryWrite(HistoryWriter* writer, unsigned char* data, size_t capacity);

// Writes the length field of a new entry and returns where its `length` text bytes go,
// or null when the entry does not fit (then nothing is written).
unsigned char* AddHistoryEntry(HistoryWriter* writer, size_t length);

// Size of the value that holds entries of these lengths.
size_t HistoryValueSize(const size_t* lengths, int count);
