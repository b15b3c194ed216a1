// Removing one file or directory of the input method by its name. The install directory is writable
// by every user, so nothing is followed through a link and no directory is walked: a directory or a
// link that stands under one of our names is left as it is.
#pragma once

// What the removal did: files deleted at once, and files that were in use and are deleted when
// Windows next starts.
struct RemovalTally {
    int removed;
    int scheduled;
};

// Deletes a file. One that cannot be deleted (a loaded program or library) is moved aside under its
// '2' (else '1') name, so that its own name is free at once, and that file is scheduled for deletion
// at the next restart; where it cannot even be moved, it is scheduled under its own name.
void RemoveOwnFile(const char* path, RemovalTally* tally);

// The uninstaller's own file (quordel8.exe), which cannot be deleted while the program that was
// started from it waits for its working copy: deleted, or else moved into the working copy's folder
// (the temporary directory when this is no working copy) and scheduled for deletion there (else in
// place). It is not counted as a file in use.
void RemoveUninstallerFile(const char* path, RemovalTally* tally);

// Removes a directory when it is empty and no link. When it is not empty because files in it wait
// for the restart, it is scheduled after them, so that the restart removes it once they are gone
// (and leaves it when other files remain).
void RemoveOwnDirectory(const char* path, bool filesScheduledInside);

// Whether path is a plain file reached by its own name: not a directory, not a link of any kind
// (a Unix symbolic link under Wine included), not a file with a second hard link.
bool IsPlainFile(const char* path);
