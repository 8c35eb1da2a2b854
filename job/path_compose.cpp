// Bounded composition of the walk's paths.
#include "job/path_compose.h"

#include <cstring>

bool ComposePath(char* buffer, size_t size, const char* first, const char* second,
                 const char* third) {
    const char* parts[3] = {first, second, third};
    size_t lengths[3] = {0, 0, 0};
    size_t total = 0;
    for (int i = 0; i < 3; ++i) {
        if (parts[i]) lengths[i] = std::strlen(parts[i]);
        // Checked part by part, so the sum cannot wrap.
        if (lengths[i] >= size || total + lengths[i] >= size) return false;
        total += lengths[i];
    }
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        if (lengths[i]) std::memcpy(buffer + at, parts[i], lengths[i]);
        at += lengths[i];
    }
    buffer[at] = '\0';
    return true;
}
