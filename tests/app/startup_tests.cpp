// Run-mode words, the administrator probe and the starts that are refused before anything is
// written, in-process (the silent install's exit code is shown by the install procedure's test). The
// probe's refusal is produced by holding the path file open without write sharing (Wine runs as root
// here and ignores the read-only attribute).

#include "app/admin_probe.h"
#include "app/startup.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "platform/install_paths.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kEarlier[] = "D:\\Earlier\\quorel8\\";
constexpr char kInstallDir[] = "C:\\Program Files\\quorel8\\";

TEST(RunModeTest, ChoosesTheModeFromTheWords) {
    for (const auto& [commandLine, mode] : {std::pair{"", kRunModeWindow}, {"/x-SetQuSrf32-y", kRunModeSilent},
                                            {"REGQU32 setqusrf32", kRunModeWindow}, {"setqusrf3", kRunModeWindow}}) {
        EXPECT_EQ(ChooseRunMode(commandLine), mode) << commandLine;
    }
}

class StartupTest : public QuorTest {
protected:
    std::string PathFile() const { return WindowsDir() + "\\quorpat8.quh"; }
    bool IsXp() const { return LOBYTE(LOWORD(GetVersion())) < 6; }

    Restorer keep_[2] = {KeepFile(WindowsDir() + "\\quorpat8.quh"), KeepFile("d:\\quorel8\\quorpat8.quh")};
};

// From Vista on the probe word must come back exactly: a file that cannot be rewritten fails even
// when it holds the word in capitals, and so does a directory in its place; XP is not probed. The
// previous install directory is read before the probe writes. (A writable path file and one held
// open are the real setup.exe's start, end to end.)
TEST_F(StartupTest, TheAdministratorProbeReadsBackWhatItWrote) {
    for (const char* content : {"QUORISADMIN\\", static_cast<const char*>(nullptr)}) {  // nullptr: a directory
        SCOPED_TRACE(content ? content : "a directory");
        ResetInstallState();
        ASSERT_TRUE(GetInstallDir());
        RemoveFile(PathFile());
        ASSERT_TRUE(content ? WriteFileBytes(PathFile(), content) : CreateDirectoryA(PathFile().c_str(), nullptr));
        UniqueHandle held(CreateFileA(PathFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        EXPECT_EQ(LacksAdminRights(), !IsXp());
        held.Reset();
        EXPECT_STREQ(g_state.previousInstallDir, content ? content : "");
        EXPECT_STREQ(g_state.installDir, kInstallDir);
        if (content) { EXPECT_EQ(ReadFileBytes(PathFile()), std::string(content)); }
        RemoveDirectoryA(PathFile().c_str());
    }
}

// A Program Files folder too long for the install directory: told, nothing written, and a silent
// install asked for says in its exit code that it did not start.
TEST_F(StartupTest, AProgramFilesFolderTooLongIsRefusedBeforeAnythingIsWritten) {
    Restorer keepFolder = KeepRegValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    std::string folder = "D:\\long";
    CreateDirectoryA(folder.c_str(), nullptr);
    while (folder.size() < 195) {
        folder += "\\" + std::string(40, 'x');
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                               folder));
    ASSERT_TRUE(WriteFileBytes(PathFile(), kEarlier));
    for (const auto& [commandLine, exitCode] : {std::pair{"", 0}, std::pair{"setqusrf32", 2}}) {
        SCOPED_TRACE(commandLine);
        messages.shown.clear();
        EXPECT_EQ(RunSetupProgram(GetModuleHandleA(nullptr), commandLine, SW_SHOW), exitCode);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].wcaption, L"智能岚石安装");
        EXPECT_EQ(messages.shown[0].wtext, L"Program Files 文件夹的路径过长，无法在其中建立安装目录“quorel8”。"
                                           L"安装程序将退出，没有做任何改动。");
        EXPECT_STREQ(g_state.installDir, "");
        EXPECT_EQ(ReadFileBytes(PathFile()), std::string(kEarlier));
    }
    RemoveTree("D:\\long");
}

}  // namespace
