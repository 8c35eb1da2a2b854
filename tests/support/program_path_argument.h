// The program path that CTest hands a test as its first argument. CTest gives a Unix path;
// under Wine the Unix root is drive Z:.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

// A Unix path as Wine's drive Z: names it; any other path unchanged.
inline std::string WindowsPathOfArgument(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
    }
    return path;
}

inline std::string ProgramPathArgument() {
    return WindowsPathOfArgument(__argc > 1 ? __argv[1] : "");
}
