// The wizard's clicks: the rectangles the pages draw as buttons, options and rows, the hit test over
// them, and what a click does on each page. Left and right clicks act alike.
#pragma once

#include <windows.h>

// Inclusive rectangles in client coordinates: the right and bottom edges belong to them.
inline constexpr RECT kNextButton = {40, 245, 140, 270};
inline constexpr RECT kExitButton = {260, 245, 360, 270};
inline constexpr RECT kPinyinOption = {160, 190, 255, 210};
inline constexpr RECT kWubiOption = {275, 190, 370, 210};
inline constexpr RECT kTsfOption = {160, 215, 255, 235};
inline constexpr RECT kImmOption = {275, 215, 370, 235};
// The user-information rows; drawn, never hit-tested.
inline constexpr RECT kMobileRow = {30, 132, 365, 157};
inline constexpr RECT kNameRow = {30, 162, 365, 187};
inline constexpr RECT kPasswordRow = {30, 192, 365, 217};

enum class ClickRegion { kNone, kExit, kPinyin, kWubi, kTsf, kImm, kNext };

// The first region containing (x, y), in the order Exit, Pinyin, Wubi, TSF, IMM, Next; the option
// regions match nothing once they are no longer active.
ClickRegion HitRegion(int x, int y, bool optionsActive);

// Handles a mouse click (left or right) on the main window.
void OnWizardClick(WPARAM wParam, LPARAM lParam);

// Forgets the first Next and the end of the program, for a new window.
void ResetWizardClicks();
