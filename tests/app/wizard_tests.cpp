// The wizard's pure rules in-process: the mobile-number rule, the submission of the three edits (real
// EDIT controls, read through the program's buffers), the click regions, and the two backgrounds
// painted alone into a memory bitmap, where the first page's picture does not cover them.
#include "app/drawing.h"
#include "app/user_info.h"
#include "app/wizard_clicks.h"
#include "common/install_state.h"
#include "install/install_sequence.h"
#include "platform/os_info.h"
#include "tests/support/layout_fixture.h"
#include "tests/support/test_support.h"

namespace {

using WizardRules = QuorTest;

// 11 digits from a 1, or 18; after a w or W any 7 to 17 digits but 10.
TEST_F(WizardRules, MobileNumbers) {
    const std::pair<const char*, bool> cases[] = {
        {"13812345678", true},  {"23812345678", false},   {"138123456789012345", true}, {"1381234567890123456", false},
        {"1381234", false},     {"1381234567", false},    {"1381234567a", false},       {"w1234567", true},
        {"W1234567890", false}, {"W123456789012", true}, {"ww1234567", false},
    };
    for (const auto& [text, valid] : cases) EXPECT_EQ(IsValidMobile(text), valid) << text;
}

// The fields are read cut to 13, 13 and 9 bytes (a character cut in half dropped whole); on page 0
// (the first Next, the password just emptied) a refusal goes to page 1 without a message.
TEST_F(WizardRules, SubmissionReadsBoundedFieldsAndRefusesWithAReason) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 310, nullptr, nullptr, nullptr, nullptr);
    for (HWND* edit : {&g_state.mobileEdit, &g_state.nameEdit, &g_state.passwordEdit}) {
        *edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 230, 20, parent, nullptr, nullptr, nullptr);
    }
    g_state.mainWindow = parent;
    const struct { int page; const wchar_t *mobile, *name, *password; const wchar_t* reason;
                   std::string storedName, storedPassword; } cases[] = {
        {0, L"13812345678", L"abcdefghijklmn", L"", nullptr, "abcdefghijklm", ""},
        {0, L"13812345678", L"张三丰李四王五", L"王五赵", nullptr, "张三丰李四王", "王五赵"},
        {1, L"23812345678", L"张三", L"abc123", kInvalidMobileText, "张三", "abc123"},
        {1, L"138123456789012345", L"张三", L"abc123", kInvalidMobileText, "张三", "abc123"},
        {1, L"13812345678", L"张三", L"abcde", kInvalidPasswordText, "张三", "abcde"},
        {1, L"13812345678", L"张三", L"abcdefghijkl", kInvalidPasswordText, "张三", "abcdefghi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.mobile) + L" " + c.name + L" " + c.password);
        messages.shown.clear();
        g_state.currentPage = c.page;
        SetWindowTextW(g_state.mobileEdit, c.mobile);
        SetWindowTextW(g_state.nameEdit, c.name);
        SetWindowTextW(g_state.passwordEdit, c.password);
        SubmitUserInfo();
        EXPECT_EQ(g_state.currentPage, 1);
        EXPECT_TRUE(g_state.user.name == c.storedName && g_state.user.password == c.storedPassword);
        std::vector<std::wstring> shown;
        for (const RecordedMessage& box : messages.shown) shown.push_back(box.wtext + L" | " + box.wcaption);
        EXPECT_EQ(shown, c.reason ? std::vector<std::wstring>{std::wstring(c.reason) + L" | 智能岚石安装"}
                                  : std::vector<std::wstring>{});
    }
    DestroyWindow(parent);
}

// The edges of each region belong to it; the four options answer only until the first Next.
TEST_F(WizardRules, ClickRegionsAreInclusiveAndTheOptionsEndWithTheFirstNext) {
    using enum ClickRegion;
    const struct { int x, y; bool optionsActive; ClickRegion region; } cases[] = {
        {40, 245, true, kNext},    {140, 270, true, kNext},    {141, 270, true, kNone},  {140, 271, true, kNone},
        {360, 270, false, kExit},  {260, 245, false, kExit},   {255, 210, true, kPinyin}, {275, 190, true, kWubi},
        {160, 235, true, kTsf},    {370, 235, true, kImm},     {256, 200, true, kNone},  {370, 235, false, kNone},
        {90, 257, false, kNext},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << (c.optionsActive ? " active" : ""));
        EXPECT_EQ(HitRegion(c.x, c.y, c.optionsActive), c.region);
    }
}

// Both gradients, at the ends and across the seam of the first page's two bands.
TEST_F(WizardRules, BackgroundLines) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueGdiObject bitmap(CreateBitmap(400, 310, 1, 32, nullptr));
    SelectedObject selected(dc.Get(), bitmap.Get());
    using enum GradientKind;
    const struct { GradientKind kind; int y; COLORREF colour; } cases[] = {
        {kA, 0, RGB(0, 144, 250)},   {kA, 55, RGB(0, 254, 226)},  {kA, 56, RGB(0, 0, 225)},
        {kA, 184, RGB(0, 0, 167)},   {kB, 100, RGB(48, 82, 202)}, {kB, 309, RGB(149, 254, 101)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y);
        PaintGradient(dc.Get(), c.kind);
        GdiFlush();
        EXPECT_TRUE(GetPixel(dc.Get(), 0, c.y) == c.colour && GetPixel(dc.Get(), 399, c.y) == c.colour);
    }
}

// An IMM install while the input method is the user's default layout: the guard's message, the window
// told to close, and nothing of the install begun.
using InstallSequenceTest = LayoutTest;
TEST_F(InstallSequenceTest, TheDefaultLayoutGuardEndsTheProgramBeforeTheInstall) {
    // Wine writes its own layout as the first of the list when a thread makes its first window.
    g_state.mainWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 310, nullptr, nullptr, nullptr, nullptr);
    Restorer destroyed([window = g_state.mainWindow] { DestroyWindow(window); });
    SetLayouts({{"E0230804", OwnText()}, {"00000804", "x"}});
    SetPreload({"E0230804", "00000804"});
    g_state.interfaceChoice = kInterfaceImm;
    Is64BitSystem();  // the window's creation learns the Windows version
    RunInstallSequence([] {});
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, g_state.mainWindow, WM_DESTROY, WM_DESTROY, PM_REMOVE));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].wtext.find(L"　　你以前安装的智能岚石为系统默认输入法，请设置为"), 0u);
    EXPECT_EQ(g_state.installFaults, 0);
}

}  // namespace
