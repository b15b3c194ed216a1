// The payload check and the skin installation (see skins.h). Each step uses the work buffer in turn:
// the payload check's exemption list and report, then the skin archive and its report.
#include "archive/skins.h"

#include <windows.h>

#include <cstring>

#include "archive/extract.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/named_files.h"
#include "common/text.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"

namespace {

constexpr char kPayloadReportClosing[] = "上述文件没有成功复制，请重新下载安装！\r\n";
constexpr char kSkinReportClosing[] = "皮肤文件没有成功复制，请重新安装皮肤文件！\r\n";

// The payload report ends where the skin archive is later read (the first 128 KiB).
constexpr std::size_t kPayloadReportCapacity = kArchiveFileCapacity - kExtraReportOffset;

// Skin archive in the work buffer: its empty exemption list and its report follow it at these distances.
constexpr std::size_t kSkinExemptionGap = 6;
constexpr std::size_t kSkinReportGap = 20;


// The payload against the install directory, exempting the list; the report stays in the work buffer.
void CheckPayload(char* report) {
    unsigned char* buffer = g_state.workBuffer;
    CopyText(reinterpret_cast<char*>(buffer), kExtraReportOffset, kPayloadExemptions);
    VerifyInstalled(g_state.payload, g_state.payloadSize, report, kPayloadReportCapacity - kVerifyReportClosingRoom,
                    reinterpret_cast<const char*>(buffer));
    if (report[0] != '\0') ShowVerifyReport(report, kPayloadReportCapacity, kPayloadReportClosing);
}

// Reads the skin archive back and checks its members against the install directory.
void CheckSkin(HFILE skin) {
    unsigned char* buffer = g_state.workBuffer;
    UINT read = _lread(skin, buffer, kArchiveFileCapacity);
    std::size_t length = read == static_cast<UINT>(HFILE_ERROR) ? 0 : read;
    char* exemptions = reinterpret_cast<char*>(buffer + length + kSkinExemptionGap);
    exemptions[0] = '\0';
    char* report = reinterpret_cast<char*>(buffer + length + kSkinReportGap);
    std::size_t capacity = kWorkBufferSize - length - kSkinReportGap;
    VerifyInstalled(buffer, length, report, capacity - kVerifyReportClosingRoom, exemptions);
    if (report[0] != '\0') ShowVerifyReport(report, capacity, kSkinReportClosing);
}

}  // namespace

const char* SkinArchiveName(int skinChoice) {
    switch (skinChoice) {
        case 2:
            return kSkinArchives[1];
        case 3:
            return kSkinArchives[2];
        default:
            return kSkinArchives[0];
    }
}

void CheckInstalledPayload() {
    if (g_state.workBuffer == nullptr) return;
    CheckPayload(reinterpret_cast<char*>(g_state.workBuffer + kExtraReportOffset));
}

void InstallChosenSkin() {
    if (g_state.workBuffer == nullptr) return;
    char* payloadReport = reinterpret_cast<char*>(g_state.workBuffer + kExtraReportOffset);
    char skinPath[kPathCapacity];
    if (!InstallDirPath(SkinArchiveName(g_state.skinChoice), skinPath, sizeof skinPath)) skinPath[0] = '\0';
    if (skinPath[0] != '\0') ExtractArchiveFile(skinPath);

    UniqueHFile skin(skinPath[0] != '\0' ? _lopen(skinPath, OF_READ) : HFILE_ERROR);
    if (!skin) {
        // The payload report is still in place: nothing has been read over it.
        AppendText(payloadReport, kPayloadReportCapacity, kSkinReportClosing);
        ShowMessageA(payloadReport, kCaptionProduct, MB_OK);
        return;
    }
    CheckSkin(skin.Get());
    skin.Reset();

    CopyInstalled(kSkinBitmapSource, kSkinBitmapTarget);
}

bool SkinComplete() {
    for (const char* name : kSkinFiles) {
        char path[kPathCapacity];
        if (!InstallDirPath(name, path, sizeof path)) return false;
        UniqueHFile file(_lopen(path, OF_READ));
        if (!file) return false;
    }
    return true;
}
