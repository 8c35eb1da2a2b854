// Centring a window over its parent or owner.
#include "job/progress_dialog.h"

void CenterOverParent(HWND window) {
    RECT own = {};
    RECT parent = {};
    GetWindowRect(window, &own);
    GetWindowRect(GetParent(window), &parent);
    // Signed 32-bit arithmetic; the division truncates toward zero.
    const LONG x = parent.left + ((parent.right - parent.left) - (own.right - own.left)) / 2;
    const LONG y = parent.top + ((parent.bottom - parent.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(window, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
