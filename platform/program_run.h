// Starting programs and loading libraries only from where they belong. The setup and the uninstaller
// run elevated from folders that ordinary users can write (a download folder, the temporary
// directory, the install directory): every program is started by its full path, given apart from
// the command line so that nothing is looked up by the line's first word, and the process's own
// library search is limited to the System directory.
#pragma once

#include <windows.h>

#include <cstddef>

// Limits where LoadLibrary looks for a library named without a path to the System directory
// (SetDefaultDllDirectories; where that is missing, SetDllDirectory("") takes the current directory
// out of the search). Called first thing by both programs.
void LimitLibrarySearch();

// The System directory's program of that name ("%s\%s" over GetSystemDirectory); false when it does
// not fit. Under WOW64 with the redirection switched off this is the native program.
bool SystemProgramPath(const char* name, char* path, std::size_t capacity);

// Starts program (a full path) with the command line as given (its first word is what the program
// sees as its name), shown with show, and waits as WinExec does until it is ready for input (at most
// 30 seconds; a console program at once), not for its end. False when it could not be started.
bool StartProgram(const char* program, const char* commandLine, WORD show);

// Starts program with the arguments after its quoted path and waits up to timeoutMs for it to end.
// True when it ended, with its exit code in *exitCode when that is given; false when it could not be
// started or is still running.
bool RunAndWait(const char* program, const char* arguments, DWORD timeoutMs, DWORD* exitCode);

// Runs program with the command line, its standard output coming through a pipe into output as a
// text-mode read gives it (line ends as "\n"), and waits for it to end. What does not fit the
// capacity is read and dropped; output is always terminated. False when it could not be started.
bool CaptureProgramOutput(const char* program, const char* commandLine, char* output, std::size_t capacity);
