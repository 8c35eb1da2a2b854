// Helpers for tests on large sparse files under Wine: making one, and reading or writing a
// few bytes at an offset past what 32 bits can address.
#pragma once

#include <windows.h>

#include <string>

// A file of the given size, sparse where the platform allows, starting with head.
inline bool MakeLargeFile(const std::string& path, LONGLONG size, const std::string& head) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) &&
              written == head.size();
    LARGE_INTEGER end;
    end.QuadPart = size;
    ok = ok && SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

// length bytes of the file from offset at.
inline std::string BytesAt(const std::string& path, LONGLONG at, size_t length) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes(length, '\0');
    LARGE_INTEGER offset;
    offset.QuadPart = at;
    DWORD got = 0;
    if (!SetFilePointerEx(file, offset, nullptr, FILE_BEGIN) ||
        !ReadFile(file, &bytes[0], static_cast<DWORD>(length), &got, nullptr))
        got = 0;
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

// Writes text at offset at of an existing file.
inline bool WriteAt(const std::string& path, LONGLONG at, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER offset;
    offset.QuadPart = at;
    DWORD written = 0;
    const bool ok = SetFilePointerEx(file, offset, nullptr, FILE_BEGIN) &&
                    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    return ok;
}
