// Drives the skin dialog from a second thread while the code under test runs it modally on the test
// thread, as a user would: finds the dialog owned by the test's main window, clicks its buttons and
// reads it back. Shared by the dialog tests and the tests of the step that opens it.
#pragma once

#include <windows.h>

#include <functional>

// Presses a button of the dialog (BM_CLICK, handled on the dialog's own thread).
void ClickDialogButton(HWND dialog, int id);

struct DialogRun {
    bool closedByDriver = false;  // the dialog appeared and closed on the first OK, not by the safety net
};

// Runs modal() on this thread; a second thread waits up to 10 s for the visible dialog (#32770) owned
// by owner, hands it to drive() and then presses OK. Should the dialog still be open 3 s later, the
// thread presses OK again (and the run says so), so that a test cannot hang.
DialogRun RunWithDialogDriver(HWND owner, const std::function<void()>& modal, const std::function<void(HWND)>& drive);
