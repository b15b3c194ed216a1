// What a whole install left on the machine, read back by the install tests (in-process and through
// the real setup.exe): the install directory against the payload's digests, and the files placed
// elsewhere.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

inline constexpr char kInstallDir[] = "C:\\Program Files\\quorel8\\";

// The packed payload the build embeds in setup.exe.
std::string ReadPayload();

// The verification report of the install directory against the payload: "NAME...." for every member
// whose file is missing or differs from its stored digest, then the closing line; empty when every
// member is in place.
std::string DifferingMembers(const std::string& payload);
// The same report for these members, given in payload order.
std::string DifferingReport(const std::vector<const char*>& names);

// The bytes of the payload member of that name.
std::string ReadMember(const char* member);
// Whether the file holds exactly the bytes of the payload member of that name.
bool HoldsMember(const std::string& path, const char* member);

// The access list (DACL) of a file or folder as SDDL text, as the system reads it back; "?" when it
// cannot be read. Wine 8 keeps a list given at creation only as the Unix mode bits it maps to, and
// reads back what those bits give (a file made without one: SYSTEM, its owner, and Everyone read).
std::string DaclText(const std::string& path);
// What the system reads back for a file (or folder) created with the access list of that SDDL text.
std::string DaclAsCreatedWith(const char* sddl, bool folder = false);

// The files of the install directory whose access list is not as the install sets it: each program
// and library as created with the administrators-only list, every other file otherwise.
std::vector<std::string> FilesWithWrongAccess();
