// What the uninstaller takes from outside before it removes anything, in-process: its command-line
// words (the log's word is the setup program's, tested with its words) and the install directory a
// path file names, which any administrator's earlier install, or anyone who could write the Windows
// directory, may have set to another folder.
#include "common/install_state.h"
#include "tests/support/test_support.h"
#include "uninstall/command_words.h"
#include "uninstall/installed_files.h"

namespace {

// Each word is an argument of its own, in any capitals; a near miss is nothing.
TEST(UninstallWordsTest, OnlyWholeArgumentsCount) {
    const struct { std::vector<const char*> words; bool silent, workingCopy; } rows[] = {
        {{"/s"}, true, false}, {{"x", "/S", "quorDELrun"}, true, true}, {{"/SX", "S", "-S", "/S/"}, false, false},
        {{"quordelrun2", "xquordelrun", "/LOGX=/S"}, false, false}, {{"QUORDELRUN"}, false, true},
    };
    for (const auto& row : rows) {
        std::vector<const char*> arguments = {"C:\\quordel8.exe"};
        arguments.insert(arguments.end(), row.words.begin(), row.words.end());
        const UninstallWords words = ReadUninstallWords(static_cast<int>(arguments.size()), arguments.data());
        EXPECT_EQ(words.silent, row.silent) << row.words[0];
        EXPECT_EQ(words.workingCopy, row.workingCopy) << row.words[0];
    }
}

using InstallDirChoiceTest = QuorTest;

// Only a folder named quorel8 (any capitals), given with its drive and backslashes and existing, is
// followed; a name that only ends like it, or whose backslash before it is a GBK trail byte, is not,
// and neither is a path of 200 bytes or more. Otherwise the directory an install would use now.
TEST_F(InstallDirChoiceTest, FollowsOnlyAPathFileNamingAQuorel8Folder) {
    Restorer keep = KeepFile(WindowsDir() + "\\quorpat8.quh");
    const std::string fits = "D:\\" + std::string(187, 'p') + "\\quorel8\\";  // 199 bytes
    const std::string tooLong = "D:\\" + std::string(188, 'p') + "\\QUOREL8\\";
    const std::string folders[] = {"D:\\Earlier\\QuoRel8\\", "D:\\Earlier\\xquorel8\\", "D:\\Earlier\\quorel9\\",
                                   "D:\\Earlier\\\xC0\x5Cquorel8\\", fits, tooLong};
    for (const std::string& folder : folders) {
        CreateDirectoryA(folder.substr(0, folder.rfind('\\', folder.size() - 2)).c_str(), nullptr);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << folder;
    }
    const std::pair<std::string, bool> rows[] = {  // the path file, whether it is followed
        {folders[0], true}, {folders[1], false}, {folders[2], false}, {folders[3], false}, {fits, true},
        {tooLong, false}, {"D:\\Earlier\\quorel8", false}, {"D:Earlier\\quorel8\\", false},
        {"\\\\?\\D:\\Earlier\\quorel8\\", false}, {"D:\\Missing\\quorel8\\", false}};
    for (const auto& [content, followed] : rows) {
        SCOPED_TRACE(content);
        ASSERT_TRUE(WriteFileBytes(WindowsDir() + "\\quorpat8.quh", content));
        char dir[kPathCapacity] = "unchanged";
        bool recorded = !followed;
        EXPECT_TRUE(ChooseInstallDir(dir, sizeof dir, &recorded));
        EXPECT_EQ(recorded, followed);
        EXPECT_EQ(std::string(dir), followed ? content : "C:\\Program Files\\quorel8\\");
    }
    RemoveTree("D:\\Earlier");
    RemoveTree(fits.substr(0, 190));
    RemoveTree(tooLong.substr(0, 191));
}

}  // namespace
