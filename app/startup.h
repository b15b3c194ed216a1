// Start-up: the order of the first steps, the run-mode words and the two run modes.
#pragma once

#include <windows.h>

// Exit codes of the setup program. Window mode always ends with 0, as does a refused start of it.
// The silent install ends with 0 when the install completed; otherwise with 2 when it could not
// start, or with the sum of 4, 8, 16 and 32 for the faults it met and went on after.
constexpr int kExitSuccess = 0;
// The silent install did not start and installed nothing: another setup running, no administrator
// rights, a Program Files path too long for the install directory, or no payload resource or work
// buffer.
constexpr int kExitNotStarted = 2;
// The payload did not unpack completely (a member failed to inflate, verify or be written).
constexpr int kExitIncompleteExtraction = 4;
// A file could not be placed in the Windows, System or WOW64 system directory.
constexpr int kExitSystemCopyFailed = 8;
// The input method was not registered: neither the system's IMM installer nor the program's own
// keyboard-layout entry succeeded.
constexpr int kExitNotRegistered = 16;
// The user's earlier data, backed up before the install, could not all be put back afterwards.
constexpr int kExitRestoreFailed = 32;

// The silent install's exit code for the kFault* bits the install procedure left.
int SilentInstallExitCode(int installFaults);

// Run mode chosen by the command line: "regqu32" keeps the window, otherwise "setqusrf32" selects
// the silent install. Both words may stand anywhere, in any capitals.
int ChooseRunMode(const char* commandLine);

// Whether the command line holds "/SUPPRESSMSGBOXES" (in any capitals) as a word of its own: the
// silent install then shows no message box, each taking its default answer.
bool AsksToSuppressBoxes(const char* commandLine);

// The whole program after the C runtime's entry: returns the process exit code.
int RunSetupProgram(HINSTANCE instance, const char* commandLine, int showCommand);
