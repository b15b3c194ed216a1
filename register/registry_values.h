// Registry values as the program writes and reads them; each value written goes to the log. Strings
// are written as REG_SZ with a byte count that leaves out the terminating NUL; values read back are untrusted, so every read checks
// the type and the byte count and terminates the text itself.
#pragma once

#include <windows.h>

#include <cstddef>

// Writes text as REG_SZ with its length in bytes (or, for the W form, twice its length in
// characters). name nullptr or "" is the key's default value.
LONG SetStringValueA(HKEY key, const char* name, const char* text);
LONG SetStringValueW(HKEY key, const wchar_t* name, const wchar_t* text);

// Writes a REG_DWORD value.
LONG SetDwordValueW(HKEY key, const wchar_t* name, DWORD value);

// Reads a string value (REG_SZ or REG_EXPAND_SZ, not expanded) into buf of capacity bytes and
// terminates it. Fails, leaving buf empty, when the value is missing, is of another type, or its text
// does not fit in capacity with a terminator.
bool ReadStringValueA(HKEY key, const char* name, char* buf, std::size_t capacity);

// Reads a REG_DWORD value of exactly four bytes.
bool ReadDwordValue(HKEY key, const char* name, DWORD* value);

// Whether path exists under root (opened with read access and closed at once).
bool KeyExists(HKEY root, const char* path);
