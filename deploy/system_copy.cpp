// Comparison of a deployed copy with its source in the install directory.
#include "deploy/system_copy.h"

#include <windows.h>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/install_paths.h"
#include "deploy/os_info.h"

namespace {

// Size of a file as _llseek to its end reports it; false when it can't be opened.
bool FileSize(const char* path, LONG* size) {
    UniqueHFile file(_lopen(path, OF_READ));
    if (!file) return false;
    *size = _llseek(file.Get(), 0, FILE_END);
    return true;
}

int CompareSizes() {
    LONG sourceSize = 0;
    LONG targetSize = 0;
    if (!FileSize(g_state.sourcePath, &sourceSize)) return kCompareNoSource;
    if (!FileSize(g_state.destinationPath, &targetSize)) return kCompareNoTarget;
    return sourceSize == targetSize ? kCompareSame : kCompareSizeDiffers;
}

}  // namespace

int CompareDeployedFile(const char* sourceName, const char* targetName, int kind) {
    SelectTargetDir(kind);
    // A path that does not fit its buffer names no file this program placed.
    if (!FormatText(g_state.sourcePath, "%s%s", g_state.installDir, sourceName)) return kCompareNoSource;
    if (!FormatText(g_state.destinationPath, "%s\\%s", g_state.targetDir, targetName)) return kCompareNoTarget;
    return RunWithoutRedirection([] { return CompareSizes(); });
}
