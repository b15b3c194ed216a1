// Stand-in for a program that has the input method loaded, for the detection tests. It opens a
// top-level window (class Static) and windows of the input method's class, optionally creates the
// input method's shared memory, and only then gives its top-level window its title, which tells the
// test that it is ready; closing that window ends it:
//   ime_host CLASS LINK MAPPING TITLE
// CLASS is the window class ("-" for none); LINK how those windows hang on the top window: "owned"
// (a popup owned by it; "ownedN" makes N of them) or "orphan" (one without an owner); MAPPING is the
// shared-memory name ("-" for none); TITLE is one word.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    HWND main = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                                nullptr);
    if (main == nullptr) return 5;
    const std::wstring className = argv[1], link = argv[2];
    if (className != L"-") {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className.c_str();
        if (!RegisterClassW(&windowClass)) return 6;
        const int count = link.size() > 5 && _wtoi(link.c_str() + 5) > 0 ? _wtoi(link.c_str() + 5) : 1;
        for (int i = 0; i < count; ++i) {
            if (!CreateWindowExW(WS_EX_TOOLWINDOW, className.c_str(), L"", WS_POPUP, 0, 0, 10, 10,
                                 link == L"orphan" ? nullptr : main, nullptr, nullptr, nullptr)) {
                return 7;
            }
        }
    }
    if (std::wcscmp(argv[3], L"-") != 0 &&
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, argv[3]) == nullptr) {
        return 8;
    }
    SetWindowTextW(main, argv[4]);
    // WM_CLOSE destroys the window (the default handling), which ends the loop.
    MSG message;
    while (IsWindow(main) && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}
