// Three registry entries of every install: the uninstall entry (quordel8.exe in the Windows
// directory), the autorun entry (quortavo.exe at logon) and the user-agent token "tavo8200", which
// replaces the tokens of earlier versions; and their removal by the uninstaller.
#pragma once

// HKEY_LOCAL_MACHINE "...\Uninstall\quorrwb8" (UTF-16): "DisplayName" and "UninstallString", then
// what Windows' list of programs and deployment tools read: "QuietUninstallString" ("...quordel8.exe"
// /S), "DisplayVersion", "Publisher", "DisplayIcon", "InstallLocation" (the install directory),
// "EstimatedSize" (installedBytes in KB, rounded up), "NoModify" and "NoRepair" (1).
void WriteUninstallEntry(unsigned long long installedBytes);

// HKEY_LOCAL_MACHINE "...\CurrentVersion\Run" value "quqrsjgl" set to command (ANSI).
void WriteAutorunEntry(const char* command);

// Removes the autorun value, when there is one.
void RemoveAutorunEntry();

// HKEY_LOCAL_MACHINE "...\User Agent\Post Platform": the earlier tokens removed, "tavo8200" empty.
void WriteUserAgentToken();

// Removes the three entries again: the uninstall entry's key, the autorun value and the token. Other
// values under the same keys stay.
void RemoveRegistryEntries();

// Whether the uninstall entry or the autorun value is there.
bool RegistryEntriesPresent();
