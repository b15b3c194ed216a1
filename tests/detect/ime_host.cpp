// Stand-in for a program that has the input method loaded, for the detection tests. It opens a
// top-level window and a window of the input method's class linked to it, optionally creates the
// input method's shared memory, and only then gives its top-level window its title, which tells the
// test that it is ready; closing that window ends it:
//   ime_host CLASS LINK MAPPING TITLE
// CLASS is the window class ("-" for none); LINK how that window hangs on the top window: "owned"
// (a popup owned by it; "ownedN" makes N of them), "nested" (owned by a popup that it owns),
// "orphan" (no owner) or "child" (a child window); MAPPING is the shared-memory name ("-" for none);
// TITLE is one word.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure = DefWindowProcW) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}

HWND CreatePopup(const wchar_t* className, HWND owner) {
    return CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 10, 10, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    std::wstring className = argv[1];
    std::wstring link = argv[2];
    if (!RegisterWindowClass(L"QuorHostMain", MainWindowProc) || !RegisterWindowClass(L"QuorHostPanel")) return 4;
    HWND main = CreateWindowExW(0, L"QuorHostMain", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (main == nullptr) return 5;

    if (className != L"-") {
        if (!RegisterWindowClass(className.c_str())) return 6;
        HWND imeWindow = nullptr;
        if (link.compare(0, 5, L"owned") == 0) {
            int count = link.size() > 5 ? _wtoi(link.c_str() + 5) : 1;
            for (int i = 0; i < count; ++i) imeWindow = CreatePopup(className.c_str(), main);
        } else if (link == L"nested") {
            imeWindow = CreatePopup(className.c_str(), CreatePopup(L"QuorHostPanel", main));
        } else if (link == L"orphan") {
            imeWindow = CreatePopup(className.c_str(), nullptr);
        } else if (link == L"child") {
            imeWindow = CreateWindowExW(0, className.c_str(), L"", WS_CHILD, 0, 0, 10, 10, main, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
        }
        if (imeWindow == nullptr) return 7;
    }
    if (std::wcscmp(argv[3], L"-") != 0 &&
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, argv[3]) == nullptr) {
        return 8;
    }

    SetWindowTextW(main, argv[4]);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
