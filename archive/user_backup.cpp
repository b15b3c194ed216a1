// CollectBackup, AppendToBackup, the keep-data question and RestoreBackup (see user_backup.h). The
// backup archive is written record by record with the archive writer's head and header layout; it
// lies in a directory ordinary users can write, so both the append and the restore go through the
// bounded walker, and the restore through its member-name rules, like any other archive, and every
// file is read and written there through the helpers that refuse links.
#include "archive/user_backup.h"

#include <windows.h>
#include <zlib.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#include "archive/extract.h"
#include "archive/quz_format.h"
#include "common/file_io.h"
#include "common/handles.h"
#include "common/install_log.h"
#include "common/install_state.h"
#include "common/md5_text.h"
#include "common/message_box.h"
#include "common/text.h"
#include "platform/directory_pin.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"

namespace {

constexpr std::size_t kMinimumCompressRoom = 8192;
constexpr std::size_t kRestoreSlack = 200;
constexpr std::size_t kShortestBackup = 100;

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

// The end of the last record of a backup archive held in memory. False when the name is already
// there, or when the archive is not a whole one of the digest variant (another kind or variant
// byte, a record without its marker, a count or a length past the end): nothing is appended to
// such a file, which lies where ordinary users can write.
bool FindAppendPosition(const unsigned char* archive, std::size_t size, const char* name, std::size_t* position) {
    ArchiveWalker walker(archive, size);
    if (!walker.HasHeader() || archive[0] != kArchiveKindByte || walker.Header().variantByte != kDigestVariantByte) {
        return false;
    }
    ArchiveRecord record;
    for (;;) {
        WalkStep step = walker.Next(&record);
        if (step == WalkStep::kEnd) break;
        if (step != WalkStep::kRecord) return false;
        if (MemberNameEquals(record.nameField, record.nameFieldSize, name)) return false;
    }
    *position = walker.Position();
    return true;
}

// The payload's own stream of these bytes, when one of its members holds them: the payload is packed
// with compress() at the default level, as the backup is, so that stream is what deflate would give
// here, without the work (a code table of 2 MB takes a tenth of a second). A member counts only when
// its stored digest is the bytes' and its stream a default-level zlib stream whose check value (the
// Adler-32 of the inflated bytes, its last four bytes) is theirs too, and that fits the room.
bool FindPayloadStream(const char* digest, const unsigned char* bytes, std::size_t length, std::size_t room,
                       const unsigned char** stream, std::uint32_t* streamLength) {
    constexpr std::size_t kZlibHeaderSize = 2;
    constexpr std::size_t kZlibCheckSize = 4;
    if (g_state.payload == nullptr || length > UINT_MAX) return false;
    ArchiveWalker walker(g_state.payload, g_state.payloadSize);
    if (!walker.HasHeader() || walker.Variant() != ArchiveVariant::kDigest) return false;
    const uLong check = adler32(adler32(0, nullptr, 0), bytes, static_cast<uInt>(length));
    ArchiveRecord record;
    while (walker.Next(&record) == WalkStep::kRecord) {
        std::uint32_t size = record.compressedLength;
        if (record.storedDigest == nullptr || !DigestTextsEqual(digest, record.storedDigest) || size > room ||
            size < kZlibHeaderSize + kZlibCheckSize || record.data[0] != 0x78 || record.data[1] != 0x9C) {
            continue;
        }
        const unsigned char* tail = record.data + size - kZlibCheckSize;
        uLong stored = static_cast<uLong>(tail[0]) << 24 | static_cast<uLong>(tail[1]) << 16 |
                       static_cast<uLong>(tail[2]) << 8 | tail[3];
        if (stored != check) continue;
        *stream = record.data;
        *streamLength = size;
        return true;
    }
    return false;
}

// A backup archive put together in memory: its bytes so far (a whole archive at every step) in a block
// that grows by doubling, and the compressor, made once and reset for each record: each record's
// bytes are what zlib's compress gives at the default level.
class BackupImage {
public:
    BackupImage() = default;
    BackupImage(const BackupImage&) = delete;
    BackupImage& operator=(const BackupImage&) = delete;
    ~BackupImage() {
        if (compressorReady_) deflateEnd(&compressor_);
    }

