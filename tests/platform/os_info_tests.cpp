// OS facts under the Windows versions Wine can report (this program is built once per version:
// os_info_tests runs as Windows 7, os_info_tests-winxp64 as XP and so on), and the WOW64 and
// 32-bit-system paths through the scripted OS facts.
#include <gtest/gtest.h>

#include <string>

#include "common/install_state.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "tests/support/os_facts_scripted.h"
#include "tests/support/test_support.h"

namespace {

struct VersionFacts {
    const char* variant;  // suffix of the program's file name
    DWORD osMajorVersion;
    int versionCode;
    int systemBits;
};

// Wine reports Windows 10 as 6.2 to a program without a compatibility section, as Windows does.
const VersionFacts kVersions[] = {
    {"-winxp64.exe", 5, 52, 32},
    {"-vista.exe", 6, 60, 64},
    {"-win10.exe", 6, 62, 64},
    {".exe", 6, 61, 64},
};

const VersionFacts& ThisProgramsVersion() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string name = path;
    for (const VersionFacts& facts : kVersions) {
        if (name.ends_with(facts.variant)) return facts;
    }
    return kVersions[3];
}

class OsInfoTest : public QuorTest {};

TEST_F(OsInfoTest, ReportsTheFactsOfTheWindowsVersion) {
    const VersionFacts& facts = ThisProgramsVersion();
    SCOPED_TRACE(facts.variant);
    g_state.isWow64Process = 7;

    EXPECT_EQ(Is64BitSystem(), facts.systemBits == 64);
    EXPECT_EQ(g_state.osMajorVersion, facts.osMajorVersion);
    EXPECT_EQ(GetSystemBits(), facts.systemBits);
    EXPECT_EQ(g_state.versionCode, facts.versionCode);
    // Before Vista the flag is not touched; from Vista on a 64-bit process is not under WOW64.
    EXPECT_EQ(g_state.isWow64Process, facts.versionCode < 60 ? 7 : 0);
    if (facts.systemBits == 64) {
        EXPECT_EQ(std::string(g_state.wow64SystemDir), WindowsDir() + "\\syswow64");
    }
}

// Through the scripted facts: a 32-bit process on 64-bit Windows, a 32-bit system, and this 64-bit
// process unscripted. Before Vista neither the system's bitness nor the WOW64 flag is asked for.
TEST_F(OsInfoTest, SwitchesRedirectionOffAroundTheActionOnlyUnderWow64) {
    const bool vista = ThisProgramsVersion().versionCode >= 60;
    const struct {
        const char* name;
        void (*script)();
        BOOL disableResult;
        int disableCalls, revertCalls;
        bool wow64, system64;
    } cases[] = {
        {"WOW64 process", ScriptWow64Process, TRUE, 1, 1, true, true},
        {"WOW64 process, the switch refusing", ScriptWow64Process, FALSE, 1, 0, true, true},
        {"32-bit system", Script32BitSystem, FALSE, 0, 0, false, false},
        {"64-bit process", UnscriptOsFacts, TRUE, 0, 0, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.script();
        g_osFacts.disableResult = c.disableResult;
        int runs = 0;
        EXPECT_EQ(RunWithoutRedirection([&] { return ++runs * 10; }), 10);
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(g_osFacts.disableCalls, c.disableCalls);
        EXPECT_EQ(g_osFacts.revertCalls, c.revertCalls);
        EXPECT_EQ(g_osFacts.revertedWith, c.revertCalls > 0 ? g_osFacts.redirectionToken : nullptr);
        EXPECT_EQ(IsWow64(), c.wow64);
        if (vista) {
            EXPECT_EQ(Is64BitSystem(), c.system64);
            EXPECT_EQ(GetSystemBits(), c.system64 ? 64 : 32);
            EXPECT_EQ(g_state.isWow64Process, c.wow64 ? 1 : 0);
        }
    }
    ScriptWow64Process();
    g_osFacts.nativeArchitecture = PROCESSOR_ARCHITECTURE_IA64;
    EXPECT_EQ(GetSystemBits(), vista ? 64 : 32);
    g_osFacts.hasIsWow64Process = false;  // a system that predates the query
    EXPECT_FALSE(IsWow64());
    g_osFacts.hasRedirectionFunctions = false;
    EXPECT_EQ(DisableFsRedirection(nullptr), 0);
    EXPECT_EQ(RunWithoutRedirection([] { return 3; }), 3);
}

}  // namespace
