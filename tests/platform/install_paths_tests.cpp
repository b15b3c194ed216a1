// The install directory and the path files on the test prefix's real shell, registry, drives and
// files (also as install_paths_tests-winxp64), the programs the install wrote there, and the OS facts
// through the scripted facts (a WOW64 process, a 32-bit system). The target directories are tested
// with the copies into them (system_copy_tests).

#include <cstring>

#include "common/install_state.h"
#include "common/text.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/os_facts_scripted.h"
#include "tests/support/test_support.h"

namespace {

class InstallPathsTest : public QuorTest {
protected:
    const std::string pathFile_ = WindowsDir() + "\\quorpat8.quh";
};

// The cut at the first "(" and the blanks before it, a drive root, and the 199 characters that fit;
// then the shell, which answers from the registry and fails for a folder that does not exist.
TEST_F(InstallPathsTest, ComposesTheInstallDirectoryAndFallsBackWhenTheShellCannotTell) {
    const std::string fits = "C:\\" + std::string(199 - 3 - 9, 'p');  // + "\quorel8\" = 199 characters
    const std::string fitsDir = fits + "\\quorel8\\", tooLong = fits + "p";
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\Apps (main)\\Program Files", "D:\\Apps\\quorel8\\"}, {"E:\\", "E:\\quorel8\\"},
        {fits.c_str(), fitsDir.c_str()}, {tooLong.c_str(), ""}};
    for (const auto& [programFiles, expected] : cases) {
        char dir[kPathCapacity] = "unchanged";
        EXPECT_EQ(ComposeInstallDir(programFiles, dir, sizeof dir), *expected != '\0') << programFiles;
        EXPECT_STREQ(dir, expected) << programFiles;
    }
    const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
    Restorer keep = KeepRegValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    ASSERT_TRUE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "C:\\Program Files\\quorel8\\");
    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "Q:\\No Such Folder"));
    ASSERT_TRUE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "c:\\Program Files\\quorel8\\");
}

// No path file, then one of 5000 bytes into the 256-byte and the 200-byte field.
TEST_F(InstallPathsTest, ReadsThePathFileWithinTheDestination) {
    Restorer keep = KeepFile(pathFile_);
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, "unchanged"}, {std::string(5000, 'A'), std::string(255, 'A')}};
    for (const auto& [content, previous] : cases) {
        SCOPED_TRACE(previous.substr(0, 20));
        RemoveFile(pathFile_);
        if (content) { ASSERT_TRUE(WriteFileBytes(pathFile_, *content)); }
        CopyText(g_state.previousInstallDir, "unchanged");
        CopyText(g_state.installDir, "unchanged");
        std::memset(g_state.targetDir, 'g', sizeof g_state.targetDir);  // the field after installDir
        ReadPathFile(true);
        ReadPathFile(false);
        EXPECT_EQ(std::string(g_state.previousInstallDir), previous);
        EXPECT_EQ(std::string(g_state.installDir), previous.substr(0, 199));
        EXPECT_EQ(g_state.targetDir[0], 'g');
    }
}

// From Vista on a second copy goes to quorel8\ on the first fixed drive (from G: down): D: in the
// test prefix. On XP only the Windows directory receives one. Rewriting truncates.
TEST_F(InstallPathsTest, WritesThePathFilesForTheVersion) {
    Restorer keep[] = {KeepFile(pathFile_), KeepFile("d:\\quorel8\\quorpat8.quh")};
    RemoveFile("d:\\quorel8\\quorpat8.quh");
    char folder[kPathCapacity];
    FindFixedDriveFolder(folder, sizeof folder);
    EXPECT_STREQ(folder, "d:\\quorel8\\");
    Is64BitSystem();  // sets the OS major version the writer looks at
    CopyText(g_state.installDir, "C:\\Program Files\\quorel8");
    WritePathFiles();
    const std::string expected = "C:\\Program Files\\quorel8\\";
    EXPECT_STREQ(g_state.installDir, expected.c_str());
    EXPECT_EQ(ReadFileBytes(pathFile_), expected);
    EXPECT_EQ(ReadFileBytes("d:\\quorel8\\quorpat8.quh").value_or("none"),
              g_state.osMajorVersion >= 6 ? expected : "none");
    CopyText(g_state.installDir, "C:\\q\\");
    WritePathFiles();
    EXPECT_EQ(ReadFileBytes(pathFile_), std::string("C:\\q\\"));
}

// A program the install wrote (a rename carries that along) is started while it holds what was
// written; one whose bytes changed, or that someone else made again under the name, is not, and a data
// file or a name whose file went is no program the install wrote. (The payload's setupw64.exe notes
// each start in setupw64.log in the directory it is given.)
TEST_F(InstallPathsTest, OnlyProgramsTheInstallWroteAndThatHoldItAreStarted) {
    ScratchDir dir;
    CopyText(g_state.installDir, dir.Path().c_str());
    const std::string program = ReadMember("setupw64.exe"), log = dir.Path() + "setupw64.log";
    const std::string command = dir.Path() + "setupw64.exe regqu32=" + dir.Path();
    char digest[kDigestTextSize];
    ASSERT_TRUE(WriteInstalled("notes.txt", "x", 1));
    ASSERT_TRUE(WriteInstalled("first.exe", program.data(), program.size()));
    ASSERT_TRUE(RenameInstalled("first.exe", "setupw64.exe"));
    EXPECT_FALSE(ProducedDigest("notes.txt", digest) || ProducedDigest("first.exe", digest));
    EXPECT_TRUE(StartProducedProgram("setupw64.exe", command.c_str()));
    EXPECT_EQ(WaitForLogLines(log.c_str(), 1).size(), 1u);

    std::string changed = program;
    changed.back() ^= 1;
    ASSERT_TRUE(WriteFileBytes(dir.Path() + "setupw64.exe", changed));
    EXPECT_FALSE(StartProducedProgram("setupw64.exe", command.c_str()));
    RemoveInstalled("setupw64.exe");
    ASSERT_TRUE(WriteFileBytes(dir.Path() + "setupw64.exe", program));
    EXPECT_FALSE(StartProducedProgram("setupw64.exe", command.c_str()));
    EXPECT_EQ(LogLinesAfterPause(log.c_str()).size(), 1u);
}

// Before Vista neither the system's bitness nor the WOW64 flag is asked for (the scripted facts say
// WOW64 process); a system that predates the query is no WOW64. (The other facts and the redirection
// switch are tested with the copies and registrations that use them.)
TEST_F(InstallPathsTest, AsksForTheBitnessAndTheWow64FlagFromVistaOn) {
    const bool vista = LOBYTE(LOWORD(GetVersion())) >= 6;
    ScriptWow64Process();
    EXPECT_EQ(GetSystemBits(), vista ? 64 : 32);
    EXPECT_EQ(g_state.isWow64Process, vista ? 1 : 0);
    g_osFacts.hasIsWow64Process = false;
    EXPECT_FALSE(IsWow64());
}

}  // namespace
