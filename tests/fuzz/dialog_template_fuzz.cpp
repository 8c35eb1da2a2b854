// libFuzzer target for the dialog template walk and the font rewrite. The input is a face
// and point size followed by template bytes:
//   [0] face length (taken modulo 32, terminator not counted), [1..2] points,
//   [3 .. 3 + 2 * length) the face's UTF-16 units (a 0 unit becomes 'A'), then the template.
// On any bytes the bounded walk must stay within them (the template lies in an allocation of
// exactly its size, so AddressSanitizer sees any read past it) and agree with itself; on a
// template that is well-formed within its size, the rewrite must leave a well-formed
// template with the new font and the items moved whole, and write nothing past its block.
#include "app/dialog_template.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

std::uint16_t Word(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Independent walk of a template known to be well-formed: the offset just past the title.
std::size_t TitleEnd(const unsigned char* t) {
    std::size_t pos = 18;
    for (int part = 0; part < 3; ++part) {
        if (part < 2 && Word(t + pos) == 0xFFFF) {
            pos += 4;
            continue;
        }
        while (Word(t + pos) != 0) pos += 2;
        pos += 2;
    }
    return pos;
}

std::size_t FaceBlockBytes(const unsigned char* t, std::size_t at) {
    if ((t[0] & 0x40) == 0) return 0;
    std::size_t pos = at + 2;
    while (Word(t + pos) != 0) pos += 2;
    return pos + 2 - at;
}

std::size_t Align4(std::size_t x) {
    return (x + 3) & ~static_cast<std::size_t>(3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size < 3) return 0;
    const unsigned faceChars = data[0] % 32;
    const std::uint16_t points = Word(data + 1);
    const size_t faceBytes = 2 * static_cast<size_t>(faceChars);
    if (size < 3 + faceBytes) return 0;
    std::uint16_t face[kTemplateFaceUnits];
    for (unsigned i = 0; i < faceChars; ++i) {
        face[i] = Word(data + 3 + 2 * i);
        if (face[i] == 0) face[i] = 'A';
    }
    face[faceChars] = 0;
    const unsigned units = faceChars + 1;

    const size_t length = size - 3 - faceBytes;
    if (length == 0) return 0;
    // Exactly the template's bytes, so that a read past them is an error AddressSanitizer sees.
    unsigned char* tmpl = static_cast<unsigned char*>(std::malloc(length));
    std::memcpy(tmpl, data + 3 + faceBytes, length);

    const std::uint32_t walked = GetTemplateSizeWithin(tmpl, length);
    if (walked == 0) {
        std::free(tmpl);
        return 0;
    }
    Check(walked >= 18 && walked <= length);
    Check(GetTemplateSizeWithin(tmpl, walked) == walked);
    Check(GetTemplateSizeWithin(tmpl, walked - 1) == 0);
    Check(GetTemplateSize(tmpl) == walked);

    // The rewrite, in a zeroed block of the template's size plus the copy's room.
    const std::uint32_t capacity = walked + kTemplateCopyRoom;
    unsigned char* block = static_cast<unsigned char*>(std::calloc(capacity, 1));
    std::memcpy(block, tmpl, walked);
    const std::vector<unsigned char> before(block, block + capacity);
    const std::size_t fontAt = TitleEnd(tmpl);
    const std::size_t oldItems = Align4(fontAt + FaceBlockBytes(tmpl, fontAt));
    const std::uint16_t items = Word(tmpl + 8);
    const std::size_t newItems = Align4(fontAt + 2 + 2 * units);

    TemplateBytes bytes = {block, walked, capacity};
    // The copy's room holds any face for any well-formed template.
    Check(SetTemplateFont(&bytes, face, units, points) == 1);
    Check(GetTemplateSizeWithin(block, capacity) == bytes.size);
    Check((block[0] & 0x40) != 0);
    Check((block[0] & ~0x40) == (before[0] & ~0x40));
    Check(std::memcmp(block + 1, before.data() + 1, fontAt - 1) == 0);
    Check(Word(block + fontAt) == points);
    for (unsigned i = 0; i < units; ++i) Check(Word(block + fontAt + 2 + 2 * i) == face[i]);
    if (items == 0) {
        Check(bytes.size == fontAt + 2 + 2 * units);
    } else {
        Check(bytes.size == walked - oldItems + newItems);
        Check(std::memcmp(block + newItems, before.data() + oldItems, walked - oldItems) == 0);
    }
    std::free(block);
    std::free(tmpl);
    return 0;
}
