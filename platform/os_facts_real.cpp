// The real OS identity facts, linked into the setup program.
#include "platform/os_facts.h"

#include "platform/install_paths.h"

IsWow64ProcessFn OsLookupIsWow64Process() {
    HMODULE kernel = GetModuleHandleA("kernel32");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
}

Wow64DisableRedirectionFn OsLookupWow64DisableRedirection() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Wow64DisableRedirectionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
}

Wow64RevertRedirectionFn OsLookupWow64RevertRedirection() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Wow64RevertRedirectionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
}

void OsGetNativeSystemInfo(SYSTEM_INFO* info) { GetNativeSystemInfo(info); }

bool OsWow64DirectoryExists(const char* path) { return DirectoryExists(path); }
