// The main dialog "Replace in Files": a request is entered and started here, and the
// dialog's options, position and input histories are kept in the settings key.
#pragma once

#include <windows.h>

// Dialog procedure of IDD_MAIN.
INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the folder browser; path (MAX_PATH bytes) gets the chosen folder and is left
// unchanged when none is chosen.
void BrowseForFolder(char* path, HWND owner, const char* title);
