// The install procedure (see install_procedure.h): the order of the install's steps, the progress
// they advance, the removal and renaming of the files of the other interface, and the faults the
// silent install reports through its exit code.
#include "install/install_procedure.h"

#include <windows.h>
#include <direct.h>

#include <initializer_list>

#include "archive/extract.h"
#include "archive/user_backup.h"
#include "common/file_io.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/named_files.h"
#include "common/product.h"
#include "common/progress.h"
#include "common/text.h"
#include "deploy/dir_security.h"
#include "deploy/system_copy.h"
#include "platform/directory_pin.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "register/keyboard_layout.h"
#include "register/registry_entries.h"
#include "register/text_service.h"

namespace {

constexpr DWORD kStepPauseMs = 50;
// A link made again at the install directory's name as soon as it was removed is given up on.
constexpr int kInstallDirAttempts = 3;

constexpr char kInstallDirRefusedFormat[] =
    "安装目录%s不是真正的文件夹（可能是指向别处的链接），也无法换成真正的文件夹。为了安全，安装程序没有做任何改动，"
    "将退出。";

// The IMM files, removed from the install directory by a TSF install.
constexpr const char* kImmFiles[] = {kIme32Gbk, kIme32Big5, kIme64Gbk, kIme64Big5, kImeFile, kIme64File, kOldImeFile};
// The text-service DLLs, removed by an IMM install.
constexpr const char* kTextServiceFiles[] = {kTextService32Early, kTextService64Early, kTextService32,
                                             kTextService64};

// The programs an earlier install may still hold: a program of an earlier version, and the one the
// autorun entry starts, which the payload then brings anew.
void RemoveOldPrograms() {
    for (const char* name : {kOldAutorunProgram, kAutorunProgram}) ForceDeleteInstalled(name);
}

void ShowIncompleteExtraction() {
    char text[kMessageCapacity];
    CopyText(text, kIncompleteExtractionText);
    AppendText(text, kHomePageUrl);
    AppendText(text, kIncompleteExtractionClosing);
    ShowMessageA(text, kCaptionSetupWubi, MB_OK);
}

// Unpacks the payload; the keep-data question follows only a complete extraction.
void UnpackPayload() {
    RemoveOldPrograms();
    if (!ExtractAll(g_state.payload, g_state.payloadSize, g_state.workBuffer, kWorkBufferSize)) {
        ShowIncompleteExtraction();
        g_state.installFaults |= kFaultIncompleteExtraction;
        return;
    }
    AskToKeepEarlierData();
}

// Leaves in the install directory the files of the chosen interface. Before Windows 10 the
// text-service variants take the names of the text-service DLLs.
void KeepFilesOfTheInterface() {
    if (g_state.interfaceChoice != kInterfaceTsf) {
        for (const char* name : kTextServiceFiles) RemoveInstalled(name);
        return;
    }
    for (const char* name : kImmFiles) RemoveInstalled(name);
    if (g_state.isWindows10) {
        RemoveInstalled(kTextService32Early);
        RemoveInstalled(kTextService64Early);
        return;
    }
    RemoveInstalled(kTextService32);
    RenameInstalled(kTextService32Early, kTextService32);
    RemoveInstalled(kTextService64);
    RenameInstalled(kTextService64Early, kTextService64);
}

void PlaceTextServiceDlls() {
    if (g_state.systemBits == 32) {
        CopyAndVerify(kTextService32, kTextService32, kTargetSystem32);
        return;
    }
    CopyAndVerify(kTextService32, kTextService32, kTargetWow64System);
    AdvanceProgress(1);
    CopyAndVerify(kTextService64, kTextService64, kTargetSystem64);
}

// Started elevated from a folder users can write: only the program this install wrote there.
void StartSetup64() {
    char command[2 * kPathCapacity + 32];
    if (FormatText(command, "%ssetupw64.exe regqu32=%s", g_state.installDir, g_state.installDir)) {
        StartProducedProgram(kSetup64, command);
    }
}

// Every logon starts the autorun program, administrators' too: the entry names only the program this
// install wrote, which only administrators can change; without one an earlier entry goes.
void WriteAutorun() {
    char autorun[kPathCapacity + 16];
    char digest[kDigestTextSize];
    if (!ProducedDigest(kAutorunProgram, digest)) {
        RemoveAutorunEntry();
    } else if (FormatText(autorun, "%squortavo.exe qu", g_state.installDir)) {
        WriteAutorunEntry(autorun);
    }
}

}  // namespace

