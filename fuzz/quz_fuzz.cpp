// libFuzzer target for the untrusted-input paths of the archive format: the bounded walker (with both
// marker rules), member-name checks and copies, and the phrase-backup conversion. Every byte the
// code may touch is read here, so AddressSanitizer sees any read past the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "archive/phrase_backup.h"
#include "archive/quz_format.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

volatile unsigned g_sink = 0;
void Touch(const void* bytes, std::size_t length) {
    const auto* begin = static_cast<const unsigned char*>(bytes);
    g_sink = g_sink + std::accumulate(begin, begin + length, 0u);
}

void WalkArchive(const unsigned char* data, std::size_t size, MarkerRule rule) {
    ArchiveWalker walker(data, size);
    ArchiveRecord record;
    WalkStep step;
    while ((step = walker.Next(&record, rule)) != WalkStep::kEnd && step != WalkStep::kNoMarker) {
        Check(walker.Visited() <= walker.Count() && record.nameFieldSize <= NameFieldSize(walker.Variant()));
        char name[kDigestNameFieldSize + 1];
        std::size_t copied = CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        Check(copied <= record.nameFieldSize && name[copied] == '\0');
        if (CheckMemberName(record.nameField, record.nameFieldSize) == NameProblem::kNone) {
            Check(std::strpbrk(name, "\\/:") == nullptr && std::strstr(name, "..") == nullptr && copied > 0);
        }
        Touch(record.nameField, record.nameFieldSize);
        if (step == WalkStep::kTruncated) break;
        if (record.storedDigest != nullptr) Touch(record.storedDigest, kDigestTextSize);
        Touch(record.data, record.compressedLength);
        Check(walker.Position() <= size);
    }
}

void ConvertPhrases(const unsigned char* data, std::size_t size) {
    // Exactly the room the conversion may use: the data and its 12-byte trailer.
    std::vector<unsigned char> buffer(data, data + size);
    buffer.resize(size + kPhraseTrailerSize);
    std::size_t kept = ConvertPhraseBackup(buffer.data(), size);
    Check(kept <= size);
    if (size >= kPhraseTrailerSize && std::memcmp(data + size - kPhraseTrailerSize, "QUOR", 4) == 0) {
        Check(kept == size - kPhraseTrailerSize && std::memcmp(buffer.data(), data, size) == 0);
    } else {
        Check(std::memcmp(buffer.data() + kept, "QUOR", 4) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Copies of exactly the input's size, so that one byte too far is a heap overflow.
    std::vector<unsigned char> archive(data, data + size);
    WalkArchive(archive.data(), archive.size(), MarkerRule::kBothBytes);
    WalkArchive(archive.data(), archive.size(), MarkerRule::kEitherByte);
    ConvertPhrases(archive.data(), archive.size());
    return 0;
}
