// Puts kelvora.exe into the two states the README shows, for tools/screenshots.sh:
//   screenshot_driver KELVORA_EXE FOLDER STATE_DIR [sjis]
// Starts the program, fills in a request for FOLDER, writes STATE_DIR/main.ready and waits
// for STATE_DIR/main.done; runs the request to "Finished", writes progress.ready and waits
// for progress.done; then closes both dialogs. Every wait has a time-out.
#include <windows.h>

#include <stdio.h>

#include <string>

#include "app/resource.h"
#include "tests/end_to_end/program_driver.h"
#include "tests/support/program_path_argument.h"

namespace {

void Touch(const std::string& path) {
    FILE* f = fopen(path.c_str(), "wb");
    if (f) fclose(f);
}

bool WaitForFile(const std::string& path) {
    for (DWORD waited = 0; waited < 60000; waited += 50) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: screenshot_driver KELVORA_EXE FOLDER STATE_DIR [sjis]\n");
        return 2;
    }
    const std::string folder = WindowsPathOfArgument(argv[2]);
    const std::string state = WindowsPathOfArgument(argv[3]);
    // "sjis": a find text in code page 932 (a Japanese word), given here as bytes because
    // the command line would pass through another code page on its way.
    const bool sjis = argc > 4 && std::string(argv[4]) == "sjis";
    const char* find = sjis ? "\x93\xfa\x96\x7b\x8c\xea" : "colour";

    RunningProgram program = {};
    if (!StartProgram(&program)) {
        fprintf(stderr, "no main dialog\n");
        return 1;
    }
    HWND dialog = program.mainDialog;
    SetItemText(dialog, IDC_FIND, find);
    SetItemText(dialog, IDC_REPLACE, "color");
    SetItemText(dialog, IDC_FILETYPES, "*.txt");
    SetItemText(dialog, IDC_FOLDER, folder.c_str());
    SetCheck(dialog, IDC_SUBFOLDERS, true);
    Sleep(500);
    Touch(state + "\\main.ready");
    int status = WaitForFile(state + "\\main.done") ? 0 : 1;

    if (status == 0) {
        PostCommand(dialog, IDOK);
        HWND progress = WaitForOwnedDialog(program.process.dwProcessId, dialog, "Finished", kWaitMs);
        if (progress) {
            Sleep(500);
            Touch(state + "\\progress.ready");
            if (!WaitForFile(state + "\\progress.done")) status = 1;
            PostCommand(progress, IDCANCEL);
            WaitForWindowGone(progress, kWaitMs);
        } else {
            status = 1;
        }
    }
    PostCommand(dialog, IDCANCEL);
    DWORD code = 0;
    if (!WaitForExit(&program, &code)) status = 1;
    StopProgram(&program);
    return status;
}
