// Digest text of a memory block or of a file, from the system's MD5 functions in advapi32.
#pragma once

#include <cstddef>

// Writes the 34-byte digest text of the data into text. advapi32's MD5Init, MD5Update and MD5Final
// are looked up by name; when they cannot be had the text is left empty (all 34 bytes NUL).
void Md5Text(const void* data, std::size_t length, char* text);

// Reads the whole file and writes its digest text; returns the number of bytes read. A file that
// cannot be opened or read, or a block that cannot be allocated, gives 0 and an all-NUL text.
std::size_t FileMd5Text(const char* path, char* text);
