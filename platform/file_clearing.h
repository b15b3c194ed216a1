// Getting an existing file out of the way before it is replaced: delete it, or, when it is in use
// (a loaded program or library can be renamed but not deleted), move it aside under a near name.
#pragma once

#include <cstddef>

// Clears read-only, hidden and system; returns 0 when the file is gone (deleted, or it cannot be
// opened at all) and -1 when it is there and cannot be deleted.
int ForceDelete(const char* path);

// The name a file in use is moved aside to: the path with its fifth character from the end (before
// the dot of a three-letter extension) replaced by digit. False when the path is too short or too
// long for out.
bool AsideName(const char* path, char digit, char* out, std::size_t capacity);

// Moves a file that cannot be deleted to the path with its fifth character from the end replaced by
// '2' (quorel4.ime -> quorel2.ime), clearing that name first; when that move fails, tries once more
// with '1' in the same place. True when the file was moved.
bool RenameAside(const char* path);
