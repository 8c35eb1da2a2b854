// Cancel soak: the real walk and rewrite over a tree of 2,400 files, with a growing
// replacement and Save Backups on, cancelled again and again at random moments (fixed seeds):
// from another thread after a random delay, so that the cancel lands while a file is being
// rewritten, a backup copied or a notice delivered, or at a random notice. After each run every
// file is either as it was, with its backup as it was, or completely replaced, with the content
// it had before the run as its backup; the counters match the files changed, and exactly one
// walk-ended notice arrived, last.
//
// KELVORA_SOAK_RUNS sets the number of runs (default 20); KELVORA_SOAK_SEED the first seed.
//   KELVORA_SOAK_RUNS=500 build/windows/wine-run.sh build/windows/tests/job/cancel_soak_test.exe
#include "walk_fixture.h"

#include "engine/character_model_win.h"
#include "engine/replace_job.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFolders = 8;
constexpr int kSubfolders = 6;
constexpr int kFilesPerFolder = 50; // 8 * 6 * 50 = 2,400 files

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

// Every "x" gains a "y" after it: the file grows by its number of occurrences.
std::string Replaced(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == 'x') out += 'y';
    }
    return out;
}

size_t Occurrences(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == 'x';
    return n;
}

// The cancel from another thread: it waits for a random time and signals the run's cancel
// event, unless the walk-ended notice came first (then `done` is signalled and it leaves the
// event alone, which the fixture closes after the run).
struct Canceller {
    HANDLE done;
    HANDLE thread;
    DWORD delayMicroseconds;
};
Canceller TheCanceller;
size_t CancelAtNotice; // 0: none; otherwise the notice index after which the hook cancels

DWORD WINAPI CancelAfterDelay(LPVOID) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const LONGLONG ticks = frequency.QuadPart * TheCanceller.delayMicroseconds / 1000000;
    // Whole milliseconds asleep, the rest spinning, so that short delays stay short.
    if (WaitForSingleObject(TheCanceller.done, TheCanceller.delayMicroseconds / 1000) == WAIT_OBJECT_0)
        return 0;
    do {
        if (WaitForSingleObject(TheCanceller.done, 0) == WAIT_OBJECT_0) return 0;
        QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < ticks);
    SetEvent(ReplaceJob.cancelEvent);
    return 0;
}

void OnNotice(const RecordedNotice& notice, size_t index) {
    if (index == 0 && TheCanceller.delayMicroseconds != 0) {
        TheCanceller.thread = CreateThread(nullptr, 0, CancelAfterDelay, nullptr, 0, nullptr);
    }
    if (CancelAtNotice != 0 && index + 1 == CancelAtNotice) SetEvent(ReplaceJob.cancelEvent);
    if (notice.kind == 1 && TheCanceller.thread) {
        // The worker waits for this notice to be handled: the event is still open here.
        SetEvent(TheCanceller.done);
        WaitForSingleObject(TheCanceller.thread, INFINITE);
        CloseHandle(TheCanceller.thread);
        TheCanceller.thread = nullptr;
    }
}

class CancelSoak : public ::testing::Test {
protected:
    void SetUp() override {
        InitCharacterModel();
        root = MakeScratchFolder("CancelSoak");
        std::mt19937 random(7);
        for (int f = 0; f < kFolders; ++f) {
            const std::string folder = root + "d" + std::to_string(f) + "\\";
            MakeFolder(folder);
            for (int s = 0; s < kSubfolders; ++s) {
                const std::string sub = folder + "s" + std::to_string(s) + "\\";
                MakeFolder(sub);
                for (int i = 0; i < kFilesPerFolder; ++i) {
                    // One file in five has no occurrence; the others one to four.
                    std::string text = "line " + std::to_string(i) + ": ";
                    const int occurrences = i % 5 == 0 ? 0 : 1 + static_cast<int>(random() % 4);
                    for (int k = 0; k < occurrences; ++k) text += "ax b ";
                    const std::string path = sub + "f" + std::to_string(i) + ".txt";
                    WriteText(path, text);
                    files[path] = text;
                    backups[path] = "<missing>";
                }
            }
        }
        TheCanceller.done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(TheCanceller.done, nullptr);
    }
    void TearDown() override {
        CloseHandle(TheCanceller.done);
        RemoveTree(root);
    }

    std::string root;
    std::map<std::string, std::string> files;   // path -> content before the next run
    std::map<std::string, std::string> backups; // path -> its backup's content, or "<missing>"
};

TEST_F(CancelSoak, EveryFileIsWholeAfterEachCancelledRun) {
    const int runs = EnvNumber("KELVORA_SOAK_RUNS", 20);
    const unsigned seed = static_cast<unsigned>(EnvNumber("KELVORA_SOAK_SEED", 20261210));
    std::mt19937 random(seed);
    Request request;
    request.folder = root;
    request.replaceText = "xy";
    request.saveBackups = true;
    int cancelledEarly = 0;
    for (int run = 0; run < runs; ++run) {
        SCOPED_TRACE("run " + std::to_string(run) + " of seed " + std::to_string(seed));
        // Two runs in three are cancelled from the other thread after up to 1.5 s; the rest at
        // a random notice; now and then one is not cancelled at all.
        TheCanceller.delayMicroseconds = 0;
        CancelAtNotice = 0;
        const unsigned kind = random() % 12;
        if (kind < 8) {
            TheCanceller.delayMicroseconds = 1 + random() % 1500000;
        } else if (kind < 11) {
            CancelAtNotice = 1 + random() % 2400;
        }
        ResetEvent(TheCanceller.done);

        HWND recorder = CreateRecorder(OnNotice);
        SetRequest(request);
        RunWorker(recorder);
        const std::vector<RecordedNotice> notices = RecordedNotices();
        DestroyRecorder(recorder);

        size_t ended = 0;
        for (const RecordedNotice& notice : notices) ended += notice.kind == 1;
        ASSERT_EQ(ended, 1u);
        ASSERT_EQ(notices.back().kind, 1u);
        const RecordedNotice& last = notices.back();

        DWORD changed = 0;
        DWORD strings = 0;
        for (auto& entry : files) {
            const std::string& path = entry.first;
            const std::string now = ReadText(path);
            const std::string backup = ReadText(path + ".bak");
            if (now == entry.second) {
                ASSERT_EQ(backup, backups[path]) << path << ": a backup made, the file unchanged";
            } else {
                ASSERT_EQ(now, Replaced(entry.second)) << path << ": neither original nor replaced";
                ASSERT_EQ(backup, entry.second) << path << ": the backup is not the original";
                ++changed;
                strings += static_cast<DWORD>(Occurrences(entry.second));
                backups[path] = entry.second;
                entry.second = now;
            }
        }
        EXPECT_EQ(last.replacedFiles, changed);
        EXPECT_EQ(last.replacedStrings, strings);
        EXPECT_GE(last.searchedFiles, changed);
        if (last.searchedFiles < files.size()) ++cancelledEarly;
        if (HasFatalFailure()) return;
    }
    // Most runs were really cut short.
    EXPECT_GT(cancelledEarly, runs / 2);
    std::printf("cancel soak: %d runs, %d cut short, seed %u\n", runs, cancelledEarly, seed);
}

} // namespace
