// Entry point of the setup program.
#include <windows.h>

#include "app/startup.h"
#include "platform/program_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    // Started from a download folder, where anyone may have put a library of a system name.
    LimitLibrarySearch();
    return RunSetupProgram(instance, commandLine ? commandLine : "", showCommand);
}
