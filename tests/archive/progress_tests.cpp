// The progress bar: its width rule drawn into a memory bitmap, and ShowProgress drawing into a real
// window (and not at all in the silent install mode).
#include <windows.h>

#include <gtest/gtest.h>

#include "app/progress.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "tests/support/test_support.h"

namespace {

constexpr COLORREF kBarColour = RGB(30, 144, 255);
constexpr COLORREF kBackground = RGB(0, 128, 0);
constexpr int kProbeRow = 204;

class ProgressTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.progressBrush = CreateSolidBrush(kBarColour);
    }
    void TearDown() override {
        DeleteObject(g_state.progressBrush);
        g_state.progressBrush = nullptr;
        QuorTest::TearDown();
    }

    // Pixels of the probe row that are not background, counted from the bar's left edge, and whether
    // the inside of the bar shows the given colour.
    static int PaintedWidth(HDC dc) {
        int width = 0;
        while (kProgressLeft + width < 400 && GetPixel(dc, kProgressLeft + width, kProbeRow) != kBackground) ++width;
        return width;
    }
    static void FillBackground(HDC dc) {
        RECT all = {0, 0, 400, 310};
        UniqueGdiObject brush(CreateSolidBrush(kBackground));
        FillRect(dc, &all, static_cast<HBRUSH>(brush.Get()));
    }
};

TEST_F(ProgressTest, DrawProgressBarWidthFollowsPositionOverTotal) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 400;
    info.bmiHeader.biHeight = -310;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(bitmap);
    SelectedObject selected(dc.Get(), bitmap.Get());
    struct Case {
        int position;
        int total;
        int width;
        COLORREF inside;
    };
    const Case cases[] = {
        {0, 110, 340, RGB(255, 255, 255)},   // the empty white bar
        {1, 110, 3, kBarColour},
        {95, 110, 293, kBarColour},
        {110, 110, 340, kBarColour},
        {120, 110, 340, kBarColour},         // past the total: the full length
        {2000000000, 2100000000, 323, kBarColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + " of " + std::to_string(c.total));
        FillBackground(dc.Get());
        DrawProgressBar(dc.Get(), c.position, c.total);
        EXPECT_EQ(PaintedWidth(dc.Get()), c.width);
        EXPECT_EQ(GetPixel(dc.Get(), kProgressLeft + 1, kProbeRow), c.inside);
        EXPECT_EQ(GetPixel(dc.Get(), kProgressLeft + 1, kProgressTop - 1), kBackground);
        EXPECT_NE(GetPixel(dc.Get(), kProgressLeft + 1, kProgressTop), kBackground);
        EXPECT_NE(GetPixel(dc.Get(), kProgressLeft + 1, kProgressBottom - 1), kBackground);
        EXPECT_EQ(GetPixel(dc.Get(), kProgressLeft + 1, kProgressBottom), kBackground);
    }
    FillBackground(dc.Get());
    DrawProgressBar(dc.Get(), 5, 0);  // no total: a bar of no width
    EXPECT_LE(PaintedWidth(dc.Get()), 1);
}

TEST_F(ProgressTest, ShowProgressDrawsIntoTheMainWindowButNotInTheSilentMode) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "quortest_progress";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "quortest_progress", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 310,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    g_state.mainWindow = window;
    struct Case {
        int runMode;
        int step;
        int total;
        int width;
    };
    const Case cases[] = {
        {kRunModeWindow, 0, 110, 340},    // the empty white bar
        {kRunModeWindow, 200, 110, 293},  // stops 15 steps short: 340 * 95 / 110
        {kRunModeWindow, 50, 110, 154},
        {kRunModeSilent, 50, 110, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.runMode) + ": " + std::to_string(c.step) + " of " + std::to_string(c.total));
        g_state.runMode = c.runMode;
        {
            WindowDc dc(window);
            FillBackground(dc.Get());
            GdiFlush();
        }
        ShowProgress(c.step, c.total);
        GdiFlush();
        WindowDc dc(window);
        EXPECT_EQ(PaintedWidth(dc.Get()), c.width);
    }
    g_state.mainWindow = nullptr;
    ShowProgress(50, 110);  // no window: nothing to draw into, and no crash
    DestroyWindow(window);
}

}  // namespace
