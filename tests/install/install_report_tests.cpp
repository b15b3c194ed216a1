// The install report over an install directory built for each case: which check the one report
// names, or none (the application-package listing comes from the stand-in icacls of the test
// prefix).

#include "common/install_state.h"
#include "common/product.h"
#include "common/text.h"
#include "install/install_report.h"
#include "tests/support/layout_fixture.h"

namespace {

constexpr char kListingFile[] = "C:\\quortest\\icacls-listing.txt";
constexpr char kReadOnlyListing[] =
    "C:\\Progra~1\\quorel8 BUILTIN\\Administrators:(OI)(CI)(F)\n"
    "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(RX)\n";

class InstallReportTest : public QuorTest {
protected:
    void TearDown() override {
        SetCurrentDirectoryA("C:\\");  // the scan leaves the process in the install directory
        RemoveFile(kListingFile);
        QuorTest::TearDown();
    }

    // An install that passes every check: 74 plain files, among them both phrase libraries and both
    // interface files, and the sub-directory filer\ with a file in it.
    void MakeCompleteInstall() {
        SetCurrentDirectoryA("C:\\");
        RemoveTree(dir);
        CreateDirectoryA(dir.c_str(), nullptr);
        CreateDirectoryA((dir + "filer").c_str(), nullptr);
        WriteFileBytes(dir + "filer\\inside.txt", std::string(20, 'q'));
        for (const char* name : {"quorcyzk.quh", "quorpyck.quh", "quorel4.ime", "quorsrf6.dll"}) {
            WriteFileBytes(dir + name, std::string(40, 'q'));
        }
        for (int i = 0; i < 70; ++i) WriteFileBytes(dir + "fill" + std::to_string(i) + ".txt", "q");
    }

    // Takes a file away and puts another in its place, keeping the file count.
    void Replace(const char* removed, const char* added, std::size_t addedSize) {
        RemoveFile(dir + removed);
        WriteFileBytes(dir + added, std::string(addedSize, 'q'));
    }

    ScratchDir scratch_;
    const std::string dir = scratch_.Path() + "quorel8\\";
};

TEST_F(InstallReportTest, NamesTheFirstCheckThatFails) {
    Restorer keep = KeepFile(SystemDir() + "\\quorel4.ime");
    WriteFileBytes(SystemDir() + "\\quorel4.ime", std::string(4000, 'q'));

    // listing nullptr: the stand-in's own, which grants full access; failure nullptr: every check passes.
    struct Row { const char* name; int interfaceChoice, windows10; const char* listing; std::function<void()> change;
                 const char* failure; };
    const std::vector<Row> rows = {
        {"complete IMM install", kInterfaceImm, 0, nullptr, [] {}, nullptr},
        {"directory missing", kInterfaceImm, 0, nullptr, [&] { RemoveTree(dir); }, "检测不到安装路径！"},
        {"73 files and a second sub-directory", kInterfaceImm, 0, nullptr,
         [&] {
             RemoveFile(dir + "fill0.txt");
             CreateDirectoryA((dir + "more").c_str(), nullptr);
         },
         "文件不完整！"},
        {"Wubi library only as a 19-byte .dat", kInterfaceImm, 0, nullptr,
         [&] { Replace("quorcyzk.quh", "quorcyzk.dat", 19); }, "无五笔词库文件！"},
        {"Wubi library as a 20-byte .bak", kInterfaceImm, 0, nullptr,
         [&] { Replace("quorcyzk.quh", "quorcyzk.bak", 20); }, nullptr},
        {"Pinyin library missing", kInterfaceImm, 0, nullptr, [&] { Replace("quorpyck.quh", "x.txt", 1); },
         "无拼音词库文件！"},
        {"IMM file only in the System directory", kInterfaceImm, 0, nullptr,
         [&] { Replace("quorel4.ime", "x.txt", 1); }, "缺少文件！"},
        {"TSF without its 64-bit DLL", kInterfaceTsf, 0, nullptr, [&] { Replace("quorsrf6.dll", "x.txt", 1); },
         "缺少文件！"},
        {"Windows 10, packages may only read", kInterfaceImm, 1, kReadOnlyListing, [] {},
         "安装目录权限不够，如不能使用请删除后重新安装！！"},
        {"Windows 7, packages may only read", kInterfaceImm, 0, kReadOnlyListing, [] {}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MakeCompleteInstall();
        row.change();
        RemoveFile(kListingFile);
        if (row.listing != nullptr) { ASSERT_TRUE(WriteFileBytes(kListingFile, row.listing)); }
        // Without its backslash, which the scan adds.
        CopyText(g_state.installDir, dir.substr(0, dir.size() - 1).c_str());
        g_state.interfaceChoice = row.interfaceChoice;
        g_state.isWindows10 = row.windows10;
        messages.shown.clear();

        EXPECT_EQ(ShowInstallReport(), row.failure != nullptr ? 1 : 0);
        EXPECT_EQ(ShownBoxes(messages),
                  row.failure ? Ids{std::string("智能岚石汉字输入系统8.6版安装情况报告。\r\n\r\n安装出现错误！错误为：") +
                                    row.failure + "\r\n\r\n请到主页" + kHomePageUrl +
                                    "重新下载安装！并解除杀毒软件对安装过程的拦截！\r\n\r\n | 智能岚石"}
                              : Ids{});
    }
}

}  // namespace
