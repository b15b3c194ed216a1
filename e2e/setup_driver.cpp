// The driver of the real setup.exe (see setup_driver.h).
#include "e2e/setup_driver.h"

#include <vector>

#include "common/handles.h"

bool SetupProcess::Running() const {
    DWORD code = 0;
    return info.hProcess != nullptr && GetExitCodeProcess(info.hProcess, &code) && code == STILL_ACTIVE;
}

DWORD SetupProcess::Wait(DWORD milliseconds) {
    if (info.hProcess == nullptr) return STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
}

void SetupProcess::Close() {
    if (info.hProcess != nullptr) {
        if (Running()) TerminateProcess(info.hProcess, 99);
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
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back(L'\0');
    std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    process->Close();
    if (!CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
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
    UniqueHKey opened;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.Put(),
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(opened.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    }
}

namespace {

struct WindowSearch {
    const wchar_t* className;
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    if (!IsWindowVisible(window)) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId != 0 && owner != search->processId) return TRUE;
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) == 0 || wcscmp(name, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindVisibleWindow(const wchar_t* className, DWORD processId) {
    WindowSearch search{className, processId, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace

HWND WaitForWindow(const wchar_t* className, DWORD processId, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        if (HWND window = FindVisibleWindow(className, processId)) return window;
        Sleep(25);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxInfo* box) {
    HWND window = WaitForWindow(L"#32770", processId, timeoutMs);
    if (window == nullptr) return false;
    box->window = window;
    box->caption = WindowText(window);
    HWND textControl = GetDlgItem(window, 0xFFFF);
    box->text = textControl ? WindowText(textControl) : std::wstring();
    return true;
}

void AnswerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (button != nullptr) SendMessageW(button, BM_CLICK, 0, 0);
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    // Copies from the screen: PrintWindow gives a black image under Wine.
    WindowDc screen(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    if (!memory || !bitmap) return false;
    {
        SelectedObject selected(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
    }

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(rowBytes * static_cast<DWORD>(height));
    if (!GetDIBits(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, static_cast<UINT>(height), pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)) {
        return false;
    }

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    bool ok = WriteFile(file.Get(), &fileHeader, sizeof fileHeader, &written, nullptr) &&
              WriteFile(file.Get(), &header, sizeof header, &written, nullptr) &&
              WriteFile(file.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    return ok;
}
