// Verification of the text-service install and the category registrations.
#include "install/text_service_check.h"

#include <windows.h>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/named_files.h"
#include "common/text.h"
#include "deploy/dir_security.h"
#include "deploy/system_copy.h"
#include "platform/install_paths.h"
#include "register/registry_values.h"
#include "register/text_service.h"

namespace {

// Categories that the DLLs' own registration must have made, in the order they are tested (error
// codes 1, 2, 3; code 0 is the text-service key itself).
constexpr const char* kTestedCategories[] = {
    "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",  // immersive support
    "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",  // system tray support
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}",  // keyboard text service
};

// Categories added here, in this order.
constexpr const char* kAddedCategories[] = {
    "{046B8C80-1647-40F7-9B21-B93B81AABC1B}",  // display attribute provider
    "{364215D9-75BC-11D7-A6EF-00065B84435C}",  // COM-less
    "{49D2F9CE-1F5E-11D7-A6D3-00065B84435C}",  // secure mode
    "{49D2F9CF-1F5E-11D7-A6D3-00065B84435C}",  // UI element enabled
    "{CCF05DD7-4A87-11D7-A6E2-00065B84435C}",  // input mode compartment
};

constexpr std::size_t kKeyPathCapacity = 300;

void ShowHookMessage(int errorCode) {
    FormatText(g_state.messageText, "系统%d位dll文件没有挂接成功(err=%d)！，请退出安装程序重新安装！", 32, errorCode);
    ShowMessageA(g_state.messageText, kCaptionSetupWubi, MB_OK);
}

// The text-service DLL copies, by the system bitness they belong to.
struct DllCopy {
    int systemBits;
    const char* name;
    int kind;
};
constexpr DllCopy kDllCopies[] = {
    {32, kTextService32, kTargetSystem32},
    {64, kTextService32, kTargetWow64System},
    {64, kTextService64, kTargetSystem64},
};

// The DLL copies of this system bitness: false, after the copy message, at the first that differs
// from the install directory's or is missing.
bool CopiesMatch() {
    const int bits = g_state.systemBits == 32 ? 32 : 64;
    for (const DllCopy& copy : kDllCopies) {
        if (copy.systemBits != bits) continue;
        if (CompareDeployedFile(copy.name, copy.name, copy.kind) != kCompareSame) {
            ShowCopyFailedMessage(copy.name);
            return false;
        }
    }
    return true;
}

// -1 when every key the registration must have made exists; else the code of the first missing one
// (0: the text service's own key, 1 on: the categories in order).
int FirstMissingKey() {
    if (!KeyExists(HKEY_LOCAL_MACHINE, kTextServiceKey)) return 0;
    int code = 1;
    for (const char* category : kTestedCategories) {
        char path[kKeyPathCapacity];
        if (!FormatText(path, "%s\\Category\\Item\\%s\\%s", kTextServiceKey, kTextServiceClsid, category) ||
            !KeyExists(HKEY_LOCAL_MACHINE, path)) {
            return code;
        }
        ++code;
    }
    return -1;
}

}  // namespace

void VerifyTextServiceInstall() {
    if (g_state.interfaceChoice != kInterfaceImm && !CopiesMatch()) return;
    CheckTextServiceCategories();
}

void CheckTextServiceCategories() {
    if (g_state.interfaceChoice != kInterfaceTsf || !g_state.isWindows10) {
        LaunchAtBasicTrust();
        return;
    }
    int missing = FirstMissingKey();
    if (missing >= 0) {
        ShowHookMessage(missing);
        return;
    }
    for (const char* category : kAddedCategories) AddTextServiceCategory(category);
    LaunchAtBasicTrust();
}

void AddTextServiceCategory(const char* category) {
    char parent[kKeyPathCapacity];
    if (FormatText(parent, "%s\\Category\\Category", kTextServiceKey)) CreateSubkeyUnder(parent, category);
    if (FormatText(parent, "%s\\Category\\Category\\%s", kTextServiceKey, category)) {
        CreateSubkeyUnder(parent, kTextServiceClsid);
    }
    if (FormatText(parent, "%s\\Category\\Item\\%s", kTextServiceKey, kTextServiceClsid)) {
        CreateSubkeyUnder(parent, category);
    }
}

void CreateSubkeyUnder(const char* parent, const char* name) {
    UniqueHKey parentKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_READ, parentKey.Put()) != ERROR_SUCCESS) return;
    UniqueHKey created;
    RegCreateKeyExA(parentKey.Get(), name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, created.Put(), nullptr);
}
