// quordel8.exe, the input method's uninstaller (see README.md): started without words it asks
// before removing anything; "/S" (in any capitals) removes the input method without a question or a
// message and keeps the user's data; "/LOG=PATH" writes what it does into PATH (the working copy
// does, which does the work). The exit codes are those of uninstall_procedure.h.
#include <windows.h>

#include <cstdlib>

#include "common/install_log.h"
#include "common/product.h"
#include "platform/program_run.h"
#include "uninstall/command_words.h"
#include "uninstall/self_copy.h"
#include "uninstall/uninstall_procedure.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LimitLibrarySearch();
    const UninstallWords words = ReadUninstallWords(__argc, __argv);
    // The log's path is made whole before the current directory changes.
    char logPath[MAX_PATH];
    const bool logged = FindLogPath(GetCommandLineA(), logPath, sizeof logPath);
    // The process must not hold a directory of ours as its current one (which keeps it from being
    // removed); the System directory is always there.
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length > 0 && length < sizeof system) SetCurrentDirectoryA(system);

    if (words.workingCopy) {
        ScheduleOwnDeletion();
    } else {
        int exitCode = 0;
        if (RunWorkingCopy(words.silent, logged ? logPath : nullptr, &exitCode)) return exitCode;
    }
    if (logged) OpenLog(logPath);
    LogLine("uninstaller %s, command line: %s", kProductVersion, GetCommandLineA());
    const DWORD version = GetVersion();
    LogLine("Windows %u.%u, %s", LOBYTE(LOWORD(version)), HIBYTE(LOWORD(version)),
            words.silent ? "silent: no question, no message, the user's data kept" : "asking");
    const int exitCode = RunUninstall(words.silent);
    CloseLog(exitCode);
    return exitCode;
}
