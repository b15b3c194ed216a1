// The install report over an install directory built for each case: the directory score and the
// file counters, and which check the one report names (the application-package listing comes from
// the stand-in icacls of the test prefix).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/install_state.h"
#include "common/product.h"
#include "common/text.h"
#include "deploy/install_report.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kListingFile[] = "C:\\quortest\\icacls-listing.txt";
constexpr char kFullAccessListing[] =
    "C:\\Progra~1\\quorel8 BUILTIN\\Administrators:(OI)(CI)(F)\n"
    "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\n";
constexpr char kReadOnlyListing[] =
    "C:\\Progra~1\\quorel8 BUILTIN\\Administrators:(OI)(CI)(F)\n"
    "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(RX)\n";

constexpr int kCompleteFileCount = 74;

std::string Bytes(std::size_t count) { return std::string(count, 'q'); }

std::string ExpectedReport(const char* failure) {
    return std::string("智能岚石汉字输入系统8.6版安装情况报告。\r\n\r\n安装出现错误！错误为：") + failure +
           "\r\n\r\n请到主页" + kHomePageUrl + "重新下载安装！并解除杀毒软件对安装过程的拦截！\r\n\r\n";
}

class InstallReportTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        GetCurrentDirectoryA(MAX_PATH, savedDirectory_);
        RemoveFile(kListingFile);
        dir = scratch_.Path() + "quorel8\\";
        CopyText(g_state.installDir, dir.c_str());
    }
    void TearDown() override {
        LeaveInstallDir();
        RemoveFile(kListingFile);
        QuorTest::TearDown();
    }

    // The scan leaves the process in the install directory, which cannot be removed while it is so.
    void LeaveInstallDir() { SetCurrentDirectoryA(savedDirectory_); }

    // An install that passes every check: 74 plain files, among them both phrase libraries and
    // both interface files, and the sub-directory filer\ with a file in it.
    void MakeCompleteInstall() {
        LeaveInstallDir();
        RemoveTree(dir);
        fillers_ = 0;
        CreateDirectoryA(dir.c_str(), nullptr);
        CreateDirectoryA((dir + "filer").c_str(), nullptr);
        WriteFileBytes(dir + "filer\\inside.txt", Bytes(20));
        const char* named[] = {"quorcyzk.quh", "quorpyck.quh", "quorel4.ime", "quorsrf6.dll"};
        for (const char* name : named) WriteFileBytes(dir + name, Bytes(40));
        for (int i = 0; i < kCompleteFileCount - 4; ++i) AddFiller();
    }

    // Keeps the file count when a case takes a file away.
    void AddFiller() { WriteFileBytes(dir + "fill" + std::to_string(fillers_++) + ".txt", Bytes(1)); }

    void Replace(const char* removed, const char* added, std::size_t addedSize) {
        RemoveFile(dir + removed);
        if (added != nullptr) {
            WriteFileBytes(dir + added, Bytes(addedSize));
        } else {
            AddFiller();
        }
    }

    std::string dir;

private:
    ScratchDir scratch_;
    char savedDirectory_[MAX_PATH] = {};
    int fillers_ = 0;
};

