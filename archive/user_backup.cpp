// CollectBackup, AppendToBackup, the keep-data question and RestoreBackup (see user_backup.h). The
// backup archive is written record by record with the archive writer's head and header layout; it
// lies in a directory ordinary users can write, so its restore goes through the bounded walker and
// its member-name rules like any other archive.
#include "archive/user_backup.h"

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>

#include "archive/extract.h"
#include "archive/md5_text.h"
#include "archive/quz_format.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/text.h"
#include "platform/file_clearing.h"
#include "platform/install_paths.h"

namespace {

// The user's data files, in archive order. Files with a backup name are first copied over that name
// in the same directory, and the copy is what is packed; a required file that cannot be added ends
// the backup, incomplete.
struct BackupRow {
    const char* source;
    const char* copiedTo;  // nullptr: packed under its own name
    bool required;
};

constexpr BackupRow kBackupRows[] = {
    {"quorpyck.quh", "quorpyck.bak", true}, {"quszsj43.quh", "quszsj43.bak", true},
    {"qfontset.quh", "qfontset.bak", true}, {"qwbzlcz1.quh", "qwbzlcz1.bak", true},
    {"quwbcmxz.quh", "quwbcmxz.bak", true}, {"qudhzcm.quh", "qudhzcm.bak", true},
    {"quordhz.quh", "quordhz.bak", true},   {"qugbkhz.quh", "qugbkhz.bak", true},
    {"quszsj43.quh", nullptr, true},        {"quordwdw.txt", nullptr, true},
    {"quorzdym.quh", nullptr, true},        {"qupyzdym.quh", nullptr, true},
    {"quwbpy.txt", nullptr, true},          {"quorynhz.txt", nullptr, true},
    {"quorzdfh.quh", nullptr, true},        {"userck.txt", nullptr, false},
    {"delck.txt", nullptr, false},          {"ftquzdym.txt", nullptr, false},
    {"ftpyzdym.txt", nullptr, false},       {"quorpymb.ov1", nullptr, false},
    {"qugbkbh.quh", nullptr, false},        {"quszsj05.quh", nullptr, false},
    {"quszsj06.quh", nullptr, false},
};

constexpr std::size_t kMinimumCompressRoom = 8192;
constexpr std::size_t kRestoreSlack = 200;
constexpr UINT kShortestBackup = 100;

// Work buffer layout of the restore check: the report first, the (empty) exemption list at 4 KiB.
constexpr std::size_t kRestoreExemptionOffset = 4096;

constexpr char kRestoreFailedClosing[] = "原有数据文件没有成功复制，原有数据不能使用！\r\n";

// The member name of a path: what follows its last backslash, a backslash in the first position not
// counting. Double-byte characters are stepped over whole: a trail byte may be 0x5C.
bool MemberNameOf(const char* path, char* name, std::size_t capacity) {
    std::size_t length = std::strlen(path);
    if (length == 0) return false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < length;) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < length) {
            i += 2;
            continue;
        }
        if (path[i] == '\\' && i >= 1) start = i + 1;
        ++i;
    }
    std::size_t nameLength = length - start;
    if (nameLength == 0 || nameLength > kBackupNameLimit) return false;
    return CopyText(name, capacity, path + start);
}

bool WriteAll(HFILE file, const void* bytes, std::size_t length) {
    UINT written = _lwrite(file, static_cast<const char*>(bytes), static_cast<UINT>(length));
    return written != static_cast<UINT>(HFILE_ERROR) && written == length;
}

bool ReadAll(HFILE file, void* bytes, std::size_t length) {
    UINT read = _lread(file, bytes, static_cast<UINT>(length));
    return read != static_cast<UINT>(HFILE_ERROR) && read == length;
}

// Opens the archive, or creates it with a fresh header; leaves its header in header.
UniqueHFile OpenOrCreateArchive(const char* archivePath, unsigned char* header) {
    UniqueHFile archive(_lopen(archivePath, OF_READWRITE));
    if (archive) {
        if (!ReadAll(archive.Get(), header, kArchiveHeaderSize)) archive.Reset();
        return archive;
    }
    archive.Reset(_lcreat(archivePath, 0));
    WriteArchiveHeader(header, ArchiveVariant::kDigest, kArchiveHeaderSize, 0);
    if (archive && !WriteAll(archive.Get(), header, kArchiveHeaderSize)) archive.Reset();
    return archive;
}