bool SecureInstallDir(bool create) {
    for (int attempt = 0; attempt < kInstallDirAttempts; ++attempt) {
        if (create) CreateSecuredDirectory(g_state.installDir);
        switch (PinDirectory(g_state.installDir)) {
            case PinResult::kPinned:
                return true;
            case PinResult::kMissing:
                if (!create) return true;
                break;
            case PinResult::kNotReal:
                RemoveName(g_state.installDir);
                break;
        }
    }
    return false;
}

void ShowInstallDirRefused() {
    FormatText(g_state.messageText, kInstallDirRefusedFormat, g_state.installDir);
    ShowMessageA(g_state.messageText, kCaptionSetup, MB_OK);
}

void DeployFiles(bool secondPass) {
    LogLine("step: files, %s pass", secondPass ? "second" : "first");
    _mkdir(g_state.installDir);
    if (g_state.osMajorVersion > 5) SetLowIntegrity();
    AdvanceProgress(1);
    RepaintInstallPage();
    Sleep(kStepPauseMs);

    if (!secondPass) {
        LogLine("step: unpack the payload");
        UnpackPayload();
    }
    AdvanceProgress(1);
    RepaintInstallPage();

    // The phrase data the input method works on starts from the backed-up libraries.
    CopyInstalled(kWubiLibraryBackup, kWubiPhraseData);
    CopyInstalled(kPinyinLibraryBackup, kPinyinPhraseData);
    Sleep(kStepPauseMs);
    AdvanceProgress(2);

    KeepFilesOfTheInterface();
    AdvanceProgress(1);

    LogLine("step: system copies");
    if (g_state.interfaceChoice == kInterfaceTsf) {
        PlaceTextServiceDlls();
    } else {
        InstallImeFiles(secondPass);
        if (secondPass) return;
    }

    AdvanceProgress(1);
    CopyAndVerify(kUninstaller, kUninstaller, kTargetWindows);
    AdvanceProgress(1);
    LogLine("step: uninstall entry");
    WriteUninstallEntry(g_state.unpackedBytes);
    AdvanceProgress(1);
}

void RunInstall() {
    g_state.installFaults = 0;
    // Nothing may be written without a complete install directory, or without the payload to unpack.
    if (!GetInstallDir()) {
        g_state.installFaults |= kFaultNotStarted;
        return;
    }
    if (g_state.payload == nullptr || g_state.workBuffer == nullptr) {
        ShowMessageW(kMissingPayloadText, kCaptionSetupW, MB_OK);
        g_state.installFaults |= kFaultNotStarted;
        return;
    }

    LogLine("step: install directory %s", g_state.installDir);
    if (!SecureInstallDir(true)) {
        LogLine("not installed: %s is no real folder and cannot be made one", g_state.installDir);
        if (g_state.runMode != kRunModeSilent) ShowInstallDirRefused();
        g_state.installFaults |= kFaultNotStarted;
        return;
    }

    WritePathFiles();
    GrantUserFullAccess(g_state.installDir);
    char filer[kPathCapacity];
    if (InstallDirPath("filer\\", filer, sizeof filer)) _mkdir(filer);

    DeployFiles(false);
    GrantUserFullAccess(g_state.installDir);
    SetLowIntegrity();
    AdvanceProgress(1);

    bool imm = g_state.interfaceChoice != kInterfaceTsf;
    LogLine("step: registration of the %s interface", imm ? "IMM" : "TSF");
    if (imm) {
        RegisterImmInputMethod();
        DeployFiles(true);
    } else {
        g_state.registrationResult = RegisterTextService();
    }

    AdvanceProgress(1);
    LogLine("step: entries");
    WriteUserAgentToken();
    AdvanceProgress(1);
    WriteAutorun();
    AdvanceProgress(1);

    if (imm && Is64BitSystem()) StartSetup64();
}
