// The real setup.exe started as a user starts it: its window, the refusal without administrator
// rights (also of a silent install), the Windows XP start without a probe and a Program Files path
// too long for the install directory. A silent install that starts installs, so it runs on a fresh
// machine (silent_install_e2e_tests).
#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "common/handles.h"
#include "e2e/setup_driver.h"
#include "tests/support/test_support.h"

namespace {

constexpr DWORD kWaitMs = 15000;

std::wstring SetupPath() {
    std::string path = QUOR_SETUP_EXE;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return L"Z:" + std::wstring(path.begin(), path.end());
}

std::wstring ArtifactPath(const wchar_t* name) {
    std::string folder = QUOR_ARTIFACT_DIR;
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    CreateDirectoryA(("Z:" + folder).c_str(), nullptr);
    return L"Z:" + std::wstring(folder.begin(), folder.end()) + L"\\" + name;
}

class SetupStartTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        SetProgramWindowsVersion(L"setup.exe", nullptr);
    }
    void TearDown() override {
        SetProgramWindowsVersion(L"setup.exe", nullptr);
        QuorTest::TearDown();
    }
    std::string PathFile() const { return WindowsDir() + "\\quorpat8.quh"; }

    FileRestorer keepPathFile_{WindowsDir() + "\\quorpat8.quh"};
    FileRestorer keepDriveFile_{"d:\\quorel8\\quorpat8.quh"};
    SetupProcess setup;
};

TEST_F(SetupStartTest, OpensTheFixedSizeCentredMainWindowWithItsTitle) {
    ASSERT_TRUE(StartProgram(SetupPath(), L"", &setup));
    HWND window = WaitForWindow(kMainWindowClassW, setup.info.dwProcessId, kWaitMs);
    ASSERT_NE(window, nullptr);

    wchar_t title[200];
    GetWindowTextW(window, title, 200);
    if (GetOEMCP() == 950) {
        EXPECT_EQ(std::wstring(title), L"智能嵐石系統安裝");
    } else {
        EXPECT_EQ(std::wstring(title), L"智能岚石系统安装3264-os：64-0-100-61");
    }

    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 400);
    EXPECT_EQ(rect.bottom - rect.top, 310);
    EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
    EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 300) / 2);

    Sleep(300);
    EXPECT_TRUE(SaveWindowBitmap(window, ArtifactPath(GetOEMCP() == 950 ? L"main-window-950.bmp" : L"main-window.bmp")));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(setup.Wait(kWaitMs), 0u);
    EXPECT_EQ(ReadFileBytes(PathFile()), std::string("C:\\Program Files\\quorel8\\"));
}

// A silent install asked for says in its exit code that it did not start.
TEST_F(SetupStartTest, RefusesToRunWhenThePathFileCannotBeWritten) {
    const struct {
        const wchar_t* arguments;
        DWORD exitCode;
    } cases[] = {{L"", 0}, {L"setqusrf32", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.arguments, c.arguments + wcslen(c.arguments)));
        ASSERT_TRUE(WriteFileBytes(PathFile(), "D:\\Earlier\\quorel8\\"));
        UniqueHandle held(
            CreateFileA(PathFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.Valid());

        SetupProcess refused;
        ASSERT_TRUE(StartProgram(SetupPath(), c.arguments, &refused));
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForMessageBox(refused.info.dwProcessId, kWaitMs, &box));
        EXPECT_EQ(box.caption, L"智能岚石");
        EXPECT_EQ(box.text,
                  L"本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安装程序，"
                  L"在弹出菜单中点击“以管理员身份运行”）");
        EXPECT_EQ(WaitForWindow(kMainWindowClassW, refused.info.dwProcessId, 0), nullptr);
        AnswerMessageBox(box.window, IDOK);
        EXPECT_EQ(refused.Wait(kWaitMs), c.exitCode);
        held.Reset();
        EXPECT_EQ(ReadFileBytes(PathFile()), std::string("D:\\Earlier\\quorel8\\"));
        EXPECT_FALSE(FileExists("C:\\Program Files\\quorel8\\quorel4.ime"));
    }
}

TEST_F(SetupStartTest, MakesNoProbeOnWindowsXp) {
    SetProgramWindowsVersion(L"setup.exe", L"winxp64");
    ASSERT_TRUE(WriteFileBytes(PathFile(), "D:\\Earlier\\quorel8\\"));
    UniqueHandle held(CreateFileA(PathFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));

    ASSERT_TRUE(StartProgram(SetupPath(), L"", &setup));
    HWND window = WaitForWindow(kMainWindowClassW, setup.info.dwProcessId, kWaitMs);
    ASSERT_NE(window, nullptr);
    if (GetOEMCP() != 950) {
        wchar_t title[200];
        GetWindowTextW(window, title, 200);
        EXPECT_EQ(std::wstring(title), L"智能岚石系统安装32-os：32-0-100-52");
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(setup.Wait(kWaitMs), 0u);
}

TEST_F(SetupStartTest, AProgramFilesPathTooLongIsRefusedBeforeAnythingIsWritten) {
    RegValueRestorer keep(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    std::string folder = "D:\\long";
    CreateDirectoryA(folder.c_str(), nullptr);
    while (folder.size() < 195) {
        folder += "\\" + std::string(40, 'x');
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                               folder));
    ASSERT_TRUE(WriteFileBytes(PathFile(), "D:\\Earlier\\quorel8\\"));

    ASSERT_TRUE(StartProgram(SetupPath(), L"", &setup));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(setup.info.dwProcessId, kWaitMs, &box));
    EXPECT_EQ(box.caption, L"智能岚石安装");
    EXPECT_NE(box.text.find(L"Program Files"), std::wstring::npos);
    AnswerMessageBox(box.window, IDOK);
    EXPECT_EQ(setup.Wait(kWaitMs), 0u);
    EXPECT_EQ(ReadFileBytes(PathFile()), std::string("D:\\Earlier\\quorel8\\"));
    RemoveTree("D:\\long");
}

}  // namespace
