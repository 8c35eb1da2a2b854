// Loading and saving the combo boxes' input histories through the settings key.
#include "ui/history.h"

#include "ui/history_codec.h"

#include <cstdlib>

namespace {

const char* HistoryValueName(int historyIndex) {
    static const char* const kNames[] = {"Find", "Replace", "File", "Path"};
    if (historyIndex < 0 || historyIndex >= static_cast<int>(sizeof kNames / sizeof kNames[0]))
        return nullptr;
    return kNames[historyIndex];
}

void AddStoredEntries(HWND combo, const unsigned char* data, size_t size, char* text) {
    HistoryReader reader;
    BeginHistoryRead(&reader, data, size);
    const unsigned char* entry = nullptr;
    size_t length = 0;
    bool first = true;
    // text holds size + 1 bytes, and every entry lies within the value's size bytes.
    while (ReadHistoryEntry(&reader, &entry, &length)) {
        lstrcpynA(text, reinterpret_cast<const char*>(entry), static_cast<int>(length + 1));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (first)
            SetWindowTextA(combo, text);
        first = false;
    }
}

void MoveTextToTop(HWND combo, const char* text) {
    LRESULT found = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    if (found != CB_ERR) {
        SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(found), 0);
        // Deleting the item can clear the edit field.
        SetWindowTextA(combo, text);
    }
    SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void StoreList(HWND combo, HKEY key, const char* name) {
    LRESULT items = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    int count = items < 0 ? 0 : items > kMaxStoredHistoryEntries ? kMaxStoredHistoryEntries
                                                                  : static_cast<int>(items);
    size_t lengths[kMaxStoredHistoryEntries];
    for (int i = 0; i < count; i++) {
        LRESULT n = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        lengths[i] = n < 0 ? 0 : static_cast<size_t>(n);
    }
    const size_t size = HistoryValueSize(lengths, count);
    if (size > 0xFFFFFFFFu)
        return;
    // One byte more for the NUL that CB_GETLBTEXT puts after the last text; zeroed so that
    // a text shorter than its reported length stores no stray bytes.
    unsigned char* data = static_cast<unsigned char*>(calloc(size + 1, 1));
    if (!data)
        return;
    HistoryWriter writer;
    BeginHistoryWrite(&writer, data, size);
    for (int i = 0; i < count; i++) {
        LRESULT n = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (n < 0 || static_cast<size_t>(n) > lengths[i])
            break;
        unsigned char* at = AddHistoryEntry(&writer, static_cast<size_t>(n));
        if (!at)
            break;
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(at));
    }
    if (key && name)
        RegSetValueExA(key, name, 0, REG_BINARY, data, static_cast<DWORD>(writer.offset));
    free(data);
}

} // namespace

void LoadHistory(HKEY key, HWND combo, int historyIndex) {
    if (!combo)
        return;
    SendMessageA(combo, CB_SETEXTENDEDUI, TRUE, 0);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const char* name = HistoryValueName(historyIndex);
    if (!key || !name)
        return;

    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size == 0)
        return;
    const size_t bufferSize = static_cast<size_t>(size) + 1;
    unsigned char* data = static_cast<unsigned char*>(malloc(bufferSize));
    char* text = static_cast<char*>(malloc(bufferSize));
    if (data && text) {
        DWORD read = size;
        if (RegQueryValueExA(key, name, nullptr, &type, data, &read) == ERROR_SUCCESS &&
            type == REG_BINARY && read <= size)
            AddStoredEntries(combo, data, read, text);
    }
    free(text);
    free(data);
}

char* SaveHistory(HWND combo, HKEY key, int historyIndex) {
    if (!combo)
        return nullptr;
    LRESULT n = SendMessageA(combo, WM_GETTEXTLENGTH, 0, 0);
    const size_t capacity = (n < 0 ? 0 : static_cast<size_t>(n)) + 1;
    char* text = static_cast<char*>(malloc(capacity));
    if (!text)
        return nullptr;
    text[0] = '\0';
    SendMessageA(combo, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text));
    text[capacity - 1] = '\0';

    if (text[0])
        MoveTextToTop(combo, text);
    if (key)
        StoreList(combo, key, HistoryValueName(historyIndex));
    return text;
}
