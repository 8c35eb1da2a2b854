// Process entry: character model, common controls, COM for the folder browser, the main
// dialog's window class, then the main dialog. No command line is read and the exit code is always 0.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/dialog_runner.h"
#include "app/main_window_class.h"
#include "app/resource.h"
#include "engine/character_model_win.h"
#include "engine/replace_job.h"
#include "ui/main_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCharacterModel();
    InitCommonControls();
    ReplaceJob.instance = instance;
    // The folder browser needs COM on this thread, apartment-threaded. Without it the program
    // still runs; only the browser may not.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (RegisterMainWindowClass(instance)) {
        RunDialogResource(instance, IDD_MAIN, nullptr, MainDlgProc);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
