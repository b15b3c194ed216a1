// The progress reports and the display they go to (see progress.h).
#include "common/progress.h"

#include "common/install_state.h"

#include <windows.h>

namespace {

constexpr DWORD kDrawingIntervalMs = 25;

const ProgressDisplay* g_display = nullptr;
DWORD g_lastDrawing = 0;
bool g_owed = false;

}  // namespace

void SetProgressDisplay(const ProgressDisplay* display) { g_display = display; }

void ShowProgress(int step, int total) {
    g_owed = false;
    g_lastDrawing = GetTickCount();
    if (g_display != nullptr && g_display->showProgress != nullptr) g_display->showProgress(step, total);
}

void RepaintInstallPage() {
    if (g_display != nullptr && g_display->repaintInstallPage != nullptr) g_display->repaintInstallPage();
}

void AdvanceProgress(int steps) {
    g_state.progressStep += steps;
    ShowProgress(g_state.progressStep, g_state.progressTotal);
}

void AdvanceProgressSoon() {
    ++g_state.progressStep;
    if (GetTickCount() - g_lastDrawing >= kDrawingIntervalMs) {
        ShowProgress(g_state.progressStep, g_state.progressTotal);
    } else {
        g_owed = true;
    }
}

void FlushProgress() {
    if (g_owed) ShowProgress(g_state.progressStep, g_state.progressTotal);
}
