// The program path that CTest hands a test as its first argument. CTest gives a Unix path;
// under Wine the Unix root is drive Z:.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

inline std::string ProgramPathArgument() {
    std::string path = __argc > 1 ? __argv[1] : "";
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
    }
    return path;
}
