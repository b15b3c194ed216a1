// System-directory copies (see system_copy.h). Sources are read from the install directory only when
// their names hold plain files this program wrote there: a link, or a file it did not write, is a
// missing source. What lands in a system directory must hold the bytes the program wrote: the install
// directory's file may have been replaced meanwhile, and the system would load it from there for
// every user. A copy's messages are shown after redirection has been switched back on: the window
// procedure runs while a box is open, and none of its file accesses may run with redirection off.
#include "deploy/system_copy.h"

#include <windows.h>

#include <climits>

#include "common/digest_text.h"
#include "common/file_io.h"
#include "common/handles.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/md5_text.h"
#include "common/message_box.h"
#include "common/named_files.h"
#include "common/progress.h"
#include "common/text.h"
#include "common/version_text.h"
#include "platform/file_clearing.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"

namespace {

constexpr char kUnpackFormat[] = "安装包没有成功解压%s文件，请重新下载安装！";
constexpr char kCopyFormat[] = "没有成功复制%s文件，请退出安装程序并手动删除该文件后重新安装！";

constexpr int kImeProgressTotal = 64;
constexpr DWORD kRepaintPauseMs = 50;

static_assert(kPatchCapacity <= kWorkBufferSize);

// kNotAsWritten: what landed was not what the program wrote into the install directory.
enum class CopyOutcome { kCopied, kSourceMissing, kTargetStuck, kNotAsWritten };

const char* OutcomeText(CopyOutcome outcome) {
    switch (outcome) {
        case CopyOutcome::kCopied:
            return "copied";
        case CopyOutcome::kSourceMissing:
            return "no source written by this install";
        case CopyOutcome::kTargetStuck:
            return "the destination could not be replaced";
        case CopyOutcome::kNotAsWritten:
            return "the source had changed since it was written: removed again";
    }
    return "";
}

// The source in the install directory and the destination in the target directory, into the
// InstallState scratch paths. False when either does not fit, or when there is no target directory
// (the destination would otherwise land in the root of the current drive).
bool BuildPaths(const char* sourceName, const char* targetName) {
    if (g_state.targetDir[0] != '\0' && InstallDirPath(sourceName, g_state.sourcePath, sizeof g_state.sourcePath) &&
        FormatText(g_state.destinationPath, "%s\\%s", g_state.targetDir, targetName)) {
        return true;
    }
    g_state.sourcePath[0] = '\0';
    g_state.destinationPath[0] = '\0';
    return false;
}

// Whether the destination holds the bytes of that digest. A destination that does not is removed: it
// would be loaded or registered from there.
bool LandedAsProduced(const char* expected) {
    char digest[kDigestTextSize];
    FileMd5Text(g_state.destinationPath, digest);
    if (DigestTextsEqual(digest, reinterpret_cast<const unsigned char*>(expected))) return true;
    DeleteFileA(g_state.destinationPath);
    return false;
}

CopyOutcome CopyQuietly(const char* sourceName, const char* targetName) {
    if (!BuildPaths(sourceName, targetName)) return CopyOutcome::kTargetStuck;
    char expected[kDigestTextSize];
    if (!ProducedDigest(sourceName, expected)) return CopyOutcome::kSourceMissing;
    // The source lies where ordinary users can write: only a plain file is copied, one that no link
    // leads to, and it is held so that its name cannot be replaced while CopyFileA reads it.
    UniqueHandle source = OpenPlainFile(g_state.sourcePath);
    if (!source) return CopyOutcome::kSourceMissing;
    SetFileAttributesA(g_state.destinationPath, FILE_ATTRIBUTE_ARCHIVE);
    bool copied = CopyFileA(g_state.sourcePath, g_state.destinationPath, FALSE);
    if (!copied && GetLastError() == ERROR_FILE_NOT_FOUND) return CopyOutcome::kSourceMissing;
    if (!copied) {
        // Taken to be in use: a running program keeps its file under the new name.
        RenameAside(g_state.destinationPath);
        copied = CopyFileA(g_state.sourcePath, g_state.destinationPath, FALSE);
    }
    if (!copied) return CopyOutcome::kTargetStuck;
    return LandedAsProduced(expected) ? CopyOutcome::kCopied : CopyOutcome::kNotAsWritten;
}

void ShowCopyMessage(const char* format, const char* argument) {
    FormatText(g_state.messageText, format, argument);
    ShowMessageA(g_state.messageText, kCaptionSetupWubi, MB_OK);
}

// The message of a failed copy names the destination path, or the file name when the path could not
// be formed.
void ReportOutcome(CopyOutcome outcome, const char* targetName) {
    const char* shown = g_state.destinationPath[0] != '\0' ? g_state.destinationPath : targetName;
    if (outcome == CopyOutcome::kSourceMissing) ShowCopyMessage(kUnpackFormat, shown);
    if (outcome == CopyOutcome::kTargetStuck || outcome == CopyOutcome::kNotAsWritten) ShowCopyFailedMessage(shown);
}

// Size of a file opened with _lopen, or -1 when it cannot be opened.
long FileSize(const char* path) {
    UniqueHFile file(_lopen(path, OF_READ));
    if (!file) return -1;
    return _llseek(file.Get(), 0, FILE_END);
}

// Size of the install directory's plain file, or -1 when there is none (a link counts as none).
long SourceSize(const char* path) {
    UniqueHandle file = OpenPlainFile(path);
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > LONG_MAX) return -1;
    return static_cast<long>(size.QuadPart);
}

