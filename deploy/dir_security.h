// Security of the install directory: the descriptor it is created with, the current user's full
// access, the low integrity level set through icacls, the check of application-package access read
// from an icacls listing, and the start of the launcher at the basic-user trust level.
#pragma once

#include <cstddef>

#include "common/install_state.h"

// The descriptor the install directory is created with: full access for application packages and
// administrators, read/write/execute for authenticated users, all inherited by what it contains.
inline constexpr char kInstallDirSddl[] = "D: (A;OICI;GA;;;AC) (A;OICI;GRGWGX;;;AU) (A;OICI;GA;;;BA) ";

// The external commands name the install directory by this fixed 8.3 path, whatever the install
// directory field says.
inline constexpr char kShortInstallDir[] = "c:\\Progra~1\\quorel8";

// Creates the directory with the descriptor above: 1 when it was created, 0 otherwise (an existing
// directory is left with its own permissions).
int CreateSecuredDirectory(const char* path);

// Merges an inherited full-access entry for the current user into the directory's DACL: 1 on success.
int GrantUserFullAccess(const char* path);

// Starts icacls twice (the path quoted and unquoted) to set the Low integrity level; not waited for.
void SetLowIntegrity();

// Runs a command through the command interpreter and collects its standard output, line by line,
// into output (capacity bytes, always terminated; what does not fit is read and dropped). 1 when the
// command could be started, else 0.
int CaptureCommandOutput(const char* command, char* output, std::size_t capacity = kCapturedOutputCapacity);

// Scans an icacls listing: 1 when a line that begins (after blanks) with "APPLICATION PACKAGE" ends
// in F or f as its last character but one, as an entry ending in "(F)" does.
int ListingShowsAppPackageFullAccess(const char* listing, std::size_t length);

// Lists the install directory with icacls into g_state.capturedOutput and scans it as above.
int HasAppPackageAccess();

// Starts the payload's qrjcdir through runas at trust level 0x20000 (basic user); not waited for.
void LaunchAtBasicTrust();
