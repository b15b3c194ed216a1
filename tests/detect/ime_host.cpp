// Stand-in for a program that has the input method loaded, for the detection tests. It opens a
// top-level window with a title and a window of the input method's class linked to it, optionally
// creates the input method's shared memory, signals that it is ready and waits to be told to exit:
//   ime_host READY_EVENT QUIT_EVENT CLASS LINK MAPPING TITLE
// CLASS is the window class ("-" for none); LINK how that window hangs on the top window: "owned"
// (a popup owned by it; "ownedN" makes N of them), "nested" (owned by a popup that it owns),
// "orphan" (no owner) or "child" (a child window); MAPPING is the shared-memory name ("-" for none);
// TITLE is one word.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool RegisterWindowClass(const wchar_t* name) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
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
    if (argc < 7) return 2;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
    if (ready == nullptr || quit == nullptr) return 3;
    std::wstring className = argv[3];
    std::wstring link = argv[4];
    std::wstring mapping = argv[5];

    if (!RegisterWindowClass(L"QuorHostMain") || !RegisterWindowClass(L"QuorHostPanel")) return 4;
    HWND main = CreateWindowExW(0, L"QuorHostMain", argv[6], WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
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

    HANDLE sharedMemory = nullptr;
    if (mapping != L"-") {
        sharedMemory = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, mapping.c_str());
        if (sharedMemory == nullptr) return 8;
    }

    SetEvent(ready);
    while (MsgWaitForMultipleObjects(1, &quit, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    DestroyWindow(main);
    if (sharedMemory != nullptr) CloseHandle(sharedMemory);
    CloseHandle(ready);
    CloseHandle(quit);
    return 0;
}
