// Starting a program and waiting for it to end, for the steps that must not go on before it has
// finished (unregistering a DLL before its file is deleted, the uninstaller's working copy).
#pragma once

#include <windows.h>

// Starts program (a full path, so that no search can pick another file of that name) with the
// arguments and waits up to timeoutMs for it to end. True when it ended, with its exit code in
// *exitCode when that is given; false when it could not be started or is still running.
bool RunAndWait(const char* program, const char* arguments, DWORD timeoutMs, DWORD* exitCode);
