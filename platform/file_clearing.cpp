// ForceDelete and RenameAside (see file_clearing.h).
#include "platform/file_clearing.h"

#include <windows.h>

#include <initializer_list>

#include "common/text.h"

namespace {

// The character replaced counts from the end: before the dot of a three-letter extension.
constexpr std::size_t kAsideDigitFromEnd = 5;

}  // namespace

int ForceDelete(const char* path) {
    // Most targets do not exist yet: asking first spares the attribute change and the open, which
    // under Wine each cost a round trip to the server, for every member of a fresh install.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return 0;
    SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR) return 0;
    _lclose(file);
    return DeleteFileA(path) ? 0 : -1;
}

bool AsideName(const char* path, char digit, char* out, std::size_t capacity) {
    if (!CopyText(out, capacity, path)) return false;
    std::size_t length = BoundedLength(out, capacity);
    if (length < kAsideDigitFromEnd) return false;
    out[length - kAsideDigitFromEnd] = digit;
    return true;
}

bool RenameAside(const char* path) {
    // Room for a member path: an install directory of 200 bytes and a member name.
    char aside[MAX_PATH];
    for (char digit : {'2', '1'}) {
        if (!AsideName(path, digit, aside, sizeof aside)) return false;
        ForceDelete(aside);
        if (MoveFileA(path, aside)) return true;
    }
    return false;
}
