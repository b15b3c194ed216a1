// Detection of programs that use the input method, against real windows and shared memory of
// stand-in host programs.

#include <cstring>

#include "common/install_state.h"
#include "detect/running_instances.h"
#include "tests/support/command_log.h"
#include "tests/support/test_support.h"
#include "tools/walker/setup_driver.h"

namespace {

const std::wstring kTrailer =
    L"\r\n\r\n请关闭上述软件后再继续安装！\r\n如无法关闭，则请将智能岚石设置为非默认输入法后，重新启动机器进行安装！";

std::wstring Header(int n) { return L"智能岚石安装软件检测到有下列 " + std::to_wstring(n) + L" 个软件在使用智能岚石输入法:\r\n\r\n"; }
std::wstring Line(int n, const std::wstring& title) { return L"　　" + std::to_wstring(n) + L"：" + title + L"\r\n"; }

// One running stand-in host (see ime_host.cpp), waited for until its title shows that it is ready
// (up to a minute: under load 1000 windows take long); closed when destroyed.
struct Host {
    Host(const std::wstring& arguments, const std::wstring& title) {
        const std::string program = TestProgramDir() + "ime_host.exe";
        EXPECT_TRUE(StartProgram(std::wstring(program.begin(), program.end()), arguments + L" " + title, &process));
        for (int wait = 0; !window && wait < 1200 && process.Running(); ++wait, Sleep(50)) {
            window = FindWindowW(L"Static", title.c_str());
        }
        EXPECT_NE(window, nullptr) << "the host did not start";
    }
    ~Host() {
        if (window) PostMessageW(window, WM_CLOSE, 0, 0);
        process.Wait(10000);
    }
    SetupProcess process;
    HWND window = nullptr;
};

class RunningInstancesTest : public QuorTest {
protected:
    std::wstring Message() const { return reinterpret_cast<const wchar_t*>(workBuffer_.data() + kDetectMessageOffset); }
    std::vector<unsigned char> workBuffer_ = std::vector<unsigned char>(kWorkBufferSize);
};

// One host per row: the window search (the interface's class, exact in case; a window without an
// owner is counted but not listed) and then the shared-memory test.
TEST_F(RunningInstancesTest, WhichWindowsAndWhichSharedMemoryCount) {
    // memory: the count after the shared-memory test.
    const struct Row { int interfaceChoice; const wchar_t* host; int count; bool listed; int memory; } rows[] = {
        {kInterfaceImm, L"UITAVO owned quoreltavo", 1, true, 1},
        {kInterfaceTsf, L"STATTAVO owned quoreltavo80", 1, true, 1},
        {kInterfaceImm, L"UITAVO orphan -", 1, false, 0},
        {kInterfaceImm, L"STATTAVO owned quoreltavo80", 0, false, 0},
        {kInterfaceImm, L"uitavo owned -", 0, false, 0},
    };
    g_state.workBuffer = workBuffer_.data();
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.host << " interface " << row.interfaceChoice);
        Host host(row.host, L"Editor");
        g_state.interfaceChoice = row.interfaceChoice;
        ListProgramsUsingIme();
        EXPECT_EQ(g_state.detectionCount, row.count);
        if (row.count > 0) {
            EXPECT_EQ(Message(), Header(row.count) + (row.listed ? Line(1, L"Editor") : L"") + kTrailer);
        }
        CheckImeSharedMemory();
        EXPECT_EQ(g_state.detectionCount, row.memory);
    }
}

// However many windows match, the message stays inside its area of the work buffer and uses most of
// it: the lines that no longer fit are left out of the list, the count still has them. A title is
// listed cut to its 199 characters.
TEST_F(RunningInstancesTest, ManyMatchingWindowsStayInsideTheMessageArea) {
    const std::wstring title = std::wstring(190, L'长') + L"0123456789abcdef";
    Host host(L"UITAVO owned1000 -", title);
    g_state.workBuffer = workBuffer_.data();
    g_state.interfaceChoice = kInterfaceImm;
    std::memset(workBuffer_.data() + kDetectLineOffset, 0x5A, kWorkBufferSize - kDetectLineOffset);
    ListProgramsUsingIme();
    EXPECT_EQ(g_state.detectionCount, 1000);
    std::wstring message = Message(), expected = Header(1000);
    EXPECT_LT((message.size() + 1) * sizeof(wchar_t), kDetectLineOffset - kDetectMessageOffset);
    const std::wstring listed = title.substr(0, 199);
    for (int number = 1; expected.size() + Line(number, listed).size() + kTrailer.size() <= message.size(); ++number) {
        expected += Line(number, listed);
    }
    EXPECT_EQ(message, expected + kTrailer);
    EXPECT_GT(message.size(), kDetectLineOffset / sizeof(wchar_t) - 2 * Line(1000, listed).size() - 512);
}

}  // namespace
