// User-information entry (see user_info.h).
#include "app/user_info.h"

#include <windows.h>

#include <cstring>

#include "common/install_state.h"
#include "common/message_box.h"
#include "common/text.h"
#include "platform/install_paths.h"
#include "settings/settings_files.h"

namespace {

// Room of the edit reads: the number and the name are cut to 13 bytes, the password to 9, so that a
// password typed too long is refused rather than cut to six.
constexpr int kMobileRead = 14;
constexpr int kNameRead = 14;
constexpr int kPasswordRead = 10;
constexpr std::size_t kPasswordLength = 6;
constexpr char kFallbackInstallDir[] = "c:\\quorel2\\";

// Reads an edit into a field of the record; a double-byte character cut in half at the end of the
// room is dropped whole.
void ReadEdit(HWND edit, char* field, int room) {
    field[0] = '\0';
    int length = GetWindowTextA(edit, field, room);
    if (length < 0) length = 0;
    field[length < room ? length : room - 1] = '\0';
    for (int i = 0; i < length;) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(field[i]))) {
            ++i;
        } else if (i + 1 < length) {
            i += 2;
        } else {
            field[i] = '\0';
            break;
        }
    }
}

// A null window would invalidate every window of the desktop.
void Repaint() {
    if (g_state.mainWindow != nullptr) InvalidateRect(g_state.mainWindow, nullptr, FALSE);
}

void Refuse(const wchar_t* reason) {
    if (g_state.currentPage > 0) ShowMessageW(reason, kCaptionSetupW, MB_OK);
    g_state.currentPage = 1;
    Repaint();
}

void DestroyEdit(HWND* edit) {
    ShowWindow(*edit, SW_HIDE);
    DestroyWindow(*edit);
    *edit = nullptr;
}

}  // namespace

void LoadUserInfo() {
    GetInstallDir();
    if (!ReadUserRecord()) {
        for (HWND edit : {g_state.nameEdit, g_state.mobileEdit, g_state.passwordEdit}) SetWindowTextA(edit, "");
        return;
    }
    SetWindowTextA(g_state.mobileEdit, g_state.user.mobile);
    SetWindowTextA(g_state.nameEdit, g_state.user.name);
    SetWindowTextA(g_state.passwordEdit, "");
}

bool IsValidMobile(const char* text) {
    const std::size_t length = std::strlen(text);
    if (length < 8 || length > 18) return false;
    const bool prefixed = text[0] == 'w' || text[0] == 'W';
    for (std::size_t i = prefixed ? 1 : 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    if (prefixed) return length != 11;
    return (length == 11 && text[0] == '1') || length == 18;
}

void SubmitUserInfo() {
    ReadEdit(g_state.mobileEdit, g_state.user.mobile, kMobileRead);
    ReadEdit(g_state.nameEdit, g_state.user.name, kNameRead);
    ReadEdit(g_state.passwordEdit, g_state.user.password, kPasswordRead);
    if (!IsValidMobile(g_state.user.mobile)) return Refuse(kInvalidMobileText);
    if (std::strlen(g_state.user.password) != kPasswordLength) return Refuse(kInvalidPasswordText);

    if (++g_state.currentPage == 1) return;
    DestroyEdit(&g_state.passwordEdit);
    DestroyEdit(&g_state.nameEdit);
    DestroyEdit(&g_state.mobileEdit);
    g_state.currentPage = 5;
    ShowWindow(g_state.focusEdit, SW_HIDE);
    ShowWindow(g_state.focusEdit, SW_SHOW);
    GetInstallDir();
    if (std::strlen(g_state.installDir) < 3) CopyText(g_state.installDir, kFallbackInstallDir);
    Repaint();
    WriteSettingsFiles();
    g_state.currentPage = 6;
}
