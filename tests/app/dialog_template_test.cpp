// The template walk and the font rewrite over hand-built templates, with guard bytes past
// the block to show nothing is written beyond it.
#include "app/dialog_template.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "template_builder.h"

namespace {

const std::string kLongestFace = "Abcdefghijklmnopqrstuvwxyz01234"; // 31 characters

BuiltItem Item(std::uint16_t classOrdinal, const std::string& title) {
    return {classOrdinal, "", 0, title, {}};
}

// The progress dialog: title "Replacing...", three labels, three counts and a button.
BuiltTemplate ProgressTemplate(bool hasFont) {
    BuiltTemplate t = {0x80C80880u, 0, 0, "Replacing...", hasFont, 8, "MS Sans Serif", {}};
    t.items = {Item(0x82, "Replaced strings:"), Item(0x82, "Replaced files:"),
               Item(0x82, "Searched files:"),   Item(0x82, "0"),
               Item(0x82, "0"),                 Item(0x82, "0"),
               Item(0x80, "&Cancel")};
    return t;
}

BuiltTemplate OrdinalTemplate() {
    BuiltTemplate t = {0x80C00000u, 7, 0x20, "Ord", true, 8, "MS Sans Serif", {}};
    t.items = {{0x80, "", 5, "", {}}};
    return t;
}

BuiltTemplate CreationDataTemplate() {
    BuiltTemplate t = {0x80C00000u, 0, 0, "Data", true, 8, "MS Sans Serif", {}};
    t.items = {{0, "BUTTON", 0, "Go", {1, 2, 3}}, Item(0x82, "x")};
    return t;
}

BuiltTemplate EmptyTemplate(bool hasFont) {
    return {0x80C00000u, 0, 0, "Empty", hasFont, 8, "MS Sans Serif", {}};
}

struct RewriteCase {
    const char* name;
    BuiltTemplate tmpl;
    std::string face;
    std::uint32_t fontAt;   // F
    std::uint32_t oldItems; // first item before, or the old end without items
    std::uint32_t newItems;
    std::uint32_t oldSize;
    std::uint32_t newSize;
};

std::vector<RewriteCase> RewriteCases() {
    return {
        {"ProgressSystem", ProgressTemplate(true), "System", 48, 80, 64, 376, 360},
        {"ProgressLongestFace", ProgressTemplate(true), kLongestFace, 48, 80, 116, 376, 412},
        {"ProgressSameLength", ProgressTemplate(true), "Arial Unicode", 48, 80, 80, 376, 376},
        {"ProgressWithoutFont", ProgressTemplate(false), "System", 48, 48, 64, 344, 360},
        {"WithoutFontLongestFace", ProgressTemplate(false), kLongestFace, 48, 48, 116, 344, 412},
        {"Ordinals", OrdinalTemplate(), "System", 34, 64, 52, 92, 80},
        {"CreationData", CreationDataTemplate(), "System", 32, 64, 48, 136, 120},
        {"NoItems", EmptyTemplate(true), "System", 34, 64, 52, 64, 50},
        {"NoItemsWithoutFont", EmptyTemplate(false), kLongestFace, 34, 34, 100, 34, 100},
    };
}

constexpr std::size_t kGuard = 32;
constexpr unsigned char kGuardByte = 0xA5;

std::uint16_t WordAt(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t DwordAt(const std::vector<unsigned char>& b, std::size_t at) {
    return WordAt(b, at) | (static_cast<std::uint32_t>(WordAt(b, at + 2)) << 16);
}

// The template at the start of a zeroed block of size + room bytes, then guard bytes.
std::vector<unsigned char> InBlock(const std::vector<unsigned char>& tmpl, std::uint32_t room) {
    std::vector<unsigned char> block(tmpl.size() + room + kGuard, 0);
    std::memcpy(block.data(), tmpl.data(), tmpl.size());
    std::memset(block.data() + tmpl.size() + room, kGuardByte, kGuard);
    return block;
}

bool GuardIntact(const std::vector<unsigned char>& block) {
    for (std::size_t i = block.size() - kGuard; i < block.size(); ++i) {
        if (block[i] != kGuardByte) return false;
    }
    return true;
}

} // namespace

TEST(TemplateRewrite, TableOfTemplates) {
    for (const RewriteCase& c : RewriteCases()) {
        SCOPED_TRACE(c.name);
        std::vector<std::size_t> items;
        const std::vector<unsigned char> original = BuildTemplate(c.tmpl, &items);
        ASSERT_EQ(original.size(), c.oldSize);
        EXPECT_EQ(GetTemplateSize(original.data()), c.oldSize);
        if (!items.empty()) {
            EXPECT_EQ(items[0], c.oldItems);
        }

        std::vector<unsigned char> block = InBlock(original, kTemplateCopyRoom);
        TemplateBytes bytes = {block.data(), c.oldSize, c.oldSize + kTemplateCopyRoom};
        const std::vector<std::uint16_t> face = FaceUnits(c.face);
        ASSERT_EQ(SetTemplateFont(&bytes, face.data(), static_cast<unsigned>(face.size()), 10), 1);

        EXPECT_EQ(bytes.size, c.newSize);
        EXPECT_EQ(GetTemplateSize(block.data()), c.newSize);
        EXPECT_EQ(GetTemplateSizeWithin(block.data(), c.newSize), c.newSize);
        EXPECT_EQ(DwordAt(block, 0), c.tmpl.style | 0x40u);
        EXPECT_EQ(WordAt(block, c.fontAt), 10);
        for (std::size_t i = 0; i < face.size(); ++i) {
            EXPECT_EQ(WordAt(block, c.fontAt + 2 + 2 * i), face[i]);
        }
        // Everything before the font block stays; every item moves whole, 4-aligned.
        EXPECT_EQ(std::memcmp(block.data() + 4, original.data() + 4, c.fontAt - 4), 0);
        if (!items.empty()) {
            EXPECT_EQ(c.newItems % 4, 0u);
            EXPECT_EQ(std::memcmp(block.data() + c.newItems, original.data() + c.oldItems,
                                  c.oldSize - c.oldItems), 0);
        }
        EXPECT_TRUE(GuardIntact(block));
    }
}

TEST(TemplateRewrite, RefusesWhatWouldNotFitAndTouchesNothing) {
    const std::vector<unsigned char> original = BuildTemplate(ProgressTemplate(false), nullptr);
    const std::vector<std::uint16_t> longest = FaceUnits(kLongestFace);
    std::vector<std::uint16_t> tooLong = FaceUnits(kLongestFace + "x");
    std::vector<std::uint16_t> unterminated = FaceUnits("System");
    unterminated.back() = 'x';
    const std::uint16_t* none = nullptr;
    struct Refusal {
        const char* name;
        std::uint32_t room; // capacity beyond the template
        const std::uint16_t* face;
        unsigned units;
    };
    const Refusal refusals[] = {
        {"RoomOf64ForGrowthOf68", 64, longest.data(), 32},
        {"NoRoom", 0, longest.data(), 32},
        {"FaceDidNotConvert", kTemplateCopyRoom, longest.data(), 0},
        {"NoFace", kTemplateCopyRoom, none, 7},
        {"FaceLongerThanBuffer", kTemplateCopyRoom, tooLong.data(), 33},
        {"FaceWithoutTerminator", kTemplateCopyRoom, unterminated.data(), 7},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        std::vector<unsigned char> block = InBlock(original, r.room);
        const std::vector<unsigned char> before = block;
        const std::uint32_t size = static_cast<std::uint32_t>(original.size());
        TemplateBytes bytes = {block.data(), size, size + r.room};
        EXPECT_EQ(SetTemplateFont(&bytes, r.face, r.units, 10), 0);
        EXPECT_EQ(bytes.size, size);
        EXPECT_EQ(block, before);
    }
}

TEST(TemplateRewrite, NothingToRewriteWithoutBytesOrSize) {
    const std::vector<std::uint16_t> face = FaceUnits("System");
    std::vector<unsigned char> block = InBlock(BuildTemplate(EmptyTemplate(true), nullptr), 64);
    const std::vector<unsigned char> before = block;
    TemplateBytes noData = {nullptr, 64, 128};
    TemplateBytes noSize = {block.data(), 0, 128};
    EXPECT_EQ(SetTemplateFont(&noData, face.data(), 7, 10), 0);
    EXPECT_EQ(SetTemplateFont(&noSize, face.data(), 7, 10), 0);
    EXPECT_EQ(SetTemplateFont(nullptr, face.data(), 7, 10), 0);
    EXPECT_EQ(block, before);
}

TEST(TemplateWalk, TruncatedTemplatesAreRefusedWithinTheirBytes) {
    const std::vector<unsigned char> whole = BuildTemplate(CreationDataTemplate(), nullptr);
    EXPECT_EQ(GetTemplateSizeWithin(whole.data(), whole.size()), whole.size());
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        // Exactly the bytes of the cut, so the sanitizers catch any read past them.
        std::vector<unsigned char> part(whole.begin(), whole.begin() + static_cast<long>(cut));
        EXPECT_EQ(GetTemplateSizeWithin(part.data(), part.size()), 0u) << "cut at " << cut;
    }
    EXPECT_EQ(GetTemplateSize(nullptr), 0u);
}

TEST(FontPointSize, AtNinetySixPixelsPerInch) {
    struct Case {
        long height;
        int points;
    };
    const Case cases[] = {{-11, 8}, {-13, 10}, {16, 12}, {-12, 9}, {0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(FontPointSize(c.height, 96), c.points) << "lfHeight " << c.height;
    }
    EXPECT_EQ(FontPointSize(-16, 120), 10);
    EXPECT_EQ(FontPointSize(-13, 0), 0);
}
