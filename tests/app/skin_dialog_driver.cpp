// Skin dialog driver for tests (see skin_dialog_driver.h).
#include "tests/app/skin_dialog_driver.h"

#include <atomic>
#include <thread>

#include "app/skin_dialog.h"

HWND FindSkinDialog(HWND owner) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr;) {
        if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

void ClickDialogButton(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

DialogRun RunWithDialogDriver(HWND owner, const std::function<void()>& modal,
                              const std::function<void(HWND)>& drive, DWORD waitMs) {
    DialogRun run;
    std::atomic<bool> done{false};
    std::thread driver([&] {
        HWND dialog = nullptr;
        for (DWORD waited = 0; waited < waitMs && !done && (dialog = FindSkinDialog(owner)) == nullptr; waited += 20) {
            Sleep(20);
        }
        if (dialog == nullptr) return;
        run.shown = true;
        drive(dialog);
        ClickDialogButton(dialog, kSkinDialogOk);
        for (int waited = 0; waited < 3000 && !done; waited += 20) Sleep(20);
        run.closedByDriver = done;
        if (!run.closedByDriver) ClickDialogButton(dialog, kSkinDialogOk);
    });
    modal();
    done = true;
    driver.join();
    return run;
}
