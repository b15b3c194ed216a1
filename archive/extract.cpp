// ExtractAll, VerifyInstalled, FindMember and ExtractArchiveFile over the bounded archive walker.
// Records are read in place; one member at a time is inflated into the caller's output area, whose
// real room, not the nominal 2 MiB, bounds what zlib may write.
#include "archive/extract.h"

#include <windows.h>
#include <zlib.h>

#include <cstring>

#include "archive/phrase_backup.h"
#include "archive/quz_format.h"
#include "common/file_io.h"
#include "common/file_security.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/md5_text.h"
#include "common/message_box.h"
#include "common/progress.h"
#include "common/text.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"

const wchar_t kMissingPayloadText[] =
    L"安装程序不完整：找不到其中的安装数据，或者没有足够的内存。请重新下载安装程序。";

namespace {

constexpr char kMemberFailedFormat[] = "没有成功解压复制%s文件！请重新下载安装。";
constexpr char kReportEntrySuffix[] = "....";
constexpr char kReportClosingLine[] = "有文件没有成功解压，请重新下载安装！\r\n";
// Install directory (200 bytes) plus a member name (at most 15 bytes).
constexpr std::size_t kMemberPathCapacity = kPathCapacity + kDigestNameFieldSize;
// A member name as shown in messages and reports: a whole field, even one without its NUL.
constexpr std::size_t kShownNameCapacity = kDigestNameFieldSize + 1;

// Room for the member's data in an output area, leaving the name slot before it and the gap and the
// digest text (and so the 12-byte phrase trailer) after it.
std::size_t DataRoom(std::size_t outputRoom) {
    if (outputRoom <= kAreaOverhead) return 0;
    std::size_t room = outputRoom - kAreaOverhead;
    return room < kInflateCapacity ? room : kInflateCapacity;
}

// The member's name, when it is a bare file name that can be created in the install directory.
bool MemberName(const ArchiveRecord& record, char* name) {
    if (CheckMemberName(record.nameField, record.nameFieldSize) != NameProblem::kNone) return false;
    CopyMemberName(record.nameField, record.nameFieldSize, name, kDigestNameFieldSize);
    return true;
}

// One member: inflate, verify, clear the way, convert, write. nullptr when it was written, else why
// not (for the log); *written is what the file then holds.
const char* ExtractMember(const ArchiveRecord& record, ArchiveVariant variant, MemberSource source,
                          unsigned char* outputArea, std::size_t outputRoom, std::size_t* written) {
    char name[kDigestNameFieldSize];
    if (!MemberName(record, name)) return "a name that is no bare file name";
    if (source != MemberSource::kPayload && IsProgramName(name)) return "a program in an archive users can replace";

    unsigned char* data = outputArea + kAreaNameSlotSize;
    uLongf length = static_cast<uLongf>(DataRoom(outputRoom));
    if (length == 0) return "no room to unpack it";
    if (uncompress(data, &length, record.data, record.compressedLength) != Z_OK || length == 0) {
        return "damaged or too large";
    }

    const char* digest = nullptr;
    if (variant == ArchiveVariant::kDigest) {
        char* computed = reinterpret_cast<char*>(data + length + kAreaDigestGap);
        Md5Text(data, length, computed);
        if (!DigestTextsEqual(computed, record.storedDigest)) return "its digest differs";
        digest = computed;
    }

    if (!ForceDeleteInstalled(name)) RenameAsideInstalled(name);

    std::size_t writeLength = length;
    if (MemberNameEquals(record.nameField, record.nameFieldSize, kPhraseBackupMember)) {
        writeLength = ConvertPhraseBackup(data, length) + kPhraseTrailerSize;
        digest = nullptr;
    }
    if (!WriteInstalled(name, data, writeLength, digest)) return "the file could not be written";
    *written = writeLength;
    return nullptr;
}

void ReportMemberFailure(const char* name) {
    char text[kMessageCapacity];
    FormatText(text, kMemberFailedFormat, name);
    ShowMessageA(text, kCaptionSetup, MB_OK);
}

// Whether an installed file matches its record.
bool InstalledMemberPasses(const ArchiveRecord& record, ArchiveVariant variant, const char* exemptions) {
    char name[kDigestNameFieldSize];
    char path[kMemberPathCapacity];
    if (!MemberName(record, name) || !InstallDirPath(name, path, sizeof path)) return false;
    char digest[kDigestTextSize];
    std::size_t bytesRead = FileMd5Text(path, digest);
    if (variant == ArchiveVariant::kPlain) return bytesRead >= record.compressedLength;
    if (DigestTextsEqual(digest, record.storedDigest)) return true;
    return ContainsName(exemptions, name);
}

}  // namespace

