// How the uninstaller removes its own file: the program that Windows' list of installed programs (or
// a deployment tool) starts copies itself into the temporary directory, starts that working copy to
// do the work, waits for it and ends with its exit code, so that whoever waits for the started
// program finds the machine uninstalled when it returns. The started program's file, which cannot be
// deleted while it runs, is moved out of the way by the working copy (RemoveUninstallerFile); the
// working copy's file is deleted by its starter once it has ended, and is scheduled for deletion at
// the next restart by the copy itself, in case the starter is ended first.
#pragma once

// The word that marks the working copy on its command line.
inline constexpr char kWorkingCopyWord[] = "quordelrun";

// Copies this program into the temporary directory, runs the copy with the working-copy word (and
// "/S" when silent), waits for it and gives its exit code. False when the copy could not be made or
// started: the caller then does the work itself.
bool RunWorkingCopy(bool silent, int* exitCode);

// In the working copy: schedules its own file for deletion at the next restart, when it lies in the
// temporary directory.
void ScheduleOwnDeletion();
