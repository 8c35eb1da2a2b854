// The file rewrite: a counting pass through a read-only view, the write probe, the backup
// and its question, and the rewriting pass through one writable view of the final size.
// The file is closed between the passes; each open is exclusive while it lasts. Another
// process may still change the file between the passes, so the second pass trusts only
// what it sees, and never makes more replacements than the first pass counted (the room
// it mapped is sized for that many).
#include "engine/replace_in_file.h"

#include <windows.h>

#include <cstdint>

#include "engine/character_model.h"
#include "engine/replace_job.h"
#include "engine/rewrite_calls.h"
#include "engine/rewrite_passes.h"

namespace {

const uint64_t LargestSize = 0xFFFFFFFFu;

HANDLE OpenExclusive(const char* path, DWORD access) {
    return RewriteCalls.createFile(path, access, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The size of an open file, or 0 when it is empty, cannot be read, or is 4 GiB or more
// (only sizes that fit in 32 bits are handled).
DWORD UsableSize(HANDLE file) {
    DWORD high = 0;
    DWORD size = RewriteCalls.getFileSize(file, &high);
    if (size == INVALID_FILE_SIZE || high != 0)
        return 0;
    return size;
}

// The size of the data after `count` replacements that change the length by `delta`.
uint64_t SizeAfter(DWORD size, uint32_t count, int64_t delta) {
    return static_cast<uint64_t>(static_cast<int64_t>(size) + static_cast<int64_t>(count) * delta);
}

bool SetLength(HANDLE file, DWORD length) {
    LONG high = 0; // with a high part the low part reads as unsigned, beyond 2 GiB too
    SetLastError(NO_ERROR);
    DWORD low = RewriteCalls.setFilePointer(file, static_cast<LONG>(length), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return false;
    return RewriteCalls.setEndOfFile(file) != FALSE;
}

// First pass. Returns the number of occurrences, 0 on any failure; *size gets the size.
uint32_t CountInFile(const char* path, const MatchRequest& request, DWORD* size) {
    HANDLE file = OpenExclusive(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    uint32_t count = 0;
    DWORD n = UsableSize(file);
    if (n != 0) {
        HANDLE mapping = RewriteCalls.createFileMapping(file, nullptr, PAGE_READONLY, 0, n, nullptr);
        if (mapping) {
            void* view = RewriteCalls.mapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
            if (view) {
                count = CountOccurrences(request, static_cast<const unsigned char*>(view), n);
                UnmapViewOfFile(view);
            }
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
    *size = n;
    return count;
}

bool CanOpenForWriting(const char* path) {
    HANDLE file = OpenExclusive(path, GENERIC_READ | GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// The backup copy and, when it fails, the question. False when the user declined.
bool MakeBackup(const char* path) {
    char backupName[MAX_PATH + 8];
    bool copied = false;
    if (lstrlenA(path) + 5 <= static_cast<int>(sizeof backupName)) {
        lstrcpyA(backupName, path);
        lstrcatA(backupName, ".bak");
        copied = RewriteCalls.copyFile(path, backupName, FALSE) != FALSE;
    }
    if (copied || ReplaceJob.backupFailureAccepted)
        return true;
    int answer = RewriteCalls.messageBox(ReplaceJob.progressWindow, "Cannot make backups. Continue?",
                                         "Replace in Files", MB_YESNO | MB_ICONWARNING);
    if (answer != IDYES)
        return false;
    ReplaceJob.backupFailureAccepted = true;
    return true;
}

// Second pass. Returns the number of replacements made, 0 on failure.
uint32_t RewriteFile(const char* path, const MatchRequest& request, uint32_t count,
                     const char* replaceText, uint32_t replaceLength) {
    HANDLE file = OpenExclusive(path, GENERIC_READ | GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const int64_t delta = static_cast<int64_t>(replaceLength) - request.findLength;
    DWORD n = UsableSize(file);
    uint64_t room = n;
    if (delta > 0)
        room = SizeAfter(n, count, delta);
    if (n == 0 || room > LargestSize) {
        CloseHandle(file);
        return 0;
    }
    HANDLE mapping = RewriteCalls.createFileMapping(file, nullptr, PAGE_READWRITE, 0,
                                                    static_cast<DWORD>(room), nullptr);
    if (!mapping) {
        if (room > n)
            SetLength(file, n); // in case the failed mapping grew the file
        CloseHandle(file);
        return 0;
    }
    uint32_t made = 0;
    void* view = RewriteCalls.mapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (view) {
        made = RewriteOccurrences(request, static_cast<unsigned char*>(view), n, room, count,
                                  replaceText, replaceLength);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    // Cuts off what the compaction left behind, keeps what the moves filled, and takes
    // back room that a larger mapping added but no replacement used.
    SetLength(file, static_cast<DWORD>(SizeAfter(n, made, delta)));
    CloseHandle(file);
    return made;
}

} // namespace

int ReplaceInFile(const char* path) {
    const char* findText = ReplaceJob.findText;
    const char* replaceText = ReplaceJob.replaceText ? ReplaceJob.replaceText : "";
    if (!path || !findText || findText[0] == 0)
        return 0;
    MatchRequest request;
    PrepareMatch(&request, ProcessCharacterModel, findText, ReplaceJob.matchCase,
                 ReplaceJob.onlyWords);
    const uint32_t replaceLength = static_cast<uint32_t>(lstrlenA(replaceText));
    const int64_t delta = static_cast<int64_t>(replaceLength) - request.findLength;

    DWORD size = 0;
    uint32_t count = CountInFile(path, request, &size);
    if (count == 0 || SizeAfter(size, count, delta) > LargestSize)
        return 0;
    if (!CanOpenForWriting(path))
        return 0;
    if (ReplaceJob.saveBackups && !MakeBackup(path))
        return -1;
    uint32_t made = RewriteFile(path, request, count, replaceText, replaceLength);
    return made > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(made);
}
