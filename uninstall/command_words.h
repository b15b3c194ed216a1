// The uninstaller's own words on its command line, each an argument of its own in any capitals: "/S"
// (no question, no message, the user's data kept) and the working copy's word. "/LOG=PATH" is read
// from the whole command line by FindLogPath.
#pragma once

struct UninstallWords {
    bool silent = false;
    bool workingCopy = false;
};

// Reads the arguments after the program's name (arguments[0]).
UninstallWords ReadUninstallWords(int count, const char* const* arguments);
