// Where the input method lives: the install directory under the native Program Files folder, the
// path file that records it (quorpat8.quh, in the Windows directory and, from Vista on, in the folder
// quorel8 at the root of the first fixed drive), and the target directories of the system copies.
#pragma once

#include <cstddef>

// Target kinds of the system copies: 0 Windows directory, 1 WOW64 system directory, 2 and 3 the
// System directory (2 on 64-bit systems, 3 on 32-bit ones).
constexpr int kTargetWindows = 0;
constexpr int kTargetWow64System = 1;
constexpr int kTargetSystem64 = 2;
constexpr int kTargetSystem32 = 3;

// Builds the install directory from a Program Files folder: the text is cut at its first "(" (a
// 32-bit process is told "C:\Program Files (x86)"), trailing blanks are removed, a backslash is
// added where missing and "quorel8\" appended. False, with out empty, when it would not fit.
bool ComposeInstallDir(const char* programFiles, char* out, std::size_t capacity);

// Recomputes g_state.installDir from the shell's Program Files folder ("c:\Program Files" when the
// shell cannot tell). False, with the field empty, when the path does not fit its 200 bytes.
bool GetInstallDir();

// A file's path in the install directory; false (nothing to do) when there is no install directory,
// which would put the file into the current directory, or when the path does not fit.
bool InstallDirPath(const char* name, char* path, std::size_t capacity);

// Reads the path file of the Windows directory into the previous install directory or into the
// install directory, bounded by the destination; a file that cannot be opened changes nothing.
void ReadPathFile(bool intoPrevious);

// Adds the trailing backslash to a non-empty g_state.installDir that lacks it (when it fits).
void EndInstallDirWithBackslash();

// Writes the install directory (with its trailing backslash, no NUL) into the path file(s), each
// replacing whatever was at its name (WriteWholeFile: a read-only file or a link there included);
// the second one only into a real folder, never through a link to another one.
void WritePathFiles();

// "x:\quorel8\" on the first of G: to C: that is a fixed drive, else the empty text.
void FindFixedDriveFolder(char* out, std::size_t capacity);

// The Windows directory followed by \syswow64.
void GetWow64SystemDir(char* out, std::size_t capacity);

// Sets g_state.targetDir for a target kind.
void SelectTargetDir(int kind);

bool DirectoryExists(const char* path);

// The path file's name inside a directory that ends without a backslash ("%s\quorpat8.quh").
inline constexpr char kPathFileName[] = "quorpat8.quh";
