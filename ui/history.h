// The input histories of the main dialog's four combo boxes: the combo box's own list while
// the dialog is open, a REG_BINARY value of the settings key between runs.
#pragma once

#include <windows.h>

// History index: 0 Find, 1 Replace with, 2 File Types, 3 In Folder.

// Empties the combo box and fills it from the stored list; entry 0 becomes the edit text.
void LoadHistory(HKEY key, HWND combo, int historyIndex);

// Caller frees the result with free(); null when combo is null or memory runs out.
// Moves the edit text to the top of the list, stores the first 16 items when key is not
// null, and returns the edit text.
char* SaveHistory(HWND combo, HKEY key, int historyIndex);
