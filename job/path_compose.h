// Bounded composition of the walk's paths: a path is built only when it fits its buffer,
// so an over-long folder, pattern or name is refused instead of written past the end.
#pragma once

#include <cstddef>

// Writes first + second + third (any of them may be null) with its NUL into buffer when
// the whole fits in size bytes and returns true; otherwise writes nothing and returns false.
bool ComposePath(char* buffer, size_t size, const char* first, const char* second,
                 const char* third);
