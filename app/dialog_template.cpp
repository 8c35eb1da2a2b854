// Walk and font rewrite of a classic in-memory dialog template, over its bytes alone.
#include "app/dialog_template.h"

#include <cstring>

namespace {

constexpr std::uint32_t kDsSetFont = 0x40;
constexpr std::size_t kHeaderBytes = 18;
constexpr std::size_t kItemFixedBytes = 18;

std::uint16_t ReadWord(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadDword(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void WriteWord(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}

std::size_t Align4(std::size_t x) {
    return (x + 3) & ~static_cast<std::size_t>(3);
}

// Moves pos past a NUL-terminated UTF-16 string; false when it runs past capacity.
bool SkipString(const unsigned char* t, std::size_t capacity, std::size_t* pos) {
    for (;;) {
        if (*pos + 2 > capacity) return false;
        std::uint16_t unit = ReadWord(t + *pos);
        *pos += 2;
        if (unit == 0) return true;
    }
}

// Moves pos past an ordinal (0xFFFF and a word) or a string.
bool SkipNameOrOrdinal(const unsigned char* t, std::size_t capacity, std::size_t* pos) {
    if (*pos + 2 > capacity) return false;
    if (ReadWord(t + *pos) == 0xFFFF) {
        *pos += 4;
        return *pos <= capacity;
    }
    return SkipString(t, capacity, pos);
}

// Offset just past the title, or 0 when the header part runs past capacity.
std::size_t FontOffset(const unsigned char* t, std::size_t capacity) {
    std::size_t pos = kHeaderBytes;
    if (pos > capacity) return 0;
    if (!SkipNameOrOrdinal(t, capacity, &pos)) return 0;
    if (!SkipNameOrOrdinal(t, capacity, &pos)) return 0;
    if (!SkipString(t, capacity, &pos)) return 0;
    return pos;
}

// Length in bytes of the font block at pos (0 without DS_SETFONT), or false when it
// runs past capacity.
bool FontBlockBytes(const unsigned char* t, std::size_t capacity, std::size_t pos,
                    std::size_t* length) {
    if ((ReadDword(t) & kDsSetFont) == 0) {
        *length = 0;
        return true;
    }
    std::size_t end = pos + 2;
    if (end > capacity || !SkipString(t, capacity, &end)) return false;
    *length = end - pos;
    return true;
}

} // namespace

std::uint32_t GetTemplateSizeWithin(const void* tmpl, std::size_t capacity) {
    if (!tmpl) return 0;
    const unsigned char* t = static_cast<const unsigned char*>(tmpl);
    std::size_t pos = FontOffset(t, capacity);
    std::size_t fontBytes = 0;
    if (pos == 0 || !FontBlockBytes(t, capacity, pos, &fontBytes)) return 0;
    pos += fontBytes;
    std::uint16_t items = ReadWord(t + 8);
    for (std::uint16_t i = 0; i < items; ++i) {
        pos = Align4(pos) + kItemFixedBytes;
        if (pos > capacity) return 0;
        if (!SkipNameOrOrdinal(t, capacity, &pos)) return 0;
        if (!SkipNameOrOrdinal(t, capacity, &pos)) return 0;
        if (pos + 2 > capacity) return 0;
        pos += 2 + ReadWord(t + pos);
        if (pos > capacity) return 0;
    }
    if (pos > UINT32_MAX) return 0;
    return static_cast<std::uint32_t>(pos);
}

std::uint32_t GetTemplateSize(const void* tmpl) {
    return GetTemplateSizeWithin(tmpl, UINT32_MAX);
}

int SetTemplateFont(TemplateBytes* bytes, const std::uint16_t* face, unsigned units,
                    std::uint16_t points) {
    if (!bytes || !bytes->data || bytes->size == 0 || bytes->size > bytes->capacity) return 0;
    // A face that did not convert, or one longer than the face buffer, leaves the template
    // with its own font.
    if (!face || units == 0 || units > kTemplateFaceUnits || face[units - 1] != 0) return 0;

    unsigned char* t = bytes->data;
    const std::size_t size = bytes->size;
    if (size < kHeaderBytes) return 0;
    const std::size_t f = FontOffset(t, size);
    std::size_t oldBlock = 0;
    if (f == 0 || !FontBlockBytes(t, size, f, &oldBlock)) return 0;
    const std::size_t newBlock = 2 + 2 * static_cast<std::size_t>(units);
    const std::uint16_t items = ReadWord(t + 8);

    std::size_t newSize;
    std::size_t oldItems = Align4(f + oldBlock);
    std::size_t newItems = Align4(f + newBlock);
    if (items == 0) {
        // Without items the template ends just past the face.
        newSize = f + newBlock;
    } else {
        if (oldItems > size) return 0;
        newSize = size - oldItems + newItems;
    }
    if (newSize > bytes->capacity || f + newBlock > bytes->capacity) return 0;

    // Items first: the new font block may cover bytes where they were.
    if (items != 0 && newItems != oldItems) {
        std::memmove(t + newItems, t + oldItems, size - oldItems);
    }
    WriteWord(t, static_cast<std::uint16_t>(ReadWord(t) | kDsSetFont));
    WriteWord(t + f, points);
    for (unsigned i = 0; i < units; ++i) {
        WriteWord(t + f + 2 + 2 * i, face[i]);
    }
    bytes->size = static_cast<std::uint32_t>(newSize);
    return 1;
}

int FontPointSize(long height, int pixelsPerInch) {
    if (pixelsPerInch <= 0) return 0;
    long long magnitude = height < 0 ? -static_cast<long long>(height) : height;
    long long scaled = magnitude * 72;
    return static_cast<int>((scaled + pixelsPerInch / 2) / pixelsPerInch);
}
