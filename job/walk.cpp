// The walk of one folder and the step for one found file, on the worker thread.
//
// Order: a folder's matching files first, then, when subfolders are requested, each
// subfolder in turn, completely, in the order the platform's search returns them.
// Cancellation is noticed after each processed file, after a folder's file loop and
// before each descent. Every path is composed only when it fits its buffer; a search that
// cannot be composed counts as one that found nothing.
#include "job/worker.h"

#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "job/path_compose.h"
#include "job/progress_dialog.h"
#include "job/visited_folders.h"
#include "job/walk_names.h"

namespace {

const size_t kPathBufferSize = 520;

// The folders entered by the current outermost WalkFolder call. Only the worker thread
// touches them, and one run has one worker.
VisitedFolders visitedFolders;
int walkDepth;

bool CancelSignalled() {
    return WaitForSingleObject(ReplaceJob.cancelEvent, 0) == WAIT_OBJECT_0;
}

// False only when the folder is known to have been entered already in this walk. A folder
// that cannot be told apart (no handle, no information, no index, no memory) is walked:
// the path length limit of the search still ends every descent.
bool EnterFolderOnce(const char* folder) {
    HANDLE handle = CreateFileA(folder, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return true;
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) return true;
    const FolderIdentity identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh,
                                     info.nFileIndexLow};
    return RememberFolder(&visitedFolders, identity) != 0;
}

void WalkFiles(HWND progressWindow, const char* folder) {
    char search[kPathBufferSize];
    if (!ReplaceJob.fileTypes ||
        !ComposePath(search, sizeof search, folder, ReplaceJob.fileTypes, nullptr))
        return;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(search, &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!ProcessFoundFile(progressWindow, folder, entry.cFileName)) break;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void WalkSubfolders(HWND progressWindow, const char* folder) {
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
        WalkFolder(progressWindow, search);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

} // namespace

void WalkFolder(HWND progressWindow, const char* folder) {
    if (walkDepth == 0) ForgetVisitedFolders(&visitedFolders);
    ++walkDepth;
    if (EnterFolderOnce(folder)) {
        WalkFiles(progressWindow, folder);
        if (ReplaceJob.includeSubfolders && !CancelSignalled())
            WalkSubfolders(progressWindow, folder);
    }
    if (--walkDepth == 0) ForgetVisitedFolders(&visitedFolders);
}

int ProcessFoundFile(HWND progressWindow, const char* folder, const char* name) {
    if (ReplaceJob.saveBackups && HasBackupSuffix(name)) return 1;
    char path[kPathBufferSize];
    // A path the buffer cannot hold is one the platform cannot open either: passed over.
    if (!ComposePath(path, sizeof path, folder, name, nullptr)) return 1;
    const int replaced = ReplaceInFile(path);
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
