// Drives kelvora.exe from another process through its windows.
#include "tests/support/program_path_argument.h"
#include "tests/end_to_end/program_driver.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct FindData {
    DWORD processId;
    HWND owner;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
    FindData* data = reinterpret_cast<FindData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != data->processId || !IsWindowVisible(window)) return TRUE;
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, data->className) != 0) return TRUE;
    if (data->owner && GetWindow(window, GW_OWNER) != data->owner) return TRUE;
    data->found = window;
    return FALSE;
}

HWND FindTopLevelWindow(DWORD processId, HWND owner, const char* className) {
    FindData data = {processId, owner, className, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

BOOL CALLBACK CollectChildText(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(window));
    return TRUE;
}

std::string FromWide(const wchar_t* text, size_t units) {
    if (units == 0) return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), nullptr, 0,
                                      nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), &bytes[0], n, nullptr,
                            nullptr);
    }
    return bytes;
}

} // namespace

std::string ProgramPath() {
    return ProgramPathArgument();
}

bool StartProgram(RunningProgram* program, const char* arguments) {
    program->process = PROCESS_INFORMATION{};
    program->mainDialog = nullptr;
    std::string command = "\"" + ProgramPath() + "\"";
    if (arguments[0] != '\0') command += std::string(" ") + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &program->process)) {
        return false;
    }
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        program->mainDialog =
            FindTopLevelWindow(program->process.dwProcessId, nullptr, "DmKelvoraClass");
        if (program->mainDialog) return true;
        if (WaitForSingleObject(program->process.hProcess, 50) == WAIT_OBJECT_0) break;
    }
    StopProgram(program);
    return false;
}

bool WaitForExit(RunningProgram* program, DWORD* code) {
    if (!program->process.hProcess) return false;
    if (WaitForSingleObject(program->process.hProcess, kWaitMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(program->process.hProcess, code) != 0;
}

void StopProgram(RunningProgram* program) {
    if (program->process.hProcess) {
        if (WaitForSingleObject(program->process.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(program->process.hProcess, 1);
            WaitForSingleObject(program->process.hProcess, kWaitMs);
        }
        CloseHandle(program->process.hProcess);
    }
    if (program->process.hThread) CloseHandle(program->process.hThread);
    program->process = PROCESS_INFORMATION{};
    program->mainDialog = nullptr;
}

HWND FindOwnedDialog(DWORD processId, HWND owner) {
    return FindTopLevelWindow(processId, owner, "#32770");
}

HWND WaitForOwnedDialog(DWORD processId, HWND owner, const char* caption, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        HWND dialog = FindOwnedDialog(processId, owner);
        if (dialog && (!caption || WindowText(dialog) == caption)) return dialog;
        Sleep(20);
    }
    return nullptr;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (!IsWindow(window)) return true;
        Sleep(20);
    }
    return !IsWindow(window);
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
        return "<no answer>";
    }
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied)) {
        return "<no answer>";
    }
    return FromWide(buffer.data(), copied < length ? copied : length);
}

std::string ItemText(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, const char* text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT units = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (units < 0) {
            items.push_back("<error>");
            continue;
        }
        std::vector<wchar_t> buffer(static_cast<size_t>(units) + 1, L'\0');
        const LRESULT copied = SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        items.push_back(FromWide(buffer.data(), copied < 0 ? 0 : static_cast<size_t>(copied)));
    }
    return items;
}

HWND FocusedWindow(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::pair<int, int> ComboSelection(HWND combo) {
    DWORD_PTR packed = 0;
    SendMessageTimeoutA(combo, CB_GETEDITSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &packed);
    return {LOWORD(packed), HIWORD(packed)};
}

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectChildText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void SetCheck(HWND dialog, int id, bool checked) {
    SendMessageA(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsChecked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PostCommand(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool SendCommand(HWND dialog, int id, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL,
                               timeoutMs, &result) != 0;
}
