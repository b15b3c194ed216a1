// The progress bar drawn into a real window: the width rule of DrawProgressBar, and the main window's
// progress display stopping short of the total; without a display (the silent install) nothing is
// drawn.

#include "app/drawing.h"
#include "app/progress_bar.h"
#include "common/install_state.h"
#include "tests/support/test_support.h"

namespace {

constexpr COLORREF kBar = RGB(30, 144, 255), kBackground = RGB(0, 128, 0), kWhite = RGB(255, 255, 255);

using ProgressTest = QuorTest;

// Way 0: DrawProgressBar directly; 1: ShowProgress through the window's display; 2: without a
// display; 3: through the display while there is no main window.
TEST_F(ProgressTest, TheBarFollowsPositionOverTotal) {
    UniqueGdiObject background(CreateSolidBrush(kBackground));
    g_drawingTools.progressBrush.Reset(CreateSolidBrush(kBar));
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 310, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const struct { const char* label; int way, position, total, width; COLORREF inside; } cases[] = {
        {"nothing done: the empty white bar", 0, 0, 110, 340, kWhite},
        {"past the total: the full length", 0, 120, 110, 340, kBar},
        {"large numbers", 0, 2000000000, 2100000000, 323, kBar},
        {"no total: no width", 0, 5, 0, 0, kBackground},
        {"shown: 15 steps short of the total", 1, 200, 110, 293, kBar},
        {"no display: nothing", 2, 50, 110, 0, kBackground},
        {"a display but no window: nothing, and no crash", 3, 50, 110, 0, kBackground},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WindowDc dc(window);
        RECT all = {0, 0, 400, 310};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(background.Get()));
        SetProgressDisplay(c.way == 1 || c.way == 3 ? &kMainWindowProgress : nullptr);
        g_state.mainWindow = c.way == 3 ? nullptr : window;
        c.way == 0 ? DrawProgressBar(dc.Get(), c.position, c.total) : ShowProgress(c.position, c.total);
        GdiFlush();
        int width = 0;
        while (width < 360 && GetPixel(dc.Get(), kProgressLeft + width, 204) != kBackground) ++width;
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(GetPixel(dc.Get(), kProgressLeft + 1, 204), c.inside);
    }
    SetProgressDisplay(nullptr);
    DestroyWindow(window);
    DeleteSharedDrawingTools();
}

}  // namespace
