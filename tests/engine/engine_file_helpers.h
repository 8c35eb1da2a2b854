// Helpers for the engine's tests on real files under Wine: a scratch folder, whole-file
// reads and writes, and a request set in ReplaceJob.
#pragma once

#include <windows.h>

#include <string>

#include "engine/replace_job.h"

inline std::string ScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "kelvora_engine_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

inline void WriteWholeFile(const std::string& path, const std::string& content) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (!content.empty())
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

// The file's content, or "<missing>" when it cannot be opened.
inline std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        content.append(block, got);
    CloseHandle(file);
    return content;
}

// The file's size by its name (no open, so also while the file is held exclusively), or -1.
inline LONGLONG FileSizeByName(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// True when nothing holds the file open: an exclusive read-write open succeeds.
inline bool OpensExclusively(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Sets the request's texts and options; the texts point at the given strings.
inline void SetRequest(const char* find, const char* replace, bool matchCase = false,
                       bool onlyWords = false, bool saveBackups = false) {
    ReplaceJob.findText = const_cast<char*>(find);
    ReplaceJob.replaceText = const_cast<char*>(replace);
    ReplaceJob.matchCase = matchCase;
    ReplaceJob.onlyWords = onlyWords;
    ReplaceJob.saveBackups = saveBackups;
}
