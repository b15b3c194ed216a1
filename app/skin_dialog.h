// The status-window mode and skin dialog: seven radio buttons in two logical groups and an OK
// button, the only way out. Its answers go to g_state.statusWindowMode and g_state.skinChoice.
#pragma once

#include <windows.h>

// Control ids of the dialog templates PYKEY and PYKEYB.
constexpr int kSkinDialogOk = 105;
constexpr int kModeTwoRow = 101;
constexpr int kModeSingleRow = 102;
constexpr int kModeDual = 106;
constexpr int kModeWindowsStyle = 107;
constexpr int kSkinCool = 110;
constexpr int kSkinPink = 111;
constexpr int kSkinAngel = 112;

INT_PTR CALLBACK StatusWindowDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The template for the OEM code page: "PYKEYB" (Traditional Chinese) on 950, else "PYKEY".
const char* SkinDialogTemplate();

// Runs the dialog modally, owned by the main window; returns when OK is pressed.
void ShowSkinDialog();
