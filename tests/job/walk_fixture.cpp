// Test helpers shared by the job tests under Wine.
#include "walk_fixture.h"

#include "engine/replace_job.h"
#include "job/progress_dialog.h"
#include "job/worker.h"

#include <gtest/gtest.h>

namespace {

std::vector<RecordedNotice> notices;
NoticeHook currentHook;

std::string storedFind, storedReplace, storedTypes, storedFolder;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_JOB_PROGRESS) {
        RecordedNotice notice = {wParam, lParam, ReplaceJob.replacedStrings,
                                 ReplaceJob.replacedFiles, ReplaceJob.searchedFiles};
        notices.push_back(notice);
        if (currentHook) currentHook(notice, notices.size() - 1);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateRecorder(NoticeHook hook) {
    static ATOM atom;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KelvoraNoticeRecorder";
        atom = RegisterClassA(&wc);
    }
    notices.clear();
    currentHook = hook;
    HWND window = CreateWindowExA(0, "KelvoraNoticeRecorder", "recorder", WS_POPUP, 0, 0, 10,
                                  10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    return window;
}

void DestroyRecorder(HWND recorder) {
    DestroyWindow(recorder);
    currentHook = nullptr;
}

std::vector<RecordedNotice>& RecordedNotices() { return notices; }

std::string MakeScratchFolder(const char* testName) {
    char temp[MAX_PATH];
    EXPECT_GT(GetTempPathA(sizeof temp, temp), 0u);
    std::string folder = std::string(temp) + "kelvora-job-" + testName + "-" +
                         std::to_string(GetACP()) + "-" + std::to_string(GetCurrentProcessId()) +
                         "\\";
    RemoveTree(folder);
    MakeFolder(folder);
    return folder;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\");
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

void MakeFolder(const std::string& path) {
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        << path;
}

void WriteText(const std::string& path, const std::string& text) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    CloseHandle(file);
}

std::string ReadText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

void SetRequest(const Request& request) {
    storedFind = "x";
    storedReplace = request.replaceText;
    storedTypes = request.fileTypes;
    storedFolder = request.folder;
    ReplaceJob.findText = &storedFind[0];
    ReplaceJob.replaceText = &storedReplace[0];
    ReplaceJob.fileTypes = &storedTypes[0];
    ReplaceJob.folder = &storedFolder[0];
    ReplaceJob.matchCase = true;
    ReplaceJob.onlyWords = false;
    ReplaceJob.saveBackups = request.saveBackups;
    ReplaceJob.includeSubfolders = request.includeSubfolders;
    ReplaceJob.backupFailureAccepted = false;
}

namespace {

// Delivers the worker's notices (and timers) until the thread has ended or the time is up.
bool PumpUntilEnded(HANDLE thread, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        if (MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
            return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return false;
}

} // namespace

void RunWorker(HWND recorder) {
    ReplaceJob.cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(ReplaceJob.cancelEvent, nullptr);
    ReplaceJob.progressWindow = recorder;
    HANDLE thread = CreateThread(nullptr, 0, WorkerThreadProc, recorder, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    if (!PumpUntilEnded(thread, 60000)) {
        // A walk that does not end (a link loop walked for ever): stop it, then fail.
        ADD_FAILURE() << "the walk did not end within 60 s";
        SetEvent(ReplaceJob.cancelEvent);
        PumpUntilEnded(thread, 60000);
    }
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(thread);
    CloseHandle(ReplaceJob.cancelEvent);
    ReplaceJob.cancelEvent = nullptr;
}

HWND FindOwnBackupQuestion() {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", "Replace in Files")) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (process == GetCurrentProcessId()) return box;
    }
    return nullptr;
}

std::string WindowsPathOfUnix(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
