// The Wine side of bench/run: times the whole program through its own windows, and the limit
// walk, on requests that the script hands over through files.
//   kelvora_bench KELVORA_EXE STATE_DIR
// Starts kelvora.exe once, then answers STATE_DIR\req-N.txt (N = 1, 2, ...) with
// STATE_DIR\res-N.txt until a request says "quit". A request is lines of text:
//   kelvora / find / replace / file types / folder / matchCase onlyWords subfolders (0 or 1)
//   limit / calls|notice|display|rewrite / folder / file types / find / replace
//   limit / views / file / growth in bytes
// A "kelvora" run fills the main dialog, presses Replace All and times until the progress
// dialog's caption reads "Finished"; the answer is "milliseconds strings files searched",
// the three counters as the dialog shows them. A "limit" run over a folder answers
// "milliseconds searched matching occurrences"; the "views" limit of one file answers
// "milliseconds". Any failure answers "error TEXT".
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "bench/tree_limit.h"
#include "bench/view_limit.h"
#include "bench/wine_clock.h"
#include "tests/end_to_end/program_driver.h"
#include "tests/support/program_path_argument.h"

namespace {

const DWORD kRequestWaitMs = 2 * 60 * 60 * 1000;
const DWORD kRunWaitMs = 60 * 60 * 1000;

bool WaitForRequest(const std::string& path, std::vector<std::string>* lines) {
    for (DWORD waited = 0; waited < kRequestWaitMs; waited += 20) {
        std::ifstream in(path.c_str());
        if (in) {
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                lines->push_back(line);
            }
            return !lines->empty();
        }
        Sleep(20);
    }
    return false;
}

void Answer(const std::string& state, int n, const std::string& text) {
    const std::string part = state + "\\res-" + std::to_string(n) + ".part";
    const std::string done = state + "\\res-" + std::to_string(n) + ".txt";
    FILE* f = fopen(part.c_str(), "wb");
    if (!f) return;
    fputs((text + "\n").c_str(), f);
    fclose(f);
    MoveFileA(part.c_str(), done.c_str());
}

// Polls the progress dialog's caption, which the platform keeps beside the window, so the
// program's threads are not disturbed. Every millisecond at first, later every 5.
HWND WaitForFinished(DWORD processId, HWND mainDialog, double started) {
    HWND progress = nullptr;
    while (Now() - started < kRunWaitMs) {
        if (!progress) progress = FindOwnedDialog(processId, mainDialog);
        if (progress) {
            char caption[64] = "";
            GetWindowTextA(progress, caption, sizeof caption);
            if (strcmp(caption, "Finished") == 0) return progress;
            if (!IsWindow(progress)) progress = nullptr;
        }
        Sleep(Now() - started < 1000 ? 1 : 5);
    }
    return nullptr;
}

std::string RunKelvora(RunningProgram* program, const std::vector<std::string>& lines) {
    if (lines.size() < 6) return "error short request";
    HWND dialog = program->mainDialog;
    SetItemText(dialog, IDC_FIND, lines[1].c_str());
    SetItemText(dialog, IDC_REPLACE, lines[2].c_str());
    SetItemText(dialog, IDC_FILETYPES, lines[3].c_str());
    SetItemText(dialog, IDC_FOLDER, lines[4].c_str());
    int matchCase = 0, onlyWords = 0, subfolders = 0;
    std::istringstream(lines[5]) >> matchCase >> onlyWords >> subfolders;
    SetCheck(dialog, IDC_MATCHCASE, matchCase != 0);
    SetCheck(dialog, IDC_ONLYWORDS, onlyWords != 0);
    SetCheck(dialog, IDC_SUBFOLDERS, subfolders != 0);
    SetCheck(dialog, IDC_BACKUPS, false);
    Sleep(200);

    const double started = Now();
    PostCommand(dialog, IDOK);
    HWND progress = WaitForFinished(program->process.dwProcessId, dialog, started);
    const double elapsed = Now() - started;
    if (!progress) return "error no Finished";
    std::string answer = std::to_string(elapsed) + " " + ItemText(progress, IDC_REPLACED_STRINGS) +
                         " " + ItemText(progress, IDC_REPLACED_FILES) + " " +
                         ItemText(progress, IDC_SEARCHED_FILES);
    PostCommand(progress, IDCANCEL);
    if (!WaitForWindowGone(progress, kWaitMs)) return "error progress dialog stays";
    return answer;
}

std::string RunViewLimit(const std::vector<std::string>& lines) {
    if (lines.size() < 4) return "error short request";
    const double ms = ViewLimitMilliseconds(lines[2].c_str(), strtoul(lines[3].c_str(), nullptr, 10));
    if (ms < 0) return "error views of " + lines[2];
    return std::to_string(ms);
}

std::string RunLimit(const std::vector<std::string>& lines) {
    if (lines.size() > 1 && lines[1] == "views") return RunViewLimit(lines);
    if (lines.size() < 6) return "error short request";
    TreeLimitRequest request;
    request.notice = lines[1] != "calls";
    request.display = lines[1] == "display";
    request.rewrite = lines[1] == "rewrite";
    request.folder = lines[2];
    if (request.folder.empty() || request.folder.back() != '\\') request.folder += "\\";
    request.pattern = lines[3];
    request.find = lines[4];
    request.replace = lines[5];
    TreeLimitResult result;
    if (!RunTreeLimit(request, &result)) return "error limit walk";
    return std::to_string(result.milliseconds) + " " + std::to_string(result.searchedFiles) + " " +
           std::to_string(result.matchingFiles) + " " + std::to_string(result.occurrences);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: kelvora_bench KELVORA_EXE STATE_DIR\n");
        return 2;
    }
    const std::string state = WindowsPathOfArgument(argv[2]);
    RunningProgram program = {};
    if (!StartProgram(&program)) {
        Answer(state, 0, "error no main dialog");
        return 1;
    }
    Answer(state, 0, "ready");
    for (int n = 1;; ++n) {
        std::vector<std::string> lines;
        if (!WaitForRequest(state + "\\req-" + std::to_string(n) + ".txt", &lines)) break;
        if (lines[0] == "quit") {
            Answer(state, n, "bye");
            break;
        }
        if (lines[0] == "kelvora")
            Answer(state, n, RunKelvora(&program, lines));
        else if (lines[0] == "limit")
            Answer(state, n, RunLimit(lines));
        else
            Answer(state, n, "error unknown request");
    }
    PostCommand(program.mainDialog, IDCANCEL);
    DWORD code = 0;
    WaitForExit(&program, &code);
    StopProgram(&program);
    return 0;
}
