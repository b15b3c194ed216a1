// The progress bar drawn into a real window: the width rule of DrawProgressBar, and the main window's
// progress display stopping short of the total; without a display (the silent install) nothing is
// drawn.

#include "app/drawing.h"
#include "app/progress_bar.h"
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
    UniqueGdiObject background(CreateSolidBrush(kBackground));
    g_drawingTools.progressBrush.Reset(CreateSolidBrush(kBarColour));
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 310, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    g_state.mainWindow = window;
    // Way 0: DrawProgressBar directly; 1: ShowProgress through the window's display; 2: without one.
    const struct { const char* label; int way, position, total, width; COLORREF inside; } cases[] = {
        {"nothing done: the empty white bar", 0, 0, 110, 340, kWhite},
        {"past the total: the full length", 0, 120, 110, 340, kBarColour},
        {"large numbers", 0, 2000000000, 2100000000, 323, kBarColour},
        {"no total: no width", 0, 5, 0, 0, kBackground},
        {"shown: 15 steps short of the total", 1, 200, 110, 293, kBarColour},
        {"no display: nothing", 2, 50, 110, 0, kBackground},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WindowDc dc(window);
        RECT all = {0, 0, 400, 310};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(background.Get()));
        SetProgressDisplay(c.way == 1 ? &kMainWindowProgress : nullptr);
        if (c.way == 0) {
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
    SetProgressDisplay(&kMainWindowProgress);
    ShowProgress(50, 110);  // no window: nothing to draw into, and no crash
    SetProgressDisplay(nullptr);
    DestroyWindow(window);
    DeleteSharedDrawingTools();
}

}  // namespace
