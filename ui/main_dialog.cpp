// The main dialog: start (position, options, histories), Browse, Replace All and Close.
#include "ui/main_dialog.h"

#include <shlobj.h>
#include <stdlib.h>

#include "app/dialog_runner.h"
#include "app/resource.h"
#include "engine/ascii_case.h"
#include "engine/replace_job.h"
#include "job/progress_dialog.h"
#include "ui/history.h"
#include "ui/settings.h"

namespace {

// True when pattern is "*.bak" with ASCII letters in any case; every other byte must match
// exactly, so " *.bak" or "*.ba?" is not the pattern.
bool IsBakPattern(const char* pattern) {
    return EqualsIgnoringAsciiCase(pattern, "*.bak");
}

void SetCheckFromSetting(HWND dialog, int id, HKEY key, const char* name, DWORD defaultValue) {
    CheckDlgButton(dialog, id, ReadDwordSetting(key, name, defaultValue));
}

void StartDialog(HWND dialog) {
    HKEY key = OpenSettingsKey();
    if (key) {
        const DWORD x = ReadDwordSetting(key, "PosX", 20);
        const DWORD y = ReadDwordSetting(key, "PosY", 20);
        // Without SWP_NOACTIVATE, Wine activates the still hidden dialog here, which puts the
        // focus into the empty Find field; the remembered text loaded next is then not
        // selected, and typing went in front of it.
        SetWindowPos(dialog, nullptr, static_cast<int>(x), static_cast<int>(y), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetCheckFromSetting(dialog, IDC_MATCHCASE, key, "Case", 1);
    SetCheckFromSetting(dialog, IDC_BACKUPS, key, "Backup", 1);
    SetCheckFromSetting(dialog, IDC_ONLYWORDS, key, "OnlyWord", 0);

    LoadHistory(key, GetDlgItem(dialog, IDC_FIND), 0);
    LoadHistory(key, GetDlgItem(dialog, IDC_REPLACE), 1);
    HWND fileTypes = GetDlgItem(dialog, IDC_FILETYPES);
    LoadHistory(key, fileTypes, 2);
    if (SendMessageA(fileTypes, CB_GETCOUNT, 0, 0) == 0) {
        SetWindowTextA(fileTypes, "*.txt");
    }
    LoadHistory(key, GetDlgItem(dialog, IDC_FOLDER), 3);
    if (key) RegCloseKey(key);
}

void BrowseCommand(HWND dialog) {
    char path[MAX_PATH];
    char title[40];
    path[0] = '\0';
    GetDlgItemTextA(dialog, IDC_FOLDER_LABEL, title, sizeof title);
    BrowseForFolder(path, dialog, title);
    if (path[0] != '\0') SetDlgItemTextA(dialog, IDC_FOLDER, path);
}

// Reads a check box into the request and stores it as 1 or 0 when there is a key.
bool TakeOption(HWND dialog, int id, HKEY key, const char* name) {
    const bool checked = IsDlgButtonChecked(dialog, id) != 0;
    if (key && name) WriteDwordSetting(key, name, checked ? 1 : 0);
    return checked;
}

void FreeRequestTexts() {
    free(ReplaceJob.findText);
    free(ReplaceJob.replaceText);
    free(ReplaceJob.fileTypes);
    free(ReplaceJob.folder);
    ReplaceJob.findText = nullptr;
    ReplaceJob.replaceText = nullptr;
    ReplaceJob.fileTypes = nullptr;
    ReplaceJob.folder = nullptr;
}

void ReplaceAllCommand(HWND dialog) {
    HKEY key = OpenSettingsKey();
    ReplaceJob.matchCase = TakeOption(dialog, IDC_MATCHCASE, key, "Case");
    ReplaceJob.saveBackups = TakeOption(dialog, IDC_BACKUPS, key, "Backup");
    ReplaceJob.includeSubfolders = TakeOption(dialog, IDC_SUBFOLDERS, key, nullptr);
    ReplaceJob.onlyWords = TakeOption(dialog, IDC_ONLYWORDS, key, "OnlyWord");

    ReplaceJob.findText = SaveHistory(GetDlgItem(dialog, IDC_FIND), key, 0);
    ReplaceJob.replaceText = SaveHistory(GetDlgItem(dialog, IDC_REPLACE), key, 1);
    ReplaceJob.fileTypes = SaveHistory(GetDlgItem(dialog, IDC_FILETYPES), key, 2);
    ReplaceJob.folder = SaveHistory(GetDlgItem(dialog, IDC_FOLDER), key, 3);

    const bool valid = ReplaceJob.findText && ReplaceJob.replaceText && ReplaceJob.fileTypes &&
                       ReplaceJob.folder && ReplaceJob.findText[0] != '\0' &&
                       ReplaceJob.fileTypes[0] != '\0' && ReplaceJob.folder[0] != '\0';
    if (valid) {
        if (ReplaceJob.saveBackups && IsBakPattern(ReplaceJob.fileTypes)) {
            MessageBoxA(dialog, "Cannot search *.bak while making buckups.", "Replace in Files",
                        MB_OK | MB_ICONWARNING);
        } else {
            RunDialogResource(ReplaceJob.instance, IDD_PROGRESS, dialog, ProgressDlgProc);
        }
    }
    FreeRequestTexts();
    if (key) RegCloseKey(key);
}

void CloseCommand(HWND dialog) {
    HKEY key = OpenSettingsKey();
    if (key) {
        RECT rect;
        if (GetWindowRect(dialog, &rect)) {
            WriteDwordSetting(key, "PosX", static_cast<DWORD>(rect.left));
            WriteDwordSetting(key, "PosY", static_cast<DWORD>(rect.top));
        }
        RegCloseKey(key);
    }
    EndDialog(dialog, 2);
}

} // namespace

void BrowseForFolder(char* path, HWND owner, const char* title) {
    IMalloc* shellMalloc = nullptr;
    if (FAILED(SHGetMalloc(&shellMalloc)) || !shellMalloc) return;

    // The browser's display name goes to a buffer of its own: some shells write it even when
    // the user cancels, and path must then stay as it was.
    char displayName[MAX_PATH];
    displayName[0] = '\0';
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    browse.lpfn = nullptr;
    browse.lParam = 0;

    LPITEMIDLIST items = SHBrowseForFolderA(&browse);
    if (items) {
        SHGetPathFromIDListA(items, path);
        shellMalloc->Free(items);
    }
    shellMalloc->Release();
}

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        StartDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (wParam) {
        case IDC_BROWSE:
            BrowseCommand(dialog);
            return TRUE;
        case IDOK:
            ReplaceAllCommand(dialog);
            return FALSE;
        case IDCANCEL:
            CloseCommand(dialog);
            return FALSE;
        }
        return FALSE;
    }
    return FALSE;
}
