// The walk of one folder and the step for one found file, on the worker thread.
//
// Order: a folder's matching files first, then, when subfolders are requested, each
// subfolder in turn, completely, in the order the platform's search returns them.
// Cancellation is noticed after each processed file, after a folder's file loop and
// before each descent. Every path is composed only when it fits its buffer; a search that
// cannot be composed counts as one that found nothing.
//
// One outermost walk remembers, by identity, the folders it entered and the files it
// rewrote: links that loop or lead to a folder reached elsewhere are walked once, and a
// file met again under another name (a hard or symbolic link, or a best-fit name that the
// search made up for a name the ANSI code page cannot hold) is not rewritten again.
//
// The search also matches the pattern against each entry's 8.3 alias ("*.txt" finds
// notes.txt~ by its alias NOTE~S2F.TXT). An entry with an alias is taken only when its own
// name matches the pattern's last component under the search's rules; an entry without one
// was matched by its own name, and is never turned away.
#include "job/worker.h"

#include "engine/character_model.h"
#include "engine/file_identity.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "job/name_case.h"
#include "job/path_compose.h"
#include "job/progress_dialog.h"
#include "job/walk_names.h"

namespace {

const size_t kPathBufferSize = 520;

// What one outermost WalkFolder call has met. It lives on that call's stack; only the
// worker thread touches it.
struct WalkRun {
    FileIdentitySet enteredFolders;
    FileIdentitySet rewrittenFiles;
};

bool CancelSignalled() {
    return WaitForSingleObject(ReplaceJob.cancelEvent, 0) == WAIT_OBJECT_0;
}

// False only when the folder is known to have been entered already in this walk. A folder
// that cannot be told apart (no handle, no identity) is walked: the path length limit of
// the search still ends every descent.
bool EnterFolderOnce(WalkRun* run, const char* folder) {
    HANDLE handle = CreateFileA(folder, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return true;
    FileIdentity identity;
    const bool known = GetFileIdentity(handle, &identity);
    CloseHandle(handle);
    return !known || RememberIdentity(&run->enteredFolders, identity);
}

int ProcessFile(WalkRun* run, HWND progressWindow, const char* folder, const char* name) {
    if (ReplaceJob.saveBackups && HasBackupSuffix(name)) return 1;
    char path[kPathBufferSize];
    // A path the buffer cannot hold is one the platform cannot open either: passed over.
    if (!ComposePath(path, sizeof path, folder, name, nullptr)) return 1;
    const int replaced = ReplaceInFile(path, run ? &run->rewrittenFiles : nullptr);
    if (replaced == -1) {
        SetEvent(ReplaceJob.cancelEvent);
        return 0;
    }
    if (replaced != 0) {
        ReplaceJob.replacedStrings += static_cast<DWORD>(replaced);
        ReplaceJob.replacedFiles += 1;
    }
    ReplaceJob.searchedFiles += 1;
    if (CancelSignalled()) return 0;
    SendMessageA(progressWindow, WM_JOB_PROGRESS, 0, 0);
    return 1;
}

void WalkFiles(WalkRun* run, HWND progressWindow, const char* folder) {
    char search[kPathBufferSize];
    const char* pattern = ReplaceJob.fileTypes;
    if (!pattern || !ComposePath(search, sizeof search, folder, pattern, nullptr)) return;
    // The files are found in the folder the pattern names ("sub\*.log" looks in sub\), and
    // that is where they are rewritten.
    char filesFolder[kPathBufferSize];
    const size_t patternFolderLength = PatternFolderLength(ProcessCharacterModel, pattern);
    const size_t filesFolderLength = lstrlenA(folder) + patternFolderLength;
    lstrcpynA(filesFolder, search, static_cast<int>(filesFolderLength + 1));
    const char* namePattern = pattern + patternFolderLength;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(search, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            continue;
        // Found by its alias alone: passed over like a read-only file.
        if (entry.cAlternateFileName[0] != '\0' &&
            !OwnNameMatches(ProcessCharacterModel, namePattern, entry.cFileName))
            continue;
        if (!ProcessFile(run, progressWindow, filesFolder, entry.cFileName)) break;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void WalkFolderIn(WalkRun* run, HWND progressWindow, const char* folder);

void WalkSubfolders(WalkRun* run, HWND progressWindow, const char* folder) {
    char search[kPathBufferSize];
    if (!ComposePath(search, sizeof search, folder, "*", nullptr)) return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(search, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0)
            continue;
        if (CancelSignalled()) break;
        // The search buffer is free again once the search runs; it takes the subfolder.
        if (!ComposePath(search, sizeof search, folder, entry.cFileName, "\\")) continue;
        WalkFolderIn(run, progressWindow, search);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void WalkFolderIn(WalkRun* run, HWND progressWindow, const char* folder) {
    if (!EnterFolderOnce(run, folder)) return;
    WalkFiles(run, progressWindow, folder);
    if (ReplaceJob.includeSubfolders && !CancelSignalled())
        WalkSubfolders(run, progressWindow, folder);
}

} // namespace

void WalkFolder(HWND progressWindow, const char* folder) {
    WalkRun run;
    WalkFolderIn(&run, progressWindow, folder);
}

int ProcessFoundFile(HWND progressWindow, const char* folder, const char* name) {
    return ProcessFile(nullptr, progressWindow, folder, name);
}
