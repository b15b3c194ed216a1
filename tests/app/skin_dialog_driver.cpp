// Skin dialog driver for tests (see skin_dialog_driver.h).
#include "tests/app/skin_dialog_driver.h"

#include <atomic>
#include <thread>

#include "app/skin_dialog.h"

void ClickDialogButton(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

DialogRun RunWithDialogDriver(HWND owner, const std::function<void()>& modal, const std::function<void(HWND)>& drive) {
    DialogRun run;
    std::atomic<bool> done{false};
    std::thread driver([&] {
        HWND dialog = nullptr;
        for (int waited = 0; dialog == nullptr && waited < 10000 && !done; waited += 20, Sleep(20)) {
            while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr &&
                   (GetWindow(dialog, GW_OWNER) != owner || !IsWindowVisible(dialog))) {
            }
        }
        if (dialog == nullptr) return;
        drive(dialog);
        ClickDialogButton(dialog, kSkinDialogOk);
        for (int waited = 0; waited < 3000 && !done; waited += 20) Sleep(20);
        run.closedByDriver = done;
        if (!done) ClickDialogButton(dialog, kSkinDialogOk);
    });
    modal();
    done = true;
    driver.join();
    return run;
}
