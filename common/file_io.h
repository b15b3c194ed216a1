// Whole-file writing through the classic file functions the program uses throughout.
#pragma once

#include <cstddef>

// Creates or truncates the file and writes the bytes; false when the path is empty, the file cannot
// be created, or not every byte was written.
bool WriteWholeFile(const char* path, const void* bytes, std::size_t length);
