// Builds classic dialog templates byte by byte for the template tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BuiltItem {
    std::uint16_t classOrdinal; // 0: use className
    std::string className;
    std::uint16_t titleOrdinal; // 0: use title
    std::string title;
    std::vector<unsigned char> creationData;
};

struct BuiltTemplate {
    std::uint32_t style;
    std::uint16_t menuOrdinal;  // 0: empty menu string
    std::uint16_t classOrdinal; // 0: empty class string
    std::string title;
    bool hasFont;
    std::uint16_t points;
    std::string face;
    std::vector<BuiltItem> items;
};

// The template's bytes; item offsets (from the first byte) are stored in itemOffsets.
std::vector<unsigned char> BuildTemplate(const BuiltTemplate& t,
                                         std::vector<std::size_t>* itemOffsets);

// Units of an ASCII face with its terminator.
std::vector<std::uint16_t> FaceUnits(const std::string& face);
