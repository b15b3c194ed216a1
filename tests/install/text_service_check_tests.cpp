// The checks that end an install: the text-service DLL copies against the install directory's (the
// copy message), on Windows 10 the keys the DLLs' registration made (the hook message) and the five
// categories added to them, then qrjcdir started at basic trust (recorded by the prefix's stand-in
// runas) unless a message was shown, or the launcher there is not the one the install wrote.

#include <map>

#include "common/install_state.h"
#include "common/text.h"
#include "install/text_service_check.h"
#include "platform/install_dir_files.h"
#include "tests/support/install_checks.h"
#include "tests/support/command_log.h"
#include "tests/support/os_facts_scripted.h"
#include "tests/support/text_service_fixture.h"

namespace {

using Files = std::map<std::string, std::string>;  // path and bytes; an empty text: no file

// The install directory the fixed short path of the runas command leads to.
class VerifyInstallTest : public TextServiceTest {
protected:
    void SetUp() override {
        TextServiceTest::SetUp();
        CreateDirectoryA(kInstallDir, nullptr);
    }
    void TearDown() override {
        TextServiceTest::TearDown();
        RemoveTree(kInstallDir);
    }
    const std::string wow64_ = WindowsDir() + "\\syswow64\\", system_ = SystemDir() + "\\";
    Restorer keep_[3] = {KeepFile(system_ + "quorsrf.dll"), KeepFile(system_ + "quorsrf6.dll"),
                         KeepFile(wow64_ + "quorsrf.dll")};
};

TEST_F(VerifyInstallTest, CopiesThenKeysThenQrjcdir) {
    const std::string dll32(300, '3'), dll64(600, '6'), install = kInstallDir;
    const Files all64 = {{install + "quorsrf.dll", dll32}, {install + "quorsrf6.dll", dll64},
                         {wow64_ + "quorsrf.dll", dll32}, {system_ + "quorsrf6.dll", dll64}};
    const Files all32 = {{install + "quorsrf.dll", dll32}, {system_ + "quorsrf.dll", dll32}};
    auto with = [](Files files, const std::string& path, const char* bytes) { files[path] = bytes; return files; };
    // keys: -1, none; 0 to 3, the text-service key and the item keys of that many tested categories;
    // 4, those and the Category\Category key, as the DLLs' registration makes them. copyMessage: the
    // file the copy message names (nullptr: none). planted: qrjcdir.exe is not the install's own.
    struct Row { const char* name; int systemBits, interfaceChoice, keys; Files files; const char* copyMessage;
                 bool planted = false; };
    const std::vector<Row> rows = {
        {"64-bit system, copies equal", 64, kInterfaceTsf, 4, all64, nullptr},
        {"32-bit copy differs", 64, kInterfaceTsf, 4, with(all64, wow64_ + "quorsrf.dll", "3"), "quorsrf.dll"},
        {"64-bit copy missing", 64, kInterfaceTsf, 4, with(all64, system_ + "quorsrf6.dll", ""), "quorsrf6.dll"},
        {"32-bit system, copy differs", 32, kInterfaceTsf, 4, with(all32, system_ + "quorsrf.dll", "3"), "quorsrf.dll"},
        {"IMM compares and tests nothing", 64, kInterfaceImm, -1, {}, nullptr},
        {"no text-service key", 64, kInterfaceTsf, -1, all64, nullptr},
        {"the first tested category only", 64, kInterfaceTsf, 1, all64, nullptr},
        {"item keys only: no Category\\Category key", 64, kInterfaceTsf, 3, all64, nullptr},
        {"a launcher the install did not write", 64, kInterfaceTsf, 4, all64, nullptr, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.systemBits == 32 ? Script32BitSystem() : UnscriptOsFacts();
        SetFactsOfWindowCreation();
        g_state.interfaceChoice = row.interfaceChoice;
        CopyText(g_state.installDir, install.c_str());
        for (const std::string& directory : {install, wow64_, system_}) {
            for (const char* name : {"quorsrf.dll", "quorsrf6.dll"}) RemoveFile(directory + name);
        }
        for (const auto& [path, bytes] : row.files) {
            if (!bytes.empty()) { ASSERT_TRUE(WriteFileBytes(path, bytes)); }
        }
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTip);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTip);
        if (row.keys >= 0) CreateKey(HKEY_LOCAL_MACHINE, kTip);
        for (int i = 0; i < row.keys && i < 3; ++i) {
            CreateKey(HKEY_LOCAL_MACHINE, ItemKey(kTestedCategories[i]).c_str());
        }
        if (row.keys == 4) CreateKey(HKEY_LOCAL_MACHINE, (std::string(kTip) + "\\Category\\Category").c_str());
        ASSERT_TRUE(WriteInstalled("qrjcdir.exe", "launcher", 8));
        if (row.planted) {
            RemoveInstalled("qrjcdir.exe");
            ASSERT_TRUE(WriteFileBytes(install + "qrjcdir.exe", "launcher"));
        }
        RemoveFile(kRunasLog);
        messages.shown.clear();

        VerifyTextServiceInstall();

        // The hook message names the first missing key: 0 the text service's own, 1 on the categories.
        const bool keysTested = g_state.isWindows10 && row.interfaceChoice == kInterfaceTsf && !row.copyMessage;
        std::string message;
        if (row.copyMessage) {
            message = std::string("没有成功复制") + row.copyMessage + "文件，请退出安装程序并手动删除该文件后重新安装！";
        } else if (keysTested && row.keys < 3) {
            message = "系统32位dll文件没有挂接成功(err=" + std::to_string(row.keys + 1) + ")！，请退出安装程序重新安装！";
        }
        EXPECT_EQ(ShownBoxes(messages), message.empty() ? Ids{} : Ids{message + " | 智能岚石(岚石五笔)安装"});
        const bool started = message.empty() && !row.planted;
        EXPECT_EQ(started ? WaitForLogLines(kRunasLog, 1) : LogLinesAfterPause(kRunasLog),
                  started ? Ids{kBasicTrustCommand} : Ids{});
        // The categories go only under the parents that the registration made.
        const bool added = keysTested && message.empty(), parents = added && row.keys == 4;
        for (const char* category : kAddedCategories) {
            EXPECT_EQ(TipKeyPresent(ItemKey(category)), added) << category;
            EXPECT_EQ(TipKeyPresent(CategoryMemberKey(category)), parents) << category;
        }
    }
}

}  // namespace