TEST_F(InstallReportTest, ScoresTheDirectoryAndCountsItsPlainFiles) {
    struct Row {
        const char* name;
        std::vector<std::string> files;
        bool hidden;
        int score, txt, quh, other;
    };
    std::vector<std::string> many;
    for (int i = 0; i < 257; ++i) {
        char name[16];
        wsprintfA(name, "n%d.QUH", i);
        many.push_back(name);
    }
    const std::vector<Row> rows = {
        {"mixed names", {"A.TXT", "b.Quh", "c.txt.quh", "d.dat", "noext"}, false, 14, 2, 1, 2},
        {"empty directory", {}, false, 14, 0, 0, 0},
        {"hidden directory", {"a.txt"}, true, 11, 1, 0, 0},
        {"counters wrap at 256", many, false, 14, 0, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LeaveInstallDir();
        RemoveTree(dir);
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        CreateDirectoryA((dir + "filer").c_str(), nullptr);
        WriteFileBytes(dir + "filer\\x.txt", "x");
        for (const std::string& file : row.files) ASSERT_TRUE(WriteFileBytes(dir + file, "x"));
        if (row.hidden) {
            ASSERT_TRUE(SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
            ASSERT_NE(GetFileAttributesA(dir.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
        }
        ScanInstallDir();
        EXPECT_EQ(g_state.directoryScore, row.score);
        EXPECT_EQ(g_state.txtFileCount, row.txt);
        EXPECT_EQ(g_state.quhFileCount, row.quh);
        EXPECT_EQ(g_state.otherFileCount, row.other);
        SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    }

    // A directory that is not there: no listing, cannot be entered; the missing backslash is added.
    LeaveInstallDir();
    RemoveTree(dir);
    std::string bare = dir.substr(0, dir.size() - 1);
    CopyText(g_state.installDir, bare.c_str());
    ScanInstallDir();
    EXPECT_EQ(g_state.directoryScore, 0);
    EXPECT_EQ(std::string(g_state.installDir), dir);
}

TEST_F(InstallReportTest, NamesTheFirstCheckThatFails) {
    std::string systemIme = SystemDir() + "\\quorel4.ime";
    FileRestorer keepSystemIme(systemIme);
    WriteFileBytes(systemIme, Bytes(4000));

    struct Row {
        const char* name;
        int interfaceChoice;
        int windows10;
        const char* listing;  // nullptr: the stand-in's own listing, which grants full access
        std::function<void()> change;
        const char* failure;  // nullptr: every check passes
    };
    const std::vector<Row> rows = {
        {"complete IMM install", kInterfaceImm, 0, nullptr, [] {}, nullptr},
        {"complete TSF install", kInterfaceTsf, 0, nullptr, [] {}, nullptr},
        {"directory missing", kInterfaceImm, 0, nullptr, [&] { RemoveTree(dir); }, "检测不到安装路径！"},
        {"directory with an extra attribute bit", kInterfaceImm, 0, nullptr,
         [&] { SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN); },
         "检测不到安装路径！"},
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
        {"Pinyin library missing", kInterfaceImm, 0, nullptr, [&] { Replace("quorpyck.quh", nullptr, 0); },
         "无拼音词库文件！"},
        {"IMM file only in the System directory", kInterfaceImm, 0, nullptr,
         [&] { Replace("quorel4.ime", nullptr, 0); }, "缺少文件！"},
        {"TSF without its 64-bit DLL", kInterfaceTsf, 0, nullptr, [&] { Replace("quorsrf6.dll", nullptr, 0); },
         "缺少文件！"},
        {"Windows 10, packages may only read", kInterfaceImm, 1, kReadOnlyListing, [] {},
         "安装目录权限不够，如不能使用请删除后重新安装！！"},
        {"Windows 10, packages have full access", kInterfaceImm, 1, kFullAccessListing, [] {}, nullptr},
        {"Windows 7, packages may only read", kInterfaceImm, 0, kReadOnlyListing, [] {}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MakeCompleteInstall();
        row.change();
        RemoveFile(kListingFile);
        if (row.listing != nullptr) {
            ASSERT_TRUE(WriteFileBytes(kListingFile, row.listing));
        }
        g_state.interfaceChoice = row.interfaceChoice;
        g_state.isWindows10 = row.windows10;
        messages.shown.clear();

        EXPECT_EQ(ShowInstallReport(), row.failure != nullptr ? 1 : 0);
        if (row.failure == nullptr) {
            EXPECT_TRUE(messages.shown.empty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text, ExpectedReport(row.failure));
            EXPECT_EQ(messages.shown[0].caption, "智能岚石");
            EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_OK));
        }
        SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    }
}

}  // namespace
