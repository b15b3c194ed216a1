// Scripted OS identity facts (see os_facts_scripted.h).
#include "tests/support/os_facts_scripted.h"

#include "platform/install_paths.h"
#include "platform/os_facts.h"

ScriptedOsFacts g_osFacts;

namespace {

BOOL WINAPI ScriptedIsWow64Process(HANDLE, PBOOL answer) {
    *answer = g_osFacts.isWow64Process;
    return TRUE;
}

BOOL WINAPI ScriptedDisable(PVOID* old) {
    ++g_osFacts.disableCalls;
    *old = g_osFacts.redirectionToken;
    return g_osFacts.disableResult;
}

BOOL WINAPI ScriptedRevert(PVOID old) {
    ++g_osFacts.revertCalls;
    g_osFacts.revertedWith = old;
    return TRUE;
}

FARPROC RealKernelFunction(const char* module, const char* name) {
    HMODULE kernel = GetModuleHandleA(module);
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

template <typename Fn>
Fn Cast(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

}  // namespace

IsWow64ProcessFn OsLookupIsWow64Process() {
    if (!g_osFacts.scripted) return Cast<IsWow64ProcessFn>(RealKernelFunction("kernel32", "IsWow64Process"));
    return g_osFacts.hasIsWow64Process ? ScriptedIsWow64Process : nullptr;
}

Wow64DisableRedirectionFn OsLookupWow64DisableRedirection() {
    if (!g_osFacts.scripted) {
        return Cast<Wow64DisableRedirectionFn>(RealKernelFunction("kernel32.dll", "Wow64DisableWow64FsRedirection"));
    }
    return g_osFacts.hasRedirectionFunctions ? ScriptedDisable : nullptr;
}

Wow64RevertRedirectionFn OsLookupWow64RevertRedirection() {
    if (!g_osFacts.scripted) {
        return Cast<Wow64RevertRedirectionFn>(RealKernelFunction("kernel32.dll", "Wow64RevertWow64FsRedirection"));
    }
    return g_osFacts.hasRedirectionFunctions ? ScriptedRevert : nullptr;
}

void OsGetNativeSystemInfo(SYSTEM_INFO* info) {
    GetNativeSystemInfo(info);
    if (g_osFacts.scripted) info->wProcessorArchitecture = g_osFacts.nativeArchitecture;
}

bool OsWow64DirectoryExists(const char* path) {
    if (g_osFacts.scripted) return g_osFacts.wow64DirectoryExists;
    return DirectoryExists(path);
}

void ScriptWow64Process() {
    g_osFacts = ScriptedOsFacts{};
    g_osFacts.scripted = true;
    g_osFacts.isWow64Process = TRUE;
}

void Script32BitSystem() {
    g_osFacts = ScriptedOsFacts{};
    g_osFacts.scripted = true;
    g_osFacts.isWow64Process = FALSE;
    g_osFacts.hasRedirectionFunctions = true;
    g_osFacts.disableResult = FALSE;
    g_osFacts.nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    g_osFacts.wow64DirectoryExists = false;
}

void UnscriptOsFacts() { g_osFacts = ScriptedOsFacts{}; }
