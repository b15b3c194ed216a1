// Start-up and the two run modes.
#include "app/startup.h"

#include "app/admin_probe.h"
#include "app/main_window.h"
#include "app/payload_resource.h"
#include "archive/user_backup.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/text.h"
#include "install/install_procedure.h"
#include "platform/install_paths.h"

namespace {

constexpr wchar_t kNeedsAdminText[] =
    L"本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安装程序，"
    L"在弹出菜单中点击“以管理员身份运行”）";
constexpr wchar_t kAlreadyRunningText[] = L"另一个智能岚石安装程序正在运行，请等它结束后再运行本安装程序。";
constexpr wchar_t kPathTooLongText[] =
    L"Program Files 文件夹的路径过长，无法在其中建立安装目录“quorel8”。安装程序将退出，没有做任何改动。";

// RunInstall refuses, with its message, when the payload or the work buffer could not be had.
int RunSilentInstall() {
    if (AcquirePayload(g_state.instance)) AllocateWorkBuffer();
    // No window: the IMM interface, and no system bitness or Windows 10 flag of window creation.
    g_state.interfaceChoice = kInterfaceImm;
    g_state.systemBits = 0;
    g_state.isWindows10 = 0;
    // The user's earlier data is packed before anything of the install is written and put back after
    // it, as the window does for a user who keeps it; only the report of a success is left out.
    g_state.backupState = kBackupNone;
    if (g_state.payload != nullptr && g_state.workBuffer != nullptr && CollectBackup()) {
        g_state.backupState = kBackupRestoreWanted;
    }
    RunInstall();
    if (g_state.backupState == kBackupRestoreWanted && !(g_state.installFaults & kFaultNotStarted) &&
        !RestoreBackup(false)) {
        g_state.installFaults |= kFaultRestoreFailed;
    }
    FreeWorkBuffer();
    ReleasePayload();
    return SilentInstallExitCode(g_state.installFaults);
}

int RunWindow(HINSTANCE instance, int showCommand) {
    if (!RegisterMainWindowClass(instance)) return kExitSuccess;
    if (!CreateMainWindow(instance, showCommand)) return kExitSuccess;
    MSG message{};
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // WM_QUIT carries the exit code; a failed GetMessageA (-1) ends with 0.
    return got == 0 ? static_cast<int>(message.wParam) : kExitSuccess;
}

}  // namespace

int SilentInstallExitCode(int installFaults) {
    if (installFaults & kFaultNotStarted) return kExitNotStarted;
    int code = kExitSuccess;
    if (installFaults & kFaultIncompleteExtraction) code |= kExitIncompleteExtraction;
    if (installFaults & kFaultSystemCopy) code |= kExitSystemCopyFailed;
    if (installFaults & kFaultNotRegistered) code |= kExitNotRegistered;
    if (installFaults & kFaultRestoreFailed) code |= kExitRestoreFailed;
    return code;
}

int ChooseRunMode(const char* commandLine) {
    if (ContainsName(commandLine, "regqu32")) return kRunModeWindow;
    if (ContainsName(commandLine, "setqusrf32")) return kRunModeSilent;
    return kRunModeWindow;
}

int RunSetupProgram(HINSTANCE instance, const char* commandLine, int showCommand) {
    g_state.instance = instance;
    g_state.currentPage = 0;
    g_state.oemCodePage = GetOEMCP();
    g_state.runMode = kRunModeWindow;

    // A refused start installs nothing; a silent install asked for says so in its exit code.
    const int runMode = ChooseRunMode(commandLine);
    const int refusedCode = runMode == kRunModeSilent ? kExitNotStarted : kExitSuccess;
    // One setup at a time on the machine, in any session: two would race each other over the path
    // files, the install directory and the system copies. Taken before anything is written.
    SetLastError(ERROR_SUCCESS);
    UniqueHandle oneSetup(CreateMutexW(nullptr, FALSE, kSetupMutexName));
    if (!oneSetup || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (runMode != kRunModeSilent) ShowMessageW(kAlreadyRunningText, kCaptionSetupW, MB_OK);
        return refusedCode;
    }
    // The install directory must fit its 200 bytes: refuse before anything is written.
    if (!GetInstallDir()) {
        ShowMessageW(kPathTooLongText, kCaptionSetupW, MB_OK);
        return refusedCode;
    }
    if (LacksAdminRights()) {
        ShowMessageW(kNeedsAdminText, kCaptionProductW, MB_OK);
        return refusedCode;
    }
    // Before the earlier data is backed up into it or anything is installed: the install directory is
    // the real folder of its name, or nothing yet.
    if (!SecureInstallDir(false)) {
        if (runMode != kRunModeSilent) ShowInstallDirRefused();
        return refusedCode;
    }

    g_state.runMode = runMode;
    if (g_state.runMode == kRunModeSilent) return RunSilentInstall();
    return RunWindow(instance, showCommand);
}
