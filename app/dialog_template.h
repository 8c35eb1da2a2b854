// Walk and font rewrite of a classic in-memory dialog template, over its bytes alone.
// No platform calls: the face arrives already converted to UTF-16 units.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest face the rewrite accepts, in UTF-16 units with the terminator.
constexpr unsigned kTemplateFaceUnits = 32;

// Room a copy needs beyond the template so any face fits: a template without a font
// block grows by at most 68 bytes.
constexpr std::uint32_t kTemplateCopyRoom = 128;

// A template's bytes in a writable buffer: size used, capacity available.
struct TemplateBytes {
    unsigned char* data;
    std::uint32_t size;
    std::uint32_t capacity;
};

// Size in bytes of the template, up to the end of its last item's creation data.
std::uint32_t GetTemplateSize(const void* tmpl);

// The same walk, refusing (0) when the template runs past capacity bytes.
std::uint32_t GetTemplateSizeWithin(const void* tmpl, std::size_t capacity);

// Puts face (units UTF-16 units, terminator included) at points into the template and
// sets DS_SETFONT. Returns 1 when rewritten; 0 when there is no template, the face is
// empty or too long, or the result would not fit the capacity. On 0 nothing is touched.
int SetTemplateFont(TemplateBytes* bytes, const std::uint16_t* face, unsigned units,
                    std::uint16_t points);

// Point size of a font height at pixelsPerInch, rounded to nearest like MulDiv;
// only the height's magnitude counts. 0 when pixelsPerInch is not positive.
int FontPointSize(long height, int pixelsPerInch);