    bool Start() {
        if (!Reserve(kArchiveHeaderSize)) return false;
        WriteArchiveHeader(bytes_.Bytes(), ArchiveVariant::kDigest, kArchiveHeaderSize, 0);
        size_ = kArchiveHeaderSize;
        return true;
    }

    // Takes an archive read from a file as the image so far.
    bool Load(const char* path) {
        LockedGlobalMemory read;
        std::size_t length = 0;
        if (!ReadWholeFile(path, &read, &length) || !Reserve(length)) return false;
        std::memcpy(bytes_.Bytes(), read.Bytes(), length);
        size_ = length;
        return true;
    }

    // Adds the file as the archive's next record. False, with the image as it was, when its name is
    // there already or the image is no whole archive, or the file cannot be read or compressed into
    // its room (as many bytes as the file, but at least 8 KiB).
    bool Add(const char* filePath) {
        char name[kBackupNameLimit + 1];
        std::size_t position = 0;
        if (!MemberNameOf(filePath, name, sizeof name) || !FindAppendPosition(bytes_.Bytes(), size_, name, &position)) {
            return false;
        }
        LockedGlobalMemory file;
        std::size_t length = 0;
        if (!ReadWholeFile(filePath, &file, &length)) return false;
        char digest[kDigestTextSize];
        Md5Text(file.Data(), length, digest);

        std::size_t room = length > kMinimumCompressRoom ? length : kMinimumCompressRoom;
        if (!Reserve(position + kDigestRecordHeadSize + room)) return false;
        unsigned char* head = bytes_.Bytes() + position;
        const unsigned char* stream = nullptr;
        std::uint32_t compressedLength = 0;
        if (FindPayloadStream(digest, file.Bytes(), length, room, &stream, &compressedLength)) {
            std::memcpy(head + kDigestRecordHeadSize, stream, compressedLength);
        } else if (!Compress(file.Bytes(), length, head + kDigestRecordHeadSize, room, &compressedLength)) {
            return false;
        }
        if (BuildRecordHead(ArchiveVariant::kDigest, name, digest, compressedLength, head) != WriteProblem::kNone) {
            return false;
        }
        std::size_t recordSize = kDigestRecordHeadSize + compressedLength;
        if (!CountRecordInHeader(bytes_.Bytes(), recordSize)) return false;
        size_ = position + recordSize;
        return true;
    }

    const unsigned char* Bytes() const { return bytes_.Bytes(); }
    std::size_t Size() const { return size_; }

private:
    // Room for needed bytes, the image so far kept.
    bool Reserve(std::size_t needed) {
        if (needed <= capacity_) return true;
        std::size_t capacity = capacity_ * 2 > needed ? capacity_ * 2 : needed;
        LockedGlobalMemory larger;
        if (!larger.Allocate(GMEM_FIXED, capacity)) return false;
        if (size_ > 0) std::memcpy(larger.Bytes(), bytes_.Bytes(), size_);
        bytes_ = std::move(larger);
        capacity_ = capacity;
        return true;
    }

    // The bytes as compress() at the default level gives them, into the room; false when they do not
    // fit or the room or the bytes are beyond zlib's counts.
    bool Compress(const unsigned char* bytes, std::size_t length, unsigned char* out, std::size_t room,
                  std::uint32_t* outLength) {
        if (length > UINT_MAX || room > UINT_MAX || !ResetCompressor()) return false;
        compressor_.next_in = const_cast<unsigned char*>(bytes);
        compressor_.avail_in = static_cast<uInt>(length);
        compressor_.next_out = out;
        compressor_.avail_out = static_cast<uInt>(room);
        if (deflate(&compressor_, Z_FINISH) != Z_STREAM_END || compressor_.total_out == 0) return false;
        *outLength = static_cast<std::uint32_t>(compressor_.total_out);
        return true;
    }

    bool ResetCompressor() {
        if (compressorReady_) return deflateReset(&compressor_) == Z_OK;
        compressorReady_ = deflateInit(&compressor_, Z_DEFAULT_COMPRESSION) == Z_OK;
        return compressorReady_;
    }

