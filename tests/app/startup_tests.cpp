// The command line's words, the administrator probe, the library search and the starts that are refused before
// anything is written, in-process (the silent install's exit code is shown by the install procedure's test). The
// probe's refusal is produced by holding the path file open without write sharing (Wine runs as root
// here and ignores the read-only attribute).

#include "app/admin_probe.h"
#include "app/startup.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "platform/install_paths.h"
#include "platform/program_run.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kEarlier[] = "D:\\Earlier\\quorel8\\";

// The run-mode words count anywhere, glued to others too; "/SUPPRESSMSGBOXES" and "/LOG=" only as
// words of their own (after a blank, tab or quote). A near miss of each counts for nothing.
TEST(RunModeTest, ReadsEachWordOfTheCommandLine) {
    const struct { const char* line; int mode; bool suppress; const char* log; } rows[] = {
        {"", kRunModeWindow, false, nullptr}, {"/x-SetQuSrf32-y", kRunModeSilent, false, nullptr},
        {"REGQU32 setqusrf32", kRunModeWindow, false, nullptr}, {"setqusrf32 xRegQu32y", kRunModeWindow, false, nullptr},
        {"setqusrf3", kRunModeWindow, false, nullptr}, {"regqu3 setqusrf32", kRunModeSilent, false, nullptr},
        {"setqusrf32\t/SuppressMsgBoxes", kRunModeSilent, true, nullptr},
        {"\"/suppressmsgboxes\"\t/LOG=\"C:\\a b\\x.log\"", kRunModeWindow, true, "C:\\a b\\x.log"},
        {"/SUPPRESSMSGBOXESX /log=C:\\a/suppressmsgboxes.log", kRunModeWindow, false, "C:\\a\\suppressmsgboxes.log"},
        {"x/suppressmsgboxes x/LOG=C:\\x.log /LOGX=C:\\y.log /LOG C:\\z.log /LOG=\"\"", kRunModeWindow, false, nullptr},
        {"\"/Log=C:\\a b\\x.log\" /LOG=C:\\second.log", kRunModeWindow, false, "C:\\a b\\x.log"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(ChooseRunMode(row.line), row.mode);
        EXPECT_EQ(AsksToSuppressBoxes(row.line), row.suppress);
        char log[MAX_PATH] = "";
        EXPECT_EQ(FindLogPath(row.line, log, sizeof log) ? log : "none", std::string(row.log ? row.log : "none"));
    }
}

class StartupTest : public QuorTest {
protected:
    const std::string pathFile_ = WindowsDir() + "\\quorpat8.quh";
    Restorer keep_[2] = {KeepFile(pathFile_), KeepFile("d:\\quorel8\\quorpat8.quh")};
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
        RemoveFile(pathFile_);
        ASSERT_TRUE(content ? WriteFileBytes(pathFile_, content) : CreateDirectoryA(pathFile_.c_str(), nullptr));
        UniqueHandle held(CreateFileA(pathFile_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        EXPECT_EQ(LacksAdminRights(), LOBYTE(LOWORD(GetVersion())) >= 6);
        held.Reset();
        EXPECT_STREQ(g_state.previousInstallDir, content ? content : "");
        EXPECT_STREQ(g_state.installDir, "C:\\Program Files\\quorel8\\");
        if (content) { EXPECT_EQ(ReadFileBytes(pathFile_), std::string(content)); }
        RemoveDirectoryA(pathFile_.c_str());
    }
}

// A Program Files folder too long for the install directory: told, nothing written, and a silent
// install asked for says in its exit code that it did not start.
TEST_F(StartupTest, AProgramFilesFolderTooLongIsRefusedBeforeAnythingIsWritten) {
    const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    Restorer keepFolder = KeepRegValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    std::string folder = "D:\\long";
    for (CreateDirectoryA(folder.c_str(), nullptr); folder.size() < 195; CreateDirectoryA(folder.c_str(), nullptr)) {
        folder += "\\" + std::string(40, 'x');
    }
    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", folder));
    ASSERT_TRUE(WriteFileBytes(pathFile_, kEarlier));
    for (const auto& [commandLine, exitCode] : {std::pair{"", 0}, std::pair{"setqusrf32", 2}}) {
        SCOPED_TRACE(commandLine);
        messages.shown.clear();
        EXPECT_EQ(RunSetupProgram(GetModuleHandleA(nullptr), commandLine, SW_SHOW), exitCode);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].wtext + L" | " + messages.shown[0].wcaption,
                  L"Program Files 文件夹的路径过长，无法在其中建立安装目录“quorel8”。"
                  L"安装程序将退出，没有做任何改动。 | 智能岚石安装");
        EXPECT_STREQ(g_state.installDir, "");
        EXPECT_EQ(ReadFileBytes(pathFile_), std::string(kEarlier));
    }
    RemoveTree("D:\\long");
}

}  // namespace

namespace {

// Set first thing by both programs, which start from folders anyone may write: a library named
// without a path is then looked for in the System directory only, neither beside the program nor in
// the current directory.
TEST(LibrarySearchTest, OnlyTheSystemDirectoryIsSearched) {
    ScratchDir current;
    const std::string dll = ReadMember("quorel64.ime");
    ASSERT_TRUE(WriteFileBytes(TestProgramDir() + "quorbeside.dll", dll));
    ASSERT_TRUE(WriteFileBytes(current.Path() + "quorcurrent.dll", dll));
    ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
    for (bool limited : {false, true}) {
        SCOPED_TRACE(limited ? "limited" : "as Windows starts a program");
        if (limited) LimitLibrarySearch();
        for (const char* name : {"quorbeside.dll", "quorcurrent.dll"}) {
            UniqueLibrary library(LoadLibraryA(name));
            EXPECT_EQ(library.Valid(), !limited) << name;
        }
        EXPECT_TRUE(UniqueLibrary(LoadLibraryA("version.dll")).Valid());
    }
    SetCurrentDirectoryA("C:\\");
    RemoveFile(TestProgramDir() + "quorbeside.dll");
}

}  // namespace
