// The limit walk of bench/run: the calls a run makes per file, and nothing else.
#include "bench/tree_limit.h"

#include <windows.h>

#include <cstring>

namespace {

const UINT kNotice = WM_USER + 100;

struct Walk {
    const TreeLimitRequest* request;
    HWND window;
    HANDLE cancelEvent; // polled before each notice, as the walk does; never signalled
    TreeLimitResult counts;
};

const int kCounterId = 1004;
bool showCounter;
unsigned long shownCount;

LRESULT CALLBACK NoticeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kNotice) {
        if (showCounter && wParam == 0) SetDlgItemInt(window, kCounterId, ++shownCount, FALSE);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct WindowThread {
    HANDLE ready;
    HWND window;
};

DWORD WINAPI RunWindowThread(LPVOID parameter) {
    WindowThread* thread = static_cast<WindowThread*>(parameter);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = NoticeWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KelvoraBenchNotice";
    RegisterClassA(&windowClass);
    const DWORD style = showCounter ? WS_POPUP | WS_CAPTION | WS_VISIBLE : WS_POPUP;
    thread->window = CreateWindowExA(0, "KelvoraBenchNotice", "Replacing...", style, 100, 100, 200,
                                     120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (thread->window && showCounter) {
        CreateWindowExA(0, "STATIC", "0", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 100, 50, 60,
                        14, thread->window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCounterId)),
                        GetModuleHandleA(nullptr), nullptr);
        SendDlgItemMessageA(thread->window, kCounterId, WM_SETFONT,
                            reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        UpdateWindow(thread->window);
    }
    SetEvent(thread->ready);
    if (!thread->window) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    DestroyWindow(thread->window);
    return 0;
}

// Occurrences of find in [data, data + size), leftmost first, not overlapping.
unsigned long CountIn(const unsigned char* data, size_t size, const std::string& find) {
    const size_t length = find.size();
    unsigned long count = 0;
    size_t p = 0;
    while (length && p + length <= size) {
        const void* hit = memchr(data + p, find[0], size - length + 1 - p);
        if (!hit) break;
        p = static_cast<const unsigned char*>(hit) - data;
        if (memcmp(data + p, find.data(), length) == 0) {
            ++count;
            p += length;
        } else {
            ++p;
        }
    }
    return count;
}

// The result of replacing every occurrence, built in place in a buffer of `room` bytes.
size_t RewriteIn(unsigned char* data, size_t size, size_t room, const std::string& find,
                 const std::string& replace) {
    const size_t shift = room - size;
    if (shift) memmove(data + shift, data, size);
    const unsigned char* source = data + shift;
    size_t written = 0, p = 0, copied = 0;
    while (p + find.size() <= size) {
        const void* hit = memchr(source + p, find[0], size - find.size() + 1 - p);
        if (!hit) break;
        p = static_cast<const unsigned char*>(hit) - source;
        if (memcmp(source + p, find.data(), find.size()) != 0) {
            ++p;
            continue;
        }
        memmove(data + written, source + copied, p - copied);
        written += p - copied;
        memcpy(data + written, replace.data(), replace.size());
        written += replace.size();
        p += find.size();
        copied = p;
    }
    memmove(data + written, source + copied, size - copied);
    return written + size - copied;
}

void RewriteFile(const char* path, const std::string& find, const std::string& replace,
                 unsigned long count) {
    HANDLE probe = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return;
    CloseHandle(probe);
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const DWORD size = GetFileSize(file, nullptr);
    const size_t growth = replace.size() > find.size() ? (replace.size() - find.size()) * count : 0;
    const DWORD room = static_cast<DWORD>(size + growth);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, room, nullptr);
    if (mapping) {
        void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
        if (view) {
            const size_t length = RewriteIn(static_cast<unsigned char*>(view), size, room, find, replace);
            UnmapViewOfFile(view);
            CloseHandle(mapping);
            SetFilePointer(file, static_cast<LONG>(length), nullptr, FILE_BEGIN);
            SetEndOfFile(file);
        } else {
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
}

void VisitFile(Walk* walk, const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    unsigned long count = 0;
    if (file != INVALID_HANDLE_VALUE) {
        const DWORD size = GetFileSize(file, nullptr);
        if (size != 0 && size != INVALID_FILE_SIZE) {
            HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, size, nullptr);
            if (mapping) {
                void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
                if (view) {
                    count = CountIn(static_cast<const unsigned char*>(view), size, walk->request->find);
                    UnmapViewOfFile(view);
                }
                CloseHandle(mapping);
            }
        }
        CloseHandle(file);
    }
    if (count && walk->request->rewrite)
        RewriteFile(path, walk->request->find, walk->request->replace, count);
    walk->counts.searchedFiles += 1;
    if (count) {
        walk->counts.matchingFiles += 1;
        walk->counts.occurrences += count;
    }
    if (walk->request->notice && WaitForSingleObject(walk->cancelEvent, 0) != WAIT_OBJECT_0)
        SendMessageA(walk->window, kNotice, 0, 0);
}

void WalkFolder(Walk* walk, const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + walk->request->pattern).c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (entry.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) continue;
            VisitFile(walk, (folder + entry.cFileName).c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (strcmp(entry.cFileName, ".") == 0 || strcmp(entry.cFileName, "..") == 0) continue;
        WalkFolder(walk, folder + entry.cFileName + "\\");
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

DWORD WINAPI RunWalk(LPVOID parameter) {
    Walk* walk = static_cast<Walk*>(parameter);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    WalkFolder(walk, walk->request->folder);
    if (walk->request->notice) SendMessageA(walk->window, kNotice, 1, 0);
    QueryPerformanceCounter(&end);
    walk->counts.milliseconds = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                static_cast<double>(frequency.QuadPart);
    return 0;
}

} // namespace

bool RunTreeLimit(const TreeLimitRequest& request, TreeLimitResult* result) {
    showCounter = request.display;
    shownCount = 0;
    WindowThread windowThread = {CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
    DWORD windowThreadId = 0;
    HANDLE ui = CreateThread(nullptr, 0, RunWindowThread, &windowThread, 0, &windowThreadId);
    if (!ui) return false;
    WaitForSingleObject(windowThread.ready, INFINITE);
    CloseHandle(windowThread.ready);
    bool ok = windowThread.window != nullptr;
    Walk walk = {&request, windowThread.window, CreateEventA(nullptr, TRUE, FALSE, nullptr),
                 {0.0, 0, 0, 0}};
    if (ok) {
        HANDLE worker = CreateThread(nullptr, 0, RunWalk, &walk, CREATE_SUSPENDED, nullptr);
        ok = worker != nullptr;
        if (ok) {
            SetThreadPriority(worker, THREAD_PRIORITY_BELOW_NORMAL);
            ResumeThread(worker);
            WaitForSingleObject(worker, INFINITE);
            CloseHandle(worker);
        }
    }
    CloseHandle(walk.cancelEvent);
    PostThreadMessageA(windowThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(ui, INFINITE);
    CloseHandle(ui);
    *result = walk.counts;
    return ok;
}
