// The preload list: read, search, promote, swap and insert, in the NT and the Windows 9x forms.
#include "register/preload_list.h"

#include <windows.h>

#include <cstring>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/text.h"
#include "register/keyboard_layout.h"
#include "register/registry_values.h"

namespace {

constexpr char kLayoutRootKey[] = "keyboard layout";
constexpr char kPreloadSubkey[] = "preload";
constexpr char kPreload9xKey[] = "keyboard layout\\preload";
constexpr char kDefaultUserLayoutKey[] = ".DEFAULT\\keyboard layout";

// Layout texts that begin with these bytes (GBK) belong to the input method.
constexpr char kImeListMark[] = "智能岚石输入";
constexpr std::size_t kImeListMarkBytes = 12;

constexpr std::size_t kIdSlot = sizeof(PreloadList{}.ids[0]);
constexpr std::size_t kTextSlot = sizeof(PreloadList{}.texts[0]);

struct NumberName {
    char text[8];
    explicit NumberName(int number) { FormatText(text, "%d", number); }
};

// NT form: opens root\path (read) and its "preload" (full access). False when root\path can't be
// opened; preload stays empty when only "preload" is missing.
bool OpenNtPreload(HKEY root, const char* path, UniqueHKey* preload) {
    UniqueHKey layoutRoot;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, layoutRoot.Put()) != ERROR_SUCCESS) return false;
    RegOpenKeyExA(layoutRoot.Get(), kPreloadSubkey, 0, KEY_ALL_ACCESS, preload->Put());
    return true;
}

// Windows 9x form: sets the default value of the subkey of a number, if that subkey opens.
void Set9xEntry(HKEY preload, int number, const char* id) {
    UniqueHKey entry;
    if (RegOpenKeyExA(preload, NumberName(number).text, 0, KEY_ALL_ACCESS, entry.Put()) == ERROR_SUCCESS) {
        SetStringValueA(entry.Get(), nullptr, id);
    }
}

// Writes numbers first..last of the table into one user's NT list. False when the user's
// "keyboard layout" key can't be opened.
bool WriteNtRange(HKEY root, const char* path, int first, int last) {
    UniqueHKey preload;
    if (!OpenNtPreload(root, path, &preload)) return false;
    if (!preload) return true;
    for (int number = first; number <= last; ++number) {
        SetStringValueA(preload.Get(), NumberName(number).text, g_state.preload.ids[number - 1]);
    }
    return true;
}

bool WriteNtPair(HKEY root, const char* path, const char* first, const char* second) {
    UniqueHKey preload;
    if (!OpenNtPreload(root, path, &preload)) return false;
    if (!preload) return true;
    SetStringValueA(preload.Get(), "1", first);
    SetStringValueA(preload.Get(), "2", second);
    return true;
}

void ReadNtIds(PreloadList* list) {
    UniqueHKey preload;
    if (!OpenNtPreload(HKEY_CURRENT_USER, kLayoutRootKey, &preload) || !preload) return;
    int number = 1;
    for (; number <= kPreloadMax; ++number) {
        if (!ReadStringValueA(preload.Get(), NumberName(number).text, list->ids[number - 1], kIdSlot)) break;
    }
    list->count = number - 1;
}

void Read9xIds(PreloadList* list) {
    UniqueHKey preload;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreload9xKey, 0, KEY_READ, preload.Put()) != ERROR_SUCCESS) return;
    int number = 1;
    for (; number <= kPreloadMax; ++number) {
        UniqueHKey entry;
        if (RegOpenKeyExA(preload.Get(), NumberName(number).text, 0, KEY_ALL_ACCESS, entry.Put()) != ERROR_SUCCESS) {
            break;
        }
        ReadStringValueA(entry.Get(), nullptr, list->ids[number - 1], kIdSlot);
    }
    list->count = number - 1;
}

// How the id P of length L compares with a listed value: the number of leading characters that
// agree, the value's letters folded to P's case first. L agreeing means P is listed; more than L - 4
// means the two differ only in the language part.
int AgreeingPrefix(const char* value, const char* id, int length, bool toUpper) {
    int agree = 0;
    for (; agree < length; ++agree) {
        char c = toUpper ? AsciiUpper(value[agree]) : AsciiLower(value[agree]);
        if (c != id[agree]) break;
    }
    return agree;
}

enum class Placement { kListed, kReplace, kNext };

Placement PlaceAgainst(const char* value, const char* id, bool win9x) {
    int length = static_cast<int>(std::strlen(id));
    int agree = AgreeingPrefix(value, id, length, win9x);
    if (agree == length) return Placement::kListed;
    if (agree > length - 4) return Placement::kReplace;
    return Placement::kNext;
}

void InsertNt(const char* id) {
    UniqueHKey layoutRoot;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kLayoutRootKey, 0, KEY_READ, layoutRoot.Put()) != ERROR_SUCCESS) {
        ShowMessageA("Software open error2003", kCaptionProductWubi, MB_OK);
        return;
    }
    UniqueHKey preload;
    if (RegOpenKeyExA(layoutRoot.Get(), kPreloadSubkey, 0, KEY_ALL_ACCESS, preload.Put()) != ERROR_SUCCESS) return;
    for (int number = 1; number <= kPreloadMax; ++number) {
        NumberName name(number);
        char value[200];
        if (!ReadStringValueA(preload.Get(), name.text, value, sizeof value)) {
            SetStringValueA(preload.Get(), name.text, id);
            return;
        }
        Placement placement = PlaceAgainst(value, id, false);
        if (placement == Placement::kListed) return;
        if (placement == Placement::kReplace) {
            SetStringValueA(preload.Get(), name.text, id);
            return;
        }
    }
    SetStringValueA(preload.Get(), NumberName(kPreloadMax).text, id);
}

