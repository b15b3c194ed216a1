// The real OS identity facts, linked into the setup program.
#include "platform/os_facts.h"

#include "platform/install_paths.h"

namespace {

// A kernel32 export by name, or nullptr where this system lacks it.
template <typename Function>
Function Kernel32Export(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

}  // namespace

IsWow64ProcessFn OsLookupIsWow64Process() { return Kernel32Export<IsWow64ProcessFn>("IsWow64Process"); }

Wow64DisableRedirectionFn OsLookupWow64DisableRedirection() {
    return Kernel32Export<Wow64DisableRedirectionFn>("Wow64DisableWow64FsRedirection");
}

Wow64RevertRedirectionFn OsLookupWow64RevertRedirection() {
    return Kernel32Export<Wow64RevertRedirectionFn>("Wow64RevertWow64FsRedirection");
}

void OsGetNativeSystemInfo(SYSTEM_INFO* info) { GetNativeSystemInfo(info); }

bool OsWow64DirectoryExists(const char* path) { return DirectoryExists(path); }