// Walks the existing records to the end of the last one. False when the name is already there, or
// when a record is not where the header and the lengths say (nothing is appended to such a file).
bool FindAppendPosition(HFILE archive, const unsigned char* header, const char* name, LONG* position) {
    LONG size = _llseek(archive, 0, FILE_END);
    if (size < static_cast<LONG>(kArchiveHeaderSize)) return false;
    std::uint64_t offset = kArchiveHeaderSize;
    std::uint32_t count = ReadLittleEndian32(header + 6);
    for (std::uint32_t i = 0; i < count; ++i) {
        unsigned char head[kDigestRecordHeadSize];
        if (offset + sizeof head > static_cast<std::uint64_t>(size)) return false;
        if (_llseek(archive, static_cast<LONG>(offset), FILE_BEGIN) == HFILE_ERROR) return false;
        if (!ReadAll(archive, head, sizeof head)) return false;
        if (head[0] != 'Q' || head[1] != 'F') return false;
        if (MemberNameEquals(reinterpret_cast<const char*>(head + 2), kDigestNameFieldSize, name)) return false;
        offset += sizeof head + ReadLittleEndian32(head + kDigestRecordHeadSize - 4);
        if (offset > static_cast<std::uint64_t>(size)) return false;
    }
    *position = static_cast<LONG>(offset);
    return true;
}

// The file's bytes in a zero-filled block of twice their size plus 8 KiB, which leaves room after
// them for the compressed form.
bool ReadFileIntoBlock(const char* filePath, LockedGlobalMemory* block, std::size_t* length) {
    UniqueHFile file(_lopen(filePath, OF_READ));
    if (!file) return false;
    LONG size = _llseek(file.Get(), 0, FILE_END);
    if (size < 0 || _llseek(file.Get(), 0, FILE_BEGIN) != 0) return false;
    std::size_t bytes = static_cast<std::size_t>(size);
    if (bytes > (SIZE_MAX - kMinimumCompressRoom) / 2) return false;
    if (!block->Allocate(GMEM_FIXED | GMEM_ZEROINIT, bytes * 2 + kMinimumCompressRoom)) return false;
    UINT read = _lread(file.Get(), block->Bytes(), static_cast<UINT>(bytes));
    if (read == static_cast<UINT>(HFILE_ERROR)) return false;
    *length = read;
    return true;
}

