// Which file or folder an open handle names, whatever path led to it: hard links, symbolic
// links and best-fit names of one file all give the same identity.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>

struct FileIdentity {
    uint64_t volume;
    uint64_t idHigh; // 128-bit file id where the platform has one, else the 64-bit index
    uint64_t idLow;
};

bool operator<(const FileIdentity& a, const FileIdentity& b);

// The files or folders met in one run.
typedef std::set<FileIdentity> FileIdentitySet;

// False when the handle's file cannot be told apart from others (no information, or a
// file system that gives every file the index 0).
bool GetFileIdentity(HANDLE handle, FileIdentity* identity);

// Adds the identity; false when it was there already. Without memory to remember it, the
// identity counts as new.
bool RememberIdentity(FileIdentitySet* set, const FileIdentity& identity);
