// The real setup.exe started as a user starts it: its main window under Windows 7 and under XP
// (where no administrator probe is made), and the refusal when the path file cannot be written. The
// refusals of a silent install and of a too long Program Files path are tested in-process
// (tests/app); a silent install that starts installs, so it runs on a fresh machine
// (silent_install_e2e_tests).

#include "app/main_window.h"
#include "common/handles.h"
#include "tools/walker/setup_driver.h"
#include "tests/support/test_support.h"

namespace {

constexpr DWORD kWaitMs = 15000;
constexpr char kEarlier[] = "D:\\Earlier\\quorel8\\";

class SetupStartTest : public QuorTest {
protected:
    void TearDown() override {
        SetProgramWindowsVersion(L"setup.exe", nullptr);
        QuorTest::TearDown();
    }
    std::string PathFile() const { return WindowsDir() + "\\quorpat8.quh"; }

    // Holds the path file open without write sharing: the program cannot rewrite it.
    UniqueHandle HoldPathFile() {
        EXPECT_TRUE(WriteFileBytes(PathFile(), kEarlier));
        return UniqueHandle(
            CreateFileA(PathFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    }

    Restorer keep_[2] = {KeepFile(WindowsDir() + "\\quorpat8.quh"), KeepFile("d:\\quorel8\\quorpat8.quh")};
};

TEST_F(SetupStartTest, OpensTheFixedSizeCentredMainWindow) {
    const bool big5 = GetOEMCP() == 950;
    const struct {
        const wchar_t* version;  // nullptr: Windows 7, the prefix's own
        const wchar_t* title;
    } cases[] = {
        {nullptr, big5 ? L"智能嵐石系統安裝" : L"智能岚石系统安装3264-os：64-0-100-61"},
        {L"winxp64", big5 ? L"智能嵐石系統安裝" : L"智能岚石系统安装32-os：32-0-100-52"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version ? c.version : L"win7");
        SetProgramWindowsVersion(L"setup.exe", c.version);
        // On XP the path file is held open: a probe would refuse the start.
        UniqueHandle held = c.version ? HoldPathFile() : UniqueHandle();
        SetupProcess setup;
        ASSERT_TRUE(StartProgram(HostPath(QUOR_SETUP_EXE), L"", &setup));
        HWND window = WaitForWindow(kMainWindowClassW, setup.info.dwProcessId, kWaitMs);
        ASSERT_NE(window, nullptr);

        wchar_t title[200];
        GetWindowTextW(window, title, 200);
        EXPECT_EQ(std::wstring(title), c.title);
        LONG style = GetWindowLongW(window, GWL_STYLE);
        EXPECT_EQ(style & (WS_SYSMENU | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                  WS_SYSMENU | WS_CAPTION);
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.right - rect.left, 400);
        EXPECT_EQ(rect.bottom - rect.top, 310);
        EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
        EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 300) / 2);

        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(setup.Wait(kWaitMs), 0u);
        if (c.version == nullptr) { EXPECT_EQ(ReadFileBytes(PathFile()), std::string("C:\\Program Files\\quorel8\\")); }
    }
}

TEST_F(SetupStartTest, RefusesToRunWhenThePathFileCannotBeWritten) {
    UniqueHandle held = HoldPathFile();
    ASSERT_TRUE(held.Valid());
    SetupProcess refused;
    ASSERT_TRUE(StartProgram(HostPath(QUOR_SETUP_EXE), L"", &refused));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(refused.info.dwProcessId, kWaitMs, &box));
    EXPECT_EQ(box.caption, L"智能岚石");
    EXPECT_EQ(box.text,
              L"本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安装程序，"
              L"在弹出菜单中点击“以管理员身份运行”）");
    EXPECT_EQ(WaitForWindow(kMainWindowClassW, refused.info.dwProcessId, 0), nullptr);
    AnswerMessageBox(box.window, IDOK);
    EXPECT_EQ(refused.Wait(kWaitMs), 0u);
    held.Reset();
    EXPECT_EQ(ReadFileBytes(PathFile()), std::string(kEarlier));
}

}  // namespace
