// Main window class, creation and window procedure.
#include "app/main_window.h"

#include "app/drawing.h"
#include "app/page_painters.h"
#include "app/payload_resource.h"
#include "app/progress_bar.h"
#include "app/wizard_clicks.h"
#include "archive/user_backup.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/progress.h"
#include "common/text.h"
#include "install/install_sequence.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"

namespace {

constexpr std::size_t kTitleCapacity = 200;

HWND CreateHiddenEdit(HWND parent, HINSTANCE instance, int x, int y) {
    return CreateWindowExA(0, "EDIT", " ", WS_CHILD | WS_SYSMENU, x, y, 230, 20, parent, nullptr, instance,
                           nullptr);
}

LRESULT OnCreate(HWND window) {
    g_state.edition = kEditionPinyin;
    if (UsesBig5()) SetWindowTextW(window, L"智能嵐石系統安裝");
    g_state.progressTotal = 0;
    g_state.progressStep = 0;
    g_state.mainWindow = window;
    CreateSharedDrawingTools();
    ResetWizardClicks();
    SetProgressDisplay(&kMainWindowProgress);

    AcquirePayload(g_state.instance);
    if (!AllocateWorkBuffer()) return 0;
    // The earlier install's user data is packed now, before anything of the new install is written;
    // CollectBackup points the install directory at the earlier one, so it is worked out again after.
    g_state.backupState = kBackupNone;
    if (CollectBackup()) g_state.backupState = kBackupTaken;
    GetInstallDir();
    return 0;
}

LRESULT OnPaint(HWND window) {
    PaintDc dc(window);
    if (dc.Get() != nullptr) PaintPage(dc.Get(), g_state.currentPage);
    return 0;
}

LRESULT OnTimer(WPARAM timerId) {
    if (timerId == kInstallTimerId) OnInstallTimer();
    return 0;
}

// The close box, Alt+F4 and the system menu's Close. While the install runs (page 7, reachable only
// through one of its message boxes, which have no owner) the window, the work buffer and the payload
// must outlive the install's steps that still use them: the request is refused. On every other page
// the window closes at once, without the finish sequence.
LRESULT OnClose(HWND window) {
    if (g_state.currentPage == 7) return 0;
    DestroyWindow(window);
    return 0;
}

LRESULT OnDestroy() {
    if (g_state.mainWindow != nullptr) KillTimer(g_state.mainWindow, kInstallTimerId);
    SetProgressDisplay(nullptr);
    FreeWorkBuffer();
    ReleasePayload();
    DeleteSharedDrawingTools();
    g_state.mainWindow = nullptr;
    PostQuitMessage(0);
    return 0;
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "quorel");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassA(&windowClass) != 0;
}

bool IsWindows10() {
    // ntdll is in every process: it is found, never loaded by name.
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr) return false;
    using GetVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto getNumbers = reinterpret_cast<GetVersionNumbersFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (getNumbers == nullptr) return false;
    DWORD major = 0, minor = 0, build = 0;
    getNumbers(&major, &minor, &build);
    return major == 10 && minor == 0;
}

void BuildMainWindowTitle(wchar_t* title, std::size_t capacity) {
    CopyTextW(title, capacity, L"智能岚石系统安装32-");
    g_state.systemBits = GetSystemBits();
    g_state.isWindows10 = 0;
    if (g_state.versionCode > 60) g_state.isWindows10 = IsWindows10() ? 1 : 0;
    if (Is64BitSystem()) CopyTextW(title, capacity, L"智能岚石系统安装3264-");
    wchar_t suffix[64];
    FormatTextW(suffix, L"os：%d-%d-10%d-%d", g_state.systemBits, g_state.isWow64Process, g_state.isWindows10,
                static_cast<int>(g_state.versionCode));
    AppendTextW(title, capacity, suffix);
}

bool CreateMainWindow(HINSTANCE instance, int showCommand) {
    g_state.instance = instance;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);

    wchar_t title[kTitleCapacity];
    BuildMainWindowTitle(title, kTitleCapacity);
    g_state.interfaceChoice = kInterfaceTsf;

    HWND window = CreateWindowExW(0, kMainWindowClassW, title, WS_SYSMENU, (screenWidth - kMainWindowWidth) / 2,
                                  (screenHeight - kMainWindowCentringHeight) / 2, kMainWindowWidth,
                                  kMainWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return false;

    g_state.focusEdit = CreateHiddenEdit(window, instance, 120, 195);
    g_state.passwordEdit = CreateHiddenEdit(window, instance, 130, 195);
    g_state.nameEdit = CreateHiddenEdit(window, instance, 130, 165);
    g_state.mobileEdit = CreateHiddenEdit(window, instance, 130, 135);

    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window);
        case WM_PAINT:
            return OnPaint(window);
        case WM_SETFOCUS:
            SetFocus(g_state.focusEdit);
            return 0;
        case WM_MOUSEMOVE:
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            OnWizardClick(wParam, lParam);
            return 0;
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_CLOSE:
            return OnClose(window);
        case WM_DESTROY:
            return OnDestroy();
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}
