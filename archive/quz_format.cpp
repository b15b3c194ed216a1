// Header and record parsing, the bounded walker, member-name rules and the writer of the archive
// format (see quz_format.h).
#include "archive/quz_format.h"

#include <cstring>
#include <initializer_list>

#include "common/ascii_case.h"

namespace {

constexpr char kMarker0 = 'Q';
constexpr char kMarker1 = 'F';

// DOS device names open the device instead of a file in any directory, with or without an extension
// ("nul.txt" is NUL too), and trailing spaces before the extension are ignored.
bool IsDeviceName(const char* name, std::size_t length) {
    std::size_t base = 0;
    while (base < length && name[base] != '.') ++base;
    while (base > 0 && name[base - 1] == ' ') --base;
    char upper[8] = {};
    if (base < 3 || base > 7) return false;
    for (std::size_t i = 0; i < base; ++i) upper[i] = AsciiUpper(name[i]);
    if (base == 6 || base == 7) return std::memcmp(upper, base == 6 ? "CONIN$" : "CONOUT$", base) == 0;
    if (base == 3) {
        for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
            if (std::memcmp(upper, device, 3) == 0) return true;
        }
        return false;
    }
    if (base != 4) return false;
    bool numbered = std::memcmp(upper, "COM", 3) == 0 || std::memcmp(upper, "LPT", 3) == 0;
    return numbered && upper[3] >= '1' && upper[3] <= '9';
}

std::size_t NameTextLength(const char* field, std::size_t fieldSize) {
    const void* nul = std::memchr(field, '\0', fieldSize);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : fieldSize;
}

}  // namespace