bool ExtractAll(const unsigned char* archive, std::size_t archiveSize, unsigned char* outputArea,
                std::size_t outputRoom, MemberSource source) {
    if (archive == nullptr || outputArea == nullptr) {
        ShowMessageW(kMissingPayloadText, kCaptionSetupW, MB_OK);
        return false;
    }
    ArchiveWalker walker(archive, archiveSize);
    if (!walker.HasHeader()) {
        LogLine("archive of %lu bytes without its header", static_cast<unsigned long>(archiveSize));
        return false;
    }
    LogLine("archive of %lu bytes, %u members, %s variant", static_cast<unsigned long>(archiveSize), walker.Count(),
            walker.Variant() == ArchiveVariant::kDigest ? "digest" : "plain");
    if (source == MemberSource::kPayload) g_state.unpackedBytes = 0;

    std::uint32_t succeeded = 0;
    ArchiveRecord record;
    for (;;) {
        WalkStep step = walker.Next(&record);
        if (step == WalkStep::kEnd || step == WalkStep::kNoMarker) break;
        char name[kShownNameCapacity];
        CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        CopyText(reinterpret_cast<char*>(outputArea), outputRoom < kAreaNameSlotSize ? outputRoom : kAreaNameSlotSize,
                 name);
        std::size_t written = 0;
        const char* failure = step == WalkStep::kRecord
                                  ? ExtractMember(record, walker.Variant(), source, outputArea, outputRoom, &written)
                                  : "cut off by the archive's end";
        if (failure == nullptr) {
            LogLine("unpacked %s: %lu bytes%s", name, static_cast<unsigned long>(written),
                    walker.Variant() == ArchiveVariant::kDigest ? ", digest matches" : "");
            if (source == MemberSource::kPayload) g_state.unpackedBytes += written;
            ++succeeded;
        } else {
            LogLine("not unpacked %s: %s", name, failure);
            ReportMemberFailure(name);
        }
        AdvanceProgressSoon();
        if (step == WalkStep::kTruncated) break;
    }
    FlushProgress();
    return succeeded == walker.Count();
}

int VerifyInstalled(const unsigned char* archive, std::size_t archiveSize, char* report,
                    std::size_t reportCapacity, const char* exemptions) {
    if (report != nullptr && reportCapacity > 0) report[0] = '\0';
    if (exemptions == nullptr) exemptions = "";
    ArchiveWalker walker(archive, archiveSize);
    if (walker.HasHeader() && walker.Count() == 0) return 0;

    std::uint32_t passed = 0;
    ArchiveRecord record;
    while (walker.Next(&record) == WalkStep::kRecord) {
        if (InstalledMemberPasses(record, walker.Variant(), exemptions)) {
            ++passed;
            continue;
        }
        char name[kShownNameCapacity];
        CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        AppendText(report, reportCapacity, name);
        AppendText(report, reportCapacity, kReportEntrySuffix);
    }
    if (!walker.HasHeader() || passed < walker.Count()) AppendText(report, reportCapacity, kReportClosingLine);
    return static_cast<int>(passed);
}

void FindMember(const char* name) {
    if (g_state.payload == nullptr || g_state.workBuffer == nullptr) return;
    unsigned char* target = g_state.workBuffer + kFoundMemberOffset;
    target[0] = 0;
    target[1] = 0;
    ArchiveWalker walker(g_state.payload, g_state.payloadSize);
    ArchiveRecord record;
    // The search recognises a record by either marker byte, and so stops only where both differ.
    while (walker.Next(&record, MarkerRule::kEitherByte) == WalkStep::kRecord) {
        if (!MemberNameEquals(record.nameField, record.nameFieldSize, name)) continue;
        if (record.compressedLength != 0) {
            uLongf length = static_cast<uLongf>(kWorkBufferSize - kFoundMemberOffset);
            uncompress(target, &length, record.data, record.compressedLength);
        }
        return;
    }
}

bool ExtractArchiveFile(const char* path) {
    if (g_state.workBuffer == nullptr) return false;
    // An archive larger than its 128 KiB is refused whole: walking the cut part would extract only
    // some members and take whatever was cut off the last one for garbage.
    std::size_t read = 0;
    if (!ReadWholeFile(path, g_state.workBuffer, kArchiveFileCapacity, &read)) return false;
    return ExtractAll(g_state.workBuffer, read, g_state.workBuffer + kArchiveFileCapacity,
                      kWorkBufferSize - kArchiveFileCapacity, MemberSource::kUserWritableFile);
}

void ShowVerifyReport(char* report, std::size_t capacity, const char* closing) {
    AppendText(report, capacity, "\r\n\r\n");
    AppendText(report, capacity, closing);
    ShowMessageA(report, kCaptionProduct, MB_OK);
}
