// The status-window mode and skin dialog: the real dialog run modally on the test thread while a
// second thread clicks it and reads it back, as a user would, in the form of each code page.

#include "app/skin_dialog.h"
#include "common/install_state.h"
#include "tests/app/skin_dialog_driver.h"
#include "tests/support/test_support.h"

namespace {

constexpr int kRadioIds[] = {kModeTwoRow, kModeSingleRow, kModeDual, kModeWindowsStyle, kSkinCool, kSkinPink, kSkinAngel};

using SkinDialogTest = QuorTest;

// The dialog opens at the main window's corner in the form of the code page (the template of its
// language) with the defaults ticked; each click moves the tick of its own group only; neither
// Cancel nor the close box ends it, only OK, which stores both 1-based numbers.
TEST_F(SkinDialogTest, EachGroupKeepsItsOwnTickThroughClicksInTheOther) {
    g_state.instance = GetModuleHandleA(nullptr);
    g_state.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE | WS_CAPTION, 131, 87, 400, 310,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(g_state.mainWindow, nullptr);
    const struct { unsigned codePage; std::vector<int> clicks, ticks; int mode, skin; } cases[] = {
        {936, {}, {1, 0, 0, 0, 1, 0, 0, 1}, 1, 1},
        {950, {kModeDual, kSkinAngel}, {0, 0, 1, 0, 0, 0, 1, 1}, 3, 3},
        {936, {kSkinPink, kModeWindowsStyle}, {0, 0, 0, 1, 0, 1, 0, 1}, 4, 2},
        {936, {kModeDual, kSkinPink, kModeTwoRow, kSkinCool}, {1, 0, 0, 0, 1, 0, 0, 1}, 1, 1},
        {950, {kSkinAngel, kModeSingleRow}, {0, 1, 0, 0, 0, 0, 1, 1}, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", clicks " << c.clicks.size());
        g_state.oemCodePage = c.codePage;
        g_state.statusWindowMode = g_state.skinChoice = 0;
        RECT rect{};
        wchar_t caption[100] = {};
        std::vector<int> ticks;
        EXPECT_TRUE(RunWithDialogDriver(g_state.mainWindow, ShowSkinDialog, [&](HWND dialog) {
                        GetWindowRect(dialog, &rect);
                        GetWindowTextW(dialog, caption, 100);
                        for (int id : c.clicks) ClickDialogButton(dialog, id);
                        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                        SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                        for (int id : kRadioIds) ticks.push_back(static_cast<int>(IsDlgButtonChecked(dialog, id)));
                        ticks.push_back(IsWindowVisible(dialog));
                    }).closedByDriver)
            << "the dialog did not open, or was still open after OK";
        EXPECT_TRUE(rect.left == 131 && rect.top == 87);
        EXPECT_STREQ(caption, c.codePage == 950 ? L"智能嵐石皮膚及窗口模式選擇" : L"智能岚石皮肤及窗口模式选择");
        EXPECT_EQ(ticks, c.ticks);  // the radio buttons as listed above, then whether the dialog is still visible
        EXPECT_EQ(std::pair(int{g_state.statusWindowMode}, int{g_state.skinChoice}), std::pair(c.mode, c.skin));
    }
    DestroyWindow(g_state.mainWindow);
}

}  // namespace
