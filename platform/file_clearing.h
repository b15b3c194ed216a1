// Getting an existing file out of the way before it is replaced: delete it, or, when it is in use
// (a loaded program or library can be renamed but not deleted), move it aside under a near name.
#pragma once

#include <cstddef>

// Removes what is at the name (RemoveName: a plain file with its read-only, hidden and system
// attributes cleared, a link as the link); returns 0 when nothing is left there and -1 when something
// is there and cannot be removed.
int ForceDelete(const char* path);

// The name a file in use is moved aside to: the path with its fifth character from the end (before
// the dot of a three-letter extension) replaced by digit. False when the path is too short or too
// long for out.
bool AsideName(const char* path, char digit, char* out, std::size_t capacity);

// Moves a plain file (never a link) that cannot be deleted to the path with its fifth character from
// the end replaced by '2' (quorel4.ime -> quorel2.ime), clearing that name first; when that move
// fails, tries once more with '1' in the same place. True when the file was moved.
bool RenameAside(const char* path);
