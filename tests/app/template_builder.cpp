// Builds classic dialog templates byte by byte for the template tests.
#include "template_builder.h"

namespace {

void Word(std::vector<unsigned char>* out, std::uint16_t v) {
    out->push_back(static_cast<unsigned char>(v & 0xFF));
    out->push_back(static_cast<unsigned char>(v >> 8));
}

void Dword(std::vector<unsigned char>* out, std::uint32_t v) {
    Word(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Word(out, static_cast<std::uint16_t>(v >> 16));
}

void Text(std::vector<unsigned char>* out, const std::string& s) {
    for (unsigned char c : s) Word(out, c);
    Word(out, 0);
}

void NameOrOrdinal(std::vector<unsigned char>* out, std::uint16_t ordinal, const std::string& s) {
    if (ordinal) {
        Word(out, 0xFFFF);
        Word(out, ordinal);
    } else {
        Text(out, s);
    }
}

} // namespace

std::vector<unsigned char> BuildTemplate(const BuiltTemplate& t,
                                         std::vector<std::size_t>* itemOffsets) {
    std::vector<unsigned char> out;
    Dword(&out, t.hasFont ? (t.style | 0x40) : (t.style & ~0x40u));
    Dword(&out, 0);
    Word(&out, static_cast<std::uint16_t>(t.items.size()));
    for (std::uint16_t v : {10, 20, 200, 80}) Word(&out, v);
    NameOrOrdinal(&out, t.menuOrdinal, "");
    NameOrOrdinal(&out, t.classOrdinal, "");
    Text(&out, t.title);
    if (t.hasFont) {
        Word(&out, t.points);
        Text(&out, t.face);
    }
    std::uint16_t id = 1000;
    for (const BuiltItem& item : t.items) {
        while (out.size() % 4) out.push_back(0);
        if (itemOffsets) itemOffsets->push_back(out.size());
        Dword(&out, 0x50000000u | id);
        Dword(&out, 0);
        for (std::uint16_t v : {7, 9, 50, 14}) Word(&out, v);
        Word(&out, id++);
        NameOrOrdinal(&out, item.classOrdinal, item.className);
        NameOrOrdinal(&out, item.titleOrdinal, item.title);
        Word(&out, static_cast<std::uint16_t>(item.creationData.size()));
        out.insert(out.end(), item.creationData.begin(), item.creationData.end());
    }
    return out;
}

std::vector<std::uint16_t> FaceUnits(const std::string& face) {
    std::vector<std::uint16_t> units(face.begin(), face.end());
    units.push_back(0);
    return units;
}
