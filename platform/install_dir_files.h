// Changes to the files of the install directory, by name. Ordinary users can write in that folder,
// so every copy, rename, removal and write the program makes there goes through these helpers, which
// never write through a link found at a name, and never copy a file reached through one (see
// common/file_io.h). A program or library (IsProgramName) is created with an access list that lets
// only administrators change it, and its digest is kept while it stands under its name: what the
// setup copies into the system directories or starts must be what it wrote itself.
#pragma once

#include <cstddef>

// Each forms the file's path with InstallDirPath and does nothing, answering false, when there is no
// install directory or the path does not fit.

// Copies the install directory's plain file over another of its names (as WriteInstalled).
bool CopyInstalled(const char* from, const char* to);

// Copies a plain file from elsewhere (a full path) over a name of the install directory.
bool CopyIntoInstallDir(const char* sourcePath, const char* name);

// Renames a plain file; fails when the new name exists or the old one is a link.
bool RenameInstalled(const char* from, const char* to);

// Removes what is at the name (RemoveName); true when nothing is left there.
bool RemoveInstalled(const char* name);

// ForceDelete: true when nothing is left at the name.
bool ForceDeleteInstalled(const char* name);

// RenameAside: moves a file that cannot be deleted to a near name; true when it was moved.
bool RenameAsideInstalled(const char* name);

// Replaces what is at the name by a new file holding the bytes (WriteWholeFile); true when every
// byte was written. A program or library gets its administrators-only access list as it is created
// (none is written when that list cannot be had) and is noted with the digest text of its bytes
// (digest, when the caller has it already, else computed).
bool WriteInstalled(const char* name, const void* bytes, std::size_t length, const char* digest = nullptr);

// The digest text of the program or library this process wrote at the name and that still stands
// there under it; false for any other name.
bool ProducedDigest(const char* name, char* digest);

// Starts the program this process wrote at the name, with the command line as given (its first word
// is the program's own business), when the file there still holds the bytes it wrote: it is held
// against writers from the check until the program has started. False when it was not started.
bool StartProducedProgram(const char* name, const char* commandLine);
