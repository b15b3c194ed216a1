// Start-up and the two run modes.
#include "app/startup.h"

#include "app/admin_probe.h"
#include "app/main_window.h"
#include "app/payload_resource.h"
#include "archive/user_backup.h"
#include "common/handles.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/product.h"
#include "common/text.h"
#include "install/install_procedure.h"
#include "platform/install_paths.h"
#include "platform/os_facts.h"
#include "platform/os_info.h"

namespace {

constexpr wchar_t kNeedsAdminText[] =
    L"本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安装程序，"
    L"在弹出菜单中点击“以管理员身份运行”）";
constexpr wchar_t kAlreadyRunningText[] = L"另一个智能岚石安装程序正在运行，请等它结束后再运行本安装程序。";
constexpr char kSuppressBoxesWord[] = "/suppressmsgboxes";
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
    if (g_state.backupState == kBackupRestoreWanted && !(g_state.installFaults & kFaultNotStarted)) {
        LogLine("step: restore");
        if (!RestoreBackup(false)) g_state.installFaults |= kFaultRestoreFailed;
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

// The program's version and the facts of this Windows that the install goes by, first in the log.
void LogStartFacts(const char* commandLine, int runMode) {
    if (!LogIsOpen()) return;
    const DWORD version = GetVersion();
    SYSTEM_INFO native{};
    OsGetNativeSystemInfo(&native);
    const bool native64 = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                          native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
    LogLine("setup program %s, command line: %s", kProductVersion, commandLine);
    LogLine("Windows %u.%u%s, %s system, %s process, OEM code page %u, ANSI code page %u",
            LOBYTE(LOWORD(version)), HIBYTE(LOWORD(version)), IsWindows10() ? " (Windows 10)" : "",
            native64 ? "64-bit" : "32-bit", IsWow64() ? "WOW64" : (sizeof(void*) == 8 ? "64-bit" : "32-bit"), GetOEMCP(),
            GetACP());
    LogLine("run mode: %s", runMode == kRunModeSilent ? "silent install" : "window");
}

// Refuses the start: the reason to the log, the message (when there is one) to the user.
int Refuse(int refusedCode, const char* reason) {
    LogLine("not started: %s", reason);
    return refusedCode;
}

int RunSetupSteps(HINSTANCE instance, const char* commandLine, int showCommand) {
    g_state.instance = instance;
    g_state.currentPage = 0;
    g_state.oemCodePage = GetOEMCP();
    g_state.runMode = kRunModeWindow;

    // A refused start installs nothing; a silent install asked for says so in its exit code.
    const int runMode = ChooseRunMode(commandLine);
    const int refusedCode = runMode == kRunModeSilent ? kExitNotStarted : kExitSuccess;
    LogStartFacts(commandLine, runMode);
    // An unattended install: nobody could answer a box.
    if (runMode == kRunModeSilent) {
        const bool asked = AsksToSuppressBoxes(commandLine);
        if (asked || !HasVisibleWindowStation()) {
            SuppressMessageBoxes(true);
            LogLine("message boxes are not shown (%s): each takes its default answer",
                    asked ? "/SUPPRESSMSGBOXES" : "no visible window station");
        }
    }
    // One setup at a time on the machine, in any session: two would race each other over the path
    // files, the install directory and the system copies. Taken before anything is written.
    SetLastError(ERROR_SUCCESS);
    UniqueHandle oneSetup(CreateMutexW(nullptr, FALSE, kSetupMutexName));
    if (!oneSetup || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (runMode != kRunModeSilent) ShowMessageW(kAlreadyRunningText, kCaptionSetupW, MB_OK);
        return Refuse(refusedCode, "another setup or uninstall is running");
    }
    // The install directory must fit its 200 bytes: refuse before anything is written.
    if (!GetInstallDir()) {
        ShowMessageW(kPathTooLongText, kCaptionSetupW, MB_OK);
        return Refuse(refusedCode, "the Program Files path is too long");
    }
    if (LacksAdminRights()) {
        ShowMessageW(kNeedsAdminText, kCaptionProductW, MB_OK);
        return Refuse(refusedCode, "no administrator rights");
    }
    LogLine("install directory %s, earlier install directory %s", g_state.installDir,
            g_state.previousInstallDir[0] != '\0' ? g_state.previousInstallDir : "none");
    // Before the earlier data is backed up into it or anything is installed: the install directory is
    // the real folder of its name, or nothing yet.
    if (!SecureInstallDir(false)) {
        if (runMode != kRunModeSilent) ShowInstallDirRefused();
        return Refuse(refusedCode, "the install directory is no real folder and cannot be made one");
    }

    g_state.runMode = runMode;
    if (g_state.runMode == kRunModeSilent) return RunSilentInstall();
    return RunWindow(instance, showCommand);
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

bool AsksToSuppressBoxes(const char* commandLine) {
    return FindCommandWord(commandLine, kSuppressBoxesWord, false) != nullptr;
}

int RunSetupProgram(HINSTANCE instance, const char* commandLine, int showCommand) {
    char logPath[MAX_PATH];
    if (FindLogPath(commandLine, logPath, sizeof logPath)) OpenLog(logPath);
    const int exitCode = RunSetupSteps(instance, commandLine, showCommand);
    CloseLog(exitCode);
    return exitCode;
}
