// ASCII-only case folding for the fixed names the program compares with (".bak", "*.bak").
#include "engine/ascii_case.h"

namespace {

unsigned char FoldAscii(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

} // namespace

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char x = FoldAscii(static_cast<unsigned char>(*a));
        if (x != FoldAscii(static_cast<unsigned char>(*b))) return false;
        if (x == 0) return true;
    }
}
