// WOW64, redirection and the bitness and version of the system.
#include "platform/os_info.h"

#include <cstring>

#include "common/install_state.h"
#include "platform/install_paths.h"
#include "platform/os_facts.h"

bool IsWow64() {
    IsWow64ProcessFn isWow64Process = OsLookupIsWow64Process();
    if (isWow64Process == nullptr) return false;
    BOOL answer = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &answer)) return false;
    return answer != FALSE;
}

BOOL DisableFsRedirection(PVOID* old) {
    Wow64DisableRedirectionFn disable = OsLookupWow64DisableRedirection();
    if (disable == nullptr) return 0;
    return disable(old);
}

void RevertFsRedirection(PVOID old) {
    Wow64RevertRedirectionFn revert = OsLookupWow64RevertRedirection();
    if (revert != nullptr) revert(old);
}

bool Is64BitSystem() {
    g_state.osMajorVersion = 0;
    // The size field names the extended structure (156 bytes), so the extended structure is what
    // the system may fill.
    OSVERSIONINFOEXA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
    g_state.osMajorVersion = info.dwMajorVersion;
    if (g_state.osMajorVersion <= 5) return false;

    GetWow64SystemDir(g_state.wow64SystemDir, sizeof g_state.wow64SystemDir);
    return g_state.wow64SystemDir[0] != '\0' && OsWow64DirectoryExists(g_state.wow64SystemDir);
}

int GetSystemBits() {
    DWORD version = GetVersion();
    g_state.versionCode = static_cast<std::uint16_t>((version & 0xFF) * 10 + ((version >> 8) & 0xFF));
    if (g_state.versionCode < 60) return 32;

    g_state.isWow64Process = IsWow64() ? 1 : 0;
    SYSTEM_INFO info;
    std::memset(&info, 0, sizeof info);
    OsGetNativeSystemInfo(&info);
    WORD architecture = info.wProcessorArchitecture;
    return (architecture == PROCESSOR_ARCHITECTURE_AMD64 || architecture == PROCESSOR_ARCHITECTURE_IA64) ? 64 : 32;
}
