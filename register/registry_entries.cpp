// The uninstall, autorun and user-agent entries. A key that can't be opened or created ends the
// operation without a message; no other result is looked at.
#include "register/registry_entries.h"

#include <windows.h>

#include "common/handles.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/product.h"
#include "common/text.h"
#include "register/registry_values.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kUninstallSubkey[] = L"quorrwb8";
constexpr wchar_t kUninstallEntryKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8";
constexpr wchar_t kDisplayName[] = L"智能岚石8";
constexpr std::size_t kWindowsDirChars = 100;

constexpr char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAutorunValue[] = "quqrsjgl";

constexpr char kUserAgentKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent";
constexpr char kPostPlatformKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";
constexpr char kCurrentToken[] = "tavo8200";

// The tokens of earlier versions: "tavo" and two digits and "00", from tavo6300 to tavo8900.
void DeleteEarlierTokens(HKEY platform) {
    char name[] = "tavo6300";
    struct Range {
        char fifth;
        char firstSixth;
    };
    for (Range range : {Range{'6', '3'}, Range{'7', '0'}, Range{'8', '0'}}) {
        char lastSixth = range.fifth == '6' ? '8' : '9';
        name[4] = range.fifth;
        for (char sixth = range.firstSixth; sixth <= lastSixth; ++sixth) {
            name[5] = sixth;
            RegDeleteValueA(platform, name);
        }
    }
}

}  // namespace

void WriteUninstallEntry(unsigned long long installedBytes) {
    UniqueHKey uninstall;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, uninstall.Put()) != ERROR_SUCCESS) return;
    UniqueHKey entry;
    if (RegCreateKeyExW(uninstall.Get(), kUninstallSubkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, entry.Put(),
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    SetStringValueW(entry.Get(), L"DisplayName", kDisplayName);

    wchar_t windows[kWindowsDirChars];
    UINT length = GetWindowsDirectoryW(windows, kWindowsDirChars);
    wchar_t command[kWindowsDirChars + 16];
    if (length == 0 || length >= kWindowsDirChars || !FormatTextW(command, L"%ls\\quordel8.exe", windows)) return;
    SetStringValueW(entry.Get(), L"UninstallString", command);

    // What the system's list of programs and deployment tools read besides.
    wchar_t quiet[kWindowsDirChars + 24];
    wchar_t installDir[kPathCapacity];
    if (FormatTextW(quiet, L"\"%ls\" /S", command)) SetStringValueW(entry.Get(), L"QuietUninstallString", quiet);
    SetStringValueW(entry.Get(), L"DisplayVersion", kProductVersionW);
    SetStringValueW(entry.Get(), L"Publisher", kPublisherW);
    SetStringValueW(entry.Get(), L"DisplayIcon", command);
    if (MultiByteToWideChar(CP_ACP, 0, g_state.installDir, -1, installDir, kPathCapacity) > 0) {
        SetStringValueW(entry.Get(), L"InstallLocation", installDir);
    }
    const unsigned long long kilobytes = (installedBytes + 1023) / 1024;
    SetDwordValueW(entry.Get(), L"EstimatedSize", kilobytes > MAXDWORD ? MAXDWORD : static_cast<DWORD>(kilobytes));
    SetDwordValueW(entry.Get(), L"NoModify", 1);
    SetDwordValueW(entry.Get(), L"NoRepair", 1);
}

void WriteAutorunEntry(const char* command) {
    UniqueHKey currentVersion;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_READ, currentVersion.Put()) != ERROR_SUCCESS) {
        return;
    }
    UniqueHKey run;
    if (RegCreateKeyExA(currentVersion.Get(), "Run", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, run.Put(), nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegDeleteValueA(run.Get(), kAutorunValue);
    SetStringValueA(run.Get(), kAutorunValue, command);
}

void RemoveAutorunEntry() {
    UniqueHKey run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, run.Put()) == ERROR_SUCCESS) {
        RegDeleteValueA(run.Get(), kAutorunValue);
    }
}

void WriteUserAgentToken() {
    UniqueHKey userAgent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUserAgentKey, 0, KEY_ALL_ACCESS, userAgent.Put()) != ERROR_SUCCESS) return;
    UniqueHKey platform;
    if (RegCreateKeyExA(userAgent.Get(), "Post Platform", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, platform.Put(),
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    DeleteEarlierTokens(platform.Get());
    SetStringValueA(platform.Get(), kCurrentToken, "");
}

void RemoveRegistryEntries() {
    LogLine("removing the uninstall entry, the autorun value and the user-agent token");
    UniqueHKey uninstall;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, uninstall.Put()) == ERROR_SUCCESS) {
        RegDeleteKeyW(uninstall.Get(), kUninstallSubkey);
    }
    RemoveAutorunEntry();
    UniqueHKey platform;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPostPlatformKey, 0, KEY_SET_VALUE, platform.Put()) == ERROR_SUCCESS) {
        RegDeleteValueA(platform.Get(), kCurrentToken);
    }
}

bool RegistryEntriesPresent() {
    UniqueHKey entry;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntryKey, 0, KEY_READ, entry.Put()) == ERROR_SUCCESS) return true;
    UniqueHKey run;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_QUERY_VALUE, run.Put()) == ERROR_SUCCESS &&
           RegQueryValueExA(run.Get(), kAutorunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
