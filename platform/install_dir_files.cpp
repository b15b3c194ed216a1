// The file helpers of the install directory (see install_dir_files.h).
#include "platform/install_dir_files.h"

#include <windows.h>

#include <cstdio>

#include "common/file_io.h"
#include "platform/file_clearing.h"
#include "platform/install_paths.h"

namespace {

// A file's path in the install directory; empty when there is none or it does not fit. MAX_PATH is
// what the narrow file functions take, room for any install directory and member name.
struct InstalledPath {
    explicit InstalledPath(const char* name) {
        if (!InstallDirPath(name, text, sizeof text)) text[0] = '\0';
    }
    explicit operator bool() const { return text[0] != '\0'; }
    char text[MAX_PATH];
};

}  // namespace

bool CopyInstalled(const char* from, const char* to) {
    InstalledPath source(from);
    return source && CopyIntoInstallDir(source.text, to);
}

bool CopyIntoInstallDir(const char* sourcePath, const char* name) {
    InstalledPath target(name);
    return target && CopyWholeFile(sourcePath, target.text);
}

bool RenameInstalled(const char* from, const char* to) {
    InstalledPath source(from);
    InstalledPath target(to);
    if (!source || !target) return false;
    // A link is never moved: under Wine the move would carry its target along into the folder. (The
    // examining handle is closed first: while open, it keeps the name from being moved.)
    if (!OpenPlainFile(source.text)) return false;
    return std::rename(source.text, target.text) == 0;
}

bool RemoveInstalled(const char* name) {
    InstalledPath path(name);
    return path && RemoveName(path.text);
}

bool ForceDeleteInstalled(const char* name) {
    InstalledPath path(name);
    return path && ForceDelete(path.text) == 0;
}

bool RenameAsideInstalled(const char* name) {
    InstalledPath path(name);
    return path && RenameAside(path.text);
}

bool WriteInstalled(const char* name, const void* bytes, std::size_t length) {
    InstalledPath path(name);
    return path && WriteWholeFile(path.text, bytes, length);
}
