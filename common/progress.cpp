// The progress reports and the display they go to (see progress.h).
#include "common/progress.h"

#include "common/install_state.h"

namespace {

const ProgressDisplay* g_display = nullptr;

}  // namespace

void SetProgressDisplay(const ProgressDisplay* display) { g_display = display; }

void ShowProgress(int step, int total) {
    if (g_display != nullptr && g_display->showProgress != nullptr) g_display->showProgress(step, total);
}

void RepaintInstallPage() {
    if (g_display != nullptr && g_display->repaintInstallPage != nullptr) g_display->repaintInstallPage();
}

void AdvanceProgress(int steps) {
    g_state.progressStep += steps;
    ShowProgress(g_state.progressStep, g_state.progressTotal);
}
