// Stand-in for the input method's companion programs (quortavo.exe, the data-management program
// started at logon with the word "qu"; quortav6.exe, its earlier version; qrjcdir.exe, the launcher
// started at basic-user trust). Each starts, shows no window, changes nothing and exits with
// status 0, whatever its command line; the version information built into each names the program
// it stands for.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    return 0;
}
