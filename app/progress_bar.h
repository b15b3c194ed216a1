// The progress bar of the install page and the repaint of that page: drawn directly into the main
// window by the install's steps as they work, outside WM_PAINT, through the progress display that
// the window fills in.
#pragma once

#include <windows.h>

#include "common/progress.h"

// Progress bar box: x 30, length 340; the bar fills y 191 to 218.
constexpr int kProgressLeft = 30;
constexpr int kProgressTop = 191;
constexpr int kProgressBottom = 218;
constexpr int kProgressLength = 340;
// The bar stops this many steps short of the total, so it never shows the work as finished.
constexpr int kProgressHeadroom = 15;

// The main window's progress display: the bar drawn at once into the window, and the install page
// repainted; both do nothing while there is no main window.
extern const ProgressDisplay kMainWindowProgress;

// Draws the bar into dc: the empty white bar when position is below 1, otherwise the filled part in
// the progress brush (the full length when position passes total).
void DrawProgressBar(HDC dc, int position, int total);
