// The install and finish sequences (see install_sequence.h). They run inside one click message of the
// main window; the message boxes they show have no owner, so the window procedure is re-entered
// meanwhile with page 7, which makes its clicks and its close box do nothing.
#include "install/install_sequence.h"

#include "archive/user_backup.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/progress.h"
#include "deploy/system_copy.h"
#include "detect/running_instances.h"
#include "install/install_procedure.h"
#include "install/install_report.h"
#include "install/text_service_check.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "register/default_input_method.h"
#include "register/text_service.h"
#include "settings/settings_files.h"

namespace {

constexpr int kInstallProgressTotal = 110;

// Both need the window: a null one would invalidate every window, or post to no window.
void Repaint() {
    if (g_state.mainWindow != nullptr) InvalidateRect(g_state.mainWindow, nullptr, FALSE);
}

void EndProgram() {
    if (g_state.mainWindow != nullptr) PostMessageA(g_state.mainWindow, WM_DESTROY, 0, 0);
}

void ShowFinishedPage() {
    SetWindowTextA(g_state.focusEdit, "");
    g_state.currentPage = 8;
    Repaint();
}

// The pre-install check by interface and the running-instance checks; false when the install must
// not go on now.
bool ChecksAllowInstall() {
    if (g_state.interfaceChoice == kInterfaceTsf) {
        g_state.detectionCount = FindTextServiceInSortOrder();
        // Not in the user's sort order: nothing of the input method can be loaded.
        if (g_state.detectionCount == 0) return true;
    } else {
        g_state.detectionCount = CheckDefaultInputMethod();
        if (g_state.detectionCount == 0) {
            EndProgram();
            return false;
        }
    }

    ListProgramsUsingIme();
    if (g_state.detectionCount > 0) {
        ShowMessageW(reinterpret_cast<const wchar_t*>(g_state.workBuffer + kDetectMessageOffset), kCaptionProductW,
                     MB_OK);
        // The user may close the programs and confirm again; the page shows its button again.
        g_state.currentPage = 6;
        Repaint();
        return false;
    }
    CheckImeSharedMemory();
    if (g_state.detectionCount == 1) ShowMessageW(kStillInMemoryText, kCaptionProductW, MB_OK);
    return true;
}

}  // namespace

void RunInstallSequence(SkinChooser chooseSkin) {
    LogLine("step: checks before the install");
    g_state.currentPage = 7;
    g_state.progressStep = 0;
    g_state.progressTotal = kInstallProgressTotal;
    ShowProgress(0, kInstallProgressTotal);
    if (!ChecksAllowInstall()) return;

    RunInstall();
    // Without the payload or the work buffer nothing was installed (RunInstall said so): there is
    // nothing to add files to or to report on.
    if (g_state.installFaults & kFaultNotStarted) {
        EndProgram();
        return;
    }
    LogLine("step: skin and payload check");
    InstallExtraFiles(chooseSkin);
    LogLine("step: settings files");
    WriteSettingsFiles();
    WriteStatusWindowSettings();
    WriteInstallStamp();
    if (g_state.backupState == kBackupRestoreWanted) {
        LogLine("step: restore");
        RestoreBackup();
    }

    if (Is64BitSystem()) {
        LogLine("step: finished page");
        ShowFinishedPage();
        if (g_state.interfaceChoice == kInterfaceImm) {
            SetTimer(g_state.mainWindow, kInstallTimerId, kInstallTimerMs, nullptr);
        }
        return;
    }
    RunFinishSequence();
    EndProgram();
}

void RunFinishSequence() {
    LogLine("step: report and text-service check");
    if (!ShowInstallReport()) ShowMessageW(kInstallDoneText, kCaptionProductW, MB_OK);
    VerifyTextServiceInstall();
}

void OnInstallTimer() {
    KillTimer(g_state.mainWindow, kInstallTimerId);
    ShowFinishedPage();
    CopyAndVerify(kImeTargetName, kImeTargetName, kTargetWow64System);
}
