// Drives the real setup.exe from outside, as a user would: starts it, finds its main window and its
// message boxes, reads and answers them, and saves screenshots.
#pragma once

#include <windows.h>

#include <string>

struct SetupProcess {
    PROCESS_INFORMATION info{};
    // Waits for the process to end; returns its exit code, or STILL_ACTIVE after the timeout.
    DWORD Wait(DWORD milliseconds);
    void Close();  // ends the process if it still runs
    ~SetupProcess() { Close(); }
};

// A path of the build machine as the programs under Wine see it (drive Z:).
std::wstring HostPath(const std::string& unixPath);

// Starts "program arguments" with the working directory of the program's folder.
bool StartProgram(const std::wstring& program, const std::wstring& arguments, SetupProcess* process);

// Sets the Windows version that Wine reports to programs of this file name ("winxp64", "vista",
// "win7", "win10"); an empty version removes the setting.
void SetProgramWindowsVersion(const wchar_t* exeName, const wchar_t* version);

// The visible top-level window of the class owned by the process (0 for any process), waited for.
HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs);

// A visible message box (class #32770) of the process, waited for; its caption and text.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};
bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo* box);
// Presses the button with the id (IDOK, IDYES, IDNO) of a message box.
void AnswerMessageBox(HWND box, int buttonId);

// Saves the window (caption and frame included) as a 24-bit BMP file.
bool SaveWindowBitmap(HWND window, const std::wstring& path);
