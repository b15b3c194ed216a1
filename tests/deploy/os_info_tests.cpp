// OS facts under the Windows versions Wine can report (this program is built once per version:
// os_info_tests runs as Windows 7, os_info_tests-winxp64 as XP and so on), and the WOW64 and
// 32-bit-system paths through the scripted OS facts.
#include <gtest/gtest.h>

#include <string>

#include "common/install_state.h"
#include "deploy/install_paths.h"
#include "deploy/os_info.h"
#include "tests/support/os_facts_scripted.h"
#include "tests/support/test_support.h"

namespace {

struct VersionFacts {
    const char* variant;  // suffix of the program's file name
    DWORD osMajorVersion;
    int versionCode;
    bool is64BitSystem;
    int systemBits;
};

// Wine reports Windows 10 as 6.2 to a program without a compatibility section, as Windows does.
const VersionFacts kVersions[] = {
    {"winxp64", 5, 52, false, 32},
    {"vista", 6, 60, true, 64},
    {"", 6, 61, true, 64},
    {"win10", 6, 62, true, 64},
};

const VersionFacts& ThisProgramsVersion() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    for (const VersionFacts& facts : kVersions) {
        std::string suffix = facts.variant[0] ? std::string("-") + facts.variant + ".exe" : "";
        if (!suffix.empty() && name.size() > suffix.size() && name.ends_with(suffix)) return facts;
    }
    return kVersions[2];
}

class OsInfoTest : public QuorTest {};

TEST_F(OsInfoTest, ReportsTheFactsOfTheWindowsVersion) {
    const VersionFacts& facts = ThisProgramsVersion();
    SCOPED_TRACE(facts.variant);
    g_state.isWow64Process = 7;

    EXPECT_EQ(Is64BitSystem(), facts.is64BitSystem);
    EXPECT_EQ(g_state.osMajorVersion, facts.osMajorVersion);
    EXPECT_EQ(GetSystemBits(), facts.systemBits);
    EXPECT_EQ(g_state.versionCode, facts.versionCode);
    // Before Vista the flag is not touched; from Vista on a 64-bit process is not under WOW64.
    EXPECT_EQ(g_state.isWow64Process, facts.versionCode < 60 ? 7 : 0);
    EXPECT_FALSE(IsWow64());
    if (facts.is64BitSystem) {
        EXPECT_EQ(std::string(g_state.wow64SystemDir), WindowsDir() + "\\syswow64");
    }
}

TEST_F(OsInfoTest, RunsAnActionWithRedirectionOffOnlyUnderWow64) {
    ScriptWow64Process();
    int runs = 0;
    EXPECT_EQ(RunWithoutRedirection([&] { return ++runs * 10; }), 10);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(g_osFacts.disableCalls, 1);
    EXPECT_EQ(g_osFacts.revertCalls, 1);
    EXPECT_EQ(g_osFacts.revertedWith, g_osFacts.redirectionToken);

    // The switch refusing: the action still runs once, and nothing is reverted.
    g_osFacts.disableResult = FALSE;
    EXPECT_EQ(RunWithoutRedirection([&] { return ++runs * 10; }), 20);
    EXPECT_EQ(g_osFacts.disableCalls, 2);
    EXPECT_EQ(g_osFacts.revertCalls, 1);

    // No redirection functions at all.
    g_osFacts.hasRedirectionFunctions = false;
    EXPECT_EQ(DisableFsRedirection(nullptr), 0);
    EXPECT_EQ(RunWithoutRedirection([&] { return ++runs; }), 3);
}

TEST_F(OsInfoTest, ANativeProcessRunsTheActionWithoutRedirectionCalls) {
    for (bool system32Bit : {false, true}) {
        SCOPED_TRACE(system32Bit ? "32-bit system" : "64-bit process on 64-bit system");
        if (system32Bit) {
            Script32BitSystem();
        } else {
            g_osFacts = ScriptedOsFacts{};
            g_osFacts.scripted = true;
        }
        int runs = 0;
        RunWithoutRedirection([&] { return ++runs; });
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(g_osFacts.disableCalls, 0);
        EXPECT_EQ(g_osFacts.revertCalls, 0);
    }
    // And for real: a 64-bit process never switches.
    UnscriptOsFacts();
    int runs = 0;
    RunWithoutRedirection([&] { return ++runs; });
    EXPECT_EQ(runs, 1);
}

TEST_F(OsInfoTest, TellsA32BitSystemAndA32BitProcessOn64BitWindows) {
    if (ThisProgramsVersion().versionCode < 60) GTEST_SKIP() << "XP is always 32-bit here";

    Script32BitSystem();
    EXPECT_FALSE(Is64BitSystem());
    EXPECT_EQ(GetSystemBits(), 32);
    EXPECT_EQ(g_state.isWow64Process, 0);

    ScriptWow64Process();
    EXPECT_TRUE(IsWow64());
    EXPECT_TRUE(Is64BitSystem());
    EXPECT_EQ(GetSystemBits(), 64);
    EXPECT_EQ(g_state.isWow64Process, 1);

    g_osFacts.nativeArchitecture = PROCESSOR_ARCHITECTURE_IA64;
    EXPECT_EQ(GetSystemBits(), 64);

    g_osFacts.hasIsWow64Process = false;  // a system that predates the query
    EXPECT_FALSE(IsWow64());
}

}  // namespace
