// The settings key of the local machine and its 32-bit values (options, dialog position).
// Nothing is kept open: each user opens the key, does its reads or writes and closes it.
#pragma once

#include <windows.h>

// Opens "Software\Dunmak\Kelvora" under HKEY_LOCAL_MACHINE, creating it and its parents;
// null when that fails. The caller closes a non-null key with RegCloseKey.
HKEY OpenSettingsKey();

// The REG_DWORD value, or defaultValue when there is no key, no such value, or the value
// is not exactly 4 bytes of type REG_DWORD.
DWORD ReadDwordSetting(HKEY key, const char* name, DWORD defaultValue);

// Stores a REG_DWORD value; returns the registry status, which callers may ignore.
LONG WriteDwordSetting(HKEY key, const char* name, DWORD value);
