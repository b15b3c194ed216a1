// Changes to the files of the install directory, by name. Ordinary users can write in that folder,
// so every copy, rename, removal and write the program makes there goes through these helpers: what
// must be checked before writing into such a folder is then checked in one place.
#pragma once

#include <cstddef>

// Each forms the file's path with InstallDirPath and does nothing, answering false, when there is no
// install directory or the path does not fit.

// Copies the install directory's file over another of its files (overwriting).
bool CopyInstalled(const char* from, const char* to);

// Copies a file from elsewhere (a full path) over a file of the install directory.
bool CopyIntoInstallDir(const char* sourcePath, const char* name);

// Renames a file; fails when the new name exists.
bool RenameInstalled(const char* from, const char* to);

// Deletes a file (a read-only one stays).
bool RemoveInstalled(const char* name);

// ForceDelete: clears the attributes and deletes; true when the file is gone or was never there.
bool ForceDeleteInstalled(const char* name);

// RenameAside: moves a file that cannot be deleted to a near name; true when it was moved.
bool RenameAsideInstalled(const char* name);

// Creates or truncates the file and writes the bytes; true when every byte was written.
bool WriteInstalled(const char* name, const void* bytes, std::size_t length);

// Writes the bytes at the offset of an existing file, without truncating it.
bool WriteIntoInstalled(const char* name, std::size_t offset, const void* bytes, std::size_t length);
