// The OS identity facts that the program asks for by name at run time: the WOW64 process query,
// the WOW64 redirection switch, the native architecture and the existence of the WOW64 system
// directory. The setup program links the real answers (os_facts_real.cpp); test programs link a
// scripted version instead, to reach the 32-bit-system and WOW64 paths that a 64-bit process under
// wine64 cannot. Nothing here can be changed from outside the process.
#pragma once

#include <windows.h>

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using Wow64DisableRedirectionFn = BOOL(WINAPI*)(PVOID*);
using Wow64RevertRedirectionFn = BOOL(WINAPI*)(PVOID);

// Looked up afresh at every call, as the functions may be absent (older systems); nullptr if absent.
IsWow64ProcessFn OsLookupIsWow64Process();
Wow64DisableRedirectionFn OsLookupWow64DisableRedirection();
Wow64RevertRedirectionFn OsLookupWow64RevertRedirection();

void OsGetNativeSystemInfo(SYSTEM_INFO* info);

// Whether the WOW64 system directory (the Windows directory followed by \syswow64) exists.
bool OsWow64DirectoryExists(const char* path);
