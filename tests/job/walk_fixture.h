// Shared by the job tests under Wine: a throwaway folder tree under the Windows temp
// folder, a request set up in ReplaceJob, and a window that records every WM_JOB_PROGRESS
// notice with the counters it saw at that moment.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RecordedNotice {
    WPARAM kind; // 0 counts, 1 walk ended
    LPARAM lParam;
    DWORD replacedStrings;
    DWORD replacedFiles;
    DWORD searchedFiles;
};

// Called on the recording window's thread for each notice, after it was recorded.
typedef void (*NoticeHook)(const RecordedNotice& notice, size_t index);

// A window of the calling thread that records notices; destroyed by DestroyRecorder.
HWND CreateRecorder(NoticeHook hook);
void DestroyRecorder(HWND recorder);
std::vector<RecordedNotice>& RecordedNotices();

// A fresh folder below the temp folder, named after the test and the process; the path
// ends with a backslash.
std::string MakeScratchFolder(const char* testName);
void RemoveTree(const std::string& folder); // folder ends with a backslash; links not entered

void MakeFolder(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);

// The request: find "x", the given replacement, pattern, folder and options. Strings are
// kept until the next call. Counters are left as they are.
struct Request {
    std::string replaceText = "y";
    std::string fileTypes = "*.txt";
    std::string folder;
    bool saveBackups = false;
    bool includeSubfolders = true;
};
void SetRequest(const Request& request);

// Runs WorkerThreadProc on a thread of its own with a fresh cancel event and the recorder
// (a window of the calling thread) as progress window, delivering its notices until the
// walk has ended; a walk still going after 60 s is cancelled and fails the test. The
// thread's handle and the event are closed afterwards.
void RunWorker(HWND recorder);

// The backup question ("Replace in Files") shown by this process, or null. Other test
// programs on the same desktop may show one too.
HWND FindOwnBackupQuestion();

// Z:\... form of a Unix path.
std::string WindowsPathOfUnix(const std::string& unixPath);
