// The progress bar of the install page and the repaint of that page: drawn directly by the steps of
// the install as they work, outside WM_PAINT, into the main window.
#pragma once

#include <windows.h>

// Progress bar box: x 30, length 340; the bar fills y 191 to 218.
constexpr int kProgressLeft = 30;
constexpr int kProgressTop = 191;
constexpr int kProgressBottom = 218;
constexpr int kProgressLength = 340;
// The bar stops this many steps short of the total, so it never shows the work as finished.
constexpr int kProgressHeadroom = 15;

// Draws the bar at step of total at once into the main window; nothing in the silent install mode
// or when there is no window.
void ShowProgress(int step, int total);

// Repaints the install page at once into the main window between the steps of the install (the
// page's painter draws "正在复制文件" there); nothing in the silent install mode or without a window.
void RepaintInstallPage();

// Draws the bar into dc: the empty white bar when position is below 1, otherwise the filled part in
// the progress brush (the full length when position passes total). The brush stays selected.
void DrawProgressBar(HDC dc, int position, int total);
