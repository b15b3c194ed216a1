// Whole-file reading and writing through the classic file functions the program uses throughout,
// and the write into an existing file at an offset that an in-place append needs.
#pragma once

#include <cstddef>

#include "common/handles.h"

// Creates or truncates the file and writes the bytes; false when the path is empty, the file cannot
// be created, or not every byte was written.
bool WriteWholeFile(const char* path, const void* bytes, std::size_t length);

// Opens an existing file for writing without truncating it, and writes the bytes at the offset;
// false when the file cannot be opened, the offset cannot be reached or not every byte was written.
bool WriteIntoFile(const char* path, std::size_t offset, const void* bytes, std::size_t length);

// Reads the whole file into a caller's buffer of capacity bytes and sets *length to its size. False
// when the path is empty, the file cannot be opened or read, or it holds more than capacity bytes
// (one byte beyond the room is tried): a cut file is never taken for the whole.
bool ReadWholeFile(const char* path, void* buffer, std::size_t capacity, std::size_t* length);

// Reads the whole file, of any size, into a new zero-filled block of its size plus spare bytes (the
// spare room follows the data) and sets *length to the bytes read. False, with no block, when the
// path is empty, the file cannot be opened or read, or the block cannot be had.
bool ReadWholeFile(const char* path, LockedGlobalMemory* block, std::size_t* length, std::size_t spare = 0);
