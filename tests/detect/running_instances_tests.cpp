// Detection of programs that use the input method, against real windows and shared memory of
// stand-in host programs.

#include <cstring>

#include "common/handles.h"
#include "common/install_state.h"
#include "detect/running_instances.h"
#include "tests/support/command_log.h"
#include "tests/support/test_support.h"

namespace {

const std::wstring kTrailer =
    L"\r\n\r\n请关闭上述软件后再继续安装！\r\n如无法关闭，则请将智能岚石设置为非默认输入法后，重新启动机器进行安装！";

std::wstring Header(int count) {
    return L"智能岚石安装软件检测到有下列 " + std::to_wstring(count) + L" 个软件在使用智能岚石输入法:\r\n\r\n";
}

std::wstring Line(int number, const std::wstring& title) {
    return L"　　" + std::to_wstring(number) + L"：" + title + L"\r\n";
}

// One running stand-in host (see ime_host.cpp), found by its title once ready; its window is closed
// and the host waited for when destroyed.
class Host {
public:
    Host(const std::wstring& className, const std::wstring& link, const std::wstring& title,
         const std::wstring& mapping = L"-") {
        const std::string dir = TestProgramDir();
        std::wstring command = L"\"" + std::wstring(dir.begin(), dir.end()) + L"ime_host.exe\" " + className + L" " +
                               link + L" " + mapping + L" " + title;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            process_.Reset(process.hProcess);
            CloseHandle(process.hThread);
        }
        // Up to a minute: under load 1000 windows take long.
        for (int wait = 0; process_ && !window_ && wait < 1200 && WaitForSingleObject(process_.Get(), 50) == WAIT_TIMEOUT;
             ++wait) {
            window_ = FindWindowW(L"QuorHostMain", title.c_str());
        }
        EXPECT_NE(window_, nullptr) << "the host did not start";
    }
    ~Host() {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (!process_) return;
        if (WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process_.Get(), 1);
    }

private:
    UniqueHandle process_;
    HWND window_ = nullptr;
};

class RunningInstancesTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.workBuffer = workBuffer_.data();
    }

    std::wstring Message() const { return reinterpret_cast<const wchar_t*>(g_state.workBuffer + kDetectMessageOffset); }

    std::vector<unsigned char> workBuffer_ = std::vector<unsigned char>(kWorkBufferSize);
};

// One host per row: the window search and then the shared-memory test run against it.
TEST_F(RunningInstancesTest, WhichWindowsAndWhichSharedMemoryCount) {
    std::wstring longTitle(250, L'x');
    for (std::size_t i = 0; i < longTitle.size(); i += 10) longTitle[i] = L'国';
    // listed: the title as listed (empty: not listed); memory: the count after the shared-memory test.
    struct Row { const char* name; int interfaceChoice; const wchar_t *className, *link, *mapping; std::wstring title;
                 int count; std::wstring listed; int memory; };
    const std::vector<Row> rows = {
        {"IMM window and memory", kInterfaceImm, L"UITAVO", L"owned", L"quoreltavo", L"Editor", 1, L"Editor", 1},
        {"TSF window and memory", kInterfaceTsf, L"STATTAVO", L"owned", L"quoreltavo80", L"Editor", 1, L"Editor", 1},
        {"no parent or owner: counted, not listed", kInterfaceImm, L"UITAVO", L"orphan", L"-", L"Editor", 1, L"", 0},
        {"250-character title", kInterfaceImm, L"UITAVO", L"owned", L"-", longTitle, 1, longTitle.substr(0, 199), 0},
        {"child windows are not top-level", kInterfaceImm, L"UITAVO", L"child", L"-", L"Editor", 0, L"", 0},
        {"TSF class and memory while looking for IMM", kInterfaceImm, L"STATTAVO", L"owned", L"quoreltavo80", L"Editor",
         0, L"", 0},
        {"class name differing in case", kInterfaceImm, L"uitavo", L"owned", L"-", L"Editor", 0, L"", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Host host(row.className, row.link, row.title, row.mapping);
        g_state.interfaceChoice = row.interfaceChoice;

        ListProgramsUsingIme();

        EXPECT_EQ(g_state.detectionCount, row.count);
        if (row.count > 0) {
            EXPECT_EQ(Message(), Header(row.count) + (row.listed.empty() ? L"" : Line(1, row.listed)) + kTrailer);
        }
        CheckImeSharedMemory();
        EXPECT_EQ(g_state.detectionCount, row.memory);
    }
}

// However many windows match, the message stays inside its area of the work buffer: lines that no
// longer fit are left out of the list, the count still has them.
TEST_F(RunningInstancesTest, ManyMatchingWindowsStayInsideTheMessageArea) {
    std::wstring title(199, L'长');
    Host host(L"UITAVO", L"owned1000", title);
    g_state.interfaceChoice = kInterfaceImm;
    std::memset(g_state.workBuffer + kDetectLineOffset, 0x5A, kWorkBufferSize - kDetectLineOffset);

    ListProgramsUsingIme();

    EXPECT_EQ(g_state.detectionCount, 1000);
    std::wstring message = Message();
    EXPECT_LT((message.size() + 1) * sizeof(wchar_t), kDetectLineOffset - kDetectMessageOffset);
    std::wstring expected = Header(1000);
    for (int number = 1; expected.size() + Line(number, title).size() + kTrailer.size() <= message.size(); ++number) {
        expected += Line(number, title);
    }
    EXPECT_EQ(message, expected + kTrailer);
    // Most of the area is used: only the lines that did not fit were left out.
    EXPECT_GT(message.size(), kDetectLineOffset / sizeof(wchar_t) - 2 * Line(1000, title).size() - 512);
}

}  // namespace
