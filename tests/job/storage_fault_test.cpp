// Runs over storage that fails for real, under Wine: a disk that runs out while a file
// grows (a 1 MiB tmpfs that the test set-up mounts), and a file that another process keeps
// mapped while a shrinking rewrite wants to cut it. Each time the file comes out as it was,
// the failure is not counted as a replacement, and the run goes on with the next file.
#include "walk_fixture.h"

#include "engine/character_model_win.h"
#include "engine/replace_job.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Repeated(const std::string& text, size_t times) {
    std::string result;
    result.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i) result += text;
    return result;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

size_t EndedNotices(const std::vector<RecordedNotice>& notices) {
    size_t ended = 0;
    for (const RecordedNotice& notice : notices) ended += notice.kind == 1 ? 1 : 0;
    return ended;
}

class StorageFault : public ::testing::Test {
protected:
    void SetUp() override { InitCharacterModel(); }
    void TearDown() override {
        if (recorder) DestroyRecorder(recorder);
        ReplaceJob.backupFailureAccepted = false;
    }
    // acceptedBefore: the user has already answered Yes to the backup question in this
    // process, so a failing copy asks nothing.
    const std::vector<RecordedNotice>& Run(const Request& request, bool acceptedBefore = false) {
        if (recorder) DestroyRecorder(recorder);
        recorder = CreateRecorder(nullptr);
        SetRequest(request);
        ReplaceJob.backupFailureAccepted = acceptedBefore;
        RunWorker(recorder);
        return RecordedNotices();
    }
    HWND recorder = nullptr;
};

class FullDisk : public StorageFault {
protected:
    void SetUp() override {
        StorageFault::SetUp();
        disk = WindowsPathOfUnix(KELVORA_SMALL_DISK) + "\\";
        if (Exists(disk + "not-mounted")) GTEST_SKIP() << "no small disk: the set-up needs root";
        ASSERT_TRUE(Exists(disk));
    }
    void TearDown() override {
        RemoveTree(disk);
        StorageFault::TearDown();
    }
    std::string disk;
};

TEST_F(FullDisk, GrowingFileThatFindsNoRoomIsLeftWholeAndTheRunGoesOn) {
    struct Case {
        const char* name;
        size_t bigSize;      // "x " repeated: grows 3.5 times with "xxxxxx", past the disk
        bool saveBackups;
        bool backupOfBigFits; // else its copy fails too and the question was answered Yes before
        const char* olderBackup; // an older big.txt.bak, or null
    };
    const Case cases[] = {
        {"without backups", 600000, false, false, nullptr},
        {"with a backup that fits", 350000, true, true, nullptr},
        {"with a backup that does not fit", 600000, true, false, nullptr},
        {"with a backup that does not fit over an older one", 600000, true, false, "older"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(disk);
        const std::string big = Repeated("x ", c.bigSize / 2);
        WriteText(disk + "big.txt", big);
        WriteText(disk + "small.txt", "x x");
        if (c.olderBackup) WriteText(disk + "big.txt.bak", c.olderBackup);
        Request request;
        request.folder = disk;
        request.replaceText = "xxxxxx";
        request.includeSubfolders = false;
        request.saveBackups = c.saveBackups;
        const auto& notices = Run(request, c.saveBackups && !c.backupOfBigFits);
        EXPECT_EQ(EndedNotices(notices), 1u);
        ASSERT_FALSE(notices.empty());
        EXPECT_EQ(notices.back().kind, 1u);
        EXPECT_EQ(notices.back().searchedFiles, 2u);
        EXPECT_EQ(notices.back().replacedFiles, 1u);
        EXPECT_EQ(notices.back().replacedStrings, 2u);
        EXPECT_TRUE(ReadText(disk + "big.txt") == big) << "big.txt was changed";
        EXPECT_EQ(ReadText(disk + "small.txt"), "xxxxxx xxxxxx");
        if (c.saveBackups && c.backupOfBigFits) {
            EXPECT_TRUE(ReadText(disk + "big.txt.bak") == big) << "the backup is not the original";
        }
        // The copy that ran out of room, cut short, is no backup: none is left.
        if (c.saveBackups && !c.backupOfBigFits) {
            EXPECT_FALSE(Exists(disk + "big.txt.bak"));
        }
        if (c.saveBackups) {
            EXPECT_EQ(ReadText(disk + "small.txt.bak"), "x x");
        }
    }
}

// Maps the whole file read-only, closes its handles as indexers and previewers do, and
// keeps the view until told to let go.
int HoldView(const char* path, const char* readyName, const char* releaseName) {
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, releaseName);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!ready || !release || file == INVALID_HANDLE_VALUE) return 1;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (mapping) CloseHandle(mapping);
    CloseHandle(file);
    if (!view) return 1;
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    UnmapViewOfFile(view);
    return 0;
}

TEST_F(StorageFault, FileMappedByAnotherProcessIsNotCutAndTheRunGoesOn) {
    const std::string folder = MakeScratchFolder("held-view");
    const std::string held = folder + "held.txt";
    WriteText(held, "axbxc");
    const std::string readyName = "kelvora-view-ready-" + std::to_string(GetCurrentProcessId());
    const std::string releaseName = "kelvora-view-release-" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string line = "holder --hold-view \"" + held + "\" " + readyName + " " + releaseName;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION holder = {};
    ASSERT_TRUE(CreateProcessA(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &holder));
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);

    Request request;
    request.folder = folder;
    request.replaceText = ""; // shrinking: the file must be cut
    request.includeSubfolders = false;
    for (bool backups : {false, true}) {
        SCOPED_TRACE(backups ? "with backups" : "without backups");
        WriteText(folder + "other.txt", "x-x");
        request.saveBackups = backups;
        const auto& notices = Run(request);
        EXPECT_EQ(EndedNotices(notices), 1u);
        EXPECT_EQ(notices.back().searchedFiles, 2u);
        EXPECT_EQ(notices.back().replacedFiles, 1u);
        EXPECT_EQ(ReadText(held), "axbxc");
        EXPECT_EQ(ReadText(folder + "other.txt"), "-");
        if (backups) {
            EXPECT_EQ(ReadText(held + ".bak"), "axbxc");
        }
    }

    // Once the other process has let go, the same run rewrites it.
    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(holder.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(holder.hProcess);
    CloseHandle(holder.hThread);
    CloseHandle(ready);
    CloseHandle(release);
    request.saveBackups = false;
    const auto& notices = Run(request);
    EXPECT_EQ(notices.back().replacedFiles, 1u);
    EXPECT_EQ(ReadText(held), "abc");
    RemoveTree(folder);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--hold-view") return HoldView(argv[2], argv[3], argv[4]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
