// Typed, bounded registry reads and the program's way of writing values, each write noted in the log
// with the key's full name (which the log asks the system for: the callers hold open keys).
#include "register/registry_values.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "common/handles.h"
#include "common/install_log.h"

namespace {

// The key's name as the system gives it ("\REGISTRY\MACHINE\...", in any capitals), with HKLM and
// HKU for the hives.
std::wstring KeyName(HKEY key) {
    using QueryKeyFunction = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    constexpr int kKeyNameInformation = 3;
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto query = ntdll ? reinterpret_cast<QueryKeyFunction>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryKey")))
                       : nullptr;
    ULONG buffer[1024] = {};  // a ULONG length, then the name's UTF-16 characters
    ULONG size = 0;
    if (query == nullptr || query(key, kKeyNameInformation, buffer, sizeof buffer, &size) < 0) return L"?";
    std::wstring name(reinterpret_cast<const wchar_t*>(buffer + 1), buffer[0] / sizeof(wchar_t));
    for (auto [hive, shortName] : {std::pair{L"\\REGISTRY\\MACHINE", L"HKLM"}, {L"\\REGISTRY\\USER", L"HKU"}}) {
        if (_wcsnicmp(name.c_str(), hive, std::wcslen(hive)) == 0) name.replace(0, std::wcslen(hive), shortName);
    }
    return name;
}

void LogValue(HKEY key, const std::wstring& name, const std::wstring& data) {
    if (!LogIsOpen()) return;
    const std::wstring line = KeyName(key) + L" \"" + name + L"\" = " + data;
    LogTextW(L"registry ", line.c_str());
}

}  // namespace

LONG SetStringValueA(HKEY key, const char* name, const char* text) {
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(std::strlen(text)));
    if (LogIsOpen()) LogValue(key, WidenForLog(name), L"\"" + WidenForLog(text) + L"\"");
    return result;
}

LONG SetStringValueW(HKEY key, const wchar_t* name, const wchar_t* text) {
    LONG result = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(std::wcslen(text) * sizeof(wchar_t)));
    LogValue(key, name ? name : L"", L"\"" + std::wstring(text) + L"\"");
    return result;
}

LONG SetDwordValueW(HKEY key, const wchar_t* name, DWORD value) {
    LONG result = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    LogValue(key, name, std::to_wstring(value));
    return result;
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
