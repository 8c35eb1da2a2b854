// English-like filler text for the benchmarks: lower-case words of 1 to 9 letters drawn with
// English letter frequencies, separated by spaces and now and then a newline. Only the
// generator's raw output is used (no library distributions), so the text is the same on
// every platform for the same seed.
#pragma once

#include <cstring>
#include <random>
#include <string>

// `size` bytes of filler without any of the letters in `avoid`.
inline std::string FillerText(size_t size, const char* avoid, std::mt19937& random) {
    static const char Letters[] = "eeeeeeeeeeeetttttttttaaaaaaaaooooooooiiiiiiinnnnnnnssssss"
                                  "hhhhhhrrrrrrddddllllccuummwwffggyyppbbvkjxqz";
    std::string pool;
    for (const char* c = Letters; *c; ++c) {
        if (!std::strchr(avoid, *c))
            pool += *c;
    }
    std::string text(size, ' ');
    size_t i = 0;
    while (i < size) {
        size_t word = 1 + random() % 9;
        for (size_t k = 0; k < word && i < size; ++k)
            text[i++] = pool[random() % pool.size()];
        if (i < size)
            text[i++] = (random() % 12 == 0) ? '\n' : ' ';
    }
    return text;
}
