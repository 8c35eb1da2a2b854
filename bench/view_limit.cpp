// The two views of one file, timed together; see view_limit.h.
#include "bench/view_limit.h"
#include "bench/wine_clock.h"

#include <string.h>

namespace {

// Reads every byte: memchr for a byte that text holds rarely, taken up again after each hit.
bool ScanReadOnlyView(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    const DWORD size = GetFileSize(file, nullptr);
    HANDLE mapping = size == 0 || size == INVALID_FILE_SIZE
                         ? nullptr
                         : CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, size, nullptr);
    if (mapping) {
        const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
        if (view) {
            volatile size_t hits = 0;
            for (const char* p = view; (p = static_cast<const char*>(memchr(p, 0, view + size - p)));
                 ++p)
                hits = hits + 1;
            UnmapViewOfFile(view);
            ok = true;
        }
        CloseHandle(mapping);
    }
    CloseHandle(file);
    return ok;
}

bool MoveThroughWritableView(const char* path, DWORD growth) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    const DWORD size = GetFileSize(file, nullptr);
    const DWORD room = size + growth;
    HANDLE mapping = size == 0 || size == INVALID_FILE_SIZE || room < size
                         ? nullptr
                         : CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, room, nullptr);
    if (mapping) {
        char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
        if (view) {
            // Without growth the data moves down by one byte, as a shrinking rewrite moves it.
            if (growth)
                memmove(view + growth, view, size);
            else
                memmove(view, view + 1, size - 1);
            UnmapViewOfFile(view);
            ok = true;
        }
        CloseHandle(mapping);
    }
    if (ok) {
        ok = SetFilePointer(file, static_cast<LONG>(room), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
             SetEndOfFile(file);
    }
    CloseHandle(file);
    return ok;
}

} // namespace

double ViewLimitMilliseconds(const char* path, DWORD growth) {
    const double start = Now();
    if (!ScanReadOnlyView(path) || !MoveThroughWritableView(path, growth)) return -1;
    return Now() - start;
}
