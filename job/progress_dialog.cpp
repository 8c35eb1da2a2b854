// The progress dialog's procedure.
//
// How the dialog and the worker meet:
//  - progressWindow and cancelEvent are set before the worker is created, so the worker
//    always sees them;
//  - the worker writes the counters and sends WM_JOB_PROGRESS with SendMessageA; the
//    dialog reads the counters only while handling it, so it never sees a half-done update;
//  - the dialog asks the worker to stop only by signalling cancelEvent (the worker may
//    signal it too, when the user declines to go on without backups);
//  - workerThread is touched on this thread only; non-null means a worker still walks, so
//    the dialog does not close and the request's strings stay in place;
//  - the walk-ended notice comes exactly once; the dialog closes itself after it when the
//    run was cancelled, and otherwise shows "Finished" and waits for the user;
//  - a counter's text is set only when its value differs from what the control shows
//    (every set is a round trip to the window system and a repaint, and on most files only
//    Searched Files changes); each dialog starts from the template's "0", whatever values
//    an earlier run left in the record.
#include "job/progress_dialog.h"

#include "app/resource.h"
#include "engine/replace_job.h"
#include "job/worker.h"

namespace {

// What each counter control of the open progress dialog shows. Touched on the UI thread only.
struct ShownCounter {
    int id;
    DWORD shown;
};
ShownCounter shownCounters[3] = {
    {IDC_REPLACED_STRINGS, 0}, {IDC_REPLACED_FILES, 0}, {IDC_SEARCHED_FILES, 0}};

void ShowCounter(HWND dialog, ShownCounter* counter, DWORD value) {
    if (value == counter->shown) return;
    // A failed set leaves the old text, so it is tried again at the next notice.
    if (SetDlgItemInt(dialog, counter->id, value, FALSE)) counter->shown = value;
}

bool CancelSignalled() {
    return WaitForSingleObject(ReplaceJob.cancelEvent, 0) == WAIT_OBJECT_0;
}

void StartRun(HWND dialog) {
    for (ShownCounter& counter : shownCounters) counter.shown = 0; // the template's "0"
    CenterOverParent(dialog);
    ReplaceJob.progressWindow = dialog;
    ReplaceJob.cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ReplaceJob.workerThread = nullptr;
    // Without an event the run could not be cancelled; it is not started, and the
    // button closes the dialog as when no worker could be created.
    if (!ReplaceJob.cancelEvent) return;
    ReplaceJob.workerThread = CreateThread(nullptr, 0, WorkerThreadProc, dialog, 0, nullptr);
    SetThreadPriority(ReplaceJob.workerThread, THREAD_PRIORITY_BELOW_NORMAL);
}

void RequestCancel(HWND dialog) {
    if (!ReplaceJob.workerThread) {
        EndDialog(dialog, 1);
        return;
    }
    SetEvent(ReplaceJob.cancelEvent);
    EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
    SetWindowTextA(dialog, "Cancelling now...");
}

void ShowProgress(HWND dialog, WPARAM walkEnded) {
    ShowCounter(dialog, &shownCounters[0], ReplaceJob.replacedStrings);
    ShowCounter(dialog, &shownCounters[1], ReplaceJob.replacedFiles);
    ShowCounter(dialog, &shownCounters[2], ReplaceJob.searchedFiles);
    if (walkEnded == 0 || !ReplaceJob.workerThread) return;
    // The worker is inside its last SendMessageA and only returns from it afterwards.
    CloseHandle(ReplaceJob.workerThread);
    ReplaceJob.workerThread = nullptr;
    if (CancelSignalled()) {
        EndDialog(dialog, 2);
        return;
    }
    SetWindowTextA(dialog, "Finished");
    SetDlgItemTextA(dialog, IDCANCEL, "OK");
}

} // namespace

INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        StartRun(dialog);
        return TRUE;
    case WM_COMMAND:
        if (wParam != IDCANCEL) return FALSE;
        RequestCancel(dialog);
        return TRUE;
    case WM_JOB_PROGRESS:
        ShowProgress(dialog, wParam);
        return TRUE;
    case WM_DESTROY:
        if (ReplaceJob.cancelEvent) CloseHandle(ReplaceJob.cancelEvent);
        ReplaceJob.cancelEvent = nullptr;
        return FALSE;
    }
    return FALSE;
}
