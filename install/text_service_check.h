// The checks at the end of an install: the text-service DLL copies in the system directories against
// those of the install directory, on Windows 10 the keys that the DLLs' registration must have made,
// the five categories added to them, and the start of qrjcdir at basic-user trust.
#pragma once

// Last step of the finish sequence, whichever interface was installed.
void VerifyTextServiceInstall();

// The Windows 10 key test and the categories, then qrjcdir (not started after a message).
void CheckTextServiceCategories();

// Registers the text service in one more category (a GUID in braces), where the parents exist.
void AddTextServiceCategory(const char* category);

// Creates name under the HKEY_LOCAL_MACHINE key parent, only when parent exists.
void CreateSubkeyUnder(const char* parent, const char* name);
