// The history lists with real combo boxes (in a hidden window) and the real registry of
// the Wine prefix. Each test starts without the settings key's history values. The test
// program carries the program's manifest, so its combo boxes are the same version 6 ones,
// which keep their items in UTF-16 as the program's do.
#include "ui/history.h"
#include "ui/history_codec.h"
#include "ui/settings.h"
#include "tests/support/long_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using List = std::vector<std::string>;
using Bytes = std::vector<unsigned char>;

Bytes Encode(const List& list) {
    std::vector<size_t> lengths;
    for (const std::string& text : list)
        lengths.push_back(text.size());
    Bytes value(HistoryValueSize(lengths.data(), static_cast<int>(lengths.size())));
    HistoryWriter writer;
    BeginHistoryWrite(&writer, value.data(), value.size());
    for (const std::string& text : list)
        text.copy(reinterpret_cast<char*>(AddHistoryEntry(&writer, text.size())), text.size());
    return value;
}

class HistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitCommonControls();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Dunmak");
        key = OpenSettingsKey();
        ASSERT_NE(key, nullptr);
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        // The main dialog's combo style: an editable drop-down list without sorting.
        combo = CreateWindowExA(0, "COMBOBOX", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN |
                                    CBS_AUTOHSCROLL,
                                8, 8, 200, 150, parent, reinterpret_cast<HMENU>(1057),
                                GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(IsWindowUnicode(combo)) << "not the version 6 combo box";
    }
    void TearDown() override {
        if (parent)
            DestroyWindow(parent);
        if (key)
            RegCloseKey(key);
    }

    void Store(const char* name, const Bytes& value, DWORD type = REG_BINARY) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, value.data(), static_cast<DWORD>(value.size())),
                  ERROR_SUCCESS);
    }
    bool Stored(const char* name, Bytes* value) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        value->assign(size, 0);
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        return RegQueryValueExA(key, name, nullptr, &type, value->data(), &size) == ERROR_SUCCESS;
    }
    Bytes StoredOrEmpty(const char* name) {
        Bytes value;
        EXPECT_TRUE(Stored(name, &value)) << name;
        return value;
    }
    // Items and edit text as ANSI bytes, read with the wide messages (the ANSI CB_GETLBTEXT
    // overruns a fixed buffer under Wine for long items).
    List Items() {
        List items;
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            std::wstring wide(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            const LRESULT n = SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&wide[0]));
            wide.resize(n < 0 ? 0 : static_cast<size_t>(n));
            items.push_back(Ansi(wide));
        }
        return items;
    }
    std::string EditText() {
        std::wstring wide(static_cast<size_t>(GetWindowTextLengthW(combo)) + 1, L'\0');
        wide.resize(static_cast<size_t>(GetWindowTextW(combo, &wide[0], static_cast<int>(wide.size()))));
        return Ansi(wide);
    }
    static std::string Ansi(const std::wstring& wide) {
        if (wide.empty())
            return std::string();
        const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n,
                            nullptr, nullptr);
        return text;
    }
    void Fill(const List& list) {
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (const std::string& text : list)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // Saves with the given edit text and returns the text handed back.
    std::string Save(const char* typed, HKEY into, int index = 0) {
        SetWindowTextA(combo, typed);
        char* text = SaveHistory(combo, into, index);
        EXPECT_NE(text, nullptr);
        std::string copy = text ? text : "(null)";
        free(text);
        return copy;
    }

    HKEY key = nullptr;
    HWND parent = nullptr;
    HWND combo = nullptr;
};

List Numbered(int from, int to) {
    List list;
    for (int i = from; i <= to; i++)
        list.push_back("text " + std::to_string(i));
    return list;
}

// The trail bytes LongText uses (0x9F-0xF1) are no ASCII letters.
std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace

