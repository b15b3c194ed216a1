// Detection of programs that use the input method, against real windows and shared memory of
// stand-in host programs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/payload_resource.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "detect/running_instances.h"
#include "tests/support/test_support.h"

namespace {

const std::wstring kTrailer =
    L"\r\n\r\n请关闭上述软件后再继续安装！\r\n如无法关闭，则请将智能岚石设置为非默认输入法后，重新启动机器进行安装！";

std::wstring Header(int count) {
    wchar_t text[128];
    std::swprintf(text, 128, L"智能岚石安装软件检测到有下列 %d 个软件在使用智能岚石输入法:\r\n\r\n", count);
    return text;
}

std::wstring Line(int number, const std::wstring& title) {
    return L"　　" + std::to_wstring(number) + L"：" + title + L"\r\n";
}

std::wstring HostPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory = path;
    return directory.substr(0, directory.find_last_of(L'\\') + 1) + L"ime_host.exe";
}

// One running stand-in host; ended cleanly (told to quit, then waited for) when destroyed.
class Host {
public:
    Host(const std::wstring& className, const std::wstring& link, const std::wstring& mapping,
         const std::wstring& title) {
        static int counter = 0;
        std::wstring suffix = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        std::wstring readyName = L"quorhost-ready-" + suffix;
        std::wstring quitName = L"quorhost-quit-" + suffix;
        ready_.Reset(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
        quit_.Reset(CreateEventW(nullptr, TRUE, FALSE, quitName.c_str()));
        std::wstring command = L"\"" + HostPath() + L"\" " + readyName + L" " + quitName + L" " + className + L" " +
                               link + L" " + mapping + L" " + title;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process)) {
            return;
        }
        process_.Reset(process.hProcess);
        CloseHandle(process.hThread);
        HANDLE waited[] = {ready_.Get(), process_.Get()};
        started_ = WaitForMultipleObjects(2, waited, FALSE, 20000) == WAIT_OBJECT_0;
    }
    ~Host() {
        if (!process_) return;
        SetEvent(quit_.Get());
        if (WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process_.Get(), 1);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    bool Started() const { return started_; }

private:
    UniqueHandle ready_;
    UniqueHandle quit_;
    UniqueHandle process_;
    bool started_ = false;
};

class RunningInstancesTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        ASSERT_TRUE(AllocateWorkBuffer());
    }
    void TearDown() override {
        FreeWorkBuffer();
        QuorTest::TearDown();
    }

    std::wstring Message() const { return reinterpret_cast<const wchar_t*>(g_state.workBuffer + kDetectMessageOffset); }

    std::unique_ptr<Host> Start(const std::wstring& className, const std::wstring& link, const std::wstring& title,
                                const std::wstring& mapping = L"-") {
        auto host = std::make_unique<Host>(className, link, mapping, title);
        EXPECT_TRUE(host->Started()) << "host did not start";
        return host;
    }
};

TEST_F(RunningInstancesTest, TwoProgramsAreCountedAndListed) {
    auto a = Start(L"UITAVO", L"owned", L"A");
    auto b = Start(L"UITAVO", L"owned", L"B");
    g_state.interfaceChoice = kInterfaceImm;

    ListProgramsUsingIme();

    EXPECT_EQ(g_state.detectionCount, 2);
    // The order is that of EnumWindows (the stacking order).
    std::wstring ab = Header(2) + Line(1, L"A") + Line(2, L"B") + kTrailer;
    std::wstring ba = Header(2) + Line(1, L"B") + Line(2, L"A") + kTrailer;
    std::wstring message = Message();
    EXPECT_TRUE(message == ab || message == ba) << "message has " << message.size() << " characters";
}

TEST_F(RunningInstancesTest, WhichWindowsCountAndWhichAreListed) {
    struct Row {
        const char* name;
        int interfaceChoice;
        const wchar_t* className;
        const wchar_t* link;
        int count;
        bool listed;
    };
    const std::vector<Row> rows = {
        {"IMM window owned by the program", kInterfaceImm, L"UITAVO", L"owned", 1, true},
        {"TSF window owned by the program", kInterfaceTsf, L"STATTAVO", L"owned", 1, true},
        {"owned through another popup", kInterfaceImm, L"UITAVO", L"nested", 1, true},
        {"no parent or owner: counted, not listed", kInterfaceImm, L"UITAVO", L"orphan", 1, false},
        {"child windows are not top-level", kInterfaceImm, L"UITAVO", L"child", 0, false},
        {"TSF class while looking for IMM", kInterfaceImm, L"STATTAVO", L"owned", 0, false},
        {"IMM class while looking for TSF", kInterfaceTsf, L"UITAVO", L"owned", 0, false},
        {"class name differing in case", kInterfaceImm, L"uitavo", L"owned", 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto host = Start(row.className, row.link, L"Editor");
        g_state.interfaceChoice = row.interfaceChoice;
        std::memset(g_state.workBuffer, 0x5A, 16);

        ListProgramsUsingIme();

        EXPECT_EQ(g_state.detectionCount, row.count);
        if (row.count == 0) {
            // Only the list is cleared; the message area is left as it was.
            EXPECT_EQ(g_state.workBuffer[0], 0x5A);
            EXPECT_EQ(reinterpret_cast<const wchar_t*>(g_state.workBuffer + kDetectListOffset)[0], L'\0');
        } else {
            std::wstring lines = row.listed ? Line(1, L"Editor") : L"";
            EXPECT_EQ(Message(), Header(row.count) + lines + kTrailer);
        }
    }
}

TEST_F(RunningInstancesTest, LongTitlesAreCutTo199Characters) {
    std::wstring title(250, L'x');
    for (std::size_t i = 0; i < title.size(); i += 10) title[i] = L'国';
    auto host = Start(L"UITAVO", L"owned", title);
    g_state.interfaceChoice = kInterfaceImm;

    ListProgramsUsingIme();

    EXPECT_EQ(Message(), Header(1) + Line(1, title.substr(0, 199)) + kTrailer);
}

// However many windows match, the message stays inside its area of the work buffer: lines that no
// longer fit are left out of the list, the count still has them.
TEST_F(RunningInstancesTest, ManyMatchingWindowsStayInsideTheMessageArea) {
    std::wstring title(199, L'长');
    auto host = Start(L"UITAVO", L"owned1000", title);
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
    expected += kTrailer;
    EXPECT_EQ(message, expected);
    // Most of the area is used: only the lines that did not fit were left out.
    EXPECT_GT(message.size(), kDetectLineOffset / sizeof(wchar_t) - 2 * Line(1000, title).size() - 512);
}

TEST_F(RunningInstancesTest, SharedMemoryOfTheChosenInterface) {
    struct Row {
        const char* name;
        const wchar_t* mapping;
        int interfaceChoice;
        int count;
    };
    const std::vector<Row> rows = {
        {"IMM memory present", L"quoreltavo", kInterfaceImm, 1},
        {"TSF memory present", L"quoreltavo80", kInterfaceTsf, 1},
        {"only the other interface's memory", L"quoreltavo80", kInterfaceImm, 0},
        {"only the other interface's memory (TSF)", L"quoreltavo", kInterfaceTsf, 0},
        {"no memory", L"-", kInterfaceImm, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto host = Start(L"-", L"owned", L"Editor", row.mapping);
        g_state.interfaceChoice = row.interfaceChoice;
        g_state.detectionCount = 7;
        CheckImeSharedMemory();
        EXPECT_EQ(g_state.detectionCount, row.count);
    }
}

}  // namespace
