// The platform calls of the file rewrite, reached through one table so that tests can make
// any of them fail and count what is opened and released. Production uses the real calls;
// nothing else changes the table.
#pragma once

#include <windows.h>

struct RewriteCallTable {
    HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    DWORD(WINAPI* getFileSize)(HANDLE, LPDWORD);
    BOOL(WINAPI* readFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    DWORD(WINAPI* setFilePointer)(HANDLE, LONG, PLONG, DWORD);
    BOOL(WINAPI* setEndOfFile)(HANDLE);
    HANDLE(WINAPI* createFileMapping)(HANDLE, LPSECURITY_ATTRIBUTES, DWORD, DWORD, DWORD, LPCSTR);
    LPVOID(WINAPI* mapViewOfFile)(HANDLE, DWORD, DWORD, DWORD, SIZE_T);
    BOOL(WINAPI* flushViewOfFile)(LPCVOID, SIZE_T);
    BOOL(WINAPI* unmapViewOfFile)(LPCVOID);
    BOOL(WINAPI* closeHandle)(HANDLE);
    BOOL(WINAPI* copyFile)(LPCSTR, LPCSTR, BOOL);
    BOOL(WINAPI* getFileAttributesEx)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
    BOOL(WINAPI* deleteFile)(LPCSTR);
    int(WINAPI* messageBox)(HWND, LPCSTR, LPCSTR, UINT);
};

extern RewriteCallTable RewriteCalls;

// The real calls.
RewriteCallTable RealRewriteCalls();
