// ForceDelete and RenameAside (see file_clearing.h).
#include "platform/file_clearing.h"

#include <windows.h>

#include <initializer_list>

#include "common/file_io.h"
#include "common/text.h"

namespace {

// The character replaced counts from the end: before the dot of a three-letter extension.
constexpr std::size_t kAsideDigitFromEnd = 5;

}  // namespace

int ForceDelete(const char* path) { return RemoveName(path) ? 0 : -1; }

bool AsideName(const char* path, char digit, char* out, std::size_t capacity) {
    if (!CopyText(out, capacity, path)) return false;
    std::size_t length = BoundedLength(out, capacity);
    if (length < kAsideDigitFromEnd) return false;
    out[length - kAsideDigitFromEnd] = digit;
    return true;
}

bool RenameAside(const char* path) {
    // Only a file that its own name holds is moved: a link moved under Wine would carry its target
    // along into the folder.
    if (!OpenPlainFile(path)) return false;
    // Room for a member path: an install directory of 200 bytes and a member name.
    char aside[MAX_PATH];
    for (char digit : {'2', '1'}) {
        if (!AsideName(path, digit, aside, sizeof aside)) return false;
        ForceDelete(aside);
        if (MoveFileA(path, aside)) return true;
    }
    return false;
}
