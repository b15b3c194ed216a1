// Click handling of the wizard (see wizard_clicks.h). The install runs inside the click that confirms
// page 6; while it runs (page 7) its message boxes pump messages, so clicks come back here and are
// ignored.
#include "app/wizard_clicks.h"

#include "app/page_painters.h"
#include "app/skin_dialog.h"
#include "app/user_info.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "install/install_sequence.h"
#include "platform/install_paths.h"

namespace {

// The options answer until the first click on Next, for the rest of the process.
bool g_optionsActive = true;
// Set once the program has begun to end (the finish sequence, or WM_DESTROY posted): a click that
// arrives meanwhile, for instance while the report's box is open, must not run it a second time.
bool g_ending = false;
// Set while the user information is submitted. Its refusal boxes have no owner, so a second Next
// can arrive while one is open; were it accepted, the first submission would afterwards set page 1
// again over the destroyed edits.
bool g_submitting = false;

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

void Repaint() {
    if (g_state.mainWindow != nullptr) InvalidateRect(g_state.mainWindow, nullptr, FALSE);
}

void EndProgram(WPARAM wParam, LPARAM lParam, bool finish) {
    g_ending = true;
    if (finish) RunFinishSequence();
    if (g_state.mainWindow != nullptr) PostMessageA(g_state.mainWindow, WM_DESTROY, wParam, lParam);
}

// Pages 0 to 4: the user-information page shows at once with its edits above it, then the fields
// are submitted (on page 0 after the earlier install's user record has been put into them).
void NextOnUserInfoStep() {
    if (g_submitting) return;
    g_submitting = true;
    {
        WindowDc dc(g_state.mainWindow);
        if (dc) PaintUserInfoPage(dc.Get());
    }
    for (HWND edit : {g_state.passwordEdit, g_state.nameEdit, g_state.mobileEdit}) {
        ShowWindow(edit, SW_HIDE);
        ShowWindow(edit, SW_SHOW);
    }
    if (g_state.currentPage == 0) {
        SetWindowTextA(g_state.mobileEdit, "");
        LoadUserInfo();
    }
    GetInstallDir();
    SubmitUserInfo();
    Repaint();
    g_submitting = false;
}

void OnNext(WPARAM wParam, LPARAM lParam) {
    g_optionsActive = false;
    const int page = g_state.currentPage;
    if (page <= 4) {
        NextOnUserInfoStep();
    } else if (page == 6) {
        RunInstallSequence(ShowSkinDialog);
    } else if (page == 8) {
        g_state.currentPage = 9;
        Repaint();
    } else if (page >= 9) {
        EndProgram(wParam, lParam, true);
    }
}

}  // namespace

ClickRegion HitRegion(int x, int y, bool optionsActive) {
    if (Inside(kExitButton, x, y)) return ClickRegion::kExit;
    if (optionsActive) {
        if (Inside(kPinyinOption, x, y)) return ClickRegion::kPinyin;
        if (Inside(kWubiOption, x, y)) return ClickRegion::kWubi;
        if (Inside(kTsfOption, x, y)) return ClickRegion::kTsf;
        if (Inside(kImmOption, x, y)) return ClickRegion::kImm;
    }
    if (Inside(kNextButton, x, y)) return ClickRegion::kNext;
    return ClickRegion::kNone;
}

void OnWizardClick(WPARAM wParam, LPARAM lParam) {
    if (g_state.currentPage == 7 || g_ending || g_state.mainWindow == nullptr) return;
    const int x = LOWORD(lParam), y = HIWORD(lParam);
    switch (HitRegion(x, y, g_optionsActive)) {
        case ClickRegion::kExit:
            EndProgram(wParam, lParam, g_state.currentPage >= 8);
            break;
        case ClickRegion::kPinyin:
            g_state.edition = kEditionPinyin;
            Repaint();
            break;
        case ClickRegion::kWubi:
            g_state.edition = kEditionWubi;
            Repaint();
            break;
        case ClickRegion::kTsf:
            g_state.interfaceChoice = kInterfaceTsf;
            Repaint();
            break;
        case ClickRegion::kImm:
            g_state.interfaceChoice = kInterfaceImm;
            Repaint();
            break;
        case ClickRegion::kNext:
            OnNext(wParam, lParam);
            break;
        case ClickRegion::kNone:
            break;
    }
}

void ResetWizardClicks() {
    g_optionsActive = true;
    g_ending = false;
    g_submitting = false;
}
