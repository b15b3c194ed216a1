// Drives the real setup.exe from outside, as a user would: starts it, finds its main window, clicks
// the painted pages, types into the edits, reads and answers the message boxes and the skin dialog,
// tells the pages apart by their pixels and saves pictures of them. Used by the run command, the
// benchmark and the end-to-end tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SetupProcess {
    PROCESS_INFORMATION info{};
    // Waits for the process to end; returns its exit code, or STILL_ACTIVE after the timeout.
    DWORD Wait(DWORD milliseconds);
    bool Running() { return Wait(0) == STILL_ACTIVE; }
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

// A visible message box or dialog (class #32770) of the process, waited for; its caption and text
// (the static control 0xFFFF of a message box; empty for the skin dialog).
struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    bool yesNo = false;  // it has Yes and No buttons
};
bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo* box);
// Presses the button with the id (IDOK, IDYES, IDNO, or a dialog's own button) of a box.
void AnswerMessageBox(HWND box, int buttonId);

// A picture of a window as it shows on the screen, frame included; pixels are read in client
// coordinates.
struct WindowPicture {
    int width = 0, height = 0;
    int clientX = 0, clientY = 0;     // the client area's origin inside the picture
    std::vector<COLORREF> pixels;     // top-down rows
    COLORREF At(int x, int y) const;  // client coordinates; CLR_INVALID outside the picture
    bool operator==(const WindowPicture& other) const { return pixels == other.pixels; }
    bool SaveBmp(const std::wstring& path) const;  // 24-bit BMP
};
WindowPicture CaptureWindow(HWND window);

// The wizard's pages as their pixels show them.
enum class SeenPage { kFirst, kUserInfo, kInstall, kWorking, kFinished };
SeenPage PageOf(const WindowPicture& picture);
const char* PageName(SeenPage page);

// Chooses the button that answers a box: the default answers OK, Yes, and OK in the skin dialog.
using BoxAnswerer = std::function<int(const MessageBoxInfo&)>;
int DefaultAnswer(const MessageBoxInfo& box);
// The skin dialog's OK button.
constexpr int kSkinDialogOkButton = 105;

// The setup program's main window, driven from outside.
class SetupWindow {
public:
    // Waits for the main window of the process.
    bool Attach(SetupProcess* process, DWORD timeoutMs = 30000);
    HWND Handle() const { return window_; }

    // A click at client coordinates; right for the right button.
    void Click(int x, int y, bool right = false);
    // A close request, as from the close box.
    void Close();
    // The user-information edits, by their row's y (135 mobile, 165 name, 195 password).
    void Type(int editY, const std::wstring& text);
    std::wstring EditText(int editY);

    // Waits until the program is idle, answering every box and dialog that opens meanwhile, and
    // returns them in order. Idle: the window answers, no box is open and no program it started
    // runs, twice in a row; or the process has ended. False after the timeout.
    bool Settle(std::vector<MessageBoxInfo>* boxes = nullptr, const BoxAnswerer& answer = DefaultAnswer,
                DWORD timeoutMs = 90000);
    // Settles, then waits for the window's picture to stop changing and returns it.
    WindowPicture Picture();

private:
    HWND FindEdit(int editY) const;
    bool StartedProgramRuns() const;
    SetupProcess* process_ = nullptr;
    HWND window_ = nullptr;
    std::vector<DWORD> residentChildren_;
};

// The setup program's button and option centres and the edits' rows.
constexpr POINT kNextPoint = {90, 257};
constexpr POINT kExitPoint = {310, 257};
constexpr POINT kPinyinPoint = {200, 200};
constexpr POINT kWubiPoint = {320, 200};
constexpr POINT kTsfPoint = {200, 225};
constexpr POINT kImmPoint = {320, 225};
constexpr int kMobileEditY = 135, kNameEditY = 165, kPasswordEditY = 195;
