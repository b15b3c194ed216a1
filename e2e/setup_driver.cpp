// The driver of the real setup.exe (see setup_driver.h).
#include "e2e/setup_driver.h"

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

}  // namespace

bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo* box) {
    box->window = WaitForWindow(L"#32770", processId, timeoutMs);
    if (box->window == nullptr) return false;
    box->caption = WindowText(box->window);
    HWND textControl = GetDlgItem(box->window, 0xFFFF);
    box->text = textControl ? WindowText(textControl) : std::wstring();
    return true;
}

void AnswerMessageBox(HWND box, int buttonId) {
    if (HWND button = GetDlgItem(box, buttonId)) SendMessageW(button, BM_CLICK, 0, 0);
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rect;
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;

    // Copies from the screen: PrintWindow gives a black image under Wine.
    WindowDc screen(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !bitmap) return false;
    {
        SelectedObject selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
    }

    // A bottom-up 24-bit DIB, each row padded to four bytes.
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> pixels(((static_cast<DWORD>(width) * 3 + 3) / 4) * 4 * static_cast<DWORD>(height));
    if (!GetDIBits(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, static_cast<UINT>(height), pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)) {
        return false;
    }
    BITMAPFILEHEADER fileHeader{0x4D42, 0, 0, 0, sizeof fileHeader + sizeof header};
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), &fileHeader, sizeof fileHeader, &written, nullptr) &&
           WriteFile(file.Get(), &header, sizeof header, &written, nullptr) &&
           WriteFile(file.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}
