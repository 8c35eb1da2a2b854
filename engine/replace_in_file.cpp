// The file rewrite: a counting pass through a read-only view, the write probe, the backup
// and its question, and the rewriting pass through one writable view of the final size.
// The file is closed between the passes; each open is exclusive while it lasts. Another
// process may still change the file between the passes, so the second pass trusts only
// what it sees, and never makes more replacements than the first pass counted (the room
// it mapped is sized for that many).
//
// Before any byte moves, the second pass makes sure that the moves can be finished: it
// proves that it can cut the file (another program's view of the file forbids that) and
// writes the room a growing file needs, so that a full disk says so before the moves
// instead of in the middle of them. A fault inside a view ends its pass, not the process.
#include "engine/replace_in_file.h"

#include <windows.h>

#include <cstdint>

#include "engine/backup_copy.h"
#include "engine/character_model.h"
#include "engine/file_length.h"
#include "engine/replace_job.h"
#include "engine/rewrite_calls.h"
#include "engine/rewrite_passes.h"
#include "engine/view_fault_guard.h"

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

struct CountingPass {
    const MatchRequest* request;
    const unsigned char* data;
    uint32_t size;
    uint32_t count;
};

void RunCountingPass(void* context) {
    CountingPass* pass = static_cast<CountingPass*>(context);
    pass->count = CountOccurrences(*pass->request, pass->data, pass->size);
}

struct RewritingPass {
    const MatchRequest* request;
    unsigned char* data;
    uint32_t size;
    uint64_t room;
    uint32_t count;
    const char* replaceText;
    uint32_t replaceLength;
    uint32_t made;
};

void RunRewritingPass(void* context) {
    RewritingPass* pass = static_cast<RewritingPass*>(context);
    pass->made = RewriteOccurrences(*pass->request, pass->data, pass->size, pass->room,
                                    pass->count, pass->replaceText, pass->replaceLength);
}

