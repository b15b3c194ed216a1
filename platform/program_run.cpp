// Program starts and the library search (see program_run.h).
#include "platform/program_run.h"

#include <cstring>

#include "common/handles.h"
#include "common/install_log.h"
#include "common/text.h"

namespace {

constexpr std::size_t kCommandLineCapacity = 2 * MAX_PATH + 64;
// WinExec gives a started program this long to become ready for input.
constexpr DWORD kReadyTimeoutMs = 30000;
constexpr DWORD kPipeChunk = 4096;

template <typename Function>
Function Kernel32Function(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

// CreateProcessA may write into the command line, so it is given a copy of its own. Each start goes to
// the log with the program and its command line.
bool Start(const char* program, const char* commandLine, STARTUPINFOA* startup, BOOL inheritHandles,
           PROCESS_INFORMATION* info) {
    char line[kCommandLineCapacity];
    bool started = CopyText(line, commandLine) &&
                   CreateProcessA(program, line, nullptr, nullptr, inheritHandles, 0, nullptr, nullptr, startup, info);
    LogLine("%s %s: %s", started ? "started" : "could not start", program, commandLine);
    return started;
}

// Appends the text-mode form of a chunk (CR LF as LF), dropping what does not fit.
void AppendAsText(const char* chunk, DWORD size, bool* pendingReturn, char* output, std::size_t capacity,
                  std::size_t* length) {
    for (DWORD i = 0; i < size; ++i) {
        char c = chunk[i];
        if (*pendingReturn && c != '\n' && *length + 1 < capacity) output[(*length)++] = '\r';
        *pendingReturn = c == '\r';
        if (*pendingReturn) continue;
        if (*length + 1 < capacity) output[(*length)++] = c;
    }
    output[*length] = '\0';
}

// Whether the program file is built for the console subsystem (its PE header says so).
bool IsConsoleProgram(const char* program) {
    constexpr DWORD kHeaderBytes = 1024;
    constexpr DWORD kPeHeaderOffset = 0x3C;
    constexpr DWORD kSubsystemOffset = 4 + 20 + 68;  // signature, file header, then the field itself
    UniqueHandle file(CreateFileA(program, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  0, nullptr));
    unsigned char header[kHeaderBytes];
    DWORD read = 0;
    if (!file || !ReadFile(file.Get(), header, sizeof header, &read, nullptr) || read < kPeHeaderOffset + 4) {
        return false;
    }
    DWORD pe = header[kPeHeaderOffset] | header[kPeHeaderOffset + 1] << 8 | header[kPeHeaderOffset + 2] << 16 |
               static_cast<DWORD>(header[kPeHeaderOffset + 3]) << 24;
    if (read < kSubsystemOffset + 2 || pe > read - kSubsystemOffset - 2 || std::memcmp(header + pe, "PE\0\0", 4) != 0) {
        return false;
    }
    WORD subsystem = static_cast<WORD>(header[pe + kSubsystemOffset] | header[pe + kSubsystemOffset + 1] << 8);
    return subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace

void LimitLibrarySearch() {
    using SetDefaultFunction = BOOL(WINAPI*)(DWORD);
    using SetDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
    // Both are looked up by name: the first came with an update of Windows 7, the second with XP SP1.
    auto setDefault = Kernel32Function<SetDefaultFunction>("SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    auto setDirectory = Kernel32Function<SetDirectoryFunction>("SetDllDirectoryW");
    if (setDirectory != nullptr) setDirectory(L"");
}

bool SystemProgramPath(const char* name, char* path, std::size_t capacity) {
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    return length > 0 && length < sizeof system && FormatText(path, capacity, "%s\\%s", system, name);
}

bool StartProgram(const char* program, const char* commandLine, WORD show) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION info{};
    if (!Start(program, commandLine, &startup, FALSE, &info)) return false;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    // Windows returns at once for a console program, which has no input to become ready for; Wine
    // waits for its end instead, which would make the start of icacls cost its whole run.
    if (!IsConsoleProgram(program)) WaitForInputIdle(process.Get(), kReadyTimeoutMs);
    return true;
}

bool RunAndWait(const char* program, const char* arguments, DWORD timeoutMs, DWORD* exitCode) {
    char commandLine[kCommandLineCapacity];
    if (!FormatText(commandLine, "\"%s\" %s", program, arguments)) return false;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!Start(program, commandLine, &startup, FALSE, &info)) return false;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        LogLine("still running after %lu ms: %s", timeoutMs, program);
        return false;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) return false;
    LogLine("ended with %lu: %s", code, program);
    if (exitCode != nullptr) *exitCode = code;
    return true;
}

bool CaptureProgramOutput(const char* program, const char* commandLine, char* output, std::size_t capacity) {
    if (capacity == 0) return false;
    output[0] = '\0';
    // Only the pipe's writing end is passed on to the program.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueHandle readEnd;
    UniqueHandle writeEnd;
    if (!CreatePipe(readEnd.Put(), writeEnd.Put(), &inheritable, 0) ||
        !SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) {
        return false;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    bool started = Start(program, commandLine, &startup, TRUE, &info);
    // The program holds its own end now: the pipe ends when the program's output does.
    writeEnd.Reset();
    if (!started) return false;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);

    char chunk[kPipeChunk];
    std::size_t length = 0;
    bool pendingReturn = false;
    DWORD read = 0;
    while (ReadFile(readEnd.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        AppendAsText(chunk, read, &pendingReturn, output, capacity, &length);
    }
    // A carriage return at the very end stands alone.
    if (pendingReturn && length + 1 < capacity) {
        output[length++] = '\r';
        output[length] = '\0';
    }
    WaitForSingleObject(process.Get(), INFINITE);
    return true;
}
