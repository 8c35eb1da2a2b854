// The worker thread of one replace run: the thread entry, the walk of one folder and the
// step for one found file. They report to the progress dialog only by WM_JOB_PROGRESS.
#pragma once

#include <windows.h>

// Thread entry; the parameter is the progress dialog's window. Resets the counters, walks
// the start folder and sends the one walk-ended notice. Returns 0.
DWORD WINAPI WorkerThreadProc(LPVOID parameter);

// Walks one folder (its matching files, then, when subfolders are requested, each
// subfolder). The folder path ends with a backslash. Within one outermost call no folder is
// walked twice and no file rewritten twice, however many names lead to it.
void WalkFolder(HWND progressWindow, const char* folder);

// Hands one found file to the rewrite and counts it. Returns 1 to go on with the folder's
// next entry, 0 to leave the folder's file loop.
int ProcessFoundFile(HWND progressWindow, const char* folder, const char* name);
