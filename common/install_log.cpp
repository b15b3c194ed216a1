// The install and uninstall log (see install_log.h). Every line is written at once, so that a log
// read while the program runs, or after it was ended, holds every step up to then.
#include "common/install_log.h"

#include <windows.h>

#include <cstdarg>

#include "common/ascii_case.h"
#include "common/file_io.h"
#include "common/handles.h"
#include "common/text.h"

namespace {

constexpr char kLogWord[] = "/log=";
constexpr std::size_t kLineCapacity = 4096;

UniqueHandle g_log;
DWORD g_startTicks = 0;

void WriteUtf8(const char* bytes, int length) {
    DWORD written = 0;
    if (length > 0 && !WriteFile(g_log.Get(), bytes, static_cast<DWORD>(length), &written, nullptr)) g_log.Reset();
}

// The line's time, its UTF-16 text and the line end, as UTF-8.
void WriteLineW(const wchar_t* prefix, const wchar_t* text) {
    wchar_t line[kLineCapacity];
    FormatTextW(line, kLineCapacity, L"[%7lu ms] %ls%ls\r\n", GetTickCount() - g_startTicks, prefix, text);
    char utf8[3 * kLineCapacity];
    WriteUtf8(utf8, WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, nullptr, nullptr) - 1);
}

}  // namespace

const char* FindCommandWord(const char* commandLine, const char* lowerWord, bool valueFollows) {
    auto separates = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    for (const char* p = commandLine; *p != '\0'; ++p) {
        if (p > commandLine && !separates(p[-1])) continue;
        std::size_t i = 0;
        while (lowerWord[i] != '\0' && AsciiLower(p[i]) == lowerWord[i]) ++i;
        if (lowerWord[i] == '\0' && (valueFollows || p[i] == '\0' || separates(p[i]))) return p;
    }
    return nullptr;
}

bool FindLogPath(const char* commandLine, char* path, std::size_t capacity) {
    if (const char* p = FindCommandWord(commandLine, kLogWord, true)) {
        const char* start = p + sizeof kLogWord - 1;
        const char* end = start;
        // /LOG="PATH", or the whole word quoted: "/LOG=PATH".
        const bool wordQuoted = p > commandLine && p[-1] == '"';
        if (*start == '"' || wordQuoted) {
            if (*start == '"') ++start;
            for (end = start; *end != '\0' && *end != '"';) ++end;
        } else {
            while (*end != '\0' && *end != ' ' && *end != '\t') ++end;
        }
        char given[MAX_PATH];
        std::size_t length = static_cast<std::size_t>(end - start);
        if (length == 0 || length >= sizeof given) return false;
        for (std::size_t i = 0; i < length; ++i) given[i] = start[i];
        given[length] = '\0';
        DWORD full = GetFullPathNameA(given, static_cast<DWORD>(capacity), path, nullptr);
        return full > 0 && full < capacity;
    }
    return false;
}

bool OpenLog(const char* path) {
    g_log = CreateFileAnew(path);
    g_startTicks = GetTickCount();
    return g_log.Valid();
}

bool LogIsOpen() { return g_log.Valid(); }

void LogLine(const char* format, ...) {
    if (!g_log) return;
    char narrow[kLineCapacity];
    va_list args;
    va_start(args, format);
    FormatTextV(narrow, sizeof narrow, format, args);
    va_end(args);
    wchar_t wide[kLineCapacity];
    if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, kLineCapacity) == 0) wide[0] = L'\0';
    WriteLineW(L"", wide);
}

void LogTextW(const wchar_t* prefix, const wchar_t* text) {
    if (g_log) WriteLineW(prefix, text);
}

std::wstring WidenForLog(const char* text) {
    if (text == nullptr) return std::wstring();
    std::wstring wide(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), L'\0');
    if (!wide.empty()) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
    if (!wide.empty()) wide.pop_back();
    return wide;
}

void CloseLog(int exitCode) {
    LogLine("exit code %d", exitCode);
    g_log.Reset();
}
