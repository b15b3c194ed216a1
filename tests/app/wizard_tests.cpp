// The wizard's pure rules in-process: the mobile-number rule, the submission of the three edits (real
// EDIT controls, read through the program's buffers), the click regions, and the two backgrounds
// painted alone into a memory bitmap, where the first page's picture does not cover them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/drawing.h"
#include "app/user_info.h"
#include "app/wizard_clicks.h"
#include "common/install_state.h"
#include "tests/support/test_support.h"

namespace {

using WizardRules = QuorTest;

TEST_F(WizardRules, MobileNumbers) {
    const struct { const char* text; bool valid; } cases[] = {
        {"13812345678", true},  {"23812345678", false}, {"138123456789012345", true}, {"1381234567890123456", false},
        {"1381234", false},     {"1381234567", false},  {"w1234567", true},           {"W1234567890", false},
        {"w12345678901", true}, {"W123456789012", true}, {"1381234567a", false},      {"138 1234567", false},
        {"138-1234567", false}, {"+8613812345", false}, {"ww1234567", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsValidMobile(c.text), c.valid);
    }
}

TEST_F(WizardRules, SubmissionReadsBoundedFieldsAndRefusesWithAReason) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 310, nullptr, nullptr, nullptr, nullptr);
    for (HWND* edit : {&g_state.mobileEdit, &g_state.nameEdit, &g_state.passwordEdit}) {
        *edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 230, 20, parent, nullptr, nullptr, nullptr);
    }
    g_state.mainWindow = parent;
    const wchar_t kMobile[] = L"13812345678";
    const struct { int page; const wchar_t *mobile, *name, *password; int pageAfter; const wchar_t* reason;
                   std::string storedName, storedPassword; } cases[] = {
        // From page 0 (the first Next, the password just emptied): page 1 without a message.
        {0, kMobile, L"张三", L"", 1, nullptr, "张三", ""},
        {0, kMobile, L"", L"abc123", 1, nullptr, "", "abc123"},
        {0, kMobile, L"张三丰李四王五", L"王五赵", 1, nullptr, "张三丰李四王", "王五赵"},
        {1, L"23812345678", L"张三", L"abc123", 1, kInvalidMobileText, "张三", "abc123"},
        {1, L"138123456789012345", L"张三", L"abc123", 1, kInvalidMobileText, "张三", "abc123"},
        {1, kMobile, L"张三", L"abcde", 1, kInvalidPasswordText, "张三", "abcde"},
        {1, kMobile, L"张三", L"abcdefg", 1, kInvalidPasswordText, "张三", "abcdefg"},
        {1, kMobile, L"张三", L"abcdefghijkl", 1, kInvalidPasswordText, "张三", "abcdefghi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.mobile) + L" " + c.name + L" " + c.password);
        messages.shown.clear();
        g_state.currentPage = c.page;
        SetWindowTextW(g_state.mobileEdit, c.mobile);
        SetWindowTextW(g_state.nameEdit, c.name);
        SetWindowTextW(g_state.passwordEdit, c.password);
        SubmitUserInfo();
        EXPECT_EQ(g_state.currentPage, c.pageAfter);
        EXPECT_EQ(g_state.user.name, c.storedName);
        EXPECT_EQ(g_state.user.password, c.storedPassword);
        EXPECT_LE(std::string(g_state.user.mobile).size(), 13u);
        ASSERT_EQ(messages.shown.size(), c.reason ? 1u : 0u);
        if (c.reason) {
            EXPECT_EQ(messages.shown[0].wtext + L" | " + messages.shown[0].wcaption,
                      std::wstring(c.reason) + L" | 智能岚石安装");
        }
    }
    DestroyWindow(parent);
}

TEST_F(WizardRules, ClickRegionsAreInclusiveAndTheOptionsEndWithTheFirstNext) {
    const struct { int x, y; bool optionsActive; ClickRegion region; } cases[] = {
        {40, 245, true, ClickRegion::kNext},     {140, 270, true, ClickRegion::kNext},
        {141, 270, true, ClickRegion::kNone},    {140, 271, true, ClickRegion::kNone},
        {360, 270, false, ClickRegion::kExit},   {260, 245, false, ClickRegion::kExit},
        {255, 210, true, ClickRegion::kPinyin},  {275, 190, true, ClickRegion::kWubi},
        {160, 235, true, ClickRegion::kTsf},     {370, 235, true, ClickRegion::kImm},
        {256, 200, true, ClickRegion::kNone},    {200, 200, false, ClickRegion::kNone},
        {370, 235, false, ClickRegion::kNone},   {90, 257, false, ClickRegion::kNext},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + (c.optionsActive ? " active" : ""));
        EXPECT_EQ(HitRegion(c.x, c.y, c.optionsActive), c.region);
    }
}

TEST_F(WizardRules, BackgroundLines) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 400, -310, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueGdiObject bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    SelectedObject selected(dc.Get(), bitmap.Get());
    const struct { GradientKind kind; int y; COLORREF colour; } cases[] = {
        {GradientKind::kA, 0, RGB(0, 144, 250)},   {GradientKind::kA, 55, RGB(0, 254, 226)},
        {GradientKind::kA, 56, RGB(0, 0, 225)},    {GradientKind::kA, 184, RGB(0, 0, 167)},
        {GradientKind::kB, 100, RGB(48, 82, 202)}, {GradientKind::kB, 309, RGB(149, 254, 101)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y);
        PaintGradient(dc.Get(), c.kind);
        GdiFlush();
        EXPECT_EQ(GetPixel(dc.Get(), 0, c.y), c.colour);
        EXPECT_EQ(GetPixel(dc.Get(), 399, c.y), c.colour);
    }
}

}  // namespace
