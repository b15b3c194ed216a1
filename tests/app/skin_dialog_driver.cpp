// Skin dialog driver for tests (see skin_dialog_driver.h).
#include "tests/app/skin_dialog_driver.h"

#include <atomic>
#include <cstring>
#include <thread>

#include "app/skin_dialog.h"

HWND FindSkinDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* s = reinterpret_cast<Search*>(parameter);
            char className[32] = {};
            GetClassNameA(window, className, sizeof className);
            if (std::strcmp(className, "#32770") == 0 && GetWindow(window, GW_OWNER) == s->owner &&
                IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void ClickDialogButton(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

DialogRun RunWithDialogDriver(HWND owner, const std::function<void()>& modal,
                              const std::function<void(HWND)>& drive, DWORD waitMs) {
    DialogRun run;
    std::atomic<bool> done{false};
    std::thread driver([&] {
        HWND dialog = nullptr;
        for (DWORD waited = 0; waited < waitMs && dialog == nullptr && !done; waited += 20) {
            dialog = FindSkinDialog(owner);
            if (dialog == nullptr) Sleep(20);
        }
        if (dialog == nullptr) return;
        run.shown = true;
        drive(dialog);
        for (int waited = 0; waited < 3000 && !done; waited += 20) Sleep(20);
        if (!done) ClickDialogButton(dialog, kSkinDialogOk);
        else run.closedByDriver = true;
    });
    modal();
    done = true;
    driver.join();
    return run;
}
