// RunWorkingCopy and ScheduleOwnDeletion (see self_copy.h).
#include "uninstall/self_copy.h"

#include <windows.h>

#include <cstring>

#include "common/text.h"
#include "platform/program_run.h"

namespace {

bool OwnPath(char* path, DWORD capacity) {
    DWORD length = GetModuleFileNameA(nullptr, path, capacity);
    return length > 0 && length < capacity;
}

bool TemporaryDirectory(char* path, DWORD capacity) {
    DWORD length = GetTempPathA(capacity, path);
    return length > 0 && length < capacity;
}

}  // namespace

bool RunWorkingCopy(bool silent, int* exitCode) {
    char self[MAX_PATH];
    char temporary[MAX_PATH];
    char copy[MAX_PATH];
    if (!OwnPath(self, sizeof self) || !TemporaryDirectory(temporary, sizeof temporary) ||
        GetTempFileNameA(temporary, "qud", 0, copy) == 0) {
        return false;
    }
    char arguments[32];
    FormatText(arguments, "%s%s", kWorkingCopyWord, silent ? " /S" : "");
    DWORD code = 0;
    bool ran = CopyFileA(self, copy, FALSE) && RunAndWait(copy, arguments, INFINITE, &code);
    if (!DeleteFileA(copy)) MoveFileExA(copy, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (ran) *exitCode = static_cast<int>(code);
    return ran;
}

void ScheduleOwnDeletion() {
    char self[MAX_PATH];
    char temporary[MAX_PATH];
    // Only a copy in the temporary directory: the word alone does not make a program delete itself.
    if (OwnPath(self, sizeof self) && TemporaryDirectory(temporary, sizeof temporary) &&
        _strnicmp(self, temporary, std::strlen(temporary)) == 0) {
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}
