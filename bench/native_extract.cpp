// The native reference for the extraction benchmark: the same walk of the same archive, with zlib's
// uncompress into one reused 2 MiB buffer, MD5 from libmd, and a plain create-write-close of each
// member into an empty directory. Prints the best and median time of several runs.
// Usage: native_extract ARCHIVE OUTDIR RUNS
#include <fcntl.h>
#include <md5.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/quz_format.h"

namespace {

// One run; returns the number of bytes written, or -1 on any failure.
long long ExtractOnce(const std::vector<unsigned char>& archive, const std::string& dir, unsigned char* buffer) {
    ArchiveWalker walker(archive.data(), archive.size());
    ArchiveRecord record;
    long long total = 0;
    while (walker.Next(&record) == WalkStep::kRecord) {
        uLongf length = kLargestMember;
        if (uncompress(buffer, &length, record.data, record.compressedLength) != Z_OK || length == 0) return -1;
        if (walker.Variant() == ArchiveVariant::kDigest) {
            MD5_CTX context;
            MD5Init(&context);
            MD5Update(&context, buffer, length);
            unsigned char digest[MD5_DIGEST_LENGTH];
            MD5Final(digest, &context);
            char text[kDigestTextSize];
            FormatDigestText(digest, text);
            if (!DigestTextsEqual(text, record.storedDigest)) return -1;
        }
        char name[kDigestNameFieldSize + 1];
        CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        std::string path = dir + "/" + name;
        int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file < 0) return -1;
        bool written = write(file, buffer, length) == static_cast<ssize_t>(length);
        if (close(file) != 0 || !written) return -1;
        total += static_cast<long long>(length);
    }
    return walker.Visited() == walker.Count() ? total : -1;
}

// Milliseconds of each step on its own over the whole archive, as the setup side reports them.
void MeasureSteps(const std::vector<unsigned char>& archive, const std::string& dir, unsigned char* buffer) {
    mkdir(dir.c_str(), 0755);
    double inflate = 0, digest = 0, write = 0;
    ArchiveWalker walker(archive.data(), archive.size());
    ArchiveRecord record;
    while (walker.Next(&record) == WalkStep::kRecord) {
        auto a = std::chrono::steady_clock::now();
        uLongf length = kLargestMember;
        uncompress(buffer, &length, record.data, record.compressedLength);
        auto b = std::chrono::steady_clock::now();
        MD5_CTX context;
        MD5Init(&context);
        MD5Update(&context, buffer, length);
        unsigned char md5[MD5_DIGEST_LENGTH];
        MD5Final(md5, &context);
        auto c = std::chrono::steady_clock::now();
        char name[kDigestNameFieldSize + 1];
        CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        int file = open((dir + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (file >= 0) {
            if (::write(file, buffer, length) < 0) std::perror("write");
            close(file);
        }
        auto d = std::chrono::steady_clock::now();
        inflate += std::chrono::duration<double>(b - a).count();
        digest += std::chrono::duration<double>(c - b).count();
        write += std::chrono::duration<double>(d - c).count();
    }
    std::printf("inflate_ms=%.2f digest_ms=%.2f write_ms=%.2f\n", inflate * 1000, digest * 1000, write * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: native_extract ARCHIVE OUTDIR RUNS\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<unsigned char> archive((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string outDir = argv[2];
    int runs = std::max(1, std::atoi(argv[3]));
    std::vector<unsigned char> buffer(kInflateCapacity);

    std::vector<double> seconds;
    long long bytes = 0;
    for (int run = 0; run < runs; ++run) {
        std::string dir = outDir + "/run" + std::to_string(run);
        mkdir(outDir.c_str(), 0755);
        if (mkdir(dir.c_str(), 0755) != 0) {
            std::fprintf(stderr, "native_extract: %s must not exist yet\n", dir.c_str());
            return 1;
        }
        auto start = std::chrono::steady_clock::now();
        bytes = ExtractOnce(archive, dir, buffer.data());
        auto stop = std::chrono::steady_clock::now();
        if (bytes < 0) {
            std::fprintf(stderr, "native_extract: extraction failed\n");
            return 1;
        }
        seconds.push_back(std::chrono::duration<double>(stop - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    MeasureSteps(archive, outDir + "/steps", buffer.data());
    std::printf("bytes=%lld best_ms=%.2f median_ms=%.2f\n", bytes, seconds.front() * 1000,
                seconds[seconds.size() / 2] * 1000);
    return 0;
}
