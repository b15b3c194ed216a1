// The packed archive format shared by the payload, the skin archives and the backup archive: the
// 10-byte header, the record heads of the digest and plain variants, a walker that never reads past
// the bytes it was given, the rule for member names, and the writer. Portable: no Windows headers,
// so the packer, the fuzz target and the benchmark build it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/digest_text.h"

// Header: kind byte 'Q', variant byte ('0' digest variant, anything else plain), total size, count.
constexpr std::size_t kArchiveHeaderSize = 10;
constexpr unsigned char kArchiveKindByte = 'Q';
constexpr unsigned char kDigestVariantByte = '0';
constexpr unsigned char kPlainVariantByte = 'U';

// Record heads: "QF", the name field, (digest variant) the digest text, the compressed length.
constexpr std::size_t kDigestRecordHeadSize = 56;
constexpr std::size_t kPlainRecordHeadSize = 20;
constexpr std::size_t kDigestNameFieldSize = 16;
constexpr std::size_t kPlainNameFieldSize = 14;

// The capacity the setup program hands to decompression, and what its output area needs besides the
// member's data: the 100-byte name slot before it, a 10-byte gap and the digest text after it.
constexpr std::size_t kInflateCapacity = 2097152;
constexpr std::size_t kAreaNameSlotSize = 100;
constexpr std::size_t kAreaDigestGap = 10;
constexpr std::size_t kAreaOverhead = kAreaNameSlotSize + kAreaDigestGap + kDigestTextSize;
// The largest member the setup program can extract (output area at the start of the work buffer).
constexpr std::size_t kLargestMember = kInflateCapacity - kAreaOverhead;
// An archive read from a file (the skins, of the plain variant) occupies the first 128 KiB of the
// work buffer, and its members are inflated into the rest.
constexpr std::size_t kArchiveFileCapacity = 131072;
constexpr std::size_t kLargestArchiveFileMember = kInflateCapacity - kArchiveFileCapacity - kAreaOverhead;

enum class ArchiveVariant { kDigest, kPlain };

struct ArchiveHeader {
    ArchiveVariant variant;
    unsigned char variantByte;
    std::uint32_t totalSize;
    std::uint32_t count;
};

std::uint32_t ReadLittleEndian32(const unsigned char* bytes);
void WriteLittleEndian32(unsigned char* bytes, std::uint32_t value);

// False when fewer than 10 bytes are there.
bool ParseArchiveHeader(const unsigned char* archive, std::size_t size, ArchiveHeader* header);

std::size_t RecordHeadSize(ArchiveVariant variant);
std::size_t NameFieldSize(ArchiveVariant variant);
// Bytes of name text a field holds: its size less the terminating NUL (15 or 13).
std::size_t MaxNameLength(ArchiveVariant variant);

// Why a member name is not a bare file name that can be created inside the target directory.
enum class NameProblem {
    kNone,
    kNotTerminated,  // no NUL inside its field
    kEmpty,
    kSeparator,      // '\', '/' or ':' (also a GBK trail byte 0x5C: refused, never reinterpreted)
    kDotDot,
    kDeviceName,     // CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with or without an extension
};

// Checks the name field of a record (fieldSize bytes, which may be fewer than the field when the
// archive ends inside it).
NameProblem CheckMemberName(const char* field, std::size_t fieldSize);
const char* DescribeNameProblem(NameProblem problem);

// Copies the name text of a field (up to its NUL or the field's end) into out, always terminated;
// returns the number of bytes copied.
std::size_t CopyMemberName(const char* field, std::size_t fieldSize, char* out, std::size_t capacity);

// True when the name field holds exactly this name, NUL-terminated inside the field.
bool MemberNameEquals(const char* field, std::size_t fieldSize, const char* name);

// One record as the walker found it. nameFieldSize is the part of the name field that lies inside
// the archive; storedDigest (digest variant) and data are set only when they lie inside it too.
struct ArchiveRecord {
    std::size_t offset;
    const char* nameField;
    std::size_t nameFieldSize;
    const unsigned char* storedDigest;
    std::uint32_t compressedLength;
    const unsigned char* data;
};

// How a walk recognises a record: both marker bytes "QF" (extraction, verification), or either of
// them (the search for one member).
enum class MarkerRule { kBothBytes, kEitherByte };

enum class WalkStep {
    kRecord,     // a whole record: head and data lie inside the archive
    kEnd,        // the member count was reached
    kNoMarker,   // no marker where the next record should begin: the walk ends
    kTruncated,  // the archive ends before the record, or its head or data runs past the archive's
                 // end: the walk ends
};

// Walks the records in order, trusting neither the member count nor any length: each is checked
// against the bytes really there. After kEnd, kNoMarker or kTruncated every further step is kEnd.
class ArchiveWalker {
public:
    ArchiveWalker(const unsigned char* archive, std::size_t size);

    bool HasHeader() const { return hasHeader_; }
    const ArchiveHeader& Header() const { return header_; }
    ArchiveVariant Variant() const { return header_.variant; }
    std::uint32_t Count() const { return header_.count; }
    // Records stepped on so far, a truncated one included.
    std::uint32_t Visited() const { return visited_; }
    // Offset of the next record (the end of the last whole record).
    std::size_t Position() const { return position_; }

    WalkStep Next(ArchiveRecord* record, MarkerRule rule = MarkerRule::kBothBytes);

private:
    const unsigned char* archive_;
    std::size_t size_;
    ArchiveHeader header_{};
    bool hasHeader_ = false;
    bool finished_ = false;
    std::size_t position_ = kArchiveHeaderSize;
    std::uint32_t visited_ = 0;
};

// Writer. The header's member count and total size are kept current after every record, so the
// archive is complete at each step.
void WriteArchiveHeader(unsigned char* header, ArchiveVariant variant, std::uint32_t totalSize,
                        std::uint32_t count);

// Counts one more record of recordSize bytes in a 10-byte header; false (header unchanged) when the
// count or the total size would no longer fit 32 bits.
bool CountRecordInHeader(unsigned char* header, std::uint64_t recordSize);

enum class WriteProblem { kNone, kBadName, kNameTooLong, kTooLarge };

// Fills a record head (56 or 20 bytes) for a member. The name must be a bare file name that fits
// its field; digestText (34 bytes) is used by the digest variant only. The plain variant's filler
// after the name is written as zeros.
WriteProblem BuildRecordHead(ArchiveVariant variant, const char* name, const char* digestText,
                             std::uint32_t compressedLength, unsigned char* head);

// A new archive of no members: "Q0" or "QU", total size 10, count 0.
std::vector<unsigned char> NewArchive(ArchiveVariant variant);

// Appends one record (head and compressed data) to an archive made by NewArchive and updates its
// header. On a problem the archive is left unchanged.
WriteProblem AppendRecord(std::vector<unsigned char>& archive, const char* name, const char* digestText,
                          const unsigned char* compressed, std::size_t compressedLength);