std::uint32_t ReadLittleEndian32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void WriteLittleEndian32(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool ParseArchiveHeader(const unsigned char* archive, std::size_t size, ArchiveHeader* header) {
    if (archive == nullptr || size < kArchiveHeaderSize) return false;
    header->variantByte = archive[1];
    header->variant = archive[1] == kDigestVariantByte ? ArchiveVariant::kDigest : ArchiveVariant::kPlain;
    header->totalSize = ReadLittleEndian32(archive + 2);
    header->count = ReadLittleEndian32(archive + 6);
    return true;
}

std::size_t RecordHeadSize(ArchiveVariant variant) {
    return variant == ArchiveVariant::kDigest ? kDigestRecordHeadSize : kPlainRecordHeadSize;
}

std::size_t NameFieldSize(ArchiveVariant variant) {
    return variant == ArchiveVariant::kDigest ? kDigestNameFieldSize : kPlainNameFieldSize;
}

std::size_t MaxNameLength(ArchiveVariant variant) { return NameFieldSize(variant) - 1; }

NameProblem CheckMemberName(const char* field, std::size_t fieldSize) {
    std::size_t length = NameTextLength(field, fieldSize);
    if (length == fieldSize) return NameProblem::kNotTerminated;
    if (length == 0) return NameProblem::kEmpty;
    for (std::size_t i = 0; i < length; ++i) {
        char c = field[i];
        if (c == '\\' || c == '/' || c == ':') return NameProblem::kSeparator;
        if (c == '.' && i + 1 < length && field[i + 1] == '.') return NameProblem::kDotDot;
    }
    if (IsDeviceName(field, length)) return NameProblem::kDeviceName;
    return NameProblem::kNone;
}

const char* DescribeNameProblem(NameProblem problem) {
    switch (problem) {
        case NameProblem::kNone: return "valid";
        case NameProblem::kNotTerminated: return "name is not terminated inside its field";
        case NameProblem::kEmpty: return "name is empty";
        case NameProblem::kSeparator: return "name contains '\\', '/' or ':'";
        case NameProblem::kDotDot: return "name contains '..'";
        case NameProblem::kDeviceName: return "name is a device name";
    }
    return "invalid name";
}

std::size_t CopyMemberName(const char* field, std::size_t fieldSize, char* out, std::size_t capacity) {
    if (capacity == 0) return 0;
    std::size_t length = NameTextLength(field, fieldSize);
    if (length > capacity - 1) length = capacity - 1;
    std::memcpy(out, field, length);
    out[length] = '\0';
    return length;
}

bool MemberNameEquals(const char* field, std::size_t fieldSize, const char* name) {
    std::size_t length = NameTextLength(field, fieldSize);
    if (length == fieldSize) return false;
    return std::strlen(name) == length && std::memcmp(field, name, length) == 0;
}

ArchiveWalker::ArchiveWalker(const unsigned char* archive, std::size_t size) : archive_(archive), size_(size) {
    hasHeader_ = ParseArchiveHeader(archive, size, &header_);
    finished_ = !hasHeader_;
}

WalkStep ArchiveWalker::Next(ArchiveRecord* record, MarkerRule rule) {
    if (finished_) return WalkStep::kEnd;
    if (visited_ == header_.count) {
        finished_ = true;
        return WalkStep::kEnd;
    }
    std::size_t remaining = size_ - position_;
    const unsigned char* head = archive_ + position_;
    *record = ArchiveRecord{};
    record->offset = position_;
    record->nameField = reinterpret_cast<const char*>(head);
    if (remaining < 2) {
        // The count runs past the archive's end: this member is missing, not merely unmarked.
        ++visited_;
        finished_ = true;
        return WalkStep::kTruncated;
    }
    bool first = head[0] == kMarker0;
    bool second = head[1] == kMarker1;
    if (rule == MarkerRule::kBothBytes ? !(first && second) : !(first || second)) {
        finished_ = true;
        return WalkStep::kNoMarker;
    }

    std::size_t headSize = RecordHeadSize(header_.variant);
    std::size_t fieldSize = NameFieldSize(header_.variant);
    record->nameField = reinterpret_cast<const char*>(head + 2);
    record->nameFieldSize = remaining - 2 < fieldSize ? remaining - 2 : fieldSize;
    ++visited_;
    if (remaining < headSize) {
        finished_ = true;
        return WalkStep::kTruncated;
    }
    record->compressedLength = ReadLittleEndian32(head + headSize - 4);
    if (header_.variant == ArchiveVariant::kDigest) record->storedDigest = head + 2 + kDigestNameFieldSize;
    if (record->compressedLength > remaining - headSize) {
        finished_ = true;
        return WalkStep::kTruncated;
    }
    record->data = head + headSize;
    position_ += headSize + record->compressedLength;
    return WalkStep::kRecord;
}

void WriteArchiveHeader(unsigned char* header, ArchiveVariant variant, std::uint32_t totalSize,
                        std::uint32_t count) {
    header[0] = kArchiveKindByte;
    header[1] = variant == ArchiveVariant::kDigest ? kDigestVariantByte : kPlainVariantByte;
    WriteLittleEndian32(header + 2, totalSize);
    WriteLittleEndian32(header + 6, count);
}

bool CountRecordInHeader(unsigned char* header, std::uint64_t recordSize) {
    std::uint64_t total = ReadLittleEndian32(header + 2) + recordSize;
    std::uint32_t count = ReadLittleEndian32(header + 6);
    if (total > UINT32_MAX || count == UINT32_MAX) return false;
    WriteLittleEndian32(header + 2, static_cast<std::uint32_t>(total));
    WriteLittleEndian32(header + 6, count + 1);
    return true;
}

WriteProblem BuildRecordHead(ArchiveVariant variant, const char* name, const char* digestText,
                             std::uint32_t compressedLength, unsigned char* head) {
    std::size_t fieldSize = NameFieldSize(variant);
    std::size_t length = std::strlen(name);
    if (length > MaxNameLength(variant)) return WriteProblem::kNameTooLong;
    char field[kDigestNameFieldSize] = {};
    std::memcpy(field, name, length);
    if (CheckMemberName(field, fieldSize) != NameProblem::kNone) return WriteProblem::kBadName;

    std::size_t headSize = RecordHeadSize(variant);
    std::memset(head, 0, headSize);
    head[0] = kMarker0;
    head[1] = kMarker1;
    std::memcpy(head + 2, field, fieldSize);
    if (variant == ArchiveVariant::kDigest) std::memcpy(head + 2 + kDigestNameFieldSize, digestText, kDigestTextSize);
    WriteLittleEndian32(head + headSize - 4, compressedLength);
    return WriteProblem::kNone;
}

std::vector<unsigned char> NewArchive(ArchiveVariant variant) {
    std::vector<unsigned char> archive(kArchiveHeaderSize);
    WriteArchiveHeader(archive.data(), variant, kArchiveHeaderSize, 0);
    return archive;
}

WriteProblem AppendRecord(std::vector<unsigned char>& archive, const char* name, const char* digestText,
                          const unsigned char* compressed, std::size_t compressedLength) {
    ArchiveHeader header;
    if (!ParseArchiveHeader(archive.data(), archive.size(), &header)) return WriteProblem::kTooLarge;
    if (compressedLength > UINT32_MAX) return WriteProblem::kTooLarge;
    unsigned char head[kDigestRecordHeadSize];
    WriteProblem problem = BuildRecordHead(header.variant, name, digestText,
                                           static_cast<std::uint32_t>(compressedLength), head);
    if (problem != WriteProblem::kNone) return problem;

    std::size_t headSize = RecordHeadSize(header.variant);
    unsigned char updated[kArchiveHeaderSize];
    std::memcpy(updated, archive.data(), kArchiveHeaderSize);
    // The total size follows the bytes really written, whatever the header said before.
    WriteLittleEndian32(updated + 2, 0);
    if (archive.size() > UINT32_MAX || !CountRecordInHeader(updated, archive.size() + headSize + compressedLength)) {
        return WriteProblem::kTooLarge;
    }
    archive.insert(archive.end(), head, head + headSize);
    archive.insert(archive.end(), compressed, compressed + compressedLength);
    std::memcpy(archive.data(), updated, kArchiveHeaderSize);
    return WriteProblem::kNone;
}
