// Access lists of what the elevated setup and uninstaller create where ordinary users can write or
// look: the programs and libraries of the install directory, which users may run but only
// administrators may change, and the uninstaller's working folder, which only administrators and
// SYSTEM may use. Each list is set when its file or folder is created, never afterwards, so that
// there is no moment at which another account could open it for writing.
#pragma once

#include <windows.h>

#include "common/handles.h"

// A program or library: what the system or the setup may start or load (.exe, .dll, .ime and the
// other kinds Windows executes), told by its extension in any capitals.
bool IsProgramName(const char* name);

// SYSTEM and Administrators full access; Authenticated Users and All Application Packages (by its
// SID, which systems before Windows 8 do not know by name) read and execute. Protected: nothing of
// the folder's own entries is inherited.
inline constexpr char kProgramFileSddl[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFX;;;AU)(A;;FRFX;;;S-1-15-2-1)";

// SYSTEM and Administrators full access, passed on to what the folder holds; nobody else.
inline constexpr char kAdministratorsOnlySddl[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// Security attributes made from an SDDL text, for CreateFile, CreateDirectory and NtCreateFile. Get()
// is nullptr when the text could not be converted: callers then create nothing, rather than create
// with the folder's inherited entries.
class SecurityAttributes {
public:
    explicit SecurityAttributes(const char* sddl);
    SecurityAttributes(const SecurityAttributes&) = delete;
    SecurityAttributes& operator=(const SecurityAttributes&) = delete;

    SECURITY_ATTRIBUTES* Get() { return descriptor_ ? &attributes_ : nullptr; }
    PSECURITY_DESCRIPTOR Descriptor() const { return descriptor_.Get(); }

private:
    UniqueLocalMemory descriptor_;
    SECURITY_ATTRIBUTES attributes_{};
};
