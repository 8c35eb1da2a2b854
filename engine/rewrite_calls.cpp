// The production table of the file rewrite's platform calls.
#include "engine/rewrite_calls.h"

RewriteCallTable RealRewriteCalls() {
    RewriteCallTable calls;
    calls.createFile = CreateFileA;
    calls.getFileSize = GetFileSize;
    calls.readFile = ReadFile;
    calls.writeFile = WriteFile;
    calls.setFilePointer = SetFilePointer;
    calls.setEndOfFile = SetEndOfFile;
    calls.createFileMapping = CreateFileMappingA;
    calls.mapViewOfFile = MapViewOfFile;
    calls.flushViewOfFile = FlushViewOfFile;
    calls.unmapViewOfFile = UnmapViewOfFile;
    calls.closeHandle = CloseHandle;
    calls.copyFile = CopyFileA;
    calls.getFileAttributesEx = GetFileAttributesExA;
    calls.deleteFile = DeleteFileA;
    calls.messageBox = MessageBoxA;
    return calls;
}

RewriteCallTable RewriteCalls = RealRewriteCalls();
