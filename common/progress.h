// The install's progress as its steps report it: the step counter of InstallState and the display
// that shows it. The main window fills the display in when it is created; the silent install leaves
// it empty, so that there the steps only count. The steps report through here without knowing the
// window.
#pragma once

// What the window does with a report: draw the bar at step of total, and repaint the install page
// between two steps of the install.
struct ProgressDisplay {
    void (*showProgress)(int step, int total);
    void (*repaintInstallPage)();
};

// Routes later reports to display; nullptr empties the display again.
void SetProgressDisplay(const ProgressDisplay* display);

// Draws the bar at step of total; nothing without a display.
void ShowProgress(int step, int total);

// Repaints the install page at once; nothing without a display.
void RepaintInstallPage();

// Moves the progress step on and shows it.
void AdvanceProgress(int steps = 1);

// Moves the progress step on and shows it when the bar was last drawn 25 ms ago or earlier: for a
// run of many quick steps (the members of an archive), whose every drawing would cost a round trip
// to the display for a change the eye cannot follow. FlushProgress draws what is owed; a message
// box does so before it shows.
void AdvanceProgressSoon();
void FlushProgress();