void Insert9x(const char* id) {
    UniqueHKey preload;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreload9xKey, 0, KEY_READ, preload.Put()) != ERROR_SUCCESS) {
        ShowMessageA("Software open error2003", kCaptionProductWubi, MB_OK);
        return;
    }
    for (int number = 1; number <= kPreloadMax; ++number) {
        NumberName name(number);
        UniqueHKey entry;
        if (RegOpenKeyExA(preload.Get(), name.text, 0, KEY_ALL_ACCESS, entry.Put()) != ERROR_SUCCESS) {
            if (RegCreateKeyExA(preload.Get(), name.text, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, entry.Put(),
                                nullptr) == ERROR_SUCCESS) {
                SetStringValueA(entry.Get(), nullptr, id);
            }
            return;
        }
        char value[200];
        // A number whose id can't be read is not reused.
        if (!ReadStringValueA(entry.Get(), nullptr, value, sizeof value)) continue;
        Placement placement = PlaceAgainst(value, id, true);
        if (placement == Placement::kListed) return;
        if (placement == Placement::kReplace) {
            SetStringValueA(entry.Get(), nullptr, id);
            return;
        }
    }
    Set9xEntry(preload.Get(), kPreloadMax, id);
}

}  // namespace

bool RefreshWin9xFlag() {
    g_state.versionWord = GetVersion();
    return (g_state.versionWord & 0x80000000u) != 0;
}

int ReadPreloadList() {
    bool win9x = RefreshWin9xFlag();
    PreloadList& list = g_state.preload;
    // Every read starts from empty slots, so that nothing of an earlier read (the mark of the input
    // method least of all) can stand for an entry that no longer has it.
    std::memset(list.ids, 0, sizeof list.ids);
    std::memset(list.texts, 0, sizeof list.texts);
    list.count = 0;
    if (win9x) {
        Read9xIds(&list);
    } else {
        ReadNtIds(&list);
    }

    UniqueHKey layouts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, 0, KEY_READ, layouts.Put()) != ERROR_SUCCESS) return 0;
    for (int i = 0; i < list.count; ++i) {
        if (list.ids[i][0] == '\0') continue;
        UniqueHKey layout;
        if (RegOpenKeyExA(layouts.Get(), list.ids[i], 0, KEY_ALL_ACCESS, layout.Put()) != ERROR_SUCCESS) continue;
        ReadStringValueA(layout.Get(), "layout text", list.texts[i], kTextSlot);
    }
    return list.count;
}

bool FindImeInPreload() {
    PreloadList& list = g_state.preload;
    list.count = 0;
    list.position = 0;
    list.found = 0;
    if (ReadPreloadList() == 0) return false;
    for (int i = 0; i < list.count; ++i) {
        if (std::strncmp(list.texts[i], kImeListMark, kImeListMarkBytes) == 0) {
            list.position = i + 1;
            list.found = 1;
            return true;
        }
    }
    return false;
}

void PromoteImeInPreload() {
    PreloadList& list = g_state.preload;
    if (!list.found || list.count < 3 || list.position < 3 || list.position > list.count ||
        g_state.osMajorVersion > 5) {
        return;
    }
    char taken[kIdSlot];
    std::memcpy(taken, list.ids[list.position - 1], kIdSlot);
    for (int number = list.position; number > 2; --number) {
        std::memcpy(list.ids[number - 1], list.ids[number - 2], kIdSlot);
    }
    std::memcpy(list.ids[1], taken, kIdSlot);

    if (RefreshWin9xFlag()) {
        UniqueHKey preload;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreload9xKey, 0, KEY_READ, preload.Put()) != ERROR_SUCCESS) return;
        for (int number = 2; number <= list.count; ++number) Set9xEntry(preload.Get(), number, list.ids[number - 1]);
        return;
    }
    if (!WriteNtRange(HKEY_CURRENT_USER, kLayoutRootKey, 2, list.count)) return;
    WriteNtRange(HKEY_USERS, kDefaultUserLayoutKey, 2, list.count);
}

void SwapFirstTwoPreload() {
    const PreloadList& list = g_state.preload;
    if (list.count < 2) return;
    const char* first = list.ids[0];
    const char* second = list.ids[1];
    if (RefreshWin9xFlag()) {
        UniqueHKey preload;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreload9xKey, 0, KEY_READ, preload.Put()) != ERROR_SUCCESS) return;
        Set9xEntry(preload.Get(), 2, first);
        Set9xEntry(preload.Get(), 1, second);
        return;
    }
    if (!WriteNtPair(HKEY_CURRENT_USER, kLayoutRootKey, second, first)) return;
    WriteNtPair(HKEY_USERS, kDefaultUserLayoutKey, second, first);
}

void InsertIntoPreload(const char* layoutId) {
    bool win9x = (g_state.versionWord & 0x80000000u) != 0;
    char id[kIdSlot + 1] = {};
    if (!CopyText(id, layoutId)) return;
    for (char* c = id; *c != '\0'; ++c) *c = win9x ? AsciiUpper(*c) : AsciiLower(*c);
    if (win9x) {
        Insert9x(id);
    } else {
        InsertNt(id);
    }
}
