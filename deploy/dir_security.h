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
// directory field says; they are started only while it leads to the install directory itself.
inline constexpr char kShortInstallDir[] = "c:\\Progra~1\\quorel8";

// Creates the directory with the descriptor above: 1 when it was created, 0 otherwise (an existing
// directory is left with its own permissions).
int CreateSecuredDirectory(const char* path);

// Merges an inherited full-access entry for the current user into the directory's DACL: 1 on success.
int GrantUserFullAccess(const char* path);

// Starts icacls twice (the path quoted and unquoted) to set the Low integrity level; not waited for.
void SetLowIntegrity();

// Scans an icacls listing: 1 when a line that begins (after blanks) with "APPLICATION PACKAGE" ends
// in F or f as its last character but one, as an entry ending in "(F)" does.
int ListingShowsAppPackageFullAccess(const char* listing, std::size_t length);

// Lists the install directory with icacls into g_state.capturedOutput and scans it as above; 0 when
// icacls could not be started.
int HasAppPackageAccess();

// Starts the payload's qrjcdir through runas at trust level 0x20000 (basic user), when it is the one
// this program wrote; not waited for.
void LaunchAtBasicTrust();
