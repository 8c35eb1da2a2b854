// Not a test: finds, to 1 MiB, the largest sparse file that this build's ReplaceInFile
// rewrites growing ("ab" to "abc", at the start and at the end) and shrinking ("ab" to "a"),
// in a process linked like the program: the file's one view has to fit in its address space.
// Run it under Wine by hand:
//   build/win32/wine-run.sh build/win32/tests/engine/large_file_probe.exe
#include <windows.h>

#include <stdio.h>

#include <string>

#include "engine/character_model.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "tests/engine/engine_file_helpers.h"
#include "tests/engine/large_file_helpers.h"

namespace {

const LONGLONG MiB = 1 << 20;

// Rewrites a fresh sparse file of the given size; true when both occurrences were replaced
// and the file has the new length and the new text at both ends.
bool Rewrites(const std::string& path, LONGLONG size, const char* replacement) {
    bool ok = MakeLargeFile(path, size, "ab") && WriteAt(path, size - 2, "ab");
    if (ok) {
        SetRequest("ab", replacement);
        const LONGLONG length = lstrlenA(replacement);
        const LONGLONG newSize = size + 2 * (length - 2);
        ok = ReplaceInFile(path.c_str()) == 2 && FileSizeByName(path) == newSize &&
             BytesAt(path, 0, length) == replacement &&
             BytesAt(path, newSize - length, length) == replacement;
    }
    DeleteFileA(path.c_str());
    return ok;
}

LONGLONG Largest(const std::string& path, const char* replacement) {
    LONGLONG good = MiB, bad = 4096 * MiB; // 4 GiB and more is never rewritten
    while (bad - good > MiB) {
        const LONGLONG size = (good + bad) / 2 / MiB * MiB;
        const bool ok = Rewrites(path, size, replacement);
        printf("  %s %lld MiB: %s\n", replacement, size / MiB, ok ? "rewritten" : "left");
        fflush(stdout);
        (ok ? good : bad) = size;
    }
    return good;
}

} // namespace

int main() {
    MakeSingleByteModel(&ProcessCharacterModel, 1252);
    ReplaceJob = ReplaceJobRecord();
    const std::string folder = ScratchFolder();
    const std::string path = folder + "probe.bin";
    const LONGLONG growing = Largest(path, "abc");
    const LONGLONG shrinking = Largest(path, "a");
    printf("largest file rewritten: growing %lld MiB, shrinking %lld MiB\n", growing / MiB,
           shrinking / MiB);
    RemoveDirectoryA(folder.c_str());
    ReplaceJob = ReplaceJobRecord();
    return 0;
}
