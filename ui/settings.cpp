// The settings key and its REG_DWORD values.
#include "ui/settings.h"

namespace {

const char kSettingsPath[] = "Software\\Dunmak\\Kelvora";
const REGSAM kSettingsAccess = KEY_READ | KEY_WRITE;
static_assert((KEY_READ | KEY_WRITE) == 0x2001F, "read and write access to the key");

} // namespace

HKEY OpenSettingsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        kSettingsAccess, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

DWORD ReadDwordSetting(HKEY key, const char* name, DWORD defaultValue) {
    if (!key)
        return defaultValue;
    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return defaultValue;
    // A shorter REG_DWORD would leave part of the number unread: treat it as unusable.
    if (type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return value;
}

LONG WriteDwordSetting(HKEY key, const char* name, DWORD value) {
    if (!key)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}
