// The production table of the file rewrite's platform calls.
#include "engine/rewrite_calls.h"

RewriteCallTable RealRewriteCalls() {
    RewriteCallTable calls;
    calls.createFile = CreateFileA;
    calls.getFileSize = GetFileSize;
    calls.createFileMapping = CreateFileMappingA;
    calls.mapViewOfFile = MapViewOfFile;
    calls.setFilePointer = SetFilePointer;
    calls.setEndOfFile = SetEndOfFile;
    calls.copyFile = CopyFileA;
    calls.messageBox = MessageBoxA;
    return calls;
}

RewriteCallTable RewriteCalls = RealRewriteCalls();
