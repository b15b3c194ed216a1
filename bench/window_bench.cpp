// Times the setup program's window mode under wine64, as a user would see it (bench/install.sh runs
// it on a fresh machine). Usage: window_bench.exe SETUP_EXE [WORD...] (the words go on the setup
// program's command line); prints
//   first_paint_ms=...  from the creation of the process to the first page painted (its ticks shown)
//   install_ms=...      from the click that confirms page 6 to the finished page painted, less the
//                       time the skin dialog waited for its answer
//   dialog_ms=...       that waiting time
//   exit=...            the setup program's exit code after the walk to its end
// The walk: Pinyin, IMM, a valid mobile number, a name and a password; every box answered at once.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "common/handles.h"
#include "tools/walker/setup_driver.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Whether the first page's tick beside the Pinyin option shows on the screen yet: it is drawn last.
bool TicksShown(HWND window) {
    POINT origin = {150, 190};
    if (!ClientToScreen(window, &origin)) return false;
    WindowDc screen(nullptr);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 10; ++x) {
            if (GetPixel(screen.Get(), origin.x + x, origin.y + y) == RGB(255, 0, 0)) return true;
        }
    }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_bench SETUP_EXE [WORD...]\n");
        return 2;
    }
    SetupProcess setup;
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 2; i < argc; ++i) commandLine += L" " + std::wstring(argv[i]);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    const double started = Now();
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &setup.info)) {
        std::fprintf(stderr, "window_bench: cannot start the setup program\n");
        return 1;
    }
    HWND window = nullptr;
    while (Now() - started < 30000 && (window = WaitForWindow(L"installWClass", setup.info.dwProcessId, 0)) == nullptr) {
        Sleep(1);
    }
    while (window != nullptr && Now() - started < 30000 && !TicksShown(window)) Sleep(1);
    const double firstPaint = Now() - started;

    SetupWindow wizard;
    if (window == nullptr || !wizard.Attach(&setup)) {
        std::fprintf(stderr, "window_bench: the setup window did not appear\n");
        return 1;
    }
    wizard.Click(kImmPoint.x, kImmPoint.y);
    wizard.Click(kNextPoint.x, kNextPoint.y);
    wizard.Settle();
    wizard.Type(kMobileEditY, L"13812345678");
    wizard.Type(kNameEditY, L"王小明");
    wizard.Type(kPasswordEditY, L"abc123");
    wizard.Click(kNextPoint.x, kNextPoint.y);
    wizard.Settle();

    // The confirming click is sent and waited for: it returns when the install has finished. A second
    // thread answers the dialogs meanwhile, the moment they show.
    std::atomic<bool> done{false};
    double waited = 0;
    std::thread answerer([&] {
        while (!done) {
            HWND dialog = WaitForWindow(L"#32770", setup.info.dwProcessId, 0);
            if (dialog == nullptr) {
                Sleep(1);
                continue;
            }
            const double seen = Now();
            MessageBoxInfo box;
            box.window = dialog;
            box.yesNo = GetDlgItem(dialog, IDYES) != nullptr;
            AnswerMessageBox(dialog, DefaultAnswer(box));
            waited += Now() - seen;
            while (!done && IsWindow(dialog) && IsWindowVisible(dialog)) Sleep(1);
        }
    });
    const LPARAM next = MAKELPARAM(kNextPoint.x, kNextPoint.y);
    const double confirmed = Now();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_LBUTTONDOWN, MK_LBUTTON, next, SMTO_NORMAL, 300000, &result);
    UpdateWindow(window);
    const double installed = Now() - confirmed;
    done = true;
    answerer.join();
    const bool finished = PageOf(wizard.Picture()) == SeenPage::kFinished;

    for (int click = 0; click < 2 && setup.Running(); ++click) {
        wizard.Click(kNextPoint.x, kNextPoint.y);
        wizard.Settle();
    }
    DWORD exitCode = setup.Wait(30000);
    std::printf("first_paint_ms=%.1f install_ms=%.1f dialog_ms=%.1f finished=%d exit=%lu\n", firstPaint,
                installed - waited, waited, finished ? 1 : 0, exitCode);
    return 0;
}
