// Loading and saving the combo boxes' input histories through the settings key.
#include "ui/history.h"

#include "ui/history_codec.h"

#include <cstdlib>
#include <cstring>

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

// One list item as the bytes of the ANSI code page, in a heap string the caller frees with
// free(); null when it cannot be read or memory runs out. The item is read with the wide
// messages: Wine's ANSI translation of CB_GETLBTEXT copies the item through a fixed stack
// buffer of 512 UTF-16 units, which an item of 512 units or more overruns. List boxes keep
// their items in UTF-16, so converting with CP_ACP gives the very bytes the ANSI message
// would. The wide CB_GETLBTEXTLEN counts UTF-16 units, not bytes, so the byte length is
// taken from the conversion itself.
char* ReadItemText(HWND combo, int index, size_t* length) {
    const LRESULT units = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (units < 0 || units >= 0x7FFFFFFF)
        return nullptr;
    WCHAR* wide = static_cast<WCHAR*>(calloc(static_cast<size_t>(units) + 1, sizeof(WCHAR)));
    if (!wide)
        return nullptr;
    char* text = nullptr;
    const LRESULT read = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(wide));
    if (read >= 0 && read <= units) {
        const int readUnits = static_cast<int>(read);
        const int bytes = readUnits == 0 ? 0
                          : WideCharToMultiByte(CP_ACP, 0, wide, readUnits, nullptr, 0,
                                                nullptr, nullptr);
        if (bytes >= 0 && (bytes > 0 || readUnits == 0))
            text = static_cast<char*>(malloc(static_cast<size_t>(bytes) + 1));
        if (text) {
            if (bytes > 0)
                WideCharToMultiByte(CP_ACP, 0, wide, readUnits, text, bytes, nullptr, nullptr);
            text[bytes] = '\0';
            *length = static_cast<size_t>(bytes);
        }
    }
    free(wide);
    return text;
}

void StoreList(HWND combo, HKEY key, const char* name) {
    LRESULT items = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    int count = items < 0 ? 0 : items > kMaxStoredHistoryEntries ? kMaxStoredHistoryEntries
                                                                  : static_cast<int>(items);
    // The value is sized from the texts as read, never from a length reported beforehand.
    char* texts[kMaxStoredHistoryEntries] = {};
    size_t lengths[kMaxStoredHistoryEntries] = {};
    int read = 0;
    while (read < count && (texts[read] = ReadItemText(combo, read, &lengths[read])) != nullptr)
        read++;
    // An item that cannot be read stores nothing, as when the value's buffer cannot be had.
    const size_t size = HistoryValueSize(lengths, read);
    unsigned char* data = read == count && size <= 0xFFFFFFFFu
                              ? static_cast<unsigned char*>(malloc(size))
                              : nullptr;
    if (data) {
        HistoryWriter writer;
        BeginHistoryWrite(&writer, data, size);
        for (int i = 0; i < read; i++) {
            unsigned char* at = AddHistoryEntry(&writer, lengths[i]);
            if (!at)
                break;
            memcpy(at, texts[i], lengths[i]);
        }
        if (key && name)
            RegSetValueExA(key, name, 0, REG_BINARY, data, static_cast<DWORD>(writer.offset));
        free(data);
    }
    for (int i = 0; i < read; i++)
        free(texts[i]);
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
