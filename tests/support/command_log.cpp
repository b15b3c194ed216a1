// Reading the stand-ins' command logs.
#include "tests/support/command_log.h"

#include "tests/support/test_support.h"

std::vector<std::string> WaitForLogLines(const char* path, std::size_t count, unsigned timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;; Sleep(50)) {
        // Only complete lines: one still being written has no CR LF yet.
        std::vector<std::string> lines;
        std::string bytes = ReadFileBytes(path).value_or("");
        for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
            lines.push_back(bytes.substr(start, end - start));
        }
        if (lines.size() >= count || GetTickCount64() >= deadline) return lines;
    }
}

std::vector<std::string> LogLinesAfterPause(const char* path) {
    Sleep(1500);
    return WaitForLogLines(path, 0);
}

std::vector<std::wstring> ProgramLogW(const std::string& path) {
    std::vector<std::wstring> lines;
    const std::string bytes = ReadFileBytes(path).value_or("");
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = bytes.substr(start, end - start);
        line = line.substr(line.find("] ") == std::string::npos ? 0 : line.find("] ") + 2);
        std::wstring wide(line.size() + 1, L'\0');
        wide.resize(MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide.data(), static_cast<int>(wide.size())));
        if (!wide.empty()) wide.pop_back();
        lines.push_back(wide);
    }
    return lines;
}

std::vector<std::string> ProgramLog(const std::string& path) {
    std::vector<std::string> lines;
    for (const std::wstring& wide : ProgramLogW(path)) {
        std::string narrow(3 * wide.size() + 1, '\0');
        narrow.resize(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), static_cast<int>(narrow.size()),
                                          nullptr, nullptr));
        if (!narrow.empty()) narrow.pop_back();
        lines.push_back(narrow);
    }
    return lines;
}

std::string TestProgramDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory = path;
    return directory.substr(0, directory.find_last_of('\\') + 1);
}
