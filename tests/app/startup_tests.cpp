// Run-mode words and the administrator probe, in-process. The probe's refusal is produced by
// holding the path file open without write sharing, so that the program cannot rewrite it (Wine
// runs as root here and ignores the read-only attribute).
#include <gtest/gtest.h>

#include "app/admin_probe.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "deploy/install_paths.h"
#include "tests/support/test_support.h"

namespace {

TEST(RunModeTest, ChoosesTheModeFromTheWords) {
    const struct {
        const char* commandLine;
        int mode;
    } cases[] = {
        {"", kRunModeWindow},
        {"setqusrf32", kRunModeSilent},
        {"SETQUSRF32", kRunModeSilent},
        {"/x-SetQuSrf32-y", kRunModeSilent},
        {"regqu32", kRunModeWindow},
        {"regqu32=C:\\Program Files\\quorel8\\", kRunModeWindow},
        {"setqusrf32 regqu32", kRunModeWindow},
        {"REGQU32 setqusrf32", kRunModeWindow},
        {"setqusrf3", kRunModeWindow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(ChooseRunMode(c.commandLine), c.mode);
    }
}

TEST(RunModeTest, TheSilentInstallsExitCodeNamesEveryFaultItWentOnAfter) {
    const struct {
        int faults;
        int exitCode;
    } cases[] = {
        {0, 0},
        {kFaultIncompleteExtraction, 4},
        {kFaultSystemCopy, 8},
        {kFaultIncompleteExtraction | kFaultSystemCopy, 12},
        {kFaultNotStarted, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        EXPECT_EQ(SilentInstallExitCode(c.faults), c.exitCode);
    }
}

class AdminProbeTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        ASSERT_TRUE(GetInstallDir());
    }
    std::string PathFile() const { return WindowsDir() + "\\quorpat8.quh"; }
    bool IsXp() const { return LOBYTE(LOWORD(GetVersion())) < 6; }
};

TEST_F(AdminProbeTest, AWritablePathFileHoldsTheInstallDirectoryAfterwards) {
    FileRestorer keep(PathFile());
    FileRestorer keepDrive("d:\\quorel8\\quorpat8.quh");
    ASSERT_TRUE(WriteFileBytes(PathFile(), "D:\\Earlier\\quorel8\\"));

    EXPECT_FALSE(LacksAdminRights());
    EXPECT_STREQ(g_state.previousInstallDir, "D:\\Earlier\\quorel8\\");  // read before the probe wrote
    EXPECT_STREQ(g_state.installDir, "C:\\Program Files\\quorel8\\");
    if (IsXp()) {
        EXPECT_EQ(ReadFileBytes(PathFile()), std::string("D:\\Earlier\\quorel8\\"));  // no probe on XP
    } else {
        EXPECT_EQ(ReadFileBytes(PathFile()), std::string("C:\\Program Files\\quorel8\\"));
        EXPECT_EQ(ReadFileBytes("d:\\quorel8\\quorpat8.quh"), std::string("C:\\Program Files\\quorel8\\"));
    }
}

TEST_F(AdminProbeTest, APathFileThatCannotBeWrittenMeansNoRights) {
    FileRestorer keep(PathFile());
    FileRestorer keepDrive("d:\\quorel8\\quorpat8.quh");
    ASSERT_TRUE(WriteFileBytes(PathFile(), "D:\\Earlier\\quorel8\\"));
    {
        UniqueHandle held(CreateFileA(PathFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        ASSERT_TRUE(held.Valid());
        EXPECT_EQ(LacksAdminRights(), !IsXp());
        EXPECT_STREQ(g_state.installDir, "C:\\Program Files\\quorel8\\");
    }
    EXPECT_EQ(ReadFileBytes(PathFile()), std::string("D:\\Earlier\\quorel8\\"));
}

TEST_F(AdminProbeTest, NoPathFileAtAllAlsoMeansNoRightsWhenItCannotBeCreated) {
    if (IsXp()) GTEST_SKIP() << "no probe on XP";
    FileRestorer keep(PathFile());
    RemoveFile(PathFile());
    // A directory in the file's place: it can neither be created nor read as a file.
    ASSERT_TRUE(CreateDirectoryA(PathFile().c_str(), nullptr));
    EXPECT_TRUE(LacksAdminRights());
    EXPECT_STREQ(g_state.previousInstallDir, "");
    RemoveDirectoryA(PathFile().c_str());
}

// A window class that cannot be registered (here: the name is taken) ends the program quietly.
TEST_F(AdminProbeTest, WindowModeEndsWithZeroWhenTheClassCannotBeRegistered) {
    FileRestorer keep(PathFile());
    FileRestorer keepDrive("d:\\quorel8\\quorpat8.quh");
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = kMainWindowClass;
    ASSERT_NE(RegisterClassA(&taken), 0);

    EXPECT_EQ(RunSetupProgram(GetModuleHandleA(nullptr), "", SW_SHOW), 0);
    EXPECT_EQ(g_state.mainWindow, nullptr);
    EXPECT_TRUE(messages.shown.empty());
    UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
}

}  // namespace
