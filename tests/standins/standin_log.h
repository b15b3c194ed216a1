// Shared by the stand-ins of system programs: appends the command line the program was started with
// to a log under C:\quortest\, one line per start, so that a test can see exactly what was run.
#pragma once

#include <share.h>
#include <windows.h>

#include <cstdio>

inline void AppendCommandLineToLog(const char* logPath) {
    CreateDirectoryA("C:\\quortest", nullptr);
    // Two stand-ins may start side by side: the log is opened without write sharing, and opened again
    // while the other holds it.
    for (int attempt = 0; attempt < 200; ++attempt, Sleep(10)) {
        if (FILE* log = _fsopen(logPath, "ab", _SH_DENYWR)) {
            std::fprintf(log, "%s\r\n", GetCommandLineA());
            std::fclose(log);
            return;
        }
    }
}
