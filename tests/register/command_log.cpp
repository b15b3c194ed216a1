// Reading the stand-ins' command logs.
#include "tests/register/command_log.h"

#include <windows.h>

#include "tests/support/test_support.h"

namespace {

std::vector<std::string> Lines(const char* path) {
    std::vector<std::string> lines;
    auto bytes = ReadFileBytes(path);
    if (!bytes) return lines;
    std::size_t start = 0;
    while (start < bytes->size()) {
        std::size_t end = bytes->find("\r\n", start);
        if (end == std::string::npos) break;
        lines.push_back(bytes->substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace

std::vector<std::string> WaitForLogLines(const char* path, std::size_t count, unsigned timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<std::string> lines = Lines(path);
    while (lines.size() < count && GetTickCount64() < deadline) {
        Sleep(50);
        lines = Lines(path);
    }
    return lines;
}

std::vector<std::string> LogLinesAfterPause(const char* path) {
    Sleep(1500);
    return Lines(path);
}

std::string TestProgramDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory = path;
    return directory.substr(0, directory.find_last_of('\\') + 1);
}
