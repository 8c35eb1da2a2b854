// Where one file's rewrite spends its time under Wine, call by call: the rewrite's calls of
// both passes around the engine's own passes, timed one by one, beside ReplaceInFile as a
// whole and three variants of the second pass (the grown size set through the file handle
// before mapping; the view flushed before it is released; instead of the rewrite, one write
// per page of the writable view, which shows what the page faults alone cost).
//   rewrite_phases SOURCE WORK FIND REPLACE [ROUNDS]
// Each round copies SOURCE to WORK (not timed) before every variant. Prints the median of
// each step in milliseconds. Case-sensitive, not whole-word; single file.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/wine_clock.h"
#include "engine/character_model.h"
#include "engine/character_model_win.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "engine/rewrite_passes.h"

namespace {

std::map<std::string, std::vector<double>> samples;
std::vector<std::string> order;

struct Clock {
    std::string prefix;
    double last;
    double start;
    explicit Clock(const std::string& p) : prefix(p), last(Now()), start(last) {}
    void Step(const char* name) {
        const double now = Now();
        Add(prefix + " " + name, now - last);
        last = now;
    }
    void Total() { Add(prefix + " total", Now() - start); }
    static void Add(const std::string& key, double ms) {
        if (!samples.count(key)) order.push_back(key);
        samples[key].push_back(ms);
    }
};

enum Variant { kAsWritten, kReserveFirst, kFlushView, kTouchOnly };

// The rewrite's two passes, call by call, as engine/replace_in_file.cpp makes them.
void TimedRewrite(const char* path, const MatchRequest& request, const char* replace,
                  Variant variant, const char* name) {
    Clock clock(name);
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    clock.Step("1 open for reading");
    const DWORD size = GetFileSize(file, nullptr);
    clock.Step("1 size");
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, size, nullptr);
    clock.Step("1 read-only mapping");
    const unsigned char* view = static_cast<const unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    clock.Step("1 view");
    const uint32_t count = CountOccurrences(request, view, size);
    clock.Step("1 count (engine)");
    UnmapViewOfFile(view);
    clock.Step("1 unmap");
    CloseHandle(mapping);
    CloseHandle(file);
    clock.Step("1 close mapping and file");

    HANDLE probe = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(probe);
    clock.Step("probe open and close");

    file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    clock.Step("2 open for writing");
    const DWORD size2 = GetFileSize(file, nullptr);
    const uint32_t replaceLength = static_cast<uint32_t>(strlen(replace));
    const int64_t delta = static_cast<int64_t>(replaceLength) - request.findLength;
    const DWORD room = static_cast<DWORD>(delta > 0 ? size2 + count * delta : size2);
    clock.Step("2 size");
    if (variant == kReserveFirst && room > size2) {
        SetFilePointer(file, static_cast<LONG>(room), nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        clock.Step("2 grow through the handle");
    }
    mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, room, nullptr);
    clock.Step("2 writable mapping (grows the file)");
    unsigned char* writable = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    clock.Step("2 view");
    uint32_t made = 0;
    if (variant == kTouchOnly) {
        // Each page of the room written once with what it holds: the write faults alone.
        volatile unsigned char* page = writable;
        for (DWORD i = 0; i < room; i += 4096) page[i] = page[i];
        clock.Step("2 one write per page (faults alone)");
    } else {
        made = RewriteOccurrences(request, writable, size2, room, count, replace, replaceLength);
        clock.Step("2 rewrite (engine)");
    }
    if (variant == kFlushView) {
        FlushViewOfFile(writable, 0);
        clock.Step("2 flush view");
    }
    UnmapViewOfFile(writable);
    clock.Step("2 unmap");
    CloseHandle(mapping);
    clock.Step("2 close mapping");
    SetFilePointer(file, static_cast<LONG>(size2 + made * delta), nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    clock.Step("2 set length");
    CloseHandle(file);
    clock.Step("2 close");
    clock.Total();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: rewrite_phases SOURCE WORK FIND REPLACE [ROUNDS]\n");
        return 2;
    }
    const char* source = argv[1];
    const char* work = argv[2];
    const int rounds = argc > 5 ? atoi(argv[5]) : 5;
    InitCharacterModel();
    MatchRequest request;
    PrepareMatch(&request, ProcessCharacterModel, argv[3], true, false);

    ReplaceJob.findText = argv[3];
    ReplaceJob.replaceText = argv[4];
    ReplaceJob.matchCase = true;
    ReplaceJob.onlyWords = false;
    ReplaceJob.saveBackups = false;

    for (int round = 0; round < rounds; ++round) {
        const struct {
            Variant variant;
            const char* name;
        } variants[] = {{kAsWritten, "as written"}, {kReserveFirst, "reserve"}, {kFlushView, "flush"},
                        {kTouchOnly, "touch"}};
        for (const auto& v : variants) {
            CopyFileA(source, work, FALSE);
            TimedRewrite(work, request, argv[4], v.variant, v.name);
        }
        CopyFileA(source, work, FALSE);
        const double start = Now();
        const int replaced = ReplaceInFile(work);
        Clock::Add("ReplaceInFile total", Now() - start);
        if (replaced <= 0) fprintf(stderr, "ReplaceInFile returned %d\n", replaced);
    }
    for (const std::string& key : order) {
        std::vector<double> v = samples[key];
        std::sort(v.begin(), v.end());
        printf("%-45s %9.2f ms   (min %.2f, max %.2f)\n", key.c_str(), v[v.size() / 2], v.front(), v.back());
    }
    return 0;
}
