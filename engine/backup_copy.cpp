// The backup copy, and what a failed copy leaves behind.
#include "engine/backup_copy.h"

#include <windows.h>

#include "engine/rewrite_calls.h"

namespace {

// What a name holds, as far as telling whether a copy has touched it goes.
struct NameState {
    bool exists;
    WIN32_FILE_ATTRIBUTE_DATA data;
};

NameState StateOf(const char* name) {
    NameState state = {};
    state.exists =
        RewriteCalls.getFileAttributesEx(name, GetFileExInfoStandard, &state.data) != FALSE;
    return state;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// A failed copy may leave its destination cut short (Wine's CopyFileA does, on a full disk):
// such a file is no backup, and is removed. A backup name that the failed copy did not touch
// (it could not be opened, or is a folder) stays as it was.
void RemoveCutShortCopy(const char* backupName, const NameState& before) {
    const NameState after = StateOf(backupName);
    if (!after.exists || (after.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    const bool untouched = before.exists &&
                           before.data.dwFileAttributes == after.data.dwFileAttributes &&
                           before.data.nFileSizeHigh == after.data.nFileSizeHigh &&
                           before.data.nFileSizeLow == after.data.nFileSizeLow &&
                           SameTime(before.data.ftLastWriteTime, after.data.ftLastWriteTime) &&
                           SameTime(before.data.ftCreationTime, after.data.ftCreationTime);
    if (!untouched)
        RewriteCalls.deleteFile(backupName);
}

} // namespace

bool CopyToBackup(const char* path, const char* backupName) {
    const NameState before = StateOf(backupName);
    if (RewriteCalls.copyFile(path, backupName, FALSE))
        return true;
    RemoveCutShortCopy(backupName, before);
    return false;
}
