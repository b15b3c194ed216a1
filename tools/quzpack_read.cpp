// quzpack list, verify and extract: read an archive with the same bounded walker and member-name
// rules as the setup program, and report every problem by archive and member.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <set>

#include "archive/quz_format.h"
#include "tools/quzpack_commands.h"
#include "tools/quzpack_support.h"

namespace {

// list shows the real inflated size of members that the setup program would refuse, up to a bound
// that keeps a small hostile archive from taking the machine's memory.
constexpr std::size_t kListInflateLimit = 64u << 20;

struct LoadedArchive {
    std::string path;
    std::vector<unsigned char> bytes;
};

bool LoadArchive(const std::string& path, LoadedArchive* archive) {
    archive->path = path;
    std::string error;
    if (!ReadWholeFile(path, &archive->bytes, &error)) {
        Complain(error);
        return false;
    }
    if (archive->bytes.size() < kArchiveHeaderSize) {
        Complain(path + ": not an archive: " + std::to_string(archive->bytes.size()) +
                 " bytes, fewer than its 10-byte header");
        return false;
    }
    return true;
}

std::string StoredName(const ArchiveRecord& record) {
    char name[kDigestNameFieldSize + 1];
    CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
    return name;
}

std::string StoredDigest(const ArchiveRecord& record) {
    if (record.storedDigest == nullptr) return "-";
    std::string text(reinterpret_cast<const char*>(record.storedDigest), kDigestHexLength);
    text.resize(strnlen(text.c_str(), kDigestHexLength));
    return DisplayName(text);
}

std::string MemberLabel(const LoadedArchive& archive, const ArchiveRecord& record) {
    return archive.path + ": member '" + DisplayName(StoredName(record)) + "'";
}

// Explains why a walk stopped before the member count; empty when it reached the count.
std::string WalkProblem(const LoadedArchive& archive, const ArchiveWalker& walker, WalkStep step,
                        const ArchiveRecord& record) {
    std::string count = std::to_string(walker.Count());
    if (step == WalkStep::kTruncated && record.offset + 2 > archive.bytes.size()) {
        return archive.path + ": the archive ends after " + std::to_string(walker.Visited() - 1) + " of " + count +
               " members";
    }
    if (step == WalkStep::kNoMarker) {
        return archive.path + ": no 'QF' marker at offset " + std::to_string(walker.Position()) + " (record " +
               std::to_string(walker.Visited() + 1) + " of " + count + ")";
    }
    if (step == WalkStep::kTruncated) {
        return MemberLabel(archive, record) + " (record " + std::to_string(walker.Visited()) + " of " + count +
               ") runs past the end of the archive";
    }
    return "";
}

// Everything the setup program checks about one member, plus a bound on its size; empty when sound.
std::string MemberProblem(const ArchiveRecord& record, ArchiveVariant variant, std::vector<unsigned char>* data) {
    NameProblem nameProblem = CheckMemberName(record.nameField, record.nameFieldSize);
    if (nameProblem != NameProblem::kNone) return DescribeNameProblem(nameProblem);
    std::size_t largest = LargestMemberOf(variant);
    switch (InflateMember(record.data, record.compressedLength, largest, data)) {
        case InflateResult::kCorrupt: return "the compressed data is not a whole zlib stream";
        case InflateResult::kTooLarge:
            return "inflates to more than " + std::to_string(largest) + " bytes, more than the setup program extracts";
        case InflateResult::kOk: break;
    }
    if (data->empty()) return "inflates to 0 bytes";
    if (variant == ArchiveVariant::kDigest) {
        char digest[kDigestTextSize];
        ComputeDigestText(data->data(), data->size(), digest);
        if (!DigestTextsEqual(digest, record.storedDigest)) {
            return "digest mismatch: stored " + StoredDigest(record) + ", computed " + digest;
        }
    }
    return "";
}

bool WriteMemberFile(const std::string& path, const std::vector<unsigned char>& data, std::string* error) {
    // O_NOFOLLOW: a symbolic link planted under a member's name must not redirect the write.
    int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        *error = std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t written = write(file, data.data() + done, data.size() - done);
        if (written <= 0) {
            *error = written < 0 ? std::strerror(errno) : "short write";
            close(file);
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    if (close(file) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

int ListCommand(const std::string& path) {
    LoadedArchive archive;
    if (!LoadArchive(path, &archive)) return kExitFailure;
    ArchiveWalker walker(archive.bytes.data(), archive.bytes.size());
    bool digest = walker.Variant() == ArchiveVariant::kDigest;
    const std::string marker = DisplayName(std::string(archive.bytes.begin(), archive.bytes.begin() + 2));
    std::printf("%s: %s variant ('%s'), %" PRIu32 " members, %zu bytes\n", path.c_str(), digest ? "digest" : "plain",
                marker.c_str(), walker.Count(), archive.bytes.size());
    std::printf("%12s %12s  %-32s  %s\n", "compressed", "inflated", "digest", "name");

    int status = kExitOk;
    ArchiveRecord record;
    WalkStep step;
    while ((step = walker.Next(&record)) == WalkStep::kRecord) {
        std::vector<unsigned char> data;
        InflateResult inflated = InflateMember(record.data, record.compressedLength, kListInflateLimit, &data);
        std::string size = inflated == InflateResult::kOk ? std::to_string(data.size())
                           : inflated == InflateResult::kTooLarge ? "too-large" : "corrupt";
        if (inflated != InflateResult::kOk) status = kExitFailure;
        std::printf("%12" PRIu32 " %12s  %-32s  %s\n", record.compressedLength, size.c_str(),
                    StoredDigest(record).c_str(), DisplayName(StoredName(record)).c_str());
    }
    std::string problem = WalkProblem(archive, walker, step, record);
    if (!problem.empty()) {
        Complain(problem);
        status = kExitFailure;
    }
    return status;
}

int VerifyCommand(const std::string& path) {
    LoadedArchive archive;
    if (!LoadArchive(path, &archive)) return kExitFailure;
    ArchiveWalker walker(archive.bytes.data(), archive.bytes.size());
    int failures = 0;
    auto fail = [&failures](const std::string& text) {
        Complain(text);
        ++failures;
    };
    if (archive.bytes[0] != kArchiveKindByte) fail(path + ": the header does not begin with 'Q'");
    if (walker.Variant() == ArchiveVariant::kPlain && archive.bytes.size() > kArchiveFileCapacity) {
        fail(path + ": " + std::to_string(archive.bytes.size()) +
             " bytes; the setup program reads plain-variant archive files of at most " +
             std::to_string(kArchiveFileCapacity));
    }

    std::set<std::string> names;
    ArchiveRecord record;
    WalkStep step;
    while ((step = walker.Next(&record)) == WalkStep::kRecord) {
        std::vector<unsigned char> data;
        std::string problem = MemberProblem(record, walker.Variant(), &data);
        if (!problem.empty()) fail(MemberLabel(archive, record) + ": " + problem);
        if (!names.insert(FoldedName(StoredName(record))).second) fail(MemberLabel(archive, record) + ": packed twice");
    }
    std::string walkProblem = WalkProblem(archive, walker, step, record);
    if (!walkProblem.empty()) {
        fail(walkProblem);
    } else {
        if (walker.Position() != archive.bytes.size()) {
            fail(path + ": " + std::to_string(archive.bytes.size() - walker.Position()) +
                 " bytes follow the last member");
        }
        if (walker.Header().totalSize != archive.bytes.size()) {
            fail(path + ": the header gives a total size of " + std::to_string(walker.Header().totalSize) +
                 " bytes, the archive has " + std::to_string(archive.bytes.size()));
        }
    }
    if (failures > 0) {
        Complain(path + ": verification failed (" + std::to_string(failures) + " problems)");
        return kExitFailure;
    }
    std::printf("%s: %" PRIu32 " members verified\n", path.c_str(), walker.Count());
    return kExitOk;
}

int ExtractCommand(const std::string& path, const std::string& directory) {
    LoadedArchive archive;
    if (!LoadArchive(path, &archive)) return kExitFailure;
    if (mkdir(directory.c_str(), 0755) != 0 && errno != EEXIST) {
        Complain(directory + ": cannot be created: " + std::strerror(errno));
        return kExitFailure;
    }
    struct stat info;
    if (stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        Complain(directory + ": not a directory");
        return kExitFailure;
    }

    int failures = 0;
    ArchiveWalker walker(archive.bytes.data(), archive.bytes.size());
    ArchiveRecord record;
    WalkStep step;
    while ((step = walker.Next(&record)) == WalkStep::kRecord) {
        std::vector<unsigned char> data;
        std::string problem = MemberProblem(record, walker.Variant(), &data);
        std::string fileName;
        if (problem.empty() && !GbkToUtf8(StoredName(record), &fileName)) problem = "the name is not GBK text";
        std::string error;
        if (problem.empty() && !WriteMemberFile(directory + "/" + fileName, data, &error)) {
            problem = directory + "/" + fileName + ": " + error;
        }
        if (!problem.empty()) {
            Complain(MemberLabel(archive, record) + ": " + problem);
            ++failures;
        }
    }
    std::string walkProblem = WalkProblem(archive, walker, step, record);
    if (!walkProblem.empty()) {
        Complain(walkProblem);
        ++failures;
    }
    if (failures > 0) return kExitFailure;
    std::printf("%s: %" PRIu32 " members extracted into %s\n", path.c_str(), walker.Count(), directory.c_str());
    return kExitOk;
}
