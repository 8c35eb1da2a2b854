// Comparison of byte strings with ASCII case folding only: 'A'-'Z' equal 'a'-'z', and every
// other byte must be the same byte, whatever the code page or the user's locale.
#pragma once

bool EqualsIgnoringAsciiCase(const char* a, const char* b);
