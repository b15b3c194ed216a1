// Shared by the stand-ins of system programs: appends the command line the program was started with
// to a log under C:\quortest\, one line per start, so that a test can see exactly what was run.
#pragma once

#include <windows.h>

#include <cstring>

inline void AppendCommandLineToLog(const char* logPath) {
    CreateDirectoryA("C:\\quortest", nullptr);
    const char* commandLine = GetCommandLineA();
    // Two stand-ins may start side by side: retry while the other holds the log.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log == INVALID_HANDLE_VALUE) {
            Sleep(10);
            continue;
        }
        DWORD written = 0;
        WriteFile(log, commandLine, static_cast<DWORD>(std::strlen(commandLine)), &written, nullptr);
        WriteFile(log, "\r\n", 2, &written, nullptr);
        CloseHandle(log);
        return;
    }
}