bool SameDirectory(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace

bool AppendToBackup(const char* archivePath, const char* filePath) {
    char name[kBackupNameLimit + 1];
    if (!MemberNameOf(filePath, name, sizeof name)) return false;

    unsigned char header[kArchiveHeaderSize];
    UniqueHFile archive = OpenOrCreateArchive(archivePath, header);
    if (!archive) return false;
    LONG position = 0;
    if (!FindAppendPosition(archive.Get(), header, name, &position)) return false;

    LockedGlobalMemory block;
    std::size_t length = 0;
    if (!ReadFileIntoBlock(filePath, &block, &length)) return false;
    unsigned char* data = block.Bytes();

    char digest[kDigestTextSize];
    Md5Text(data, length, digest);
    uLongf compressedLength = static_cast<uLongf>(length > kMinimumCompressRoom ? length : kMinimumCompressRoom);
    unsigned char* compressed = data + length;
    if (compress(compressed, &compressedLength, data, static_cast<uLong>(length)) != Z_OK || compressedLength == 0) {
        return false;
    }

    unsigned char head[kDigestRecordHeadSize];
    if (BuildRecordHead(ArchiveVariant::kDigest, name, digest, static_cast<std::uint32_t>(compressedLength), head) !=
        WriteProblem::kNone) {
        return false;
    }
    unsigned char newHeader[kArchiveHeaderSize];
    std::memcpy(newHeader, header, sizeof newHeader);
    if (!CountRecordInHeader(newHeader, sizeof head + compressedLength)) return false;

    // The header is rewritten last: until then the archive's count does not include the new record.
    if (_llseek(archive.Get(), position, FILE_BEGIN) != position) return false;
    if (!WriteAll(archive.Get(), head, sizeof head) || !WriteAll(archive.Get(), compressed, compressedLength)) {
        return false;
    }
    if (_llseek(archive.Get(), 0, FILE_BEGIN) != 0) return false;
    return WriteAll(archive.Get(), newHeader, sizeof newHeader);
}

bool IsBackedUpUserFile(const char* name) {
    for (const BackupRow& row : kBackupRows) {
        if (std::strcmp(row.source, name) == 0) return true;
    }
    return false;
}

bool CollectBackup() {
    GetInstallDir();
    // No earlier install recorded: the names would be taken relative to the current directory.
    if (g_state.previousInstallDir[0] == '\0') return false;
    if (!SameDirectory(g_state.previousInstallDir, g_state.installDir) &&
        !CopyText(g_state.installDir, g_state.previousInstallDir)) {
        return false;
    }

    char archivePath[kPathCapacity];
    if (!FormatText(archivePath, "%s%s", g_state.installDir, kBackupArchiveName)) return false;
    ForceDelete(archivePath);

    for (const BackupRow& row : kBackupRows) {
        char source[kPathCapacity];
        char packed[kPathCapacity];
        bool formed = FormatText(source, "%s%s", g_state.installDir, row.source) &&
                      FormatText(packed, "%s%s", g_state.installDir, row.copiedTo ? row.copiedTo : row.source);
        // A failed copy leaves an older backup copy, if any, to be packed.
        if (formed && row.copiedTo != nullptr) CopyFileA(source, packed, FALSE);
        bool added = formed && AppendToBackup(archivePath, packed);
        if (!added && row.required) return false;
    }
    return true;
}

const wchar_t* KeepDataQuestion() {
    return SameDirectory(g_state.installDir, g_state.previousInstallDir) ? kKeepDataQuestionInInstallDir
                                                                          : kKeepDataQuestionElsewhere;
}

void AskToKeepEarlierData() {
    if (g_state.backupState != kBackupTaken) return;
    if (ShowMessageW(KeepDataQuestion(), kCaptionSetupW, MB_YESNO) == IDYES) g_state.backupState = kBackupRestoreWanted;
}

void RestoreBackup() {
    unsigned char* buffer = g_state.workBuffer;
    if (buffer == nullptr) return;
    char archivePath[kPathCapacity];
    if (!FormatText(archivePath, "%s%s", g_state.installDir, kBackupArchiveName)) return;
    if (g_state.previousInstallDir[0] != '\0' && !SameDirectory(g_state.installDir, g_state.previousInstallDir)) {
        char earlier[kPreviousDirCapacity + sizeof kBackupArchiveName];
        if (FormatText(earlier, "%s%s", g_state.previousInstallDir, kBackupArchiveName)) {
            CopyFileA(earlier, archivePath, FALSE);
        }
    }

    LockedGlobalMemory block;
    UINT read = 0;
    {
        UniqueHFile file(_lopen(archivePath, OF_READ));
        if (!file) return;
        LONG size = _llseek(file.Get(), 0, FILE_END);
        if (size < 0 || _llseek(file.Get(), 0, FILE_BEGIN) != 0) return;
        if (!block.Allocate(GMEM_FIXED | GMEM_ZEROINIT, static_cast<std::size_t>(size) + kRestoreSlack)) return;
        read = _lread(file.Get(), block.Bytes(), static_cast<UINT>(size));
    }
    if (read == static_cast<UINT>(HFILE_ERROR) || read < kShortestBackup) return;

    ExtractAll(block.Bytes(), read, buffer, kWorkBufferSize);

    char* report = reinterpret_cast<char*>(buffer);
    buffer[kRestoreExemptionOffset] = '\0';
    int passed = VerifyInstalled(block.Bytes(), read, report, kRestoreExemptionOffset - kVerifyReportClosingRoom,
                                 reinterpret_cast<const char*>(buffer + kRestoreExemptionOffset));
    if (report[0] != '\0') {
        ShowVerifyReport(report, kRestoreExemptionOffset, kRestoreFailedClosing);
        return;
    }
    wchar_t text[64];
    FormatTextW(text, L"成功恢复了%d个原有数据文件！", passed);
    ShowMessageW(text, kCaptionProductW, MB_OK);
}
