// Start-up: the order of the first steps, the run-mode words and the two run modes.
#pragma once

#include <windows.h>

// Exit codes of the setup program. Window mode always ends with 0, as does a refused start.
constexpr int kExitSuccess = 0;
// The silent install could not start: the payload resource or the work buffer is missing.
constexpr int kExitNoPayload = 2;

// Run mode chosen by the command line: "regqu32" keeps the window, otherwise "setqusrf32" selects
// the silent install. Both words may stand anywhere, in any capitals.
int ChooseRunMode(const char* commandLine);

// The whole program after the C runtime's entry: returns the process exit code.
int RunSetupProgram(HINSTANCE instance, const char* commandLine, int showCommand);
