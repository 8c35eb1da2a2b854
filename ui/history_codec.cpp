// Encoding and decoding of the stored history value; see history_codec.h for the layout.
#include "ui/history_codec.h"

#include <cstring>

uint32_t GetLittleEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutLittleEndian32(unsigned char* p, uint32_t value) {
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

void BeginHistoryRead(HistoryReader* reader, const unsigned char* data, size_t size) {
    reader->data = data;
    reader->size = size;
    reader->offset = 4;
    reader->remaining = 0;
    if (data && size >= 4)
        reader->remaining = static_cast<int32_t>(GetLittleEndian32(data));
}

bool ReadHistoryEntry(HistoryReader* reader, const unsigned char** text, size_t* length) {
    if (reader->remaining <= 0)
        return false;
    // Sizes are compared by subtraction so that no sum can wrap around.
    if (reader->offset > reader->size || reader->size - reader->offset < 4) {
        reader->remaining = 0;
        return false;
    }
    const size_t start = reader->offset + 4;
    const uint32_t stored = GetLittleEndian32(reader->data + reader->offset);
    if (stored > reader->size - start) {
        reader->remaining = 0;
        return false;
    }
    const unsigned char* begin = reader->data + start;
    const void* nul = stored ? std::memchr(begin, 0, stored) : nullptr;
    *text = begin;
    *length = nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - begin) : stored;
    reader->offset = start + stored;
    reader->remaining--;
    return true;
}

bool BeginHistoryWrite(HistoryWriter* writer, unsigned char* data, size_t capacity) {
    writer->data = data;
    writer->capacity = capacity;
    writer->offset = 0;
    writer->count = 0;
    if (!data || capacity < 4)
        return false;
    PutLittleEndian32(data, 0);
    writer->offset = 4;
    return true;
}

unsigned char* AddHistoryEntry(HistoryWriter* writer, size_t length) {
    if (writer->offset < 4 || writer->capacity - writer->offset < 4 ||
        length > 0xFFFFFFFFu || length > writer->capacity - writer->offset - 4)
        return nullptr;
    unsigned char* field = writer->data + writer->offset;
    PutLittleEndian32(field, static_cast<uint32_t>(length));
    writer->offset += 4 + length;
    writer->count++;
    PutLittleEndian32(writer->data, writer->count);
    return field + 4;
}

size_t HistoryValueSize(const size_t* lengths, int count) {
    size_t size = 4;
    for (int i = 0; i < count; i++)
        size += 4 + lengths[i];
    return size;
}
