// The install report: directory score and file counts, phrase libraries, the interface file and,
// on Windows 10, the application-package permission of the install directory.
#include "install/install_report.h"

#include <windows.h>

#include <cstring>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/named_files.h"
#include "common/product.h"
#include "common/text.h"
#include "deploy/dir_security.h"
#include "platform/install_paths.h"

namespace {

constexpr std::size_t kReportBlockSize = 69376;
constexpr std::size_t kProbeBytes = 20;
constexpr std::uint8_t kPassingScore = 14;
constexpr int kRequiredFiles = 74;

// Probes the three forms of a phrase library in order; the last probe value and whether one is there.
bool AnyPhraseLibraryPresent(const char* const names[3], char* buffer, std::uint32_t* lastProbe) {
    for (int i = 0; i < 3; ++i) {
        *lastProbe = ProbeInstalledFile(names[i], buffer);
        if (*lastProbe == kProbePresent) return true;
    }
    return false;
}

}  // namespace

void ScanInstallDir() {
    g_state.directoryScore = 0;
    g_state.txtFileCount = 0;
    g_state.quhFileCount = 0;
    g_state.otherFileCount = 0;
    EndInstallDirWithBackslash();

    char pattern[kPathCapacity + 4];
    if (FormatText(pattern, "%s*.*", g_state.installDir)) {
        WIN32_FIND_DATAA entry;
        UniqueFindHandle find(FindFirstFileA(pattern, &entry));
        if (find) {
            do {
                g_state.directoryScore = 1;
                if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0) continue;
                char path[kPathCapacity + MAX_PATH];
                if (!InstallDirPath(entry.cFileName, path, sizeof path)) continue;
                if (SetCurrentDirectoryA(path)) continue;
                if (ContainsName(entry.cFileName, ".txt")) {
                    ++g_state.txtFileCount;
                } else if (ContainsName(entry.cFileName, ".quh")) {
                    ++g_state.quhFileCount;
                } else {
                    ++g_state.otherFileCount;
                }
            } while (FindNextFileA(find.Get(), &entry));
        }
    }
    if (SetCurrentDirectoryA(g_state.installDir)) g_state.directoryScore += 10;
    if (GetFileAttributesA(g_state.installDir) == FILE_ATTRIBUTE_DIRECTORY) g_state.directoryScore += 3;
}

std::uint32_t ProbeInstalledFile(const char* name, char* buffer) {
    char path[kPathCapacity + MAX_PATH];
    if (!InstallDirPath(name, path, sizeof path)) return ERROR_FILENAME_EXCED_RANGE;
    UniqueHFile file(_lopen(path, OF_READ));
    if (!file) return GetLastError();
    SetLastError(0);
    UINT read = _lread(file.Get(), buffer, kProbeBytes);
    if (read == static_cast<UINT>(HFILE_ERROR)) read = 0;
    std::uint32_t error = read < kProbeBytes ? GetLastError() : 0;
    return read * 256 + error;
}

// Runs the checks in order and returns the message of the first that fails, or nullptr. Appends to
// the diagnostic line what each check saw.
static const char* FirstFailedCheck(char* probeBuffer, char* diagnostic, std::size_t diagnosticCapacity) {
    ScanInstallDir();
    FormatText(diagnostic, diagnosticCapacity, "path--%s--%d;", g_state.installDir, g_state.directoryScore);
    if (g_state.directoryScore < kPassingScore) return "检测不到安装路径！";

    int fileCount = g_state.txtFileCount + g_state.quhFileCount + g_state.otherFileCount;
    AppendFormat(diagnostic, diagnosticCapacity, "F--%d;", fileCount);
    if (fileCount < kRequiredFiles) return "文件不完整！";

    static const char* const kWubiLibraries[3] = {kWubiLibrary, kWubiLibraryBackup, kWubiPhraseData};
    static const char* const kPinyinLibraries[3] = {kPinyinLibrary, kPinyinLibraryBackup, kPinyinPhraseData};
    std::uint32_t probe = 0;
    bool present = AnyPhraseLibraryPresent(kWubiLibraries, probeBuffer, &probe);
    AppendFormat(diagnostic, diagnosticCapacity, "FR1--%x;", probe);
    if (!present) return "无五笔词库文件！";

    present = AnyPhraseLibraryPresent(kPinyinLibraries, probeBuffer, &probe);
    AppendFormat(diagnostic, diagnosticCapacity, "FR2--%x;", probe);
    if (!present) return "无拼音词库文件！";

    const char* interfaceFile = g_state.interfaceChoice == kInterfaceTsf ? kTextService64 : kImeFile;
    probe = ProbeInstalledFile(interfaceFile, probeBuffer);
    AppendFormat(diagnostic, diagnosticCapacity, "FR3--%x;", probe);
    if (probe != kProbePresent) return "缺少文件！";

    // The application-package grant is checked on Windows 10 only.
    if (g_state.isWindows10 && HasAppPackageAccess() == 0) return "安装目录权限不够，如不能使用请删除后重新安装！！";
    return nullptr;
}

int ShowInstallReport() {
    LockedGlobalMemory block;
    if (!block.Allocate(GMEM_MOVEABLE, kReportBlockSize)) return 0;
    // The report text, then the probed bytes at the end of the block.
    char* report = static_cast<char*>(block.Data());
    const std::size_t reportCapacity = kReportBlockSize - 64;
    char* probeBuffer = report + reportCapacity;

    CopyText(report, reportCapacity, "智能岚石汉字输入系统8.6版安装情况报告。");
    AppendText(report, reportCapacity, "\r\n\r\n");
    AppendText(report, reportCapacity, "安装出现错误！错误为：");

    char diagnostic[kPathCapacity + 128];
    const char* failure = FirstFailedCheck(probeBuffer, diagnostic, sizeof diagnostic);
    AppendText(diagnostic, "\n");
    OutputDebugStringA(diagnostic);
    if (failure == nullptr) return 0;

    AppendText(report, reportCapacity, failure);
    AppendText(report, reportCapacity, "\r\n\r\n");
    AppendText(report, reportCapacity, "请到主页");
    AppendText(report, reportCapacity, kHomePageUrl);
    AppendText(report, reportCapacity, "重新下载安装！并解除杀毒软件对安装过程的拦截！");
    AppendText(report, reportCapacity, "\r\n\r\n");
    ShowMessageA(report, kCaptionProduct, MB_OK);
    return 1;
}
