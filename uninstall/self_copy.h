// How the uninstaller removes its own file: the program that Windows' list of installed programs (or
// a deployment tool) starts copies itself into a working folder of its own in the temporary
// directory, starts that working copy to do the work, waits for it and ends with its exit code, so
// that whoever waits for the started program finds the machine uninstalled when it returns. Any
// user may make names in the temporary directory (C:\Windows\Temp for a program run as SYSTEM): the
// working folder is a new one, which only administrators and SYSTEM may use from the moment it is
// made, so that nobody can put a library beside the copy or change it. The started program's file,
// which cannot be deleted while it runs, is moved into that folder by the working copy
// (RemoveUninstallerFile); the starter deletes the copy and the folder once the copy has ended, and
// what cannot go yet is deleted at the next restart.
#pragma once

#include <cstddef>

// The word that marks the working copy on its command line.
inline constexpr char kWorkingCopyWord[] = "quordelrun";

// Makes the working folder, copies this program into it, runs the copy with the working-copy word
// (and "/S" when silent, and the log's path when there is one), waits for it and gives its exit
// code. False when the folder or the copy could not be made or started: the caller then does the
// work itself.
bool RunWorkingCopy(bool silent, const char* logPath, int* exitCode);

// In the working copy: schedules its own file for deletion at the next restart.
void ScheduleOwnDeletion();

// The folder of this program when it is a working copy (with its closing backslash); false, with out
// empty, when it is not.
bool WorkingFolder(char* out, std::size_t capacity);
