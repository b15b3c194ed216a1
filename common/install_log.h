// The log asked for with /LOG=PATH on the command line of the setup program or the uninstaller: a
// UTF-8 text file, one line per step as it happens, each opened by the milliseconds since the log
// began, for the administrator who deploys the input method without watching. Without the word
// nothing is written; a log that cannot be created or written is dropped without a word: it never
// changes what the program does or the exit code it ends with.
#pragma once

#include <cstddef>
#include <string>

// Where a word of our own stands on a command line, in any capitals, as a word of its own: at the
// line's start or after a blank, tab or double quote, and, unless a value follows it (valueFollows,
// as for "/LOG="), ended by a blank, tab, double quote or the line's end. A word glued to another,
// or standing inside a path ("/LOG=C:\x/suppressmsgboxes.log"), is no word. nullptr when absent.
// lowerWord is given in small letters.
const char* FindCommandWord(const char* commandLine, const char* lowerWord, bool valueFollows);

// Finds the word "/LOG=" (see FindCommandWord) and copies the path after it, up to the next blank
// or, when the path or the whole word opens with a double quote (/LOG="C:\a b\x.log" or
// "/LOG=C:\a b\x.log"), up to the closing one, into path as a full path. False when there is no
// such word or its path is empty or does not fit.
bool FindLogPath(const char* commandLine, char* path, std::size_t capacity);

// Creates the log file anew at path (a link found at its name is removed, never written through).
// False when it cannot be created: the program runs on without a log.
bool OpenLog(const char* path);

// Whether a log is being written: callers that would do work only to log it ask first.
bool LogIsOpen();

// Appends one line. The narrow form takes text in the program's code page (GBK), printf-style; the
// wide form UTF-16 text as it stands.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogTextW(const wchar_t* prefix, const wchar_t* text);

// Narrow text in the program's code page as UTF-16, for a line built of several texts (nullptr: "").
std::wstring WidenForLog(const char* text);

// Writes the exit code as the last line and closes the log.
void CloseLog(int exitCode);
