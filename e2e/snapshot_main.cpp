// snapshot.exe OUT.bmp: waits for the setup program's main window, saves a picture of it and closes
// it. Used by the run command when there is no display to show the window on.
#include <windows.h>

#include <cstdio>

#include "app/main_window.h"
#include "e2e/setup_driver.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: snapshot OUT.bmp\n");
        return 2;
    }
    HWND window = WaitForWindow(kMainWindowClassW, 0, 30000);
    if (window == nullptr) {
        std::fprintf(stderr, "snapshot: the setup window did not appear\n");
        return 1;
    }
    Sleep(500);  // let the first painting finish
    bool saved = SaveWindowBitmap(window, argv[1]);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!saved) {
        std::fprintf(stderr, "snapshot: could not save the picture\n");
        return 1;
    }
    return 0;
}
