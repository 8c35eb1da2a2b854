// Drives a running kelvora.exe from another process, only through its windows: start it,
// find its dialogs, set and read control texts, press buttons, wait with a time-out.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct RunningProgram {
    PROCESS_INFORMATION process;
    HWND mainDialog; // null until found
};

// The program's path from the test's first argument, as a Windows path.
std::string ProgramPath();

// Starts kelvora.exe with the given command-line tail and waits for its main dialog.
// Returns false (after killing it) when no main dialog shows up in time.
bool StartProgram(RunningProgram* program, const char* arguments = "");

// Waits for the process to end; false when it still runs after the time-out. Exit code in *code.
bool WaitForExit(RunningProgram* program, DWORD* code);

// Kills the process if it still runs and closes its handles.
void StopProgram(RunningProgram* program);

// A visible top-level window of the process owned by owner (any owner when owner is null)
// whose class is "#32770"; null if none.
HWND FindOwnedDialog(DWORD processId, HWND owner);

// Polls until the owned dialog exists and its caption equals caption; null on time-out.
HWND WaitForOwnedDialog(DWORD processId, HWND owner, const char* caption, DWORD timeoutMs);

// Polls until the window is gone; false on time-out.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

// Texts across processes (Wine hands them back in UTF-16; converted with the ANSI code page).
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const char* text);
std::vector<std::string> ComboItems(HWND combo);
// The window that has the focus in the dialog's thread.
HWND FocusedWindow(HWND dialog);
// The selection in a combo box's edit field, start and end (of texts under 65,536 units).
std::pair<int, int> ComboSelection(HWND combo);
// The texts of all child windows, in order.
std::vector<std::string> ChildTexts(HWND window);

void SetCheck(HWND dialog, int id, bool checked);
bool IsChecked(HWND dialog, int id);

// Posts a click of the button id to dialog (posted: the handler may run a nested modal loop).
void PostCommand(HWND dialog, int id);

// Sends the command and waits for its handler to return; false on time-out.
bool SendCommand(HWND dialog, int id, DWORD timeoutMs);

// Pumps nothing; sleeps in small steps. Every wait in the tests goes through a time-out.
const DWORD kWaitMs = 20000;