// First pass. Returns the number of occurrences, 0 on any failure, or when the file is one
// that this run has rewritten already; *size gets the size and *identity the file's identity
// (*known false when it cannot be had, or is not needed).
uint32_t CountInFile(const char* path, const MatchRequest& request,
                     const FileIdentitySet* rewrittenFiles, DWORD* size, FileIdentity* identity,
                     bool* known) {
    *size = 0;
    *known = false;
    HANDLE file = OpenExclusive(path, GENERIC_READ);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CountingPass pass = {&request, nullptr, UsableSize(file), 0};
    if (pass.size != 0) {
        HANDLE mapping =
            RewriteCalls.createFileMapping(file, nullptr, PAGE_READONLY, 0, pass.size, nullptr);
        if (mapping) {
            pass.data = static_cast<const unsigned char*>(
                RewriteCalls.mapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
            if (pass.data) {
                if (!RunGuardedPass(pass.data, pass.size, RunCountingPass, &pass))
                    pass.count = 0; // the file could not be read to its end
                RewriteCalls.unmapViewOfFile(pass.data);
            }
            RewriteCalls.closeHandle(mapping);
        }
    }
    // Only a file that would be rewritten needs telling apart from the ones already done.
    if (pass.count != 0 && rewrittenFiles) {
        *known = GetFileIdentity(file, identity);
        if (*known && rewrittenFiles->count(*identity) != 0)
            pass.count = 0;
    }
    RewriteCalls.closeHandle(file);
    *size = pass.size;
    return pass.count;
}

bool CanOpenForWriting(const char* path) {
    HANDLE file = OpenExclusive(path, GENERIC_READ | GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    RewriteCalls.closeHandle(file);
    return true;
}

enum BackupOutcome { BackupMade, NoBackup, BackupDeclined };

// The backup copy and, when it fails, the question.
BackupOutcome MakeBackup(const char* path, char* backupName, size_t backupNameSize) {
    bool copied = false;
    if (lstrlenA(path) + 5 <= static_cast<int>(backupNameSize)) {
        lstrcpyA(backupName, path);
        lstrcatA(backupName, ".bak");
        copied = CopyToBackup(path, backupName);
    }
    if (copied)
        return BackupMade;
    if (ReplaceJob.backupFailureAccepted)
        return NoBackup;
    int answer = RewriteCalls.messageBox(ReplaceJob.progressWindow, "Cannot make backups. Continue?",
                                         "Replace in Files", MB_YESNO | MB_ICONWARNING);
    if (answer != IDYES)
        return BackupDeclined;
    ReplaceJob.backupFailureAccepted = true;
    return NoBackup;
}

enum PassOutcome { PassFinished, PassAbandoned, PassNotFlushed };

// The writable view's pass, guarded, then the view flushed and released. A fault inside the
// view abandons the pass with the moves half done; a failed flush leaves the result whole in
// the view but not known to be stored.
PassOutcome RewriteThroughView(HANDLE mapping, RewritingPass* pass) {
    pass->made = 0;
    pass->data = static_cast<unsigned char*>(
        RewriteCalls.mapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!pass->data)
        return PassFinished; // nothing has moved; the length goes back to the size
    PassOutcome outcome = PassFinished;
    if (!RunGuardedPass(pass->data, static_cast<size_t>(pass->room), RunRewritingPass, pass))
        outcome = PassAbandoned;
    else if (!RewriteCalls.flushViewOfFile(pass->data, 0))
        outcome = PassNotFlushed;
    RewriteCalls.unmapViewOfFile(pass->data);
    return outcome;
}

// Second pass, on the open file. Returns the number of replacements made, 0 on failure.
uint32_t RewriteOpenFile(HANDLE file, const MatchRequest& request, uint32_t count,
                         const char* replaceText, uint32_t replaceLength, const char* backupName) {
    const int64_t delta = static_cast<int64_t>(replaceLength) - request.findLength;
    RewritingPass pass = {&request, nullptr, UsableSize(file), 0, count, replaceText,
                          replaceLength, 0};
    pass.room = delta > 0 ? SizeAfter(pass.size, count, delta) : pass.size;
    if (pass.size == 0 || pass.room > LargestSize)
        return 0;
    // The length will change: make sure it can, and that the room is there, while nothing
    // has moved yet.
    if (delta != 0 && !ProveCut(file, pass.size))
        return 0;
    const DWORD room = static_cast<DWORD>(pass.room);
    if (room > pass.size && !ReserveRoom(file, pass.size, room))
        return 0;
    HANDLE mapping = RewriteCalls.createFileMapping(file, nullptr, PAGE_READWRITE, 0, room, nullptr);
    PassOutcome outcome = PassFinished;
    if (mapping) {
        outcome = RewriteThroughView(mapping, &pass);
        RewriteCalls.closeHandle(mapping);
    }
    // Storage failed under the view: only the backup can put the file back for sure.
    if (outcome != PassFinished && backupName) {
        RestoreFromBackup(file, backupName);
        return 0;
    }
    if (outcome == PassAbandoned)
        return 0;
    // Cuts off what the compaction left behind, keeps what the moves filled, and takes back
    // room that no replacement used (all of it when nothing was replaced). After a failed
    // flush the whole result is in the file's pages, so it gets its length too, but it does
    // not count as done.
    const DWORD length = static_cast<DWORD>(SizeAfter(pass.size, pass.made, delta));
    bool lengthSet = length == room || SetFileLengthRetrying(file, length);
    if (!lengthSet && backupName)
        RestoreFromBackup(file, backupName);
    return lengthSet && outcome == PassFinished ? pass.made : 0;
}

uint32_t RewriteFile(const char* path, const MatchRequest& request, uint32_t count,
                     const char* replaceText, uint32_t replaceLength, const char* backupName) {
    HANDLE file = OpenExclusive(path, GENERIC_READ | GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    uint32_t made = RewriteOpenFile(file, request, count, replaceText, replaceLength, backupName);
    RewriteCalls.closeHandle(file);
    return made;
}

} // namespace

int ReplaceInFile(const char* path, FileIdentitySet* rewrittenFiles) {
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
    FileIdentity identity = {};
    bool known = false;
    uint32_t count = CountInFile(path, request, rewrittenFiles, &size, &identity, &known);
    if (count == 0 || SizeAfter(size, count, delta) > LargestSize)
        return 0;
    if (!CanOpenForWriting(path))
        return 0;
    char backupName[MAX_PATH + 8];
    const char* backup = nullptr;
    if (ReplaceJob.saveBackups) {
        BackupOutcome outcome = MakeBackup(path, backupName, sizeof backupName);
        if (outcome == BackupDeclined)
            return -1;
        if (outcome == BackupMade)
            backup = backupName;
    }
    uint32_t made = RewriteFile(path, request, count, replaceText, replaceLength, backup);
    if (made > 0 && known)
        RememberIdentity(rewrittenFiles, identity);
    return made > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(made);
}
