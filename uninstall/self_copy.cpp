// RunWorkingCopy, ScheduleOwnDeletion and WorkingFolder (see self_copy.h).
#include "uninstall/self_copy.h"

#include <windows.h>

#include <cstring>

#include "common/file_security.h"
#include "common/named_files.h"
#include "common/text.h"
#include "platform/program_run.h"

namespace {

constexpr char kFolderPrefix[] = "qud";
constexpr const char* kCopyName = kUninstaller;
// Names taken already (anyone may make them) are passed over.
constexpr int kFolderAttempts = 16;

bool OwnPath(char* path, DWORD capacity) {
    DWORD length = GetModuleFileNameA(nullptr, path, capacity);
    return length > 0 && length < capacity;
}

bool TemporaryDirectory(char* path, DWORD capacity) {
    DWORD length = GetTempPathA(capacity, path);
    return length > 0 && length < capacity;
}

bool Schedule(const char* path) { return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE; }

// A new folder in the temporary directory, made with its access list.
bool MakeWorkingFolder(char* folder, std::size_t capacity) {
    char temporary[MAX_PATH];
    SecurityAttributes adminsOnly(kAdministratorsOnlySddl);
    if (!TemporaryDirectory(temporary, sizeof temporary) || adminsOnly.Get() == nullptr) return false;
    DWORD seed = (GetCurrentProcessId() << 16) ^ GetTickCount();
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        if (FormatText(folder, capacity, "%s%s%08lX\\", temporary, kFolderPrefix, seed + attempt) &&
            CreateDirectoryA(folder, adminsOnly.Get())) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool RunWorkingCopy(bool silent, const char* logPath, int* exitCode) {
    char self[MAX_PATH];
    char arguments[MAX_PATH + 32];
    if (!OwnPath(self, sizeof self) ||
        !FormatText(arguments, "%s%s%s%s%s", kWorkingCopyWord, silent ? " /S" : "", logPath ? " /LOG=\"" : "",
                    logPath ? logPath : "", logPath ? "\"" : "")) {
        return false;
    }
    char folder[MAX_PATH];
    char copy[MAX_PATH];
    if (!MakeWorkingFolder(folder, sizeof folder)) return false;
    DWORD code = 0;
    bool copied = FormatText(copy, "%s%s", folder, kCopyName) && CopyFileA(self, copy, TRUE);
    bool ran = copied && RunAndWait(copy, arguments, INFINITE, &code);
    if (copied && !DeleteFileA(copy)) Schedule(copy);
    // The started program's file may wait in the folder for the restart: the folder goes after it.
    folder[std::strlen(folder) - 1] = '\0';
    if (!RemoveDirectoryA(folder)) Schedule(folder);
    if (ran) *exitCode = static_cast<int>(code);
    return ran;
}

void ScheduleOwnDeletion() {
    char self[MAX_PATH];
    char folder[MAX_PATH];
    // Only a working copy: the word alone does not make a program delete itself.
    if (WorkingFolder(folder, sizeof folder) && OwnPath(self, sizeof self)) Schedule(self);
}

bool WorkingFolder(char* out, std::size_t capacity) {
    char self[MAX_PATH];
    char temporary[MAX_PATH];
    out[0] = '\0';
    if (!OwnPath(self, sizeof self) || !TemporaryDirectory(temporary, sizeof temporary)) return false;
    // TEMP\qudXXXXXXXX\quordel8.exe
    const std::size_t temporaryLength = std::strlen(temporary);
    const std::size_t folderLength = sizeof kFolderPrefix - 1 + 8 + 1;
    if (std::strlen(self) != temporaryLength + folderLength + std::strlen(kCopyName) ||
        _strnicmp(self, temporary, temporaryLength) != 0 ||
        _strnicmp(self + temporaryLength, kFolderPrefix, sizeof kFolderPrefix - 1) != 0 ||
        self[temporaryLength + folderLength - 1] != '\\' ||
        _stricmp(self + temporaryLength + folderLength, kCopyName) != 0) {
        return false;
    }
    self[temporaryLength + folderLength] = '\0';
    return CopyText(out, capacity, self);
}
