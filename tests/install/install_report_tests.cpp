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
    // Takes a file away and puts another in its place, keeping the file count.
    void Replace(const char* removed, const char* added, std::size_t addedSize) {
        RemoveFile(dir + removed);
        WriteFileBytes(dir + added, std::string(addedSize, 'q'));
    }

    ScratchDir scratch_;
    const std::string dir = scratch_.Path() + "quorel8\\";
};

// Each row starts from an IMM install under Windows 7 that passes every check: 74 plain files, among
// them both phrase libraries and both interface files, and the sub-directory filer\ with a file in
// it; and the stand-in's own listing, which grants the packages full access.
TEST_F(InstallReportTest, NamesTheFirstCheckThatFails) {
    Restorer keep = KeepFile(SystemDir() + "\\quorel4.ime");
    WriteFileBytes(SystemDir() + "\\quorel4.ime", std::string(4000, 'q'));
    auto readOnlyListing = [] { ASSERT_TRUE(WriteFileBytes(kListingFile, kReadOnlyListing)); };
    const std::vector<std::tuple<const char*, std::function<void()>, const char*>> rows = {
        {"complete", [] {}, nullptr},
        {"directory missing", [&] { RemoveTree(dir); }, "检测不到安装路径！"},
        {"73 files and a second sub-directory",
         [&] { RemoveFile(dir + "fill0.txt"); CreateDirectoryA((dir + "more").c_str(), nullptr); }, "文件不完整！"},
        {"Wubi library only as a 19-byte .dat", [&] { Replace("quorcyzk.quh", "quorcyzk.dat", 19); }, "无五笔词库文件！"},
        {"packages may only read, Wubi library as a 20-byte .bak",
         [&] { readOnlyListing(); Replace("quorcyzk.quh", "quorcyzk.bak", 20); }, nullptr},
        {"Pinyin library missing", [&] { Replace("quorpyck.quh", "x.txt", 1); }, "无拼音词库文件！"},
        {"IMM file only in the System directory", [&] { Replace("quorel4.ime", "x.txt", 1); }, "缺少文件！"},
        {"TSF without its 64-bit DLL",
         [&] { Replace("quorsrf6.dll", "x.txt", 1); g_state.interfaceChoice = kInterfaceTsf; }, "缺少文件！"},
        {"Windows 10, packages may only read", [&] { g_state.isWindows10 = 1; readOnlyListing(); },
         "安装目录权限不够，如不能使用请删除后重新安装！！"},
    };
    for (const auto& [name, change, failure] : rows) {
        SCOPED_TRACE(name);
        SetCurrentDirectoryA("C:\\");
        RemoveTree(dir);
        CreateDirectoryA(dir.c_str(), nullptr);
        CreateDirectoryA((dir + "filer").c_str(), nullptr);
        WriteFileBytes(dir + "filer\\inside.txt", std::string(20, 'q'));
        for (const char* file : {"quorcyzk.quh", "quorpyck.quh", "quorel4.ime", "quorsrf6.dll"}) {
            WriteFileBytes(dir + file, std::string(40, 'q'));
        }
        for (int i = 0; i < 70; ++i) WriteFileBytes(dir + "fill" + std::to_string(i) + ".txt", "q");
        RemoveFile(kListingFile);
        CopyText(g_state.installDir, dir.substr(0, dir.size() - 1).c_str());  // the scan adds the backslash
        g_state.interfaceChoice = kInterfaceImm;
        g_state.isWindows10 = 0;
        change();
        messages.shown.clear();

        EXPECT_EQ(ShowInstallReport(), failure != nullptr ? 1 : 0);
        EXPECT_EQ(ShownBoxes(messages),
                  failure ? Ids{std::string("智能岚石汉字输入系统8.6版安装情况报告。\r\n\r\n安装出现错误！错误为：") + failure +
                                "\r\n\r\n请到主页" + kHomePageUrl + "重新下载安装！并解除杀毒软件对安装过程的拦截！\r\n\r\n | 智能岚石"}
                          : Ids{});
    }
}

}  // namespace
