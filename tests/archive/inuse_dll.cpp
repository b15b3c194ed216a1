// A DLL that does nothing: the archive tests load copies of it to hold files the way a running input
// method holds its own.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
