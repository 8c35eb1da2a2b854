// The platform calls through which the dialog runner makes its copy and shows the dialog.
// Tests replace them to count blocks and to see which template the dialog came from.
#pragma once

#include <windows.h>

struct DialogRunnerCalls {
    HGLOBAL(WINAPI* globalAlloc)(UINT flags, SIZE_T bytes);
    HGLOBAL(WINAPI* globalFree)(HGLOBAL block);
    INT_PTR(WINAPI* dialogBoxIndirectParam)(HINSTANCE, LPCDLGTEMPLATEA, HWND, DLGPROC, LPARAM);
};

extern DialogRunnerCalls RunnerCalls;
