// The sort-order test and the regsvr32 runs of the text-service registration.
#include "register/text_service.h"

#include <windows.h>

#include <cstring>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "register/registry_values.h"

namespace {

constexpr int kSortOrderItems = 100;
constexpr std::size_t kClsidChars = 38;
constexpr std::size_t kItemValueCapacity = 46;
// regsvr32 is started and not waited for; the pause gives it time to finish.
constexpr DWORD kRegistrationPauseMs = 2000;

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

// "regsvr32 /s DIR\DLL", shown normally and not waited for, then the pause.
void RunRegsvr32(const char* directory, const char* dll) {
    char command[kPathCapacity + 64];
    if (directory[0] != '\0' && FormatText(command, "regsvr32 /s %s\\%s", directory, dll)) {
        WinExec(command, SW_SHOW);
    }
    Sleep(kRegistrationPauseMs);
}

void RunBothRegistrations() {
    char directory[kPathCapacity];
    GetWow64SystemDir(directory, sizeof directory);
    RunRegsvr32(directory, "quorsrf.dll");
    SystemDirectory(directory, sizeof directory);
    RunRegsvr32(directory, "quorsrf6.dll");
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
        RunRegsvr32(directory, "quorsrf.dll");
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
