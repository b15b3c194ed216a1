// Keyboard-layout registration: the system's IMM installer first, and otherwise the Keyboard Layouts
// entry written here. The own entry is found by the first 16 bytes of its "layout text"; a new one
// is numbered above the highest layout id already present.
#include "register/keyboard_layout.h"

#include <windows.h>
#include <imm.h>

#include <cctype>
#include <cstring>

#include "common/handles.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/named_files.h"
#include "common/message_box.h"
#include "common/text.h"
#include "register/preload_list.h"
#include "register/registry_values.h"

extern const char kLayoutTextGbk[] = "智能岚石输入平台  8.6";

namespace {

constexpr wchar_t kImeDescription[] = L"智能岚石输入平台  8.6";
constexpr std::size_t kSystemDirChars = 100;

// Subkey names are gathered before any is examined, at most this many at a time; a key with more
// subkeys is walked in further rounds, so that every one still counts.
constexpr int kNameTableCapacity = 250;
constexpr std::size_t kNameSlot = 200;
constexpr std::size_t kLayoutIdLength = 8;
constexpr DWORD kLayoutNumberStep = 0x10000;

struct LayoutNameTable {
    char names[kNameTableCapacity][kNameSlot];
    int count;
};
LayoutNameTable g_nameTable;

enum LayoutMessage { kMessageOpenLayouts = 1003, kMessageCreateLayout = 1004 };

constexpr char kAdministratorText[] = "在WIN2000和WIN NT系统中安装本软件时，需要以系统管理员身份才能安装成功！";

void ShowLayoutMessage(LayoutMessage message, bool win9x) {
    if (message == kMessageOpenLayouts) {
        ShowMessageA(win9x ? "Software open error1003" : kAdministratorText, kCaptionProduct, MB_OK);
    } else {
        ShowMessageA(win9x ? "Software open error1004" : kAdministratorText, kCaptionProductWubi, MB_OK);
    }
}

const char* LanguageSuffix() { return UsesBig5() ? "404" : "804"; }
const char* LayoutText() { return UsesBig5() ? kLayoutTextBig5 : kLayoutTextGbk; }
DWORD LayoutBase() { return UsesBig5() ? 0xE0000404u : 0xE0000804u; }

// A layout id is eight hexadecimal digits; only such a name can be the input method's own entry.
bool IsLayoutId(const char* name) {
    if (std::strlen(name) != kLayoutIdLength) return false;
    for (std::size_t i = 0; i < kLayoutIdLength; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

// Reads a subkey name as a hexadecimal number the way "%lx" does (leading blanks, an optional 0x,
// then digits up to the first other character). False when no digit is there or the number does
// not fit in 32 bits: such a name is no layout id and does not count.
bool ParseLayoutNumber(const char* name, DWORD* number) {
    const char* p = name;
    while (*p == ' ' || *p == '\t') ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && std::isxdigit(static_cast<unsigned char>(p[2]))) p += 2;
    unsigned long long value = 0;
    int digits = 0;
    for (; std::isxdigit(static_cast<unsigned char>(*p)); ++p, ++digits) {
        int c = std::tolower(static_cast<unsigned char>(*p));
        value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
        if (value > 0xFFFFFFFFull) return false;
    }
    if (digits == 0) return false;
    *number = static_cast<DWORD>(value);
    return true;
}

bool EndsWith(const char* text, const char* suffix) {
    std::size_t length = std::strlen(text);
    std::size_t suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(text + length - suffixLength, suffix) == 0;
}

// Replaces the last three characters (the language part) of an id with the language suffix.
void SetLanguageSuffix(char* id) {
    std::size_t length = std::strlen(id);
    if (length >= 3) std::memcpy(id + length - 3, LanguageSuffix(), 3);
}

struct LayoutSearch {
    DWORD largest = 0;
    bool ownFound = false;
    char ownName[kNameSlot] = {};
    UniqueHKey ownKey;
};

// Looks at one subkey: the own entry (kept open in search), or a number toward the largest id.
// Subkeys that don't open or have no readable "layout text" count for neither.
bool ExamineLayout(HKEY layouts, const char* name, LayoutSearch* search) {
    UniqueHKey layout;
    if (RegOpenKeyExA(layouts, name, 0, KEY_ALL_ACCESS, layout.Put()) != ERROR_SUCCESS) return false;
    char text[200];
    if (!ReadStringValueA(layout.Get(), "layout text", text, sizeof text)) return false;
    if (IsLayoutId(name) && std::strncmp(text, LayoutText(), kLayoutTextPrefixBytes) == 0) {
        CopyText(search->ownName, name);
        search->ownKey = std::move(layout);
        search->ownFound = true;
        return true;
    }
    DWORD number = 0;
    if (ParseLayoutNumber(name, &number) && number > search->largest) search->largest = number;
    return false;
}

// Enumerates the subkeys from the highest index down, in rounds of at most 250 names, and examines
// each name of a round in that order. Stops at the own entry.
void SearchLayouts(HKEY layouts, LayoutSearch* search) {
    DWORD subkeys = 0;
    if (RegQueryInfoKeyA(layouts, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        subkeys = 0;
    }
    long long index = subkeys;
    while (index >= 0) {
        g_nameTable.count = 0;
        for (; index >= 0 && g_nameTable.count < kNameTableCapacity; --index) {
            char* slot = g_nameTable.names[g_nameTable.count];
            std::memset(slot, 0, kNameSlot);
            DWORD length = kNameSlot;
            // A name too long for its slot is no layout id; taking it anyway would leave an empty
            // name, which opens the Keyboard Layouts key itself.
            if (RegEnumKeyExA(layouts, static_cast<DWORD>(index), slot, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS ||
                slot[0] == '\0') {
                continue;
            }
            ++g_nameTable.count;
        }
        for (int i = 0; i < g_nameTable.count; ++i) {
            if (ExamineLayout(layouts, g_nameTable.names[i], search)) return;
        }
    }
}

// The id for a new entry: one layout number above the highest present (at least the base), in upper
// case, with the language suffix. False when no number above the highest fits in eight digits.
bool MakeNewLayoutId(DWORD largest, char* id, std::size_t capacity) {
    DWORD number = largest < LayoutBase() ? LayoutBase() : largest;
    if (number > 0xFFFFFFFFu - kLayoutNumberStep) return false;
    FormatText(id, capacity, "%lx", static_cast<unsigned long>(number + kLayoutNumberStep));
    CharUpperA(id);
    if (!EndsWith(id, LanguageSuffix())) SetLanguageSuffix(id);
    return true;
}

void WriteLayoutValues(HKEY layout, bool win9x) {
    SetStringValueA(layout, "IME file", "QUOREL4.IME");
    SetStringValueA(layout, "layout file", win9x ? "kbdus.kbd" : "kbdus.dll");
    SetStringValueA(layout, "layout text", LayoutText());
}

}  // namespace

void RegisterImmInputMethod() { FinishImmRegistration(InstallImeFile()); }

void FinishImmRegistration(bool installed) {
    g_state.registrationResult = installed ? 1 : 0;
    // The box of a failed manual entry has told the user; the silent install says so in its exit code.
    if (!installed && !WriteKeyboardLayoutEntry()) g_state.installFaults |= kFaultNotRegistered;
    if (g_state.osMajorVersion <= 5) {
        FindImeInPreload();
        PromoteImeInPreload();
    }
}

bool InstallImeFile() {
    wchar_t system[kSystemDirChars];
    UINT length = GetSystemDirectoryW(system, kSystemDirChars);
    if (length == 0 || length >= kSystemDirChars) return false;
    wchar_t path[kSystemDirChars + 16];
    if (!FormatTextW(path, L"%ls\\quorel4.ime", system)) return false;
    HKL layout = ImmInstallIMEW(path, kImeDescription);
    LogLine("ImmInstallIMEW of the System directory's %s: %s", kImeFile, layout ? "installed" : "failed");
    return layout != nullptr;
}

bool WriteKeyboardLayoutEntry() {
    bool win9x = RefreshWin9xFlag();

    UniqueHKey layouts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, 0, KEY_READ, layouts.Put()) != ERROR_SUCCESS) {
        ShowLayoutMessage(kMessageOpenLayouts, win9x);
        return false;
    }

    LayoutSearch search;
    SearchLayouts(layouts.Get(), &search);

    char id[kNameSlot] = {};
    UniqueHKey layout;
    if (search.ownFound && EndsWith(search.ownName, LanguageSuffix())) {
        CopyText(id, search.ownName);
        layout = std::move(search.ownKey);
    } else {
        if (search.ownFound) {
            // The own entry of the other code page: replaced by the same layout number with this
            // code page's language.
            search.ownKey.Reset();
            RegDeleteKeyA(layouts.Get(), search.ownName);
            CopyText(id, search.ownName);
            SetLanguageSuffix(id);
        } else if (!MakeNewLayoutId(search.largest, id, sizeof id)) {
            layouts.Reset();
            ShowLayoutMessage(kMessageCreateLayout, win9x);
            return false;
        }
        if (RegCreateKeyExA(layouts.Get(), id, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, layout.Put(), nullptr) !=
            ERROR_SUCCESS) {
            layouts.Reset();
            ShowLayoutMessage(kMessageCreateLayout, win9x);
            return false;
        }
    }

    WriteLayoutValues(layout.Get(), win9x);
    layout.Reset();
    layouts.Reset();
    InsertIntoPreload(id);
    return true;
}
