// Whole-file writing (see file_io.h).
#include "common/file_io.h"

#include <windows.h>

#include "common/handles.h"

bool WriteWholeFile(const char* path, const void* bytes, std::size_t length) {
    if (path == nullptr || path[0] == '\0') return false;
    UniqueHFile file(_lcreat(path, 0));
    if (!file) return false;
    UINT written = _lwrite(file.Get(), static_cast<const char*>(bytes), static_cast<UINT>(length));
    return written != static_cast<UINT>(HFILE_ERROR) && written == length;
}