int CompareQuietly(const char* sourceName, const char* targetName) {
    bool formed = BuildPaths(sourceName, targetName);
    long sourceSize = formed ? SourceSize(g_state.sourcePath) : -1;
    if (sourceSize < 0) return kCompareNoSource;
    long targetSize = FileSize(g_state.destinationPath);
    if (targetSize < 0) return kCompareNoTarget;
    return sourceSize == targetSize ? kCompareSame : kCompareSizeDiffers;
}

// The first-pass source of a code-page variant, patched in the install directory before it is copied.
const char* PatchedVariant(const char* gbkName, const char* big5Name) {
    const char* name = UsesBig5() ? big5Name : gbkName;
    PatchVersionText(name);
    return name;
}

// The IMM placement starts the progress display over.
void RestartProgressForImeFiles() {
    RepaintInstallPage();
    Sleep(kRepaintPauseMs);
    g_state.progressStep = 0;
    g_state.progressTotal = kImeProgressTotal;
    ShowProgress(g_state.progressStep, g_state.progressTotal);
}

// Selects the target directory of the kind, copies the install directory's sourceName over targetName
// there with redirection switched off (moving a destination in use aside), then reports a failure.
CopyOutcome CopyToTargetAndReport(const char* sourceName, const char* targetName, int kind) {
    SelectTargetDir(kind);
    CopyOutcome outcome = RunWithoutRedirection([&] { return CopyQuietly(sourceName, targetName); });
    LogLine("copy %s to %s: %s", sourceName, g_state.destinationPath[0] ? g_state.destinationPath : targetName,
            OutcomeText(outcome));
    ReportOutcome(outcome, targetName);
    return outcome;
}

}  // namespace

void ShowCopyFailedMessage(const char* shown) { ShowCopyMessage(kCopyFormat, shown); }

int CompareDeployedFile(const char* sourceName, const char* targetName, int kind) {
    SelectTargetDir(kind);
    return RunWithoutRedirection([&] { return CompareQuietly(sourceName, targetName); });
}

// A copy that ends with its last attempt failed counts as a fault even when the sizes then agree (an
// earlier file of the same size stayed in place): its message has told the user so.
void CopyAndVerify(const char* sourceName, const char* targetName, int kind) {
    CopyOutcome outcome = CopyToTargetAndReport(sourceName, targetName, kind);
    if (CompareDeployedFile(sourceName, targetName, kind) != kCompareSame) {
        outcome = CopyToTargetAndReport(sourceName, targetName, kind);
        if (CompareDeployedFile(sourceName, targetName, kind) != kCompareSame) {
            ShowCopyFailedMessage(targetName);
            g_state.installFaults |= kFaultSystemCopy;
            return;
        }
    }
    if (outcome != CopyOutcome::kCopied) g_state.installFaults |= kFaultSystemCopy;
}

void InstallImeFiles(bool secondPass) {
    RestartProgressForImeFiles();
    if (Is64BitSystem()) {
        const char* source32 = secondPass ? kImeFile : PatchedVariant(kIme32Gbk, kIme32Big5);
        CopyAndVerify(source32, kImeTargetName, kTargetWow64System);
        const char* source64 = secondPass ? kIme64File : PatchedVariant(kIme64Gbk, kIme64Big5);
        CopyAndVerify(source64, kImeTargetName, kTargetSystem64);
    } else {
        const char* source = secondPass ? kImeFile : PatchedVariant(kIme32Gbk, kIme32Big5);
        CopyAndVerify(source, kImeTargetName, kTargetSystem32);
    }

    if (secondPass) {
        for (const char* variant : {kIme32Gbk, kIme32Big5, kIme64Gbk, kIme64Big5}) ForceDeleteInstalled(variant);
    } else {
        PatchVersionText(kSetup64);
    }
}

void PatchVersionText(const char* name) {
    unsigned char* buffer = g_state.workBuffer;
    char path[MAX_PATH];
    if (buffer == nullptr || !InstallDirPath(name, path, sizeof path)) return;
    // A file larger than the buffer would lose its tail when written back: it is left as it is.
    std::size_t length = 0;
    if (!ReadWholeFile(path, buffer, kPatchCapacity, &length)) return;
    PatchVersionTexts(buffer, length);
    WriteInstalled(name, buffer, length);
}
