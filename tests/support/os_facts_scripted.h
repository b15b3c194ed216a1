// Scripted OS identity facts for in-process tests: the WOW64 process flag, the redirection switch,
// the native architecture and the existence of the WOW64 system directory. Linked into test
// programs in place of the real answers; unscripted, every answer is the real one.
#pragma once

#include <windows.h>

struct ScriptedOsFacts {
    bool scripted = false;  // false: every answer comes from the system

    bool hasIsWow64Process = true;
    BOOL isWow64Process = FALSE;

    bool hasRedirectionFunctions = true;
    BOOL disableResult = TRUE;
    PVOID redirectionToken = reinterpret_cast<PVOID>(0x5A5A);  // stored by the scripted disable

    WORD nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    bool wow64DirectoryExists = true;

    // What the code under test did.
    int disableCalls = 0;
    int revertCalls = 0;
    PVOID revertedWith = nullptr;
};

extern ScriptedOsFacts g_osFacts;

// Scripts a 32-bit process on 64-bit Windows, a 32-bit system, or unscripted (real) answers.
void ScriptWow64Process();
void Script32BitSystem();
void UnscriptOsFacts();
