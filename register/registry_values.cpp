// Typed, bounded registry reads and the program's way of writing string values.
#include "register/registry_values.h"

#include <cstring>
#include <cwchar>

#include "common/handles.h"

LONG SetStringValueA(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text)));
}

LONG SetStringValueW(HKEY key, const wchar_t* name, const wchar_t* text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::wcslen(text) * sizeof(wchar_t)));
}

bool ReadStringValueA(HKEY key, const char* name, char* buf, std::size_t capacity) {
    if (capacity == 0) return false;
    buf[0] = '\0';
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(capacity);
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size > capacity) {
        buf[0] = '\0';
        return false;
    }
    // The stored text may or may not carry its terminator (this program writes it without one).
    while (size > 0 && buf[size - 1] == '\0') --size;
    if (size >= capacity) {
        buf[0] = '\0';
        return false;
    }
    buf[size] = '\0';
    return true;
}

bool ReadDwordValue(HKEY key, const char* name, DWORD* value) {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return false;
    }
    *value = data;
    return true;
}

bool KeyExists(HKEY root, const char* path) {
    UniqueHKey key;
    return RegOpenKeyExA(root, path, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}
