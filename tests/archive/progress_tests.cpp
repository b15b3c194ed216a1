// The progress bar drawn into a real window: the width rule of DrawProgressBar, and ShowProgress
// stopping short of the total and drawing nothing in the silent install mode.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/progress.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "tests/support/test_support.h"

namespace {

constexpr COLORREF kBarColour = RGB(30, 144, 255);
constexpr COLORREF kBackground = RGB(0, 128, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kProbeRow = 204;

using ProgressTest = QuorTest;

TEST_F(ProgressTest, TheBarFollowsPositionOverTotal) {
    UniqueGdiObject brush(CreateSolidBrush(kBarColour)), background(CreateSolidBrush(kBackground));
    g_state.progressBrush = static_cast<HBRUSH>(brush.Get());
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 310, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    g_state.mainWindow = window;
    // Run mode 0: DrawProgressBar directly; otherwise ShowProgress in that mode.
    const struct { const char* label; int runMode, position, total, width; COLORREF inside; } cases[] = {
        {"nothing done: the empty white bar", 0, 0, 110, 340, kWhite},
        {"the first step", 0, 1, 110, 3, kBarColour},
        {"past the total: the full length", 0, 120, 110, 340, kBarColour},
        {"large numbers", 0, 2000000000, 2100000000, 323, kBarColour},
        {"no total: no width", 0, 5, 0, 0, kBackground},
        {"shown: 15 steps short of the total", kRunModeWindow, 200, 110, 293, kBarColour},
        {"shown: half way", kRunModeWindow, 50, 110, 154, kBarColour},
        {"silent mode: nothing", kRunModeSilent, 50, 110, 0, kBackground},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WindowDc dc(window);
        RECT all = {0, 0, 400, 310};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(background.Get()));
        g_state.runMode = c.runMode;
        if (c.runMode == 0) {
            DrawProgressBar(dc.Get(), c.position, c.total);
        } else {
            ShowProgress(c.position, c.total);
        }
        GdiFlush();
        int width = 0;
        while (width < 360 && GetPixel(dc.Get(), kProgressLeft + width, kProbeRow) != kBackground) ++width;
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(GetPixel(dc.Get(), kProgressLeft + 1, kProbeRow), c.inside);
    }
    g_state.mainWindow = nullptr;
    ShowProgress(50, 110);  // no window: nothing to draw into, and no crash
    DestroyWindow(window);
    g_state.progressBrush = nullptr;
}

}  // namespace
