// The backup question, shown for real: a helper thread finds the message box, checks its
// text, buttons and owner, and presses Yes or No.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/character_model.h"
#include "engine/replace_in_file.h"
#include "engine/replace_job.h"
#include "engine/rewrite_calls.h"
#include "tests/engine/engine_file_helpers.h"

namespace {

struct Presser {
    int button;       // IDYES or IDNO
    HWND owner;       // the window the box must be owned by
    bool found;
    bool ownedRight;
    bool textRight;
    bool yesAndNoOnly;
};

BOOL CALLBACK FindQuestionText(HWND child, LPARAM param) {
    char text[128] = {};
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpA(text, "Cannot make backups. Continue?") == 0)
        *reinterpret_cast<bool*>(param) = true;
    return TRUE;
}

// Other test programs may show a box of the same caption at the same time: answer only
// this process's own.
BOOL CALLBACK FindOwnQuestionBox(HWND window, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {}, caption[32] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, caption, sizeof caption);
    if (process == GetCurrentProcessId() && lstrcmpA(className, "#32770") == 0 &&
        lstrcmpA(caption, "Replace in Files") == 0) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI PressButton(LPVOID param) {
    Presser* presser = static_cast<Presser*>(param);
    for (int tries = 0; tries < 200; ++tries) { // up to 20 s
        HWND box = nullptr;
        EnumWindows(FindOwnQuestionBox, reinterpret_cast<LPARAM>(&box));
        if (box) {
            presser->found = true;
            presser->ownedRight = GetWindow(box, GW_OWNER) == presser->owner;
            EnumChildWindows(box, FindQuestionText, reinterpret_cast<LPARAM>(&presser->textRight));
            presser->yesAndNoOnly = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) &&
                                    !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDOK);
            HWND button = GetDlgItem(box, presser->button);
            if (button)
                PostMessageA(button, BM_CLICK, 0, 0);
            else
                PostMessageA(box, WM_COMMAND, presser->button, 0);
            return 0;
        }
        Sleep(100);
    }
    return 0;
}

int Questions = 0;

int WINAPI CountingMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    ++Questions;
    return MessageBoxA(owner, text, caption, type);
}

class BackupQuestionTest : public testing::Test {
protected:
    void SetUp() override {
        MakeSingleByteModel(&ProcessCharacterModel, 1252);
        ReplaceJob = ReplaceJobRecord();
        folder = ScratchFolder();
        owner = CreateWindowExA(0, "STATIC", "Replacing...", WS_OVERLAPPED | WS_VISIBLE, 0, 0,
                                200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(owner);
        ReplaceJob.progressWindow = owner;
        RewriteCalls.messageBox = CountingMessageBox;
        Questions = 0;
    }
    void TearDown() override {
        RewriteCalls = RealRewriteCalls();
        DestroyWindow(owner);
        for (const std::string& name : {std::string("one.txt"), std::string("two.txt")}) {
            DeleteFileA((folder + name).c_str());
            RemoveDirectoryA((folder + name + ".bak").c_str());
        }
        RemoveDirectoryA(folder.c_str());
        ReplaceJob = ReplaceJobRecord();
    }
    // A file whose backup cannot be made: a folder already holds the backup's name.
    std::string FileWithBlockedBackup(const char* name, const char* content) {
        std::string path = folder + name;
        WriteWholeFile(path, content);
        CreateDirectoryA((path + ".bak").c_str(), nullptr);
        return path;
    }
    // Runs ReplaceInFile while a helper thread answers the question with button.
    int ReplaceAnswering(const std::string& path, int button, Presser* presser) {
        *presser = Presser{button, owner, false, false, false, false};
        HANDLE thread = CreateThread(nullptr, 0, PressButton, presser, 0, nullptr);
        int result = ReplaceInFile(path.c_str());
        EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
        CloseHandle(thread);
        return result;
    }
    std::string folder;
    HWND owner = nullptr;
};

TEST_F(BackupQuestionTest, NoLeavesTheFileAsItWas) {
    std::string path = FileWithBlockedBackup("one.txt", "a a");
    SetRequest("a", "bb", false, false, true);
    Presser presser;
    EXPECT_EQ(ReplaceAnswering(path, IDNO, &presser), -1);
    EXPECT_TRUE(presser.found);
    EXPECT_TRUE(presser.ownedRight);
    EXPECT_TRUE(presser.textRight);
    EXPECT_TRUE(presser.yesAndNoOnly);
    EXPECT_EQ(ReadWholeFile(path), "a a");
    EXPECT_FALSE(ReplaceJob.backupFailureAccepted);
    // The folder that holds the backup's name is not the failed copy's: it stays.
    const DWORD attributes = GetFileAttributesA((path + ".bak").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(BackupQuestionTest, YesRewritesAndIsNotAskedAgain) {
    std::string path = FileWithBlockedBackup("one.txt", "a a");
    SetRequest("a", "bb", false, false, true);
    Presser presser;
    EXPECT_EQ(ReplaceAnswering(path, IDYES, &presser), 2);
    EXPECT_TRUE(presser.found);
    EXPECT_TRUE(presser.ownedRight);
    EXPECT_EQ(ReadWholeFile(path), "bb bb");
    EXPECT_TRUE(ReplaceJob.backupFailureAccepted);
    EXPECT_EQ(Questions, 1);

    // A later file whose backup fails too, as in a later run: no question at all.
    std::string second = FileWithBlockedBackup("two.txt", "xa");
    EXPECT_EQ(ReplaceInFile(second.c_str()), 1);
    EXPECT_EQ(ReadWholeFile(second), "xbb");
    EXPECT_EQ(Questions, 1);
}

} // namespace
