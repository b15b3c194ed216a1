// The names of what an install places, and where (see installed_files.h).
#include "uninstall/installed_files.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <initializer_list>

#include "archive/user_backup.h"
#include "common/file_io.h"
#include "common/file_security.h"
#include "common/install_state.h"
#include "common/named_files.h"
#include "common/text.h"
#include "platform/file_clearing.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"

namespace {

// The payload's members, in packing order, generated from the member list the payload is made of.
constexpr const char* kPayloadMembers[] = {
#include "payload_members.inc"
};

constexpr char kInstallFolder[] = "\\quorel8\\";
constexpr char kSubdirectory[] = "filer\\";
constexpr const char* kSystemCopies[] = {kImeFile, kTextService32, kTextService64};

// Removes dir\name, and for a program its aside copies, counting into tally.
void RemoveNamed(const char* dir, const char* name, bool program, RemovalTally* tally) {
    char path[kPathCapacity];
    if (!FormatText(path, "%s%s", dir, name)) return;
    if (std::strcmp(name, kUninstaller) == 0) {
        RemoveUninstallerFile(path, tally);
    } else {
        RemoveOwnFile(path, tally);
    }
    if (!program) return;
    char aside[kPathCapacity];
    for (char digit : {'2', '1'}) {
        if (AsideName(path, digit, aside, sizeof aside) && std::strcmp(aside, path) != 0) RemoveOwnFile(aside, tally);
    }
}

// Calls action(name) for every name of the install directory that is ours and not kept.
template <typename Action>
void ForEachOwnName(bool keepData, Action&& action) {
    for (const char* name : kPayloadMembers) {
        if (!keepData || !IsKeptUserFile(name)) action(name);
    }
    // What the setup writes besides the members: the settings and user files, the backup archive,
    // the phrase data, the skin's files, and the backup copies of the user's data files.
    for (const NamedFile& file : kNamedFiles) {
        if ((file.uses & kWrittenBySetup) && (!keepData || !IsKeptUserFile(file.name))) action(file.name);
    }
    for (const BackupRow& row : kBackupRows) {
        if (row.copiedTo != nullptr) action(row.copiedTo);
    }
}

// The two directories that hold system copies, without a trailing backslash: the System directory
// and the WOW64 system directory (which 32-bit Windows does not have). Empty when not to be had.
void SystemDirectories(char (*dirs)[kPathCapacity]) {
    UINT length = GetSystemDirectoryA(dirs[0], kPathCapacity);
    if (length == 0 || length >= kPathCapacity) dirs[0][0] = '\0';
    GetWow64SystemDir(dirs[1], kPathCapacity);
}

// Whether dir ends with "\quorel8\", that backslash starting a character of its own (the trail byte of
// a double-byte character may be 0x5C).
bool EndsWithInstallFolder(const char* dir, std::size_t length) {
    const std::size_t folderLength = sizeof kInstallFolder - 1;
    if (length <= folderLength || _stricmp(dir + length - folderLength, kInstallFolder) != 0) return false;
    const char* p = dir;
    while (*p != '\0' && p < dir + length - folderLength) p = CharNextA(p);
    return p == dir + length - folderLength;
}

}  // namespace

bool ChooseInstallDir(char* out, std::size_t capacity, bool* recorded) {
    ReadPathFile(true);
    const char* earlier = g_state.previousInstallDir;
    std::size_t length = BoundedLength(earlier, sizeof g_state.previousInstallDir);
    *recorded = length < kPathCapacity && std::isalpha(static_cast<unsigned char>(earlier[0])) && earlier[1] == ':' &&
                earlier[2] == '\\' && EndsWithInstallFolder(earlier, length) && IsRealDirectory(earlier);
    if (*recorded) return CopyText(out, capacity, earlier);
    out[0] = '\0';
    return GetInstallDir() && CopyText(out, capacity, g_state.installDir);
}

bool IsKeptUserFile(const char* name) {
    return IsBackedUpUserFile(name) || std::strcmp(name, kUserRecordFile) == 0;
}

bool InstallDirHoldsOwnFiles(const char* dir) {
    bool found = false;
    ForEachOwnName(true, [&](const char* name) {
        char path[kPathCapacity];
        if (!found && FormatText(path, "%s%s", dir, name)) found = IsPlainFile(path);
    });
    return found;
}

void RemoveInstallDirFiles(const char* dir, bool keepData, RemovalTally* tally) {
    const int scheduledBefore = tally->scheduled;
    // Programs and libraries are what may be in use, and so what may have been moved aside.
    ForEachOwnName(keepData, [&](const char* name) { RemoveNamed(dir, name, IsProgramName(name), tally); });
    char subdirectory[kPathCapacity];
    if (FormatText(subdirectory, "%s%s", dir, kSubdirectory)) RemoveOwnDirectory(subdirectory, false);
    RemoveOwnDirectory(dir, tally->scheduled > scheduledBefore);
}

bool SystemCopiesPresent() {
    char dirs[2][kPathCapacity];
    SystemDirectories(dirs);
    return RunWithoutRedirection([&] {
        for (const char* dir : dirs) {
            for (const char* name : kSystemCopies) {
                char path[kPathCapacity];
                if (dir[0] != '\0' && FormatText(path, "%s\\%s", dir, name) && IsPlainFile(path)) return true;
            }
        }
        return false;
    });
}

void RemoveSystemCopies(RemovalTally* tally) {
    char dirs[2][kPathCapacity];
    SystemDirectories(dirs);
    RunWithoutRedirection([&] {
        for (const char* dir : dirs) {
            char folder[kPathCapacity];
            if (dir[0] == '\0' || !FormatText(folder, "%s\\", dir)) continue;
            for (const char* name : kSystemCopies) RemoveNamed(folder, name, true, tally);
        }
        return 0;
    });
    char windows[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    char path[kPathCapacity];
    if (length == 0 || length >= sizeof windows || !FormatText(path, "%s\\quordel8.exe", windows)) return;
    for (char digit : {'2', '1'}) {
        char aside[kPathCapacity];
        if (AsideName(path, digit, aside, sizeof aside)) RemoveOwnFile(aside, tally);
    }
}

void RemovePathFiles(RemovalTally* tally) {
    char windows[kPathCapacity];
    char path[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length > 0 && length < sizeof windows && FormatText(path, "%s\\%s", windows, kPathFileName)) {
        RemoveOwnFile(path, tally);
    }
    char folder[kPathCapacity];
    FindFixedDriveFolder(folder, sizeof folder);
    if (folder[0] == '\0' || !IsRealDirectory(folder)) return;
    if (FormatText(path, "%s%s", folder, kPathFileName)) RemoveOwnFile(path, tally);
    RemoveOwnDirectory(folder, false);
}
