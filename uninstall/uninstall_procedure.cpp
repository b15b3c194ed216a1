// RunUninstall (see uninstall_procedure.h). The registration goes first, while the files it names are
// still there; the uninstall entry goes last but for the uninstaller's own file.
#include "uninstall/uninstall_procedure.h"

#include <windows.h>

#include "common/file_io.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/text.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "register/layout_removal.h"
#include "register/registry_entries.h"
#include "register/text_service.h"
#include "uninstall/installed_files.h"

namespace {

constexpr char kNoAdminText[] =
    "卸载智能岚石需要管理员权限，请用鼠标右键点击卸载程序，选择“以管理员身份运行”后重新卸载。";
constexpr char kSetupRunningText[] = "智能岚石的安装程序正在运行，请等它结束后再卸载。";
constexpr char kNothingInstalledText[] = "本机没有安装智能岚石，没有需要卸载的内容。";
constexpr char kConfirmText[] = "确实要从本机卸载智能岚石输入平台吗？";
constexpr char kKeepDataText[] =
    "是否保留智能岚石的词组等数据文件和设置？\r\n保留后，重新安装智能岚石时可以恢复这些数据。";
constexpr char kRemovedText[] = "智能岚石输入平台已经卸载，删除了输入法的注册信息和%d个文件。";
constexpr char kKeptText[] = "\r\n\r\n词组等数据文件和设置保留在%s中。";
constexpr char kRestartText[] =
    "\r\n\r\n有%d个文件正在使用，将在重新启动计算机时删除。请重新启动计算机以完成卸载。";

// What an install left on this machine, found before anything is asked.
struct Installation {
    char installDir[kPathCapacity];
    bool dirRecorded;   // named by the path file
    OwnLayouts layouts;
};

// Writing under HKEY_LOCAL_MACHINE is what the removal needs and what a limited user is refused.
bool HasAdministratorRights() {
    UniqueHKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_WRITE,
                         key.Put()) == ERROR_SUCCESS;
}

// The user's data files and the path files that lead to them are not the input method: after an
// uninstall that kept them, there is nothing left to remove.
bool AnythingInstalled(const Installation& found) {
    return RegistryEntriesPresent() || found.layouts.count > 0 || TextServiceRegistered() ||
           SystemCopiesPresent() || (found.installDir[0] != '\0' && InstallDirHoldsOwnFiles(found.installDir));
}

int Refuse(bool silent, const char* text) {
    if (!silent) ShowMessageA(text, kCaptionProduct, MB_OK);
    return kUninstallNotStarted;
}

// The kept data stays where a later install looks for it: the path files name its directory.
void KeepPathFiles(const Installation& found, RemovalTally* tally) {
    if (found.installDir[0] == '\0' || !IsRealDirectory(found.installDir)) {
        RemovePathFiles(tally);
        return;
    }
    if (found.dirRecorded) return;
    CopyText(g_state.installDir, found.installDir);
    Is64BitSystem();  // the OS major version decides the second path file
    WritePathFiles();
}

void ShowClosingMessage(const RemovalTally& tally, bool keepData, const char* installDir) {
    char text[kMessageCapacity];
    FormatText(text, kRemovedText, tally.removed);
    if (keepData && IsRealDirectory(installDir)) AppendFormat(text, kKeptText, installDir);
    if (tally.scheduled > 0) AppendFormat(text, kRestartText, tally.scheduled);
    ShowMessageA(text, kCaptionProduct, MB_OK);
}

}  // namespace

int RunUninstall(bool silent) {
    if (!HasAdministratorRights()) return Refuse(silent, kNoAdminText);
    SetLastError(ERROR_SUCCESS);
    UniqueHandle oneAtATime(CreateMutexW(nullptr, FALSE, kSetupMutexName));
    if (!oneAtATime || GetLastError() == ERROR_ALREADY_EXISTS) return Refuse(silent, kSetupRunningText);
    Installation found{};
    if (!ChooseInstallDir(found.installDir, sizeof found.installDir, &found.dirRecorded)) found.installDir[0] = '\0';
    FindOwnLayouts(&found.layouts);
    if (!AnythingInstalled(found)) return Refuse(silent, kNothingInstalledText);

    bool keepData = true;
    if (!silent) {
        if (ShowMessageA(kConfirmText, kCaptionProduct, MB_YESNO) != IDYES) return kUninstallCancelled;
        keepData = ShowMessageA(kKeepDataText, kCaptionProduct, MB_YESNO) == IDYES;
    }

    RemovalTally tally{};
    UnregisterTextService();
    RemoveOwnLayouts(found.layouts);
    RemoveSystemCopies(&tally);
    if (found.installDir[0] != '\0') RemoveInstallDirFiles(found.installDir, keepData, &tally);
    if (keepData) {
        KeepPathFiles(found, &tally);
    } else {
        RemovePathFiles(&tally);
    }
    RemoveRegistryEntries();

    char windows[kPathCapacity];
    char uninstaller[kPathCapacity];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length > 0 && length < sizeof windows && FormatText(uninstaller, "%s\\quordel8.exe", windows)) {
        RemoveUninstallerFile(uninstaller, &tally);
    }
    if (!silent) ShowClosingMessage(tally, keepData, found.installDir);
    return tally.scheduled > 0 ? kUninstallRestartNeeded : kUninstallRemoved;
}
