// The driver of the real setup.exe (see setup_driver.h).
#include "tools/walker/setup_driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "common/handles.h"

DWORD SetupProcess::Wait(DWORD milliseconds) {
    DWORD code = STILL_ACTIVE;
    if (info.hProcess != nullptr && WaitForSingleObject(info.hProcess, milliseconds) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info.hProcess, &code);
    }
    return code;
}

void SetupProcess::Close() {
    if (info.hProcess != nullptr) {
        if (Wait(0) == STILL_ACTIVE) TerminateProcess(info.hProcess, 99);
        CloseHandle(info.hProcess);
    }
    if (info.hThread != nullptr) CloseHandle(info.hThread);
    info = PROCESS_INFORMATION{};
}

std::wstring HostPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

bool StartProgram(const std::wstring& program, const std::wstring& arguments, SetupProcess* process) {
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    process->Close();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process->info)) {
        return false;
    }
    WaitForInputIdle(process->info.hProcess, 5000);
    return true;
}

void SetProgramWindowsVersion(const wchar_t* exeName, const wchar_t* version) {
    std::wstring key = std::wstring(L"Software\\Wine\\AppDefaults\\") + exeName;
    if (version == nullptr || version[0] == L'\0') {
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version,
                    static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
}

HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs) {
    for (DWORD start = GetTickCount();; Sleep(25)) {
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, nullptr)) != nullptr;) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (IsWindowVisible(window) && (processId == 0 || owner == processId)) return window;
        }
        if (GetTickCount() - start >= timeoutMs) return nullptr;
    }
}

namespace {

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

bool IsDialogOf(HWND window, DWORD processId) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == processId && wcscmp(className, L"#32770") == 0;
}

// Whether the process has a dialog, shown or not yet shown (a modal loop shows its dialog only once
// it first idles, and hides it before it is destroyed).
bool AnyDialogOf(DWORD processId) {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr;) {
        if (IsDialogOf(window, processId)) return true;
    }
    return false;
}

// The programs the process started that still run.
std::vector<DWORD> ChildrenOf(DWORD processId) {
    std::vector<DWORD> children;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID == processId) children.push_back(entry.th32ProcessID);
    }
    return children;
}

void ReadBox(HWND window, MessageBoxInfo* box) {
    box->window = window;
    box->caption = WindowText(window);
    HWND textControl = GetDlgItem(window, 0xFFFF);
    box->text = textControl ? WindowText(textControl) : std::wstring();
    box->yesNo = GetDlgItem(window, IDYES) != nullptr && GetDlgItem(window, IDNO) != nullptr;
}

}  // namespace

bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo* box) {
    HWND window = WaitForWindow(L"#32770", processId, timeoutMs);
    if (window == nullptr) return false;
    ReadBox(window, box);
    return true;
}

void AnswerMessageBox(HWND box, int buttonId) {
    if (HWND button = GetDlgItem(box, buttonId)) SendMessageW(button, BM_CLICK, 0, 0);
}

COLORREF WindowPicture::At(int x, int y) const {
    x += clientX;
    y += clientY;
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    return pixels[static_cast<std::size_t>(y) * width + x];
}

WindowPicture CaptureWindow(HWND window) {
    WindowPicture picture;
    RECT rect;
    POINT client = {0, 0};
    if (!GetWindowRect(window, &rect) || !ClientToScreen(window, &client)) return picture;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return picture;

    // Copied from the screen: PrintWindow gives a black image under Wine.
    WindowDc screen(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueGdiObject section(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !section || bits == nullptr) return picture;
    {
        SelectedObject selected(memory.Get(), section.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
        GdiFlush();
    }
    picture.width = width;
    picture.height = height;
    picture.clientX = client.x - rect.left;
    picture.clientY = client.y - rect.top;
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue);
    }
    return picture;
}

bool WindowPicture::SaveBmp(const std::wstring& path) const {
    if (width <= 0 || height <= 0) return false;
    // A bottom-up 24-bit DIB, each row padded to four bytes.
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) / 4 * 4;
    std::vector<BYTE> rows(stride * static_cast<DWORD>(height));
    for (int y = 0; y < height; ++y) {
        BYTE* row = &rows[static_cast<std::size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            COLORREF c = pixels[static_cast<std::size_t>(y) * width + x];
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER fileHeader{0x4D42, 0, 0, 0, sizeof fileHeader + sizeof header};
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(rows.size());
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), &fileHeader, sizeof fileHeader, &written, nullptr) &&
           WriteFile(file.Get(), &header, sizeof header, &written, nullptr) &&
           WriteFile(file.Get(), rows.data(), static_cast<DWORD>(rows.size()), &written, nullptr);
}

