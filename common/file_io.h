// Whole-file reading and writing, safe in folders that ordinary users can write (the install
// directory, the first fixed drive's quorel8 folder): the setup runs elevated there, so it never
// writes through a name that an ordinary user may have turned into a link, and never reads a file
// for the user's benefit that it reached through one.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/handles.h"

// Opens the file at the name for reading, examining the name itself: an empty handle when what is
// there is not a plain file reached by this very name (a symbolic link, junction or other reparse
// point, a directory, a file with more than one hard link, or a file whose final path is another
// name). The handle shares reading and writing but not deletion: while it is held, the name can be
// neither removed nor replaced, so that reading it again by name reads the same file.
UniqueHandle OpenPlainFile(const char* path);

// The attributes and the number of names of an open file. GetFileInformationByHandle tells the same
// but asks for the volume's serial number too, which Wine looks up slowly (half a millisecond a
// call); from Vista on the two facts are asked for alone.
bool QueryFileFacts(HANDLE file, DWORD* attributes, DWORD* links);

// OpenPlainFile, sharing reading only: while the handle is held nobody can write the file either, so
// that what was read through it is what a program started from the name runs.
UniqueHandle OpenPlainFileForStart(const char* path);

// Removes what is at the name and never what a link there leads to: a link is removed as the link
// (a directory link with RemoveDirectory, never a recursive delete), a plain file has its read-only,
// hidden and system attributes cleared first. One name of a file with several hard links loses only
// that name, its shared attributes untouched. A link that cannot be removed as itself (a Unix
// symbolic link under Wine, whose deletion would delete its target) stays. True when nothing is
// left at the name.
bool RemoveName(const char* path);

// Whether the path names a directory that is not a link to another one.
bool IsRealDirectory(const char* path);

// What a directory's name holds: nothing, a real directory reached by this very name (not a
// junction, mount point or symbolic link, and its final path the final path of its parent followed
// by its name; a trailing backslash is allowed), or something else.
enum class DirectoryName { kNothing, kRealDirectory, kSomethingElse };
// With a handle to the real directory (listing access, every sharing) when held is given.
DirectoryName ExamineDirectoryName(const char* path, UniqueHandle* held = nullptr);

// Whether both paths lead to the same file or directory (links followed): the same volume and file
// index, which Windows XP can tell as well as later systems.
bool SameFileObject(const char* a, const char* b);

// Replaces whatever is at the name by a new, empty file open for writing: RemoveName, then a creation
// that fails when anything is at the name again (an empty handle then). The file gets the security
// descriptor of security when given, else the entries its folder passes on.
UniqueHandle CreateFileAnew(const char* path, SECURITY_ATTRIBUTES* security = nullptr);

// Replaces whatever is at the name by a new file holding the bytes (CreateFileAnew). False when the
// path is empty, the file cannot be created anew, or not every byte was written.
bool WriteWholeFile(const char* path, const void* bytes, std::size_t length,
                    SECURITY_ATTRIBUTES* security = nullptr);

// Reads the start of a plain file (OpenPlainFile), up to capacity bytes, into a caller's buffer and
// sets *length to the bytes read. False when the path is empty or the file cannot be opened or read.
bool ReadFileStart(const char* path, void* buffer, std::size_t capacity, std::size_t* length);

// Reads a whole plain file into a caller's buffer of capacity bytes and sets *length to its size.
// False as ReadFileStart, and when the file holds more than capacity bytes (one byte beyond the room
// is tried): a cut file is never taken for the whole.
bool ReadWholeFile(const char* path, void* buffer, std::size_t capacity, std::size_t* length);

// Reads a whole plain file, of any size, into a new zero-filled block of its size plus spare bytes
// (the spare room follows the data) and sets *length to the bytes read. False, with no block, when
// the path is empty, the file cannot be opened or read, or the block cannot be had.
bool ReadWholeFile(const char* path, LockedGlobalMemory* block, std::size_t* length, std::size_t spare = 0);
// The same from an open file, read from its current position.
bool ReadOpenFile(HANDLE file, LockedGlobalMemory* block, std::size_t* length, std::size_t spare = 0);
