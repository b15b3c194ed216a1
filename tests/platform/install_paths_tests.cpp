// The install directory and the path files, on the test prefix's real shell, registry, drives and
// files (also as install_paths_tests-winxp64). The target directories are tested with the copies
// into them (system_copy_tests), a Program Files folder too long for the install directory with the
// start-up that refuses it (tests/app).
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "common/install_state.h"
#include "common/text.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "tests/support/test_support.h"

namespace {

class InstallPathsTest : public QuorTest {
protected:
    std::string PathFile() const { return WindowsDir() + "\\quorpat8.quh"; }
};

TEST_F(InstallPathsTest, ComposesTheInstallDirectoryFromProgramFiles) {
    const std::string fits = "C:\\" + std::string(199 - 3 - 9, 'p');  // + "\quorel8\" = 199 characters
    const std::string fitsDir = fits + "\\quorel8\\";
    const std::string tooLong = fits + "p";
    // The cut at the first "(" and the trailing blanks, a drive root, and the 199 characters that fit.
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files (x86)", "C:\\Program Files\\quorel8\\"},
        {"D:\\Apps (main)\\Program Files", "D:\\Apps\\quorel8\\"},
        {"C:\\Program Files  \t", "C:\\Program Files\\quorel8\\"}, {"E:\\", "E:\\quorel8\\"}, {"", "quorel8\\"},
        {fits.c_str(), fitsDir.c_str()}, {tooLong.c_str(), nullptr}};
    for (const auto& [programFiles, expected] : cases) {
        SCOPED_TRACE(programFiles);
        char dir[kPathCapacity] = "unchanged";
        EXPECT_EQ(ComposeInstallDir(programFiles, dir, sizeof dir), expected != nullptr);
        EXPECT_STREQ(dir, expected != nullptr ? expected : "");
    }
}

// The shell answers from the registry; a folder that does not exist makes the query fail and the
// program falls back to its own default.
TEST_F(InstallPathsTest, AsksTheShellForProgramFilesAndFallsBackWhenItFails) {
    RegValueRestorer keep(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    ASSERT_TRUE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "C:\\Program Files\\quorel8\\");

    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                               "Q:\\No Such Folder"));
    ASSERT_TRUE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "c:\\Program Files\\quorel8\\");
}

TEST_F(InstallPathsTest, ReadsThePathFileWithinTheDestination) {
    FileRestorer keep(PathFile());
    const struct {
        const char* name;
        std::optional<std::string> content;  // nullopt: no path file
        std::string previous;                // into the 256-byte field
        std::string install;                 // into the 200-byte field
    } cases[] = {
        {"missing", std::nullopt, "unchanged", "unchanged"},
        {"empty", "", "", ""},
        {"no backslash", "quorisadmin", "quorisadmin", "quorisadmin"},
        {"5000 bytes", std::string(5000, 'A'), std::string(255, 'A'), std::string(199, 'A')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFile(PathFile());
        if (c.content) {
            ASSERT_TRUE(WriteFileBytes(PathFile(), *c.content));
        }
        CopyText(g_state.previousInstallDir, "unchanged");
        CopyText(g_state.installDir, "unchanged");
        std::memset(g_state.targetDir, 'g', sizeof g_state.targetDir);  // the field after installDir

        ReadPathFile(true);
        EXPECT_EQ(std::string(g_state.previousInstallDir), c.previous);
        ReadPathFile(false);
        EXPECT_EQ(std::string(g_state.installDir), c.install);
        EXPECT_EQ(g_state.targetDir[0], 'g');
    }
}

// From Vista on a second copy goes to quorel8\ on the first fixed drive: D: in the test prefix.
// On XP only the Windows directory receives one.
TEST_F(InstallPathsTest, WritesThePathFilesForTheVersion) {
    FileRestorer keepWindows(PathFile());
    FileRestorer keepDrive("d:\\quorel8\\quorpat8.quh");
    RemoveFile("d:\\quorel8\\quorpat8.quh");
    char folder[kPathCapacity];
    FindFixedDriveFolder(folder, sizeof folder);
    EXPECT_STREQ(folder, "d:\\quorel8\\");
    Is64BitSystem();  // sets the OS major version the writer looks at

    CopyText(g_state.installDir, "C:\\Program Files\\quorel8");
    WritePathFiles();
    const std::string expected = "C:\\Program Files\\quorel8\\";
    EXPECT_STREQ(g_state.installDir, expected.c_str());
    EXPECT_EQ(ReadFileBytes(PathFile()), expected);
    if (g_state.osMajorVersion >= 6) {
        EXPECT_EQ(ReadFileBytes("d:\\quorel8\\quorpat8.quh"), expected);
    } else {
        EXPECT_FALSE(FileExists("d:\\quorel8\\quorpat8.quh"));
    }

    // Rewriting truncates: a shorter directory leaves no tail of the longer one.
    CopyText(g_state.installDir, "C:\\q\\");
    WritePathFiles();
    EXPECT_EQ(ReadFileBytes(PathFile()), std::string("C:\\q\\"));
    EXPECT_TRUE(DirectoryExists(WindowsDir().c_str()));
    EXPECT_FALSE(DirectoryExists((WindowsDir() + "\\missing").c_str()));
}

}  // namespace
