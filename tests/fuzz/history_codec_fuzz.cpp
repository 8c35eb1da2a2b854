// libFuzzer target for the history value decoder: on any bytes it reads only inside the value
// and hands back entries that lie inside it and hold no NUL byte.
#include "ui/history_codec.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    HistoryReader reader;
    BeginHistoryRead(&reader, data, size);
    const unsigned char* text = nullptr;
    size_t length = 0;
    while (ReadHistoryEntry(&reader, &text, &length)) {
        if (text < data || length > size || text + length > data + size ||
            (length && std::memchr(text, 0, length)))
            __builtin_trap();
    }
    return 0;
}
