// The one process-wide record: it carries a replace request from the main dialog to the
// worker thread, the run's counters and the handles that tie the worker to the progress
// dialog.
//
// How the threads share it, without locks:
//  - the texts and options are written by the main dialog before the progress dialog starts
//    the worker, only read while it runs, and freed only after the progress dialog returned;
//  - the counters are written only by the worker; the progress dialog reads them only while
//    handling WM_JOB_PROGRESS, which the worker sends with SendMessageA and waits on;
//  - cancelEvent is the only signal from the UI thread to the worker;
//  - backupFailureAccepted is touched by the worker alone and is never cleared.
#pragma once

#include <windows.h>

struct ReplaceJobRecord {
    char* findText;    // heap string, never empty during a run
    char* replaceText; // heap string, may be empty
    char* fileTypes;   // file name pattern, handed to the folder search unchanged
    char* folder;      // start folder

    bool matchCase;
    bool saveBackups;
    bool onlyWords;
    bool includeSubfolders;

    bool backupFailureAccepted;

    DWORD replacedStrings;
    DWORD replacedFiles;
    DWORD searchedFiles;

    HANDLE cancelEvent;   // manual-reset event
    HANDLE workerThread;  // null when no worker is known to run
    HWND progressWindow;  // the progress dialog of the current (or last) run
    HINSTANCE instance;   // the module the dialog resources come from
};

// Zero at process start, like every object of static storage duration.
extern ReplaceJobRecord ReplaceJob;
