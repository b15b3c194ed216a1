// The status-window mode and skin dialog procedure. All seven radio buttons form one radio group for
// the system (none starts a group), so after every click the procedure puts the ticks of both
// logical groups back from its own flags.
#include "app/skin_dialog.h"

#include "common/install_state.h"

namespace {

constexpr int kModeIds[] = {kModeTwoRow, kModeSingleRow, kModeDual, kModeWindowsStyle};
constexpr int kSkinIds[] = {kSkinCool, kSkinPink, kSkinAngel};

// Tick flags, one per radio button; they live only while the dialog is open.
int g_modeFlags[4];
int g_skinFlags[3];

template <std::size_t N>
void SelectOnly(int (&flags)[N], const int (&ids)[N], int chosen) {
    for (std::size_t i = 0; i < N; ++i) flags[i] = ids[i] == chosen ? 1 : 0;
}

template <std::size_t N>
bool Contains(const int (&ids)[N], int id) {
    for (int candidate : ids) {
        if (candidate == id) return true;
    }
    return false;
}

void ApplyTicks(HWND dialog) {
    for (std::size_t i = 0; i < 4; ++i) SendDlgItemMessageA(dialog, kModeIds[i], BM_SETCHECK, g_modeFlags[i], 0);
    for (std::size_t i = 0; i < 3; ++i) SendDlgItemMessageA(dialog, kSkinIds[i], BM_SETCHECK, g_skinFlags[i], 0);
}

// The 1-based place of the first set flag, or 1 when none is set.
template <std::size_t N>
std::uint8_t ChosenNumber(const int (&flags)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (flags[i]) return static_cast<std::uint8_t>(i + 1);
    }
    return 1;
}

INT_PTR OnInitDialog(HWND dialog) {
    RECT mainRect;
    if (g_state.mainWindow != nullptr && GetWindowRect(g_state.mainWindow, &mainRect)) {
        SetWindowPos(dialog, nullptr, mainRect.left, mainRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    SelectOnly(g_modeFlags, kModeIds, kModeTwoRow);
    SelectOnly(g_skinFlags, kSkinIds, kSkinCool);
    ApplyTicks(dialog);
    return FALSE;
}

INT_PTR OnCommand(HWND dialog, int id) {
    if (Contains(kModeIds, id)) {
        SelectOnly(g_modeFlags, kModeIds, id);
        ApplyTicks(dialog);
        return FALSE;
    }
    if (Contains(kSkinIds, id)) {
        SelectOnly(g_skinFlags, kSkinIds, id);
        ApplyTicks(dialog);
        return FALSE;
    }
    if (id == kSkinDialogOk) {
        g_state.statusWindowMode = ChosenNumber(g_modeFlags);
        g_state.skinChoice = ChosenNumber(g_skinFlags);
        EndDialog(dialog, 0);
        return TRUE;
    }
    // IDCANCEL from Esc, Alt+F4 or the close box included: the install waits for OK.
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK StatusWindowDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam));
        default:
            return FALSE;
    }
}

const char* SkinDialogTemplate() { return UsesBig5() ? "PYKEYB" : "PYKEY"; }

void ShowSkinDialog() {
    DialogBoxParamA(g_state.instance, SkinDialogTemplate(), g_state.mainWindow, StatusWindowDialogProc, 0);
}
