// The files an install of the input method places, by name: the payload's members and the files the
// setup program writes beside them in the install directory, the copies in the System and WOW64
// system directories, and the path files that record the install directory.
#pragma once

#include <cstddef>

#include "uninstall/file_removal.h"

// The install directory to clear, ending with a backslash: the one the path file of the Windows
// directory records, when that is a folder named quorel8 given with its drive and no link (a path
// file pointing anywhere else, the Windows directory or a drive root, is not followed); else the one
// an install would use now. *recorded says which. False when there is none.
bool ChooseInstallDir(char* out, std::size_t capacity, bool* recorded);

// Whether the user keeps this file of the install directory when keeping the data: the files the
// setup program's backup takes, and the user record quyhgl0.dat.
bool IsKeptUserFile(const char* name);

// Whether the install directory holds any file of ours other than the user's data files.
bool InstallDirHoldsOwnFiles(const char* dir);

// Deletes the members and the files the setup program wrote (the user's data files too unless
// keepData), the copies that were moved aside when in use, then the subdirectory filer and the
// directory itself where they are empty.
void RemoveInstallDirFiles(const char* dir, bool keepData, RemovalTally* tally);

// Whether any copy is in the System or WOW64 system directory.
bool SystemCopiesPresent();

// The copies in the System and WOW64 system directories (looked at with the WOW64 redirection off),
// the copies moved aside there and beside the uninstaller in the Windows directory.
void RemoveSystemCopies(RemovalTally* tally);

// The path files in the Windows directory and in the first fixed drive's quorel8 folder, and that
// folder when it is then empty.
void RemovePathFiles(RemovalTally* tally);
