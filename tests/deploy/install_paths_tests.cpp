// The install directory, the path files and the target directories, on the test prefix's real
// shell, registry, drives and files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/install_state.h"
#include "common/text.h"
#include "deploy/install_paths.h"
#include "deploy/os_info.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

class InstallPathsTest : public QuorTest {
protected:
    std::string PathFile() const { return WindowsDir() + "\\quorpat8.quh"; }
};

struct ComposeCase {
    const char* programFiles;
    const char* expected;
};

TEST_F(InstallPathsTest, ComposesTheInstallDirectoryFromProgramFiles) {
    const ComposeCase cases[] = {
        {"C:\\Program Files (x86)", "C:\\Program Files\\quorel8\\"},
        {"C:\\Program Files", "C:\\Program Files\\quorel8\\"},
        {"D:\\Apps (main)\\Program Files", "D:\\Apps\\quorel8\\"},
        {"E:\\", "E:\\quorel8\\"},
        {"C:\\Program Files  \t", "C:\\Program Files\\quorel8\\"},
        {"c:\\Program Files", "c:\\Program Files\\quorel8\\"},
        {"", "quorel8\\"},
    };
    for (const ComposeCase& c : cases) {
        SCOPED_TRACE(c.programFiles);
        char dir[kPathCapacity];
        ASSERT_TRUE(ComposeInstallDir(c.programFiles, dir, sizeof dir));
        EXPECT_STREQ(dir, c.expected);
    }
}

TEST_F(InstallPathsTest, RefusesAProgramFilesFolderTooLongForTheInstallDirectory) {
    char dir[kPathCapacity];
    std::string fits = "C:\\" + std::string(199 - 3 - 9, 'p');  // + "\quorel8\" = 199 characters
    ASSERT_TRUE(ComposeInstallDir(fits.c_str(), dir, sizeof dir));
    EXPECT_EQ(std::strlen(dir), 199u);

    std::string tooLong = fits + "p";
    EXPECT_FALSE(ComposeInstallDir(tooLong.c_str(), dir, sizeof dir));
    EXPECT_STREQ(dir, "");
}

TEST_F(InstallPathsTest, AsksTheShellForProgramFiles) {
    ASSERT_TRUE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "C:\\Program Files\\quorel8\\");
}

// The shell answers from the registry; a folder that exists is taken as it is, one that does not
// makes the query fail and the program falls back to its own default.
TEST_F(InstallPathsTest, FollowsTheShellAndFallsBackWhenItFails) {
    RegValueRestorer keep(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
    ScratchDir scratch;
    std::string custom = "D:\\Apps (main)\\Program Files";
    CreateDirectoryA("D:\\Apps (main)", nullptr);
    CreateDirectoryA(custom.c_str(), nullptr);

    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", custom));
    EXPECT_TRUE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "D:\\Apps\\quorel8\\");

    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", "Q:\\No Such Folder"));
    EXPECT_TRUE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "c:\\Program Files\\quorel8\\");

    RemoveTree("D:\\Apps (main)");
}

TEST_F(InstallPathsTest, ATooLongProgramFilesFolderLeavesTheInstallDirectoryEmpty) {
    RegValueRestorer keep(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir");
    std::string folder = "D:\\long";
    CreateDirectoryA(folder.c_str(), nullptr);
    while (folder.size() < 195) {
        folder += "\\" + std::string(40, 'x');
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", folder));
    EXPECT_FALSE(GetInstallDir());
    EXPECT_STREQ(g_state.installDir, "");
    RemoveTree("D:\\long");
}

struct PathFileCase {
    const char* label;
    std::string content;
    std::string expectedPrevious;  // into the 256-byte field
    std::string expectedInstall;   // into the 200-byte field
};

TEST_F(InstallPathsTest, ReadsThePathFileWithinTheDestination) {
    FileRestorer keep(PathFile());
    std::string big(5000, 'A');
    const PathFileCase cases[] = {
        {"empty", "", "", ""},
        {"normal", "C:\\Program Files\\quorel8\\", "C:\\Program Files\\quorel8\\", "C:\\Program Files\\quorel8\\"},
        {"no backslash", "quorisadmin", "quorisadmin", "quorisadmin"},
        {"5000 bytes", big, std::string(255, 'A'), std::string(199, 'A')},
        {"embedded NUL", std::string("ab\0cd", 5), "ab", "ab"},
    };
    for (const PathFileCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(WriteFileBytes(PathFile(), c.content));
        std::memset(g_state.previousInstallDir, 'z', sizeof g_state.previousInstallDir);
        std::memset(g_state.installDir, 'z', sizeof g_state.installDir);
        std::memset(g_state.targetDir, 'g', sizeof g_state.targetDir);  // the field after installDir

        ReadPathFile(true);
        EXPECT_EQ(std::string(g_state.previousInstallDir), c.expectedPrevious);
        ReadPathFile(false);
        EXPECT_EQ(std::string(g_state.installDir), c.expectedInstall);
        EXPECT_EQ(g_state.targetDir[0], 'g');
    }
}

TEST_F(InstallPathsTest, AMissingPathFileChangesNothing) {
    FileRestorer keep(PathFile());
    RemoveFile(PathFile());
    CopyText(g_state.previousInstallDir, "unchanged");
    ReadPathFile(true);
    EXPECT_STREQ(g_state.previousInstallDir, "unchanged");
}

// From Vista on a second copy goes to quorel8\ on the first fixed drive: D: in the test prefix.
// On XP only the Windows directory receives one.
TEST_F(InstallPathsTest, WritesThePathFilesForTheVersion) {
    FileRestorer keepWindows(PathFile());
    FileRestorer keepDrive("d:\\quorel8\\quorpat8.quh");
    RemoveFile("d:\\quorel8\\quorpat8.quh");
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
}

TEST_F(InstallPathsTest, FindsTheFirstFixedDriveFromGDown) {
    char folder[kPathCapacity];
    FindFixedDriveFolder(folder, sizeof folder);
    EXPECT_STREQ(folder, "d:\\quorel8\\");
}

TEST_F(InstallPathsTest, SelectsTheTargetDirectoryByKind) {
    const std::string windows = WindowsDir();
    const std::string system = SystemDir();
    const struct {
        int kind;
        std::string expected;
    } cases[] = {
        {kTargetWindows, windows},
        {kTargetWow64System, windows + "\\syswow64"},
        {kTargetSystem64, system},
        {kTargetSystem32, system},
        {7, windows},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        SelectTargetDir(c.kind);
        EXPECT_EQ(std::string(g_state.targetDir), c.expected);
    }
}

TEST_F(InstallPathsTest, TellsDirectoriesFromFilesAndMissingPaths) {
    ScratchDir scratch;
    EXPECT_TRUE(DirectoryExists(scratch.Path().c_str()));
    EXPECT_TRUE(DirectoryExists("C:\\windows"));
    WriteFileBytes(scratch.Path() + "file.txt", "x");
    EXPECT_TRUE(DirectoryExists((scratch.Path() + "file.txt").c_str()));  // any openable path counts
    EXPECT_FALSE(DirectoryExists((scratch.Path() + "missing").c_str()));
}

}  // namespace
