// The status-window mode and skin dialog: the real dialog run modally on the test thread while a
// second thread clicks it and reads it back, as a user would, in the form of each code page.

#include "app/skin_dialog.h"
#include "common/install_state.h"
#include "tests/app/skin_dialog_driver.h"
#include "tests/support/test_support.h"

namespace {

// The controls' texts in template order, and the caption, in both forms.
const std::vector<std::wstring> kTexts[] = {
    {L"确定", L"输入法状态窗口模式选择", L"输入法皮肤选择", L"双行窗口", L"单行窗口", L"双窗口", L"仿WIN窗口",
     L"冷色瓷面", L"粉色瓷面", L"小天使", L"注：你也可在安装完毕后改变这些参数。"},
    {L"確定", L"輸入法狀態窗口模式選擇", L"輸入法皮膚選擇", L"雙行窗口", L"單行窗口", L"雙窗口", L"仿WIN窗口",
     L"冷色瓷面", L"粉色瓷面", L"小天使", L"注：你也可在安裝完畢后改變這些參數。"}};
const wchar_t* const kCaptions[] = {L"智能岚石皮肤及窗口模式选择", L"智能嵐石皮膚及窗口模式選擇"};

constexpr int kRadioIds[] = {kModeTwoRow, kModeSingleRow, kModeDual, kModeWindowsStyle,
                             kSkinCool,   kSkinPink,      kSkinAngel};

class SkinDialogTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.instance = GetModuleHandleA(nullptr);
        g_state.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE | WS_CAPTION, kMainX, kMainY,
                                             400, 310, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(g_state.mainWindow, nullptr);
    }
    void TearDown() override {
        DestroyWindow(g_state.mainWindow);
        QuorTest::TearDown();
    }
    // Runs the dialog here while drive(dialog) runs on a second thread, then OK is pressed there.
    void RunDialog(const std::function<void(HWND)>& drive) {
        g_state.statusWindowMode = 0;
        g_state.skinChoice = 0;
        EXPECT_TRUE(RunWithDialogDriver(g_state.mainWindow, ShowSkinDialog, drive).closedByDriver)
            << "the dialog did not open, or was still open after OK";
    }
    static constexpr int kMainX = 131, kMainY = 87;
};

// The dialog opens at the main window's corner in the form of the code page (the template of its
// language) with the defaults ticked; each click moves the tick of its own group only; only OK
// closes it.
TEST_F(SkinDialogTest, EachGroupKeepsItsOwnTickThroughClicksInTheOther) {
    const struct { const char* name; unsigned codePage; std::vector<int> clicks, ticks; int mode, skin; } cases[] = {
        {"defaults", 936, {}, {1, 0, 0, 0, 1, 0, 0}, 1, 1},
        {"angel after dual window, Traditional form", 950, {kModeDual, kSkinAngel}, {0, 0, 1, 0, 0, 0, 1}, 3, 3},
        {"single row", 936, {kModeSingleRow}, {0, 1, 0, 0, 1, 0, 0}, 2, 1},
        {"pink then windows style", 936, {kSkinPink, kModeWindowsStyle}, {0, 0, 0, 1, 0, 1, 0}, 4, 2},
        {"changed back", 936, {kModeDual, kSkinPink, kModeTwoRow, kSkinCool}, {1, 0, 0, 0, 1, 0, 0}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_state.oemCodePage = c.codePage;
        RECT rect{};
        wchar_t caption[100] = {};
        std::vector<std::wstring> texts;
        std::vector<int> ticks;
        RunDialog([&](HWND dialog) {
            GetWindowRect(dialog, &rect);
            GetWindowTextW(dialog, caption, 100);
            for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t text[100] = {};
                GetWindowTextW(child, text, 100);
                texts.push_back(text);
            }
            for (int id : c.clicks) ClickDialogButton(dialog, id);
            // Neither Cancel nor the close box ends it: only OK does.
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            for (int id : kRadioIds) ticks.push_back(static_cast<int>(IsDlgButtonChecked(dialog, id)));
            ticks.push_back(IsWindowVisible(dialog));
        });
        EXPECT_EQ(rect.left, kMainX);
        EXPECT_EQ(rect.top, kMainY);
        EXPECT_STREQ(caption, kCaptions[c.codePage == 950]);
        EXPECT_EQ(texts, kTexts[c.codePage == 950]);
        std::vector<int> expected = c.ticks;
        expected.push_back(1);
        EXPECT_EQ(ticks, expected);
        EXPECT_EQ(g_state.statusWindowMode, c.mode);
        EXPECT_EQ(g_state.skinChoice, c.skin);
    }
}

}  // namespace