// Wine translates the ANSI CB_GETLBTEXT through a fixed buffer of 512 UTF-16 units: 511 fit,
// 512 and more did overrun it and crash the program at Replace All.
TEST_F(HistoryTest, TextsOfAnyLengthAreStoredAndLoadedWhole) {
    const char* const names[] = {"Find", "Replace", "File", "Path"};
    for (int index = 0; index < 4; index++) {
        SCOPED_TRACE(names[index]);
        Fill({"short"});
        List expected = {"short"};
        for (size_t length : kLongTextLengths) {
            const std::string text = LongText(length, index);
            EXPECT_EQ(Save(text.c_str(), key, index), text) << length;
            expected.insert(expected.begin(), text);
        }
        EXPECT_EQ(Items(), expected);
        EXPECT_EQ(StoredOrEmpty(names[index]), Encode(expected));

        // Typed again in other capitals, the 5,000-character text moves to the top.
        const std::string typed = AsciiUpper(expected[1]);
        ASSERT_NE(typed, expected[1]);
        EXPECT_EQ(Save(typed.c_str(), key, index), typed);
        expected.erase(expected.begin() + 1);
        expected.insert(expected.begin(), typed);
        EXPECT_EQ(Items(), expected);
        EXPECT_EQ(StoredOrEmpty(names[index]), Encode(expected));

        // The next start loads them whole.
        Fill({});
        LoadHistory(key, combo, index);
        EXPECT_EQ(Items(), expected);
        EXPECT_EQ(EditText(), typed);
    }
}

TEST_F(HistoryTest, SavesTheExampleLayout) {
    Fill({"x"});
    EXPECT_EQ(Save("abc", key), "abc");
    const Bytes expected = {2, 0, 0, 0, 3, 0, 0, 0, 'a', 'b', 'c', 1, 0, 0, 0, 'x'};
    EXPECT_EQ(StoredOrEmpty("Find"), expected);
}

TEST_F(HistoryTest, EachIndexHasItsValue) {
    const char* const names[] = {"Find", "Replace", "File", "Path"};
    for (int index = 0; index < 4; index++) {
        Fill({});
        Save(names[index], key, index);
        EXPECT_EQ(StoredOrEmpty(names[index]), Encode({names[index]})) << names[index];
    }
    Fill({});
    EXPECT_EQ(Save("other", key, 4), "other");
    EXPECT_EQ(Items(), (List{"other"}));
}

TEST_F(HistoryTest, SixteenAreStoredWhileTheListGrows) {
    Store("Find", Encode(Numbered(1, 16)));
    LoadHistory(key, combo, 0);
    EXPECT_EQ(Save("new", key), "new");
    List shown = Numbered(1, 16);
    shown.insert(shown.begin(), "new");
    EXPECT_EQ(Items(), shown);
    shown.pop_back();
    EXPECT_EQ(StoredOrEmpty("Find"), Encode(shown));
}

TEST_F(HistoryTest, TypedTextReplacesTheMatchThatIgnoresCase) {
    Store("Find", Encode({"abc", "x"}));
    LoadHistory(key, combo, 0);
    EXPECT_EQ(Save("ABC", key), "ABC");
    EXPECT_EQ(Items(), (List{"ABC", "x"}));
    EXPECT_EQ(EditText(), "ABC");
    EXPECT_EQ(StoredOrEmpty("Find"), Encode({"ABC", "x"}));
}

TEST_F(HistoryTest, OnlyTheFirstMatchIsRemoved) {
    Fill({"a", "b", "A"});
    Save("a", key);
    EXPECT_EQ(Items(), (List{"a", "b", "A"}));
}

TEST_F(HistoryTest, TextEqualToTheFirstItemLeavesTheListAsItWas) {
    Store("Find", Encode({"abc", "x"}));
    LoadHistory(key, combo, 0);
    EXPECT_EQ(Save("abc", key), "abc");
    EXPECT_EQ(Items(), (List{"abc", "x"}));
    EXPECT_EQ(StoredOrEmpty("Find"), Encode({"abc", "x"}));
}

TEST_F(HistoryTest, EmptyTextStoresTheListUnchangedAndReturnsAnEmptyString) {
    Store("Find", Encode({"abc", "x"}));
    LoadHistory(key, combo, 0);
    RegDeleteValueA(key, "Find");
    EXPECT_EQ(Save("", key), "");
    EXPECT_EQ(Items(), (List{"abc", "x"}));
    EXPECT_EQ(StoredOrEmpty("Find"), Encode({"abc", "x"}));

    Fill({});
    EXPECT_EQ(Save("", key), "");
    EXPECT_EQ(StoredOrEmpty("Find"), (Bytes{0, 0, 0, 0}));
}

