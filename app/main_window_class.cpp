// The main dialog's window class: an ordinary dialog window (DefDlgProcA with the dialog's
// extra bytes) that carries the program's icon.
#include "app/main_window_class.h"

#include "app/resource.h"

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNWINDOW;
    windowClass.lpfnWndProc = DefDlgProcA;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // COLOR_WINDOWTEXT + 1, as the class has always had; the dialog paints its own background.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOWTEXT + 1));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "DmKelvoraClass";
    return RegisterClassA(&windowClass);
}
