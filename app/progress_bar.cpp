// The main window's progress display and DrawProgressBar (see progress_bar.h).
#include "app/progress_bar.h"

#include <algorithm>
#include <climits>

#include "app/drawing.h"
#include "app/page_painters.h"
#include "common/handles.h"
#include "common/install_state.h"

namespace {

void ShowProgressBar(int step, int total) {
    if (g_state.mainWindow == nullptr) return;
    long long position = std::min<long long>(step, static_cast<long long>(total) - kProgressHeadroom);
    WindowDc dc(g_state.mainWindow);
    if (!dc) return;
    DrawProgressBar(dc.Get(), static_cast<int>(std::max<long long>(position, INT_MIN)), total);
}

void RepaintInstallPageNow() {
    if (g_state.mainWindow == nullptr) return;
    WindowDc dc(g_state.mainWindow);
    if (dc) PaintInstallPage(dc.Get());
}

}  // namespace

const ProgressDisplay kMainWindowProgress = {ShowProgressBar, RepaintInstallPageNow};

void DrawProgressBar(HDC dc, int position, int total) {
    long long width = 0;
    if (total == 0) {
        width = 0;
    } else if (position > total) {
        width = kProgressLength;
    } else {
        width = static_cast<long long>(kProgressLength) * position / total;
    }
    if (position < 1) {
        SelectedObject brush(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, kProgressLeft, kProgressTop, kProgressLeft + kProgressLength, kProgressBottom);
    } else {
        SelectedObject brush(dc, g_drawingTools.progressBrush.Get());
        Rectangle(dc, kProgressLeft, kProgressTop, kProgressLeft + static_cast<int>(width), kProgressBottom);
    }
}