TEST_F(HistoryTest, LoadsEmptyEntriesAndMoreThanSixteen) {
    List stored = Numbered(1, 20);
    stored[3] = "";
    Store("Replace", Encode(stored));
    LoadHistory(key, combo, 1);
    EXPECT_EQ(Items(), stored);
    EXPECT_EQ(EditText(), "text 1");
}

TEST_F(HistoryTest, LoadPutsTheFirstEntryInTheEditField) {
    Store("Path", Encode({"C:\\one", "C:\\two"}));
    SetWindowTextA(combo, "old");
    LoadHistory(key, combo, 3);
    EXPECT_EQ(EditText(), "C:\\one");

    Store("Path", Encode({}));
    Fill({"stale"});
    SetWindowTextA(combo, "old");
    LoadHistory(key, combo, 3);
    EXPECT_EQ(Items(), List{});
    EXPECT_EQ(EditText(), "");
    EXPECT_EQ(SendMessageA(combo, CB_GETEXTENDEDUI, 0, 0), TRUE);
}

TEST_F(HistoryTest, UnusableValuesLoadAsAnEmptyList) {
    struct Case {
        const char* what;
        Bytes value;
        DWORD type;
    };
    const Bytes example = Encode({"abc", "x"});
    const Case cases[] = {
        {"string type", example, REG_SZ},
        {"size 0", {}, REG_BINARY},
        {"count 0", {0, 0, 0, 0, 1, 0, 0, 0, 'a'}, REG_BINARY},
        {"negative count", {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'a'}, REG_BINARY},
        {"three bytes", {1, 0, 0}, REG_BINARY},
    };
    for (const Case& c : cases) {
        Store("File", c.value, c.type);
        Fill({"stale"});
        LoadHistory(key, combo, 2);
        EXPECT_EQ(Items(), List{}) << c.what;
    }
    RegDeleteValueA(key, "File");
    LoadHistory(key, combo, 2);
    EXPECT_EQ(Items(), List{}) << "missing";
}

TEST_F(HistoryTest, ValueRunningPastItsSizeKeepsTheEntriesThatFit) {
    Bytes value = Encode({"abc", "x", "long"});
    value.resize(value.size() - 2);
    Store("Find", value);
    LoadHistory(key, combo, 0);
    EXPECT_EQ(Items(), (List{"abc", "x"}));
}

TEST_F(HistoryTest, WithoutKeyTheListIsUpdatedButNothingStored) {
    Store("Find", Encode({"abc", "x"}));
    LoadHistory(nullptr, combo, 0);
    EXPECT_EQ(Items(), List{});
    Fill({"abc", "x"});
    EXPECT_EQ(Save("x", nullptr), "x");
    EXPECT_EQ(Items(), (List{"x", "abc"}));
    EXPECT_EQ(StoredOrEmpty("Find"), Encode({"abc", "x"}));
}

TEST_F(HistoryTest, NullComboIsHarmless) {
    LoadHistory(key, nullptr, 0);
    EXPECT_EQ(SaveHistory(nullptr, key, 0), nullptr);
    Bytes value;
    EXPECT_FALSE(Stored("Find", &value));
}

TEST_F(HistoryTest, AnsiBytesRoundTrip) {
    // Katakana in code page 932; in 1252 the same bytes are other, single-byte characters.
    const std::string text = "\x83\x65\x83\x58\x83\x67";
    Fill({"abc"});
    EXPECT_EQ(Save(text.c_str(), key), text);
    EXPECT_EQ(StoredOrEmpty("Find"), Encode({text, "abc"}));
    LoadHistory(key, combo, 0);
    EXPECT_EQ(Items(), (List{text, "abc"}));
    EXPECT_EQ(Save(text.c_str(), key), text);
    EXPECT_EQ(Items(), (List{text, "abc"}));
}
