// Entry point of the setup program.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    return RunSetupProgram(instance, commandLine ? commandLine : "", showCommand);
}
