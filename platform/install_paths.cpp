// The install directory, the path files and the target directories of the system copies.
#include "platform/install_paths.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "common/file_io.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"

namespace {

constexpr char kInstallFolder[] = "quorel8\\";

// Windows directory without a trailing backslash; empty when it cannot be had in full.
void WindowsDirectory(char* out, std::size_t capacity) {
    UINT length = GetWindowsDirectoryA(out, static_cast<UINT>(capacity));
    if (length == 0 || length >= capacity) out[0] = '\0';
}

void PathFileInWindowsDir(char* out, std::size_t capacity) {
    char windows[kPathCapacity];
    WindowsDirectory(windows, sizeof windows);
    // Without the Windows directory the path would name the root of the current drive.
    if (windows[0] == '\0' || !FormatText(out, capacity, "%s\\%s", windows, kPathFileName)) out[0] = '\0';
}

}  // namespace

bool ComposeInstallDir(const char* programFiles, char* out, std::size_t capacity) {
    char folder[MAX_PATH + 1];
    if (!CopyText(folder, sizeof folder, programFiles)) {
        out[0] = '\0';
        return false;
    }
    if (char* paren = std::strchr(folder, '(')) *paren = '\0';
    std::size_t length = std::strlen(folder);
    while (length > 0 && (folder[length - 1] == ' ' || folder[length - 1] == '\t')) folder[--length] = '\0';

    const char* separator = (length > 0 && folder[length - 1] != '\\') ? "\\" : "";
    if (!FormatText(out, capacity, "%s%s%s", folder, separator, kInstallFolder)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool GetInstallDir() {
    std::memset(g_state.installDir, 0, sizeof g_state.installDir);
    char programFiles[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE)) {
        CopyText(programFiles, "c:\\Program Files");
    }
    return ComposeInstallDir(programFiles, g_state.installDir, sizeof g_state.installDir);
}

bool InstallDirPath(const char* name, char* path, std::size_t capacity) {
    if (g_state.installDir[0] == '\0') return false;
    return FormatText(path, capacity, "%s%s", g_state.installDir, name);
}

void ReadPathFile(bool intoPrevious) {
    char path[kPathCapacity];
    PathFileInWindowsDir(path, sizeof path);
    if (path[0] == '\0') return;
    UniqueHFile file(_lopen(path, OF_READ));
    if (!file) return;

    char* destination = intoPrevious ? g_state.previousInstallDir : g_state.installDir;
    std::size_t capacity = intoPrevious ? sizeof g_state.previousInstallDir : sizeof g_state.installDir;
    UINT read = _lread(file.Get(), destination, static_cast<UINT>(capacity - 1));
    if (read == static_cast<UINT>(HFILE_ERROR) || read >= capacity) read = 0;
    destination[read] = '\0';
}

void EndInstallDirWithBackslash() {
    std::size_t length = BoundedLength(g_state.installDir, sizeof g_state.installDir);
    if (length > 0 && g_state.installDir[length - 1] != '\\') AppendText(g_state.installDir, "\\");
}

void WritePathFiles() {
    EndInstallDirWithBackslash();
    const char* dir = g_state.installDir;
    std::size_t length = std::strlen(dir);

    char path[kPathCapacity];
    PathFileInWindowsDir(path, sizeof path);
    WriteWholeFile(path, dir, length);

    if (g_state.osMajorVersion < 6) return;
    char folder[kPathCapacity];
    FindFixedDriveFolder(folder, sizeof folder);
    CreateDirectoryA(folder, nullptr);
    // Any user may make the folder before the first install, as a link to another folder too: such a
    // link is replaced by a real folder, and the file goes into nothing else.
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && RemoveDirectoryA(folder)) {
        CreateDirectoryA(folder, nullptr);
    }
    if (folder[0] != '\0' && !IsRealDirectory(folder)) return;
    if (FormatText(path, "%s%s", folder, kPathFileName)) WriteWholeFile(path, dir, length);
}

void FindFixedDriveFolder(char* out, std::size_t capacity) {
    out[0] = '\0';
    static const char* const kRoots[] = {"g:\\", "f:\\", "e:\\", "d:\\", "c:\\"};
    for (const char* root : kRoots) {
        if (GetDriveTypeA(root) == DRIVE_FIXED) {
            if (!FormatText(out, capacity, "%squorel8\\", root)) out[0] = '\0';
            return;
        }
    }
}

void GetWow64SystemDir(char* out, std::size_t capacity) {
    char windows[kPathCapacity];
    WindowsDirectory(windows, sizeof windows);
    if (windows[0] == '\0' || !FormatText(out, capacity, "%s\\syswow64", windows)) out[0] = '\0';
}

void SelectTargetDir(int kind) {
    char* target = g_state.targetDir;
    UINT capacity = sizeof g_state.targetDir;
    UINT length = 0;
    switch (kind) {
        case kTargetWow64System:
            GetWow64SystemDir(g_state.wow64SystemDir, sizeof g_state.wow64SystemDir);
            CopyText(g_state.targetDir, g_state.wow64SystemDir);
            return;
        case kTargetSystem64:
        case kTargetSystem32:
            length = GetSystemDirectoryA(target, capacity);
            break;
        default:
            length = GetWindowsDirectoryA(target, capacity);
            break;
    }
    if (length == 0 || length >= capacity) target[0] = '\0';
}

bool DirectoryExists(const char* path) {
    UniqueHandle handle(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle.Valid();
}
