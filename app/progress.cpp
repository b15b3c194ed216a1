// ShowProgress, RepaintInstallPage and DrawProgressBar (see progress.h).
#include "app/progress.h"

#include <algorithm>
#include <climits>

#include "common/handles.h"
#include "common/install_state.h"

void ShowProgress(int step, int total) {
    if (g_state.runMode == kRunModeSilent || g_state.mainWindow == nullptr) return;
    long long position = std::min<long long>(step, static_cast<long long>(total) - kProgressHeadroom);
    WindowDc dc(g_state.mainWindow);
    if (!dc) return;
    DrawProgressBar(dc.Get(), static_cast<int>(std::max<long long>(position, INT_MIN)), total);
}

void RepaintInstallPage() {
    if (g_state.runMode == kRunModeSilent || g_state.mainWindow == nullptr) return;
    // The install page has no painter of its own yet; this is where it is drawn once it has one.
}

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
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, kProgressLeft, kProgressTop, kProgressLeft + kProgressLength, kProgressBottom);
    } else {
        SelectObject(dc, g_state.progressBrush);
        Rectangle(dc, kProgressLeft, kProgressTop, kProgressLeft + static_cast<int>(width), kProgressBottom);
    }
}