SeenPage PageOf(const WindowPicture& picture) {
    const COLORREF white = RGB(255, 255, 255);
    // The first page's background has no red; every other page's has some below its first lines.
    if (GetRValue(picture.At(2, 240)) == 0) return SeenPage::kFirst;
    // The Next button's bevel is missing only while the install works; the user-information page
    // frames the mobile row, the install page the row of the install path.
    if (picture.At(90, 245) != white) return SeenPage::kWorking;
    if (picture.At(200, 132) == white) return SeenPage::kUserInfo;
    if (picture.At(200, 192) == white) return SeenPage::kInstall;
    return SeenPage::kFinished;
}

const char* PageName(SeenPage page) {
    switch (page) {
        case SeenPage::kFirst: return "first page";
        case SeenPage::kUserInfo: return "user information";
        case SeenPage::kInstall: return "install page";
        case SeenPage::kWorking: return "working page";
        case SeenPage::kFinished: return "finished page";
    }
    return "?";
}

int DefaultAnswer(const MessageBoxInfo& box) {
    if (GetDlgItem(box.window, kSkinDialogOkButton) != nullptr) return kSkinDialogOkButton;
    return box.yesNo ? IDYES : IDOK;
}

bool SetupWindow::Attach(SetupProcess* process, DWORD timeoutMs) {
    process_ = process;
    window_ = WaitForWindow(L"installWClass", process->info.dwProcessId, timeoutMs);
    // What Wine itself started for the process's first window (its desktop) runs on.
    residentChildren_ = ChildrenOf(process->info.dwProcessId);
    return window_ != nullptr;
}

// While the process starts a program (WinExec waits for it to idle) it answers sent messages,
// although the click that started the program has not been handled to its end.
bool SetupWindow::StartedProgramRuns() const {
    for (DWORD child : ChildrenOf(process_->info.dwProcessId)) {
        if (std::find(residentChildren_.begin(), residentChildren_.end(), child) == residentChildren_.end()) return true;
    }
    return false;
}

// Sent without waiting rather than posted: the window then handles the click before the WM_NULL that
// Settle sends afterwards, so that an answer to it means the click has been handled (or is waiting in
// a box's modal loop, whose dialog Settle sees).
void SetupWindow::Click(int x, int y, bool right) {
    const LPARAM point = MAKELPARAM(x, y);
    SendNotifyMessageW(window_, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, point);
    SendNotifyMessageW(window_, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, point);
}

void SetupWindow::Close() { SendNotifyMessageW(window_, WM_CLOSE, 0, 0); }

HWND SetupWindow::FindEdit(int editY) const {
    for (HWND child = nullptr; (child = FindWindowExW(window_, child, L"Edit", nullptr)) != nullptr;) {
        RECT rect;
        GetWindowRect(child, &rect);
        POINT origin = {rect.left, rect.top};
        ScreenToClient(window_, &origin);
        if (origin.y == editY && origin.x == 130) return child;
    }
    return nullptr;
}

void SetupWindow::Type(int editY, const std::wstring& text) {
    SendMessageW(FindEdit(editY), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring SetupWindow::EditText(int editY) {
    wchar_t text[256] = {};
    HWND edit = FindEdit(editY);
    if (edit == nullptr) return L"(none)";
    SendMessageW(edit, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

bool SetupWindow::Settle(std::vector<MessageBoxInfo>* boxes, const BoxAnswerer& answer, DWORD timeoutMs) {
    const DWORD processId = process_->info.dwProcessId;
    int idleRounds = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
        if (!process_->Running()) return true;
        HWND dialog = WaitForWindow(L"#32770", processId, 0);
        if (dialog != nullptr) {
            MessageBoxInfo box;
            ReadBox(dialog, &box);
            if (boxes != nullptr) boxes->push_back(box);
            AnswerMessageBox(dialog, answer(box));
            // Wait for the answered box to go before looking for the next.
            for (int waited = 0; waited < 5000 && IsWindow(dialog) && IsWindowVisible(dialog); waited += 5) Sleep(5);
            idleRounds = 0;
            continue;
        }
        DWORD_PTR result = 0;
        bool answers = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) != 0;
        if (answers && !AnyDialogOf(processId) && !StartedProgramRuns()) {
            if (++idleRounds >= 2) return true;
        } else {
            idleRounds = 0;
        }
        Sleep(20);
    }
    return false;
}

WindowPicture SetupWindow::Picture() {
    Settle();
    WindowPicture last = CaptureWindow(window_);
    for (int tries = 0; tries < 40; ++tries) {
        Sleep(60);
        WindowPicture next = CaptureWindow(window_);
        if (next == last) break;
        last = std::move(next);
    }
    return last;
}
