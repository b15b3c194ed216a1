// The uninstall: the checks before anything is removed, the two questions, the removal step by step
// and the closing message.
#pragma once

// Exit codes of quordel8.exe.
constexpr int kUninstallRemoved = 0;
constexpr int kUninstallCancelled = 1;
// Not started: no administrator rights, or nothing of the input method installed.
constexpr int kUninstallNotStarted = 2;
// Removed, but files in use are deleted only when Windows next starts (the code deployment tools
// know as "restart required").
constexpr int kUninstallRestartNeeded = 3010;

// Removes the input method. Unless silent, asks to confirm and whether to keep the user's data, and
// closes with what was done; silent removes without a word and keeps the data. Returns the exit code.
int RunUninstall(bool silent);
