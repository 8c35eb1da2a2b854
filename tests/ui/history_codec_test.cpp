// The stored history value: encoding lists, decoding values (well-formed and not), and a
// randomized run that lets AddressSanitizer watch the decoder's every read.
#include "ui/history_codec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
using List = std::vector<std::string>;

Bytes Encode(const List& list) {
    std::vector<size_t> lengths;
    for (const std::string& text : list)
        lengths.push_back(text.size());
    Bytes value(HistoryValueSize(lengths.data(), static_cast<int>(lengths.size())));
    HistoryWriter writer;
    EXPECT_TRUE(BeginHistoryWrite(&writer, value.data(), value.size()));
    for (const std::string& text : list) {
        unsigned char* at = AddHistoryEntry(&writer, text.size());
        EXPECT_NE(at, nullptr);
        if (at && !text.empty())
            std::memcpy(at, text.data(), text.size());
    }
    EXPECT_EQ(writer.offset, value.size());
    return value;
}

// Decodes from a heap copy of exactly the value's size, so any read past it is caught.
List Decode(const Bytes& value) {
    unsigned char* copy = static_cast<unsigned char*>(std::malloc(value.size() ? value.size() : 1));
    if (!value.empty())
        std::memcpy(copy, value.data(), value.size());
    HistoryReader reader;
    BeginHistoryRead(&reader, copy, value.size());
    List list;
    const unsigned char* text = nullptr;
    size_t length = 0;
    while (ReadHistoryEntry(&reader, &text, &length)) {
        EXPECT_GE(text, copy);
        EXPECT_LE(text + length, copy + value.size());
        list.emplace_back(reinterpret_cast<const char*>(text), length);
    }
    std::free(copy);
    return list;
}

Bytes Le32(uint32_t v) {
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
            static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

const Bytes kExample = {0x02, 0, 0, 0, 0x03, 0, 0, 0, 'a', 'b', 'c', 0x01, 0, 0, 0, 'x'};

} // namespace

TEST(HistoryCodec, EncodesLists) {
    struct Case {
        const char* what;
        List list;
        Bytes value;
    };
    const Case cases[] = {
        {"two texts", {"abc", "x"}, kExample},
        {"empty list", {}, {0, 0, 0, 0}},
        {"empty entry", {"", "a"}, Cat({Le32(2), Le32(0), Le32(1), Text("a")})},
        {"non-ASCII bytes", {"\x83\x65\xff"}, Cat({Le32(1), Le32(3), Text("\x83\x65\xff")})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Encode(c.list), c.value) << c.what;
}

TEST(HistoryCodec, DecodesValues) {
    Bytes seventeen = Le32(17);
    List seventeenTexts;
    for (int i = 0; i < 17; i++) {
        std::string text(1, static_cast<char>('a' + i));
        seventeen = Cat({seventeen, Le32(1), Text(text)});
        seventeenTexts.push_back(text);
    }
    struct Case {
        const char* what;
        Bytes value;
        List list;
    };
    const Case cases[] = {
        {"two texts", kExample, {"abc", "x"}},
        {"empty list", {0, 0, 0, 0}, {}},
        {"no bytes", {}, {}},
        {"shorter than a count", {1, 0, 0}, {}},
        {"empty entry", Cat({Le32(2), Le32(0), Le32(1), Text("a")}), {"", "a"}},
        {"entry ends at its NUL, next entry after all its bytes",
         Cat({Le32(2), Le32(4), Text(std::string("ab\0c", 4)), Le32(1), Text("z")}), {"ab", "z"}},
        {"entry of NUL bytes only", Cat({Le32(1), Le32(2), Bytes{0, 0}}), {""}},
        {"count 0 with entries after it", Cat({Le32(0), Le32(1), Text("a")}), {}},
        {"negative count", Cat({Le32(0xFFFFFFFFu), Le32(1), Text("a")}), {}},
        {"most negative count", Cat({Le32(0x80000000u), Le32(1), Text("a")}), {}},
        {"count above 16", seventeen, seventeenTexts},
        {"bytes after the last entry", Cat({kExample, Text("junk")}), {"abc", "x"}},
        {"count beyond the entries", Cat({Le32(5), Le32(1), Text("a")}), {"a"}},
        {"huge count", Cat({Le32(0x7FFFFFFFu), Le32(1), Text("a")}), {"a"}},
        {"length past the end", Cat({Le32(2), Le32(1), Text("a"), Le32(2), Text("b")}), {"a"}},
        {"huge length", Cat({Le32(2), Le32(1), Text("a"), Le32(0xFFFFFFFFu), Text("b")}), {"a"}},
        {"length field cut", Cat({Le32(2), Le32(1), Text("a"), Bytes{1, 0}}), {"a"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Decode(c.value), c.list) << c.what;
}

TEST(HistoryCodec, TruncatedValuesKeepTheEntriesThatFit) {
    // abc ends at byte 11, x at byte 16.
    for (size_t size = 0; size <= kExample.size(); size++) {
        Bytes cut(kExample.begin(), kExample.begin() + static_cast<long>(size));
        List expected;
        if (size >= 11)
            expected.push_back("abc");
        if (size >= 16)
            expected.push_back("x");
        EXPECT_EQ(Decode(cut), expected) << "size " << size;
    }
}

TEST(HistoryCodec, WriterRefusesEntriesThatDoNotFit) {
    unsigned char buffer[14] = {};
    HistoryWriter writer;
    EXPECT_FALSE(BeginHistoryWrite(&writer, buffer, 3));
    ASSERT_TRUE(BeginHistoryWrite(&writer, buffer, sizeof buffer));
    EXPECT_NE(AddHistoryEntry(&writer, 2), nullptr);
    EXPECT_EQ(AddHistoryEntry(&writer, 3), nullptr); // 4 + 4 + 2 + 4 + 3 > 14
    EXPECT_NE(AddHistoryEntry(&writer, 0), nullptr);
    EXPECT_EQ(AddHistoryEntry(&writer, 0), nullptr);
    EXPECT_EQ(writer.offset, 14u);
    EXPECT_EQ(GetLittleEndian32(buffer), 2u);
}

TEST(HistoryCodec, RandomValuesAreDecodedWithinBounds) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 20000; round++) {
        // Mostly plausible values (small counts and lengths), then cut or stretched.
        Bytes value = Le32(random() % 4 == 0 ? static_cast<uint32_t>(random())
                                             : static_cast<uint32_t>(random() % 8) - 2);
        const int entries = static_cast<int>(random() % 6);
        for (int i = 0; i < entries; i++) {
            uint32_t length = random() % 8 == 0 ? static_cast<uint32_t>(random()) : random() % 6;
            value = Cat({value, Le32(length)});
            const uint32_t bytes = length < 6 ? length : random() % 6;
            for (uint32_t b = 0; b < bytes; b++)
                value.push_back(static_cast<unsigned char>(random() % 3 == 0 ? 0 : random()));
        }
        value.resize(random() % (value.size() + 3));
        // Decode checks every entry lies inside the value; ASan checks every read.
        const List list = Decode(value);
        size_t used = 4;
        for (const std::string& text : list) {
            EXPECT_EQ(text.find('\0'), std::string::npos);
            used += 4 + text.size();
        }
        EXPECT_LE(list.empty() ? 0 : used, value.size());
    }
}
