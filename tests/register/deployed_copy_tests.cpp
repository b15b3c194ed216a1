// The check of the text-service DLL copies that ends an install: the copy message, or the start of
// qrjcdir at basic trust through the stand-in runas.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "common/install_state.h"
#include "common/text.h"
#include "deploy/dir_security.h"
#include "deploy/install_paths.h"
#include "deploy/os_info.h"
#include "deploy/system_copy.h"
#include "register/text_service_check.h"
#include "tests/register/command_log.h"
#include "tests/register/text_service_fixture.h"
#include "tests/support/os_facts_scripted.h"
#include "tests/support/test_support.h"

namespace {

// Where copies go: the WOW64 system directory and the System directory.
enum Place { kInstall, kWow64, kSystem };

class DeployedCopyTest : public TextServiceTest {
protected:
    void SetUp() override {
        TextServiceTest::SetUp();
        CopyText(g_state.installDir, install_.Path().c_str());
    }

    static std::string Wow64Dir() { return WindowsDir() + "\\syswow64"; }
    std::string PathOf(Place place, const std::string& name) const {
        switch (place) {
            case kInstall: return install_.Path() + name;
            case kWow64: return Wow64Dir() + "\\" + name;
            default: return SystemDir() + "\\" + name;
        }
    }
    // Lays the files out: name -> contents (absent names are removed).
    void Arrange(const std::map<std::pair<Place, std::string>, std::string>& files) {
        for (Place place : {kInstall, kWow64, kSystem}) {
            for (const char* name : {"quorsrf.dll", "quorsrf6.dll", "quorel4.ime"}) RemoveFile(PathOf(place, name));
        }
        for (const auto& [where, bytes] : files) ASSERT_TRUE(WriteFileBytes(PathOf(where.first, where.second), bytes));
    }

    ScratchDir install_;
    FileRestorer restore1_{SystemDir() + "\\quorsrf.dll"};
    FileRestorer restore2_{SystemDir() + "\\quorsrf6.dll"};
    FileRestorer restore3_{Wow64Dir() + "\\quorsrf.dll"};
    FileRestorer restore4_{SystemDir() + "\\quorel4.ime"};
};

TEST_F(DeployedCopyTest, TextServiceCopiesAreCheckedBeforeQrjcdirStarts) {
    // On Windows 10 the keys the DLLs' registration makes are tested next; here they are present.
    for (const char* category : kTestedCategories) CreateTipKey(ItemKey(category));
    const std::string dll32(300, '3');
    const std::string dll64(600, '6');
    struct Row {
        const char* name;
        bool thirtyTwoBitSystem;
        int interfaceChoice;
        std::map<std::pair<Place, std::string>, std::string> files;
        const char* messageFile;  // nullptr: no message, qrjcdir starts
    };
    const std::map<std::pair<Place, std::string>, std::string> all64 = {
        {{kInstall, "quorsrf.dll"}, dll32}, {{kInstall, "quorsrf6.dll"}, dll64},
        {{kWow64, "quorsrf.dll"}, dll32}, {{kSystem, "quorsrf6.dll"}, dll64}};
    auto without = [&](Place place, const char* name) {
        auto files = all64;
        files.erase({place, name});
        return files;
    };
    auto changed = [&](Place place, const char* name, const std::string& bytes) {
        auto files = all64;
        files[{place, name}] = bytes;
        return files;
    };
    const std::vector<Row> rows = {
        {"64-bit, both copies equal", false, kInterfaceTsf, all64, nullptr},
        {"64-bit, 32-bit copy differs", false, kInterfaceTsf, changed(kWow64, "quorsrf.dll", dll32 + "+"), "quorsrf.dll"},
        {"64-bit, 32-bit source missing", false, kInterfaceTsf, without(kInstall, "quorsrf.dll"), "quorsrf.dll"},
        {"64-bit, 64-bit copy missing", false, kInterfaceTsf, without(kSystem, "quorsrf6.dll"), "quorsrf6.dll"},
        {"32-bit, copy equal", true, kInterfaceTsf,
         {{{kInstall, "quorsrf.dll"}, dll32}, {{kSystem, "quorsrf.dll"}, dll32}}, nullptr},
        {"32-bit, copy differs", true, kInterfaceTsf,
         {{{kInstall, "quorsrf.dll"}, dll32}, {{kSystem, "quorsrf.dll"}, "short"}}, "quorsrf.dll"},
        {"IMM compares nothing", false, kInterfaceImm, {}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.thirtyTwoBitSystem) {
            Script32BitSystem();
        } else {
            UnscriptOsFacts();
        }
        g_state.systemBits = GetSystemBits();
        g_state.interfaceChoice = row.interfaceChoice;
        Arrange(row.files);
        RemoveFile(kRunasLog);
        messages.shown.clear();

        VerifyTextServiceInstall();

        if (row.messageFile == nullptr) {
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(WaitForLogLines(kRunasLog, 1), std::vector<std::string>{kBasicTrustCommand});
            continue;
        }
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, std::string("没有成功复制") + row.messageFile +
                                              "文件，请退出安装程序并手动删除该文件后重新安装！");
        EXPECT_EQ(messages.shown[0].caption, "智能岚石(岚石五笔)安装");
        EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_OK));
        EXPECT_TRUE(LogLinesAfterPause(kRunasLog).empty());
    }
}

}  // namespace
