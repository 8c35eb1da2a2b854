// The worker thread's entry: one run of a replace request.
#include "job/worker.h"

#include "engine/character_model.h"
#include "engine/replace_job.h"
#include "job/path_compose.h"
#include "job/progress_dialog.h"
#include "job/walk_names.h"

DWORD WINAPI WorkerThreadProc(LPVOID parameter) {
    HWND progressWindow = static_cast<HWND>(parameter);
    ReplaceJob.replacedStrings = 0;
    ReplaceJob.replacedFiles = 0;
    ReplaceJob.searchedFiles = 0;

    // The start folder with its backslash must fit 264 bytes; a longer one counts as a
    // folder without entries.
    char start[264];
    const char* folder = ReplaceJob.folder;
    if (folder) {
        const char* backslash = EndsWithBackslash(ProcessCharacterModel, folder) ? nullptr : "\\";
        if (ComposePath(start, sizeof start, folder, backslash, nullptr))
            WalkFolder(progressWindow, start);
    }

    // The one walk-ended notice of the run; nested walks send none.
    SendMessageA(progressWindow, WM_JOB_PROGRESS, 1, 0);
    return 0;
}
