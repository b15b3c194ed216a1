// FindOwnLayouts and RemoveOwnLayouts (see layout_removal.h). List entries are moved as the bytes
// they were stored with (type, length and data), so that a foreign entry keeps its exact form when
// its number changes.
#include "register/layout_removal.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "common/handles.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/named_files.h"
#include "common/text.h"
#include "register/keyboard_layout.h"
#include "register/preload_list.h"
#include "register/registry_values.h"

namespace {

constexpr char kUserPreloadKey[] = "Keyboard Layout\\Preload";
constexpr char kDefaultUserPreloadKey[] = ".DEFAULT\\Keyboard Layout\\Preload";
constexpr int kLoadedLayoutsMax = 64;

// The file-name part of an "Ime File" value, stepping over double-byte characters whole: a trail
// byte may be 0x5C.
bool IsOwnImeFile(const char* imeFile) {
    const char* name = imeFile;
    for (const char* p = imeFile; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\') name = p + 1;
    }
    return _stricmp(name, kImeFile) == 0;
}

bool IsLayoutId(const char* name) {
    if (std::strlen(name) != kLayoutIdChars) return false;
    for (const char* p = name; *p != '\0'; ++p) {
        if (!std::isxdigit(static_cast<unsigned char>(*p))) return false;
    }
    return true;
}

void UnloadOwnLayouts(const OwnLayouts& layouts) {
    HKL loaded[kLoadedLayoutsMax];
    int count = GetKeyboardLayoutList(kLoadedLayoutsMax, loaded);
    for (int i = 0; i < count; ++i) {
        // An IME's keyboard-layout handle is its layout id (sign-extended in a 64-bit process).
        DWORD handle = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(loaded[i]));
        for (int k = 0; k < layouts.count; ++k) {
            if (handle == std::strtoul(layouts.ids[k], nullptr, 16)) UnloadKeyboardLayout(loaded[i]);
        }
    }
}

// One list entry as stored: the value "N" of the preload key or, in the Windows 9x form, the default
// value of its subkey "N". Layout ids are 8 characters; anything longer is kept but never ours.
struct ListEntry {
    DWORD type;
    DWORD size;
    char data[64];
};

struct NumberName {
    char text[8];
    explicit NumberName(int number) { FormatText(text, "%d", number); }
};

LONG ReadEntry(HKEY list, int number, bool subkeys, ListEntry* entry) {
    NumberName numberName(number);
    UniqueHKey sub;
    HKEY holder = list;
    if (subkeys) {
        LONG status = RegOpenKeyExA(list, numberName.text, 0, KEY_QUERY_VALUE, sub.Put());
        if (status != ERROR_SUCCESS) return status;
        holder = sub.Get();
    }
    entry->size = sizeof entry->data;
    return RegQueryValueExA(holder, subkeys ? nullptr : numberName.text, nullptr, &entry->type,
                            reinterpret_cast<BYTE*>(entry->data), &entry->size);
}

void WriteEntry(HKEY list, int number, bool subkeys, const ListEntry& entry) {
    NumberName numberName(number);
    UniqueHKey sub;
    if (subkeys && RegCreateKeyExA(list, numberName.text, 0, nullptr, 0, KEY_SET_VALUE, nullptr, sub.Put(),
                                   nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(subkeys ? sub.Get() : list, subkeys ? nullptr : numberName.text, 0, entry.type,
                   reinterpret_cast<const BYTE*>(entry.data), entry.size);
}

void DeleteEntry(HKEY list, int number, bool subkeys) {
    NumberName numberName(number);
    if (subkeys) {
        RegDeleteKeyA(list, numberName.text);
    } else {
        RegDeleteValueA(list, numberName.text);
    }
}

bool IsOwnEntry(const ListEntry& entry, const OwnLayouts& layouts) {
    if ((entry.type != REG_SZ && entry.type != REG_EXPAND_SZ) || entry.size >= sizeof entry.data) return false;
    char id[sizeof entry.data + 1];
    std::memcpy(id, entry.data, entry.size);
    id[entry.size] = '\0';
    for (int k = 0; k < layouts.count; ++k) {
        if (_stricmp(id, layouts.ids[k]) == 0) return true;
    }
    return false;
}

// Takes the own ids out of one list. A list with an entry that cannot be read whole is left alone:
// it could not be moved without changing it.
void RemoveFromList(HKEY root, const char* path, bool subkeys, const OwnLayouts& layouts) {
    UniqueHKey list;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | KEY_WRITE, list.Put()) != ERROR_SUCCESS) return;
    ListEntry kept[kPreloadMax];
    int keptCount = 0;
    int highest = 0;
    bool ownFound = false;
    for (int number = 1; number <= kPreloadMax; ++number) {
        ListEntry entry;
        LONG status = ReadEntry(list.Get(), number, subkeys, &entry);
        if (status == ERROR_FILE_NOT_FOUND) continue;
        if (status != ERROR_SUCCESS) return;
        highest = number;
        if (IsOwnEntry(entry, layouts)) {
            ownFound = true;
        } else {
            kept[keptCount++] = entry;
        }
    }
    if (!ownFound) return;
    for (int i = 0; i < keptCount; ++i) WriteEntry(list.Get(), i + 1, subkeys, kept[i]);
    for (int number = keptCount + 1; number <= highest; ++number) DeleteEntry(list.Get(), number, subkeys);
}

}  // namespace

void FindOwnLayouts(OwnLayouts* layouts) {
    layouts->count = 0;
    UniqueHKey keyboardLayouts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, 0, KEY_READ, keyboardLayouts.Put()) != ERROR_SUCCESS) {
        return;
    }
    char name[256];
    for (DWORD index = 0; layouts->count < kOwnLayoutsMax; ++index) {
        DWORD length = sizeof name;
        LONG status = RegEnumKeyExA(keyboardLayouts.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || !IsLayoutId(name)) continue;
        UniqueHKey layout;
        char imeFile[MAX_PATH];
        if (RegOpenKeyExA(keyboardLayouts.Get(), name, 0, KEY_READ, layout.Put()) == ERROR_SUCCESS &&
            ReadStringValueA(layout.Get(), "Ime File", imeFile, sizeof imeFile) && IsOwnImeFile(imeFile)) {
            CopyText(layouts->ids[layouts->count++], name);
        }
    }
}

void RemoveOwnLayouts(const OwnLayouts& layouts) {
    if (layouts.count == 0) return;
    UnloadOwnLayouts(layouts);
    UniqueHKey keyboardLayouts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, 0, KEY_READ, keyboardLayouts.Put()) == ERROR_SUCCESS) {
        for (int k = 0; k < layouts.count; ++k) {
            LONG result = RegDeleteKeyA(keyboardLayouts.Get(), layouts.ids[k]);
            LogLine("keyboard layout %s: %s", layouts.ids[k], result == ERROR_SUCCESS ? "removed" : "not removed");
        }
    }
    RemoveFromList(HKEY_CURRENT_USER, kUserPreloadKey, RefreshWin9xFlag(), layouts);
    RemoveFromList(HKEY_USERS, kDefaultUserPreloadKey, false, layouts);
}
