// The progress dialog (IDD_PROGRESS): runs one replace request on a worker thread, shows
// its counters, turns Cancel into a signal to the worker and shows the end of the run.
#pragma once

#include <windows.h>

// From the worker to the progress dialog, sent with SendMessageA, lParam 0:
// wParam 0 = the counters changed, wParam 1 = the walk has ended (once per run).
#define WM_JOB_PROGRESS (WM_USER + 100)

// Dialog result: 1 when closed by the user after the run ended (or when no worker could
// be started), 2 when it closed itself because the walk ended after a cancellation.
INT_PTR CALLBACK ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Moves a window so that it is centred over its parent (for an owned popup, its owner),
// without changing its size, z-order or activation; not clamped to the screen.
void CenterOverParent(HWND window);
