// The window class "DmKelvoraClass" that the main dialog's template names.
#pragma once

#include <windows.h>

// Registers the class for module instance (icon IDI_APP from it); 0 when that fails.
ATOM RegisterMainWindowClass(HINSTANCE instance);
