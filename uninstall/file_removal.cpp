// RemoveOwnFile, RemoveUninstallerFile and RemoveOwnDirectory (see file_removal.h).
#include "uninstall/file_removal.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>

#include "common/file_io.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/text.h"
#include "platform/file_clearing.h"
#include "uninstall/self_copy.h"

namespace {

bool Schedule(const char* path) {
    bool scheduled = MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    LogLine("%s %s", scheduled ? "to be deleted at the restart:" : "could not be deleted:", path);
    return scheduled;
}

// Clears the way for a move: an earlier file under the aside name goes first. False when it stays.
bool ClearAsideName(const char* aside) {
    return GetFileAttributesA(aside) == INVALID_FILE_ATTRIBUTES || (IsPlainFile(aside) && RemoveName(aside));
}

// True when nothing more is to be done: no plain file of ours stands at the name, or it was removed
// at once (and counted).
bool DoneAtOnce(const char* path, RemovalTally* tally) {
    if (!IsPlainFile(path)) return true;
    if (!RemoveName(path)) return false;
    LogLine("removed %s", path);
    ++tally->removed;
    return true;
}

}  // namespace

bool IsPlainFile(const char* path) { return OpenPlainFile(path).Valid(); }

void RemoveOwnFile(const char* path, RemovalTally* tally) {
    if (DoneAtOnce(path, tally)) return;
    char aside[MAX_PATH];
    for (char digit : {'2', '1'}) {
        // A file under an aside name of its own has nowhere further to go.
        if (!AsideName(path, digit, aside, sizeof aside) || std::strcmp(aside, path) == 0) continue;
        if (ClearAsideName(aside) && MoveFileExA(path, aside, 0)) {
            LogLine("in use, moved aside: %s to %s", path, aside);
            if (Schedule(aside)) ++tally->scheduled;
            return;
        }
    }
    if (Schedule(path)) ++tally->scheduled;
}

void RemoveUninstallerFile(const char* path, RemovalTally* tally) {
    if (DoneAtOnce(path, tally)) return;
    // The working copy's own folder, which only administrators may use; else the temporary directory.
    char folder[MAX_PATH];
    char moved[MAX_PATH];
    if (!WorkingFolder(folder, sizeof folder)) {
        DWORD length = GetTempPathA(sizeof folder, folder);
        if (length == 0 || length >= sizeof folder) folder[0] = '\0';
    }
    // GetTempFileNameA makes the file, which the move then replaces.
    if (folder[0] != '\0' && GetTempFileNameA(folder, "qud", 0, moved) != 0) {
        if (MoveFileExA(path, moved, MOVEFILE_REPLACE_EXISTING)) {
            LogLine("running, moved away: %s to %s", path, moved);
            Schedule(moved);
            return;
        }
        DeleteFileA(moved);
    }
    Schedule(path);
}

void RemoveOwnDirectory(const char* path, bool filesScheduledInside) {
    char directory[kPathCapacity];
    if (!CopyText(directory, path)) return;
    std::size_t length = std::strlen(directory);
    if (length > 3 && directory[length - 1] == '\\') directory[length - 1] = '\0';
    if (!IsRealDirectory(directory) || RemoveDirectoryA(directory)) return;
    if (filesScheduledInside) Schedule(directory);
}
