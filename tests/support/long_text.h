// Long texts for the tests of texts of any length, in the process's ANSI code page.
#pragma once

#include <windows.h>

#include <string>

// A text of the given number of characters (UTF-16 units once in a window): under code page
// 932 every other one is a two-byte hiragana (trail bytes 0x9F-0xF1, none an ASCII letter),
// otherwise letters with an 0xE9 now and then. seed tells texts of one length apart.
inline std::string LongText(size_t characters, int seed) {
    const bool doubleByte = GetACP() == 932;
    std::string text;
    for (size_t i = 0; i < characters; i++) {
        if (doubleByte && i % 2 == 1) {
            text += '\x82';
            text += static_cast<char>(0x9F + (i + static_cast<size_t>(seed)) % 83);
        } else if (!doubleByte && i % 7 == 3) {
            text += '\xE9';
        } else {
            text += static_cast<char>('a' + (i + static_cast<size_t>(seed)) % 26);
        }
    }
    return text;
}

// The lengths at and around Wine's fixed 512-unit buffer, and far past it.
const size_t kLongTextLengths[] = {511, 512, 600, 5000, 70000};
