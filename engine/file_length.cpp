// The length steps of the rewrite. A step that puts the file back the way it was (the byte
// of the cut proof, the length after a failed reservation, the backup's bytes) is tried a
// few times before giving up, since giving up there leaves the file damaged.
#include "engine/file_length.h"

#include "engine/rewrite_calls.h"

namespace {

const int RestoringAttempts = 3;

bool SetPointer(HANDLE file, DWORD offset) {
    LONG high = 0; // with a high part the offset reads as unsigned, beyond 2 GiB too
    SetLastError(NO_ERROR);
    DWORD low = RewriteCalls.setFilePointer(file, static_cast<LONG>(offset), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool WriteAll(HANDLE file, const void* bytes, DWORD length) {
    DWORD written = 0;
    // A short write is a full disk too: the next write would report it.
    return RewriteCalls.writeFile(file, bytes, length, &written, nullptr) && written == length;
}

bool CopyBackupOver(HANDLE file, HANDLE backup) {
    DWORD high = 0;
    DWORD length = RewriteCalls.getFileSize(backup, &high);
    if (length == INVALID_FILE_SIZE || high != 0 || !SetPointer(file, 0))
        return false;
    char block[32768];
    for (DWORD done = 0; done < length;) {
        DWORD got = 0;
        if (!RewriteCalls.readFile(backup, block, sizeof block, &got, nullptr) || got == 0 ||
            !WriteAll(file, block, got))
            return false;
        done += got;
    }
    DWORD fileHigh = 0;
    if (RewriteCalls.getFileSize(file, &fileHigh) == length && fileHigh == 0)
        return true; // a shrinking rewrite whose cut failed left the length as it was
    return SetFileLength(file, length);
}

} // namespace

bool SetFileLength(HANDLE file, DWORD length) {
    return SetPointer(file, length) && RewriteCalls.setEndOfFile(file);
}

bool SetFileLengthRetrying(HANDLE file, DWORD length) {
    for (int attempt = 0; attempt < RestoringAttempts; ++attempt) {
        if (SetFileLength(file, length))
            return true;
    }
    return false;
}

bool ProveCut(HANDLE file, DWORD size) {
    unsigned char last = 0;
    DWORD got = 0;
    if (size == 0 || !SetPointer(file, size - 1) ||
        !RewriteCalls.readFile(file, &last, 1, &got, nullptr) || got != 1)
        return false;
    if (!SetFileLength(file, size - 1))
        return false;
    for (int attempt = 0; attempt < RestoringAttempts; ++attempt) {
        if (SetPointer(file, size - 1) && WriteAll(file, &last, 1))
            return true;
    }
    return false;
}

bool ReserveRoom(HANDLE file, DWORD size, DWORD room) {
    static const char zeros[65536] = {};
    bool reserved = SetPointer(file, size);
    for (DWORD at = size; reserved && at < room;) {
        DWORD chunk = room - at < sizeof zeros ? room - at : static_cast<DWORD>(sizeof zeros);
        reserved = WriteAll(file, zeros, chunk);
        at += chunk;
    }
    if (!reserved)
        SetFileLengthRetrying(file, size);
    return reserved;
}

bool RestoreFromBackup(HANDLE file, const char* backupName) {
    for (int attempt = 0; attempt < RestoringAttempts; ++attempt) {
        HANDLE backup = RewriteCalls.createFile(backupName, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (backup == INVALID_HANDLE_VALUE)
            continue;
        bool restored = CopyBackupOver(file, backup);
        RewriteCalls.closeHandle(backup);
        if (restored)
            return true;
    }
    return false;
}
