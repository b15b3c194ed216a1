// Settings and user files of the input method, written whole through the install directory's file
// helpers; the two read back first are read only when their names hold plain files, never links.
#include "settings/settings_files.h"

#include <windows.h>

#include <cstring>

#include "common/file_io.h"
#include "common/install_state.h"
#include "common/named_files.h"
#include "common/text.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"

namespace {

constexpr std::size_t kEditionFlagSize = 11;  // "QUWBPYBZ=1" and its NUL
constexpr std::size_t kPhraseCountFileSize = 15;
constexpr std::size_t kDataFileSize = 1000;

void ApplyEdits(unsigned char* record) {
    if (UsesBig5()) record[0x0F] = 1;

    record[0x3E] = 0;
    record[0x3F] = 0;
    record[0x01] = 1;
    record[0x2B] = 1;
    record[0x36] = 0;
    record[0x24] = 1;

    if (g_state.edition == kEditionPinyin) {
        record[0x13] = 1;
        record[0x16] = 0;
        record[0x19] = 1;
        record[0x1B] = 1;
        std::memset(record + 0x1C, 0, 8);
        record[0x36] = 0;
        record[0x40] = 1;
        std::memset(record + 0x42, 0, 4);
        record[0x24] = 0;
        record[0x2A] = 1;
        record[0x46] = 1;
        record[0x48] = 1;
        record[0x4B] = 0;
        record[0x50] = 10;
    }

    switch (g_state.statusWindowMode) {
        case 2:  // single-row window
            record[0x00] = 1;
            record[0x15] = 0;
            break;
        case 3:  // dual window
            record[0x00] = 4;
            record[0x15] = 1;
            break;
        case 4:  // Windows-style window
            record[0x00] = 3;
            record[0x15] = 1;
            break;
        default:  // two-row window, or the dialog was not shown
            record[0x00] = 0;
            record[0x15] = 0;
            break;
    }
}

template <std::size_t N>
void TerminateField(char (&field)[N]) {
    if (BoundedLength(field, N) == N) field[N - 1] = '\0';
}

}  // namespace

bool ReadUserRecord() {
    char path[kPathCapacity];
    if (!InstallDirPath(kUserRecordFile, path, sizeof path)) return false;
    std::size_t read = 0;
    if (!ReadFileStart(path, &g_state.user, sizeof g_state.user, &read)) return false;
    TerminateUserRecordFields(&g_state.user);
    return true;
}

void TerminateUserRecordFields(UserRecord* record) {
    TerminateField(record->name);
    TerminateField(record->mobile);
    TerminateField(record->password);
}

void WriteSettingsFiles() {
    GetInstallDir();

    const char* flag = g_state.edition == kEditionPinyin ? "QUWBPYBZ=1" : "QUWBPYBZ=0";
    // Failures are ignored. The edition flag and the user record are deleted before they are written.
    RemoveInstalled(kEditionFile);
    WriteInstalled(kEditionFile, flag, kEditionFlagSize);

    static const unsigned char kZeros[kDataFileSize] = {};
    WriteInstalled(kPhraseCountFile, kZeros, kPhraseCountFileSize);
    WriteInstalled(kDataFile, kZeros, kDataFileSize);

    WriteInstalled(kNetworkSettingsFile, kNetworkSettingsText, sizeof kNetworkSettingsText - 1);

    RemoveInstalled(kUserRecordFile);
    WriteInstalled(kUserRecordFile, &g_state.user, sizeof g_state.user);
}

void WriteStatusWindowSettings() {
    if (g_state.backupState == kBackupRestoreWanted) return;

    char path[kPathCapacity];
    if (!InstallDirPath(kSettingsRecordFile, path, sizeof path)) return;
    std::size_t read = 0;
    ReadFileStart(path, g_state.settingsRecord, kSettingsRecordSize, &read);
    ApplyEdits(g_state.settingsRecord);
    WriteInstalled(kSettingsRecordFile, g_state.settingsRecord, kSettingsRecordSize);
}

void WriteInstallStamp() {
    char stamp[12];
    FormatText(stamp, "%d", static_cast<int>(GetTickCount()));
    WriteInstalled(kInstallStampFile, stamp, std::strlen(stamp));
}
