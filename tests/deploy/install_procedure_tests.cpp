// A TSF install run in-process on a fresh machine with the demo payload, under this program's
// Windows version: the text-service DLLs it keeps, places and registers (through the prefix's
// stand-in regsvr32, which really registers them), and the keep-data question when the earlier data
// lies elsewhere.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "archive/user_backup.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/install_procedure.h"
#include "tests/deploy/install_checks.h"
#include "tests/register/command_log.h"
#include "tests/register/text_service_fixture.h"

namespace {

// The Windows version of this program (win7, or win10 in its variant) decides which DLLs stay.
TEST_F(InstallProcedureTest, TsfInstallKeepsPlacesAndRegistersTheDllsOfThisWindowsVersion) {
    g_state.interfaceChoice = kInterfaceTsf;
    g_state.backupState = kBackupTaken;
    CopyText(g_state.previousInstallDir, "D:\\Earlier\\quorel8\\");
    messages.answers.push_back(IDNO);
    const bool windows10 = g_state.isWindows10 != 0;

    RunInstall();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].wtext, kKeepDataQuestionElsewhere);
    EXPECT_EQ(messages.shown[0].wcaption, L"智能岚石安装");
    EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(g_state.backupState, kBackupTaken);

    // Every member stays as unpacked but the IMM files, the variants (renamed before Windows 10)
    // and the converted phrase backup.
    std::vector<const char*> differing = {"quorel4.ime", "quorel64.ime", "quor320.ime", "quor321.ime",
                                          "quor640.ime", "quor641.ime"};
    if (!windows10) differing.insert(differing.end(), {"quorsrf.dll", "quorsrf6.dll"});
    differing.insert(differing.end(), {"qsrf732.dll", "qsrf764.dll", "quorcyzk.bak"});
    EXPECT_EQ(DifferingMembers(payload_), DifferingReport(differing));
    for (const char* gone : {"quorel4.ime", "quorel64.ime", "quor320.ime", "qsrf732.dll", "qsrf764.dll"}) {
        EXPECT_FALSE(FileExists(Installed(gone))) << gone;
    }
    EXPECT_TRUE(HoldsMember(Installed("quorsrf.dll"), windows10 ? "quorsrf.dll" : "qsrf732.dll"));
    EXPECT_TRUE(HoldsMember(Installed("quorsrf6.dll"), windows10 ? "quorsrf6.dll" : "qsrf764.dll"));

    EXPECT_EQ(ReadFileBytes(InWow64("quorsrf.dll")), ReadFileBytes(Installed("quorsrf.dll")));
    EXPECT_EQ(ReadFileBytes(InSystem("quorsrf6.dll")), ReadFileBytes(Installed("quorsrf6.dll")));
    EXPECT_TRUE(HoldsMember(WindowsDir() + "\\quordel8.exe", "quordel8.exe"));
    EXPECT_FALSE(FileExists(InSystem("quorel4.ime")));

    std::vector<std::string> registered = {"regsvr32 /s " + InWow64("quorsrf.dll"),
                                           "regsvr32 /s " + InSystem("quorsrf6.dll")};
    EXPECT_EQ(WaitForLogLines(kRegsvr32Log, 2), registered);
    for (const char* category : kTestedCategories) {
        SCOPED_TRACE(category);
        EXPECT_TRUE(TipKeyPresent(ItemKey(category)));
        EXPECT_TRUE(TipKeyPresent(CategoryMemberKey(category)));
    }
    EXPECT_EQ(g_state.registrationResult, 1);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "quqrsjgl"),
              std::string(kInstallDir) + "quortavo.exe qu");
    // A TSF install never starts the 64-bit setup program.
    EXPECT_TRUE(LogLinesAfterPause(Installed("setupw64.log").c_str()).empty());
    EXPECT_EQ(g_state.progressStep, 115);
    EXPECT_EQ(g_state.installFaults, 0);
}

}  // namespace
