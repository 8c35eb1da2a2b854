// Process entry: character model, common controls, the main dialog's window class, then the
// main dialog. No command line is read and the exit code is always 0.
#include <windows.h>
#include <commctrl.h>

#include "app/dialog_runner.h"
#include "app/resource.h"
#include "engine/character_model_win.h"
#include "engine/replace_job.h"
#include "ui/main_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCharacterModel();
    InitCommonControls();

    WNDCLASSA windowClass = {};
    ReplaceJob.instance = instance;
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // COLOR_WINDOWTEXT + 1, as the class has always had; dialogs paint their own background.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOWTEXT + 1));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "DmKelvoraClass";

    if (RegisterClassA(&windowClass)) {
        RunDialogResource(instance, IDD_MAIN, nullptr, MainDlgProc);
    }
    return 0;
}
