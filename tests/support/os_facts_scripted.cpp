// Scripted OS identity facts (see os_facts_scripted.h).
#include "tests/support/os_facts_scripted.h"

#include "platform/install_paths.h"
#include "platform/os_facts.h"

ScriptedOsFacts g_osFacts;

namespace {

// The real kernel32 export unscripted; the scripted function, or none, when scripted.
template <typename Function>
Function Answer(const char* name, bool present, Function scripted) {
    if (g_osFacts.scripted) return present ? scripted : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace

IsWow64ProcessFn OsLookupIsWow64Process() {
    return Answer<IsWow64ProcessFn>("IsWow64Process", g_osFacts.hasIsWow64Process, [](HANDLE, PBOOL answer) -> BOOL {
        *answer = g_osFacts.isWow64Process;
        return TRUE;
    });
}

Wow64DisableRedirectionFn OsLookupWow64DisableRedirection() {
    return Answer<Wow64DisableRedirectionFn>("Wow64DisableWow64FsRedirection", g_osFacts.hasRedirectionFunctions,
                                             [](PVOID* old) -> BOOL {
                                                 ++g_osFacts.disableCalls;
                                                 *old = g_osFacts.redirectionToken;
                                                 return g_osFacts.disableResult;
                                             });
}

Wow64RevertRedirectionFn OsLookupWow64RevertRedirection() {
    return Answer<Wow64RevertRedirectionFn>("Wow64RevertWow64FsRedirection", g_osFacts.hasRedirectionFunctions,
                                            [](PVOID old) -> BOOL {
                                                ++g_osFacts.revertCalls;
                                                g_osFacts.revertedWith = old;
                                                return TRUE;
                                            });
}

void OsGetNativeSystemInfo(SYSTEM_INFO* info) {
    GetNativeSystemInfo(info);
    if (g_osFacts.scripted) info->wProcessorArchitecture = g_osFacts.nativeArchitecture;
}

bool OsWow64DirectoryExists(const char* path) {
    return g_osFacts.scripted ? g_osFacts.wow64DirectoryExists : DirectoryExists(path);
}

void ScriptWow64Process() { g_osFacts = ScriptedOsFacts{.scripted = true, .isWow64Process = TRUE}; }

void Script32BitSystem() {
    g_osFacts = ScriptedOsFacts{.scripted = true, .disableResult = FALSE,
                                .nativeArchitecture = PROCESSOR_ARCHITECTURE_INTEL, .wow64DirectoryExists = false};
}

void UnscriptOsFacts() { g_osFacts = ScriptedOsFacts{}; }
