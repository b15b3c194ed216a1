// The main window: its class, its creation with the computed title and edit controls, and the
// window procedure.
#pragma once

#include <windows.h>

#include <cstddef>

inline constexpr char kMainWindowClass[] = "installWClass";
inline constexpr wchar_t kMainWindowClassW[] = L"installWClass";

// Window geometry: fixed 400 x 310, centred on the screen as if it were 300 high (it sits 5 pixels
// lower than truly centred, as it always has).
constexpr int kMainWindowWidth = 400;
constexpr int kMainWindowHeight = 310;
constexpr int kMainWindowCentringHeight = 300;

bool RegisterMainWindowClass(HINSTANCE instance);
bool CreateMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether ntdll reports version 10.0.
bool IsWindows10();

// Builds the UTF-16 window title from the OS facts (fills g_state.systemBits and the Windows 10 flag).
void BuildMainWindowTitle(wchar_t* title, std::size_t capacity);
