// The sort-order test and the regsvr32 runs of the text-service registration.
#include "register/text_service.h"

#include <windows.h>

#include <cstring>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/named_files.h"
#include "common/text.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "platform/program_run.h"
#include "register/registry_values.h"

namespace {

constexpr int kSortOrderItems = 100;
constexpr std::size_t kClsidChars = 38;
constexpr std::size_t kItemValueCapacity = 46;
// regsvr32 is started and not waited for; the pause gives it time to finish.
constexpr DWORD kRegistrationPauseMs = 2000;
// The uninstaller waits for regsvr32 /u, but not forever.
constexpr DWORD kUnregistrationTimeoutMs = 60000;
constexpr char kTipParentKey[] = "SOFTWARE\\Microsoft\\CTF\\TIP";
// The 32-bit DLL registers in the 32-bit registry view, the 64-bit one in the native view.
constexpr REGSAM kRegistryViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
constexpr int kKeyTreeDepthMax = 8;

// One sort-order item: 1 when it is the text service, 0 when it is another complete item, -1 when
// it lacks its class id, profile or keyboard layout.
int ExamineSortOrderItem(HKEY item) {
    char clsid[kItemValueCapacity];
    if (!ReadStringValueA(item, "CLSID", clsid, sizeof clsid)) return -1;
    bool isTextService = std::strncmp(clsid, kTextServiceClsid, kClsidChars) == 0;
    char profile[kItemValueCapacity];
    DWORD keyboardLayout = 0;
    if (!ReadStringValueA(item, "profile", profile, sizeof profile) ||
        !ReadDwordValue(item, "KeyboardLayout", &keyboardLayout)) {
        return -1;
    }
    return isTextService ? 1 : 0;
}

void SystemDirectory(char* out, std::size_t capacity) {
    UINT length = GetSystemDirectoryA(out, static_cast<UINT>(capacity));
    if (length == 0 || length >= capacity) out[0] = '\0';
}

// "regsvr32 /s DIR\DLL", the System directory's regsvr32 (the native one while the redirection is
// off), shown normally and not waited for, then the pause.
void RunRegsvr32(const char* directory, const char* dll) {
    char program[MAX_PATH];
    char command[kPathCapacity + 64];
    if (directory[0] != '\0' && SystemProgramPath("regsvr32.exe", program, sizeof program) &&
        FormatText(command, "regsvr32 /s %s\\%s", directory, dll)) {
        StartProgram(program, command, SW_SHOW);
    }
    Sleep(kRegistrationPauseMs);
}

// "regsvr32 /u /s DIR\DLL" when the DLL is there, waited for: its file is deleted right afterwards.
void RunUnregistration(const char* system, const char* directory, const char* dll) {
    char path[kPathCapacity + 16];
    char program[kPathCapacity + 16];
    char arguments[kPathCapacity + 32];
    if (directory[0] == '\0' || system[0] == '\0' || !FormatText(path, "%s\\%s", directory, dll) ||
        GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES || !FormatText(program, "%s\\regsvr32.exe", system) ||
        !FormatText(arguments, "/u /s \"%s\"", path)) {
        return;
    }
    RunAndWait(program, arguments, kUnregistrationTimeoutMs, nullptr);
}

// Deletes a key with its subkeys, in the registry view of its parent (RegDeleteTree is missing
// before Vista). The text service's key is a few levels deep; a deeper tree is left as it is.
bool DeleteKeyTree(HKEY parent, const char* name, REGSAM view, int depth) {
    if (depth > kKeyTreeDepthMax) return false;
    {
        UniqueHKey key;
        if (RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE | view, key.Put()) != ERROR_SUCCESS) return false;
        char child[256];
        DWORD length = sizeof child;
        // Always the first subkey: the one before it has just been deleted.
        while (RegEnumKeyExA(key.Get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
            if (!DeleteKeyTree(key.Get(), child, view, depth + 1)) return false;
            length = sizeof child;
        }
    }
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

void RunBothRegistrations() {
    char directory[kPathCapacity];
    GetWow64SystemDir(directory, sizeof directory);
    RunRegsvr32(directory, kTextService32);
    SystemDirectory(directory, sizeof directory);
    RunRegsvr32(directory, kTextService64);
}

}  // namespace

int FindTextServiceInSortOrder() {
    UniqueHKey order;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSortOrderKey, 0, KEY_READ, order.Put()) != ERROR_SUCCESS) return 0;
    for (int i = 0; i < kSortOrderItems; ++i) {
        char name[16];
        FormatText(name, "%08d", i);
        UniqueHKey item;
        if (RegOpenKeyExA(order.Get(), name, 0, KEY_ALL_ACCESS, item.Put()) != ERROR_SUCCESS) break;
        int examined = ExamineSortOrderItem(item.Get());
        if (examined < 0) return 0;
        if (examined == 1) return i + 1;
    }
    return 0;
}

int RegisterTextService() {
    if (g_state.systemBits == 32) {
        char directory[kPathCapacity];
        SystemDirectory(directory, sizeof directory);
        RunRegsvr32(directory, kTextService32);
        return 1;
    }
    RunBothRegistrations();
    RegisterTextServiceNative();
    return 1;
}

int RegisterTextServiceNative() {
    RedirectionOff off;
    if (off.Active()) RunBothRegistrations();
    return 1;
}

void UnregisterTextService() {
    char system[kPathCapacity];
    char wow64[kPathCapacity];
    SystemDirectory(system, sizeof system);
    GetWow64SystemDir(wow64, sizeof wow64);
    // With the redirection off, the System directory and its regsvr32 are the native ones, which
    // hand a 32-bit DLL on to the 32-bit regsvr32 themselves.
    RunWithoutRedirection([&] {
        RunUnregistration(system, wow64, kTextService32);
        RunUnregistration(system, system, kTextService32);
        RunUnregistration(system, system, kTextService64);
        return 0;
    });
    // What a missing DLL (a partial install) or a failed unregistration left behind.
    for (REGSAM view : kRegistryViews) {
        UniqueHKey tip;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTipParentKey, 0, KEY_READ | view, tip.Put()) == ERROR_SUCCESS) {
            DeleteKeyTree(tip.Get(), kTextServiceClsid, view, 0);
        }
    }
}

bool TextServiceRegistered() {
    for (REGSAM view : kRegistryViews) {
        UniqueHKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTextServiceKey, 0, KEY_READ | view, key.Put()) == ERROR_SUCCESS) {
            return true;
        }
    }
    return false;
}