    LockedGlobalMemory bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    z_stream compressor_{};
    bool compressorReady_ = false;
};

bool SameDirectory(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace

bool AppendToBackup(const char* archiveName, const char* filePath) {
    char archivePath[MAX_PATH];
    if (!InstallDirPath(archiveName, archivePath, sizeof archivePath)) return false;
    // An archive that does not exist yet is made with a fresh header and no members.
    BackupImage image;
    if (GetFileAttributesA(archivePath) == INVALID_FILE_ATTRIBUTES) {
        if (!image.Start() || !WriteInstalled(archiveName, image.Bytes(), image.Size())) return false;
    } else if (!image.Load(archivePath)) {
        return false;
    }
    // Written anew, as everything in a folder ordinary users can write: a name there may have been
    // made a link since it was read.
    return image.Add(filePath) && WriteInstalled(archiveName, image.Bytes(), image.Size());
}

bool CollectBackup() {
    GetInstallDir();
    // No earlier install recorded: the names would be taken relative to the current directory.
    if (g_state.previousInstallDir[0] == '\0') return false;
    if (!SameDirectory(g_state.previousInstallDir, g_state.installDir) &&
        !CopyText(g_state.installDir, g_state.previousInstallDir)) {
        return false;
    }
    // Copies and the archive are written there by name: only into the real folder of that name.
    if (PinDirectory(g_state.installDir) != PinResult::kPinned) {
        LogLine("no backup: %s is no real folder", g_state.installDir);
        return false;
    }

    // The archive is put together in memory and written once, as far as it got.
    ForceDeleteInstalled(kBackupArchiveName);
    BackupImage image;
    if (!image.Start()) return false;
    bool complete = true;
    for (const BackupRow& row : kBackupRows) {
        // A failed copy leaves an older backup copy, if any, to be packed.
        if (row.copiedTo != nullptr) CopyInstalled(row.source, row.copiedTo);
        char packed[MAX_PATH];
        const char* name = row.copiedTo ? row.copiedTo : row.source;
        bool added = InstallDirPath(name, packed, sizeof packed) && image.Add(packed);
        LogLine("backup of %s%s: %s", g_state.installDir, name, added ? "packed" : "not there or not readable");
        if (!added && row.required) {
            complete = false;
            break;
        }
    }
    if (!WriteInstalled(kBackupArchiveName, image.Bytes(), image.Size()) || !complete) {
        LogLine("backup incomplete: the earlier data is not kept");
        return false;
    }
    LogLine("backup taken: %s%s", g_state.installDir, kBackupArchiveName);
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

bool RestoreBackup(bool reportSuccess) {
    unsigned char* buffer = g_state.workBuffer;
    if (buffer == nullptr) return false;
    char archivePath[MAX_PATH];
    if (!InstallDirPath(kBackupArchiveName, archivePath, sizeof archivePath)) return false;
    if (g_state.previousInstallDir[0] != '\0' && !SameDirectory(g_state.installDir, g_state.previousInstallDir)) {
        char earlier[kPreviousDirCapacity + sizeof kBackupArchiveName];
        if (FormatText(earlier, "%s%s", g_state.previousInstallDir, kBackupArchiveName)) {
            CopyIntoInstallDir(earlier, kBackupArchiveName);
        }
    }

    LockedGlobalMemory block;
    std::size_t read = 0;
    if (!ReadWholeFile(archivePath, &block, &read, kRestoreSlack) || read < kShortestBackup) {
        LogLine("restore: no usable %s", archivePath);
        return false;
    }

    LogLine("restore of the earlier data from %s", archivePath);
    ExtractAll(block.Bytes(), read, buffer, kWorkBufferSize, MemberSource::kUserWritableFile);

    char* report = reinterpret_cast<char*>(buffer);
    buffer[kRestoreExemptionOffset] = '\0';
    int passed = VerifyInstalled(block.Bytes(), read, report, kRestoreExemptionOffset - kVerifyReportClosingRoom,
                                 reinterpret_cast<const char*>(buffer + kRestoreExemptionOffset));
    if (report[0] != '\0') {
        LogLine("restore incomplete: %s", report);
        ShowVerifyReport(report, kRestoreExemptionOffset, kRestoreFailedClosing);
        return false;
    }
    LogLine("restored %d files", passed);
    if (reportSuccess) {
        wchar_t text[64];
        FormatTextW(text, L"成功恢复了%d个原有数据文件！", passed);
        ShowMessageW(text, kCaptionProductW, MB_OK);
    }
    return true;
}
