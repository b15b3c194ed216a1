// The five page painters of the setup window. Each paints its whole page into the DC it is given
// (the WM_PAINT DC, or a window DC when the page must show at once), from what InstallState holds at
// that moment.
#pragma once

#include <windows.h>

// Page 0: the picture, the edition and interface options with a tick beside the chosen ones.
void PaintFirstPage(HDC dc);
// Pages 1 to 4: the three input rows and their labels (the edit controls lie in them).
void PaintUserInfoPage(HDC dc);
// Pages 5 and 6, and the install page repainted between the install's steps: the install directory,
// and an empty progress bar once the install has a total.
void PaintInstallPage(HDC dc);
// Page 7, while the install runs: no buttons and no bar.
void PaintWorkingPage(HDC dc);
// Pages 8 and 9.
void PaintFinishedPage(HDC dc);

// The painter of a page number.
void PaintPage(HDC dc, int page);
