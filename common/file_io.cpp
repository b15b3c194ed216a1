// Whole-file reading and writing (see file_io.h).
#include "common/file_io.h"

#include <windows.h>

#include <climits>
#include <cstdint>

namespace {

bool ReadUpTo(HFILE file, void* bytes, std::size_t length, std::size_t* read) {
    UINT count = _lread(file, bytes, static_cast<UINT>(length));
    if (count == static_cast<UINT>(HFILE_ERROR)) return false;
    *read = count;
    return true;
}

UniqueHFile OpenForReading(const char* path) {
    if (path == nullptr || path[0] == '\0') return UniqueHFile();
    return UniqueHFile(_lopen(path, OF_READ));
}

bool WriteAll(HFILE file, const void* bytes, std::size_t length) {
    if (length > UINT_MAX - 1) return false;
    UINT written = _lwrite(file, static_cast<const char*>(bytes), static_cast<UINT>(length));
    return written != static_cast<UINT>(HFILE_ERROR) && written == length;
}

}  // namespace

bool WriteWholeFile(const char* path, const void* bytes, std::size_t length) {
    if (path == nullptr || path[0] == '\0') return false;
    UniqueHFile file(_lcreat(path, 0));
    return file && WriteAll(file.Get(), bytes, length);
}

bool WriteIntoFile(const char* path, std::size_t offset, const void* bytes, std::size_t length) {
    if (path == nullptr || path[0] == '\0' || offset > LONG_MAX) return false;
    UniqueHFile file(_lopen(path, OF_WRITE));
    if (!file) return false;
    LONG position = static_cast<LONG>(offset);
    return _llseek(file.Get(), position, FILE_BEGIN) == position && WriteAll(file.Get(), bytes, length);
}

bool ReadWholeFile(const char* path, void* buffer, std::size_t capacity, std::size_t* length) {
    UniqueHFile file = OpenForReading(path);
    if (!file || capacity > UINT_MAX - 1) return false;
    std::size_t read = 0;
    if (!ReadUpTo(file.Get(), buffer, capacity, &read)) return false;
    char beyond;
    std::size_t more = 0;
    if (read == capacity && ReadUpTo(file.Get(), &beyond, 1, &more) && more == 1) return false;
    *length = read;
    return true;
}

bool ReadWholeFile(const char* path, LockedGlobalMemory* block, std::size_t* length, std::size_t spare) {
    block->Free();
    UniqueHFile file = OpenForReading(path);
    if (!file) return false;
    LONG size = _llseek(file.Get(), 0, FILE_END);
    if (size < 0 || _llseek(file.Get(), 0, FILE_BEGIN) != 0) return false;
    std::size_t bytes = static_cast<std::size_t>(size);
    if (spare > SIZE_MAX - bytes) return false;
    // An empty file without spare room still gets a block (GlobalAlloc of 0 bytes gives none).
    std::size_t room = bytes + spare > 0 ? bytes + spare : 1;
    if (!block->Allocate(GMEM_FIXED | GMEM_ZEROINIT, room)) return false;
    if (!ReadUpTo(file.Get(), block->Data(), bytes, length)) {
        block->Free();
        return false;
    }
    return true;
}
