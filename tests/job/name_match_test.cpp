// The walk's own-name matching against the platform's folder search as the reference, under
// Wine in code page 1252 and 932: in a folder of names without an 8.3 alias (so the search
// matches each by its name alone), every pattern of the table finds exactly the names the
// matcher takes, except the pairs where Wine's search departs from Windows' documented rules;
// those have a table of their own, with the documented result.
#include "walk_fixture.h"

#include "engine/character_model.h"
#include "engine/character_model_win.h"
#include "job/name_case.h"

#include <gtest/gtest.h>

#include <iostream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// Names that need no alias: at most eight characters, a dot and three, plain ASCII.
const char* const kNames[] = {
    "a",     "ab",        "abc",        "abcdefgh",   "a.b",   "ab.c",
    "abc.de", "a.txt",    "b.txt",      "hello.txt",  "hello1.txt", "HELLO22.TXT",
    "Mixed.Txt", "readme", "readme.md", "x.htm",      "data.tx", "z.t",
    "12345678.123",
};

// The patterns of both code pages; each code page adds some of its own characters.
const char* const kPatterns[] = {
    "*",          "*.*",         "*.",          "*.txt",      "*.TXT",      "*.tx",
    "*.htm",      "*.t?t",       "*.?",         "*.??",       "a*",         "A*",
    "*b*",        "*1*",        "h*o*.txt",    "*e*.t*",     "a?",         "a??",
    "ab?",        "?",          "??",          "???",        "a.?",        "a??c",
    "hello?.txt", "hello??.txt", "??.txt",     "?.txt",      "?????.txt",  "abc.",
    "a.txt",      "A.TXT",      "*.txt.",      "*.txt ",     "*.md",       "README",
    "readme.*",   "readme.",    "*.1?3",       "1234567?.*", "*.t",        "mixed.txt",
};
const char* const kPatterns1252[] = {"\xE9*", "*.tx\xE9", "\xC9*.TXT", "a\xFF?"};
const char* const kPatterns932[] = {"\x82\xA0*", "*\x82\x60*", "?\x82\xA0.txt", "\x82\x81.txt",
                                    "\xB1*"};

// Where Wine's search departs from Windows' documented rules: it drops a final dot ("*."
// becomes "*") and takes each '?' as exactly one character, where Windows lets a '?' before
// a dot or at the end match nothing, and never a dot. The documented result for each name
// listed (separated by spaces); Wine's search gives the other one.
struct Departure {
    const char* pattern;
    const char* names;
    bool documented;
};
const Departure kDepartures[] = {
    // Names without a dot only.
    {"*.", "a.b ab.c abc.de a.txt b.txt hello.txt hello1.txt HELLO22.TXT Mixed.Txt readme.md "
           "x.htm data.tx z.t 12345678.123", false},
    // A '?' at the end or before a dot may match nothing ...
    {"*.?", "a ab abc abcdefgh readme", true},
    {"*.??", "a ab abc abcdefgh readme a.b ab.c z.t", true},
    {"??", "a", true},
    {"???", "a ab", true},
    {"a?", "a", true},
    {"a??", "a ab", true},
    {"ab?", "ab", true},
    {"a.?", "a", true},
    {"??.txt", "a.txt b.txt", true},
    {"?????.txt", "a.txt b.txt", true},
    {"hello?.txt", "hello.txt", true},
    {"hello??.txt", "hello.txt hello1.txt", true},
    // ... and never matches the dot.
    {"???", "a.b z.t", false},
    {"a??", "a.b", false},
    {"a??c", "ab.c", false},
};

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

class NameMatch : public ::testing::Test {
protected:
    void SetUp() override {
        InitCharacterModel();
        folder = MakeScratchFolder("name-match");
        for (const char* name : kNames) WriteText(folder + name, "x");
    }
    void TearDown() override { RemoveTree(folder); }

    // The files the platform's search finds for pattern; fails when one has an alias.
    std::set<std::string> Found(const std::string& pattern) {
        std::set<std::string> found;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((folder + pattern).c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return found;
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            EXPECT_STREQ(entry.cAlternateFileName, "") << entry.cFileName << " has an alias";
            found.insert(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        return found;
    }
    std::string folder;
};

const Departure* DepartureOf(const std::string& pattern, const std::string& name) {
    for (const Departure& d : kDepartures) {
        if (pattern != d.pattern) continue;
        const std::string names = std::string(" ") + d.names + " ";
        if (names.find(" " + name + " ") != std::string::npos) return &d;
    }
    return nullptr;
}

TEST_F(NameMatch, AgreesWithThePlatformsSearchOnNamesWithoutAnAlias) {
    std::vector<std::string> patterns(std::begin(kPatterns), std::end(kPatterns));
    if (GetACP() == 1252) patterns.insert(patterns.end(), std::begin(kPatterns1252), std::end(kPatterns1252));
    if (GetACP() == 932) patterns.insert(patterns.end(), std::begin(kPatterns932), std::end(kPatterns932));
    ASSERT_EQ(Found("*").size(), sizeof kNames / sizeof kNames[0]);
    size_t compared = 0, departures = 0;
    for (const std::string& pattern : patterns) {
        const std::set<std::string> found = Found(pattern);
        for (const char* name : kNames) {
            const bool platform = found.count(name) != 0;
            const bool ours = OwnNameMatches(ProcessCharacterModel, pattern.c_str(), name);
            const Departure* departure = DepartureOf(pattern, name);
            if (!departure) {
                ++compared;
                EXPECT_EQ(ours, platform) << "\"" << pattern << "\" against " << name;
                continue;
            }
            ++departures;
            EXPECT_EQ(ours, departure->documented) << "\"" << pattern << "\" against " << name;
            // Wine's search gives the other answer; Windows' own gives the documented one.
            EXPECT_EQ(platform, UnderWine() ? !departure->documented : departure->documented)
                << "\"" << pattern << "\" against " << name;
        }
    }
    EXPECT_EQ(departures, 46u); // every pair of the table above is met
    std::cout << "code page " << GetACP() << ": " << compared << " pairs agree with the search, "
              << departures << " where Wine's search departs\n";
}

} // namespace
