// Times one program from the creation of its process to its exit, as a user's launcher would see it,
// under wine64: the whole silent install of the setup program, or a peer installer.
// Usage: install_timer.exe PROGRAM [ARGUMENTS...]   prints "ms=... exit=..."
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Quoted(const wchar_t* argument) {
    std::wstring text = argument;
    return text.find(L' ') == std::wstring::npos ? text : L"\"" + text + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: install_timer.exe PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    std::wstring commandLine = Quoted(argv[1]);
    for (int i = 2; i < argc; ++i) commandLine += L" " + Quoted(argv[i]);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "install_timer: cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    QueryPerformanceCounter(&stop);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    double ms = static_cast<double>(stop.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    std::printf("ms=%.1f exit=%lu\n", ms, exitCode);
    return 0;
}
