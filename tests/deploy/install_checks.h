// What a whole install left on the machine, read back by the install tests (in-process and through
// the real setup.exe): the install directory against the payload's digests, the files placed
// elsewhere, and UTF-16 registry texts; and the fixture of the in-process install tests.
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
std::string DifferingMembers(const std::string& payload, const std::string& installDir = kInstallDir);
// The same report for these members, given in payload order.
std::string DifferingReport(const std::vector<const char*>& names);

// Whether the file holds exactly the bytes of the payload member of that name.
bool HoldsMember(const std::string& path, const char* member);

// A REG_SZ value read with the UTF-16 functions (type checked, without its terminator).
std::optional<std::wstring> ReadRegTextW(HKEY root, const wchar_t* path, const wchar_t* name);

// In-process installs with the demo payload (or a changed copy of it) and the facts that start-up
// and window creation work out before the install page is confirmed.
class InstallProcedureTest : public QuorTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void UsePayload(const std::string& bytes);

    static std::string Installed(const char* name) { return std::string(kInstallDir) + name; }
    static std::string InSystem(const char* name) { return SystemDir() + "\\" + name; }
    static std::string InWow64(const char* name) { return WindowsDir() + "\\syswow64\\" + name; }

    std::string payload_;

private:
    std::vector<unsigned char> workBuffer_;
};
