// The setup program's extraction measured inside its own code under wine64: the archive is read into
// memory as the payload resource would be, and ExtractAll unpacks it with the real work buffer into a
// new empty install directory per run. Also measures what loading advapi32's MD5 functions by name
// for every digest costs, against calling them through pointers kept loaded.
// Usage: extract_bench.exe ARCHIVE DIR_PREFIX RUNS   (DIR_PREFIX ends with a backslash)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/payload_resource.h"
#include "archive/extract.h"
#include "common/md5_text.h"
#include "archive/quz_format.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "common/text.h"
#include "platform/file_clearing.h"

#include <zlib.h>

namespace {

double Seconds(LARGE_INTEGER start, LARGE_INTEGER stop) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool ReadArchive(const char* path, std::vector<unsigned char>* bytes) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    bytes->resize(size);
    DWORD read = 0;
    bool ok = ReadFile(file, bytes->data(), size, &read, nullptr) && read == size;
    CloseHandle(file);
    return ok;
}

// Microseconds per digest of a small block: through Md5Text (load by name each time), and through
// pointers fetched once.
void MeasureMd5Loading(int calls) {
    unsigned char block[64] = {};
    char text[34];
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) Md5Text(block, sizeof block, text);
    QueryPerformanceCounter(&stop);
    double byName = Seconds(start, stop) / calls * 1e6;

    struct Context {
        ULONG count[2];
        ULONG state[4];
        unsigned char input[64];
        unsigned char digest[16];
    };
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    auto init = reinterpret_cast<void(WINAPI*)(Context*)>(reinterpret_cast<void*>(GetProcAddress(advapi, "MD5Init")));
    auto update = reinterpret_cast<void(WINAPI*)(Context*, const unsigned char*, unsigned)>(
        reinterpret_cast<void*>(GetProcAddress(advapi, "MD5Update")));
    auto final = reinterpret_cast<void(WINAPI*)(Context*)>(reinterpret_cast<void*>(GetProcAddress(advapi, "MD5Final")));
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) {
        Context context = {};
        init(&context);
        update(&context, block, sizeof block);
        final(&context);
    }
    QueryPerformanceCounter(&stop);
    FreeLibrary(advapi);
    double direct = Seconds(start, stop) / calls * 1e6;
    std::printf("md5_by_name_us=%.3f md5_direct_us=%.3f\n", byName, direct);
}

// Milliseconds spent in each step of ExtractAll over the whole archive, each step run on its own:
// inflation, digests, clearing the way for files that do not exist, and writing the files.
void MeasureSteps(const std::vector<unsigned char>& archive, const std::string& dir) {
    CreateDirectoryA(dir.c_str(), nullptr);
    double inflate = 0, digest = 0, clear = 0, write = 0;
    LARGE_INTEGER a, b;
    ArchiveWalker walker(archive.data(), archive.size());
    ArchiveRecord record;
    unsigned char* data = g_state.workBuffer + 100;
    while (walker.Next(&record) == WalkStep::kRecord) {
        uLongf length = kLargestMember;
        QueryPerformanceCounter(&a);
        uncompress(data, &length, record.data, record.compressedLength);
        QueryPerformanceCounter(&b);
        inflate += Seconds(a, b);
        char text[34];
        Md5Text(data, length, text);
        QueryPerformanceCounter(&a);
        digest += Seconds(b, a);
        char name[kDigestNameFieldSize + 1];
        CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        std::string path = dir + name;
        ForceDelete(path.c_str());
        QueryPerformanceCounter(&b);
        clear += Seconds(a, b);
        HFILE file = _lcreat(path.c_str(), 0);
        _lwrite(file, reinterpret_cast<LPCCH>(data), length);
        _lclose(file);
        QueryPerformanceCounter(&a);
        write += Seconds(b, a);
    }
    std::printf("inflate_ms=%.2f digest_ms=%.2f clear_ms=%.2f write_ms=%.2f\n", inflate * 1000, digest * 1000,
                clear * 1000, write * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: extract_bench ARCHIVE DIR_PREFIX RUNS\n");
        return 2;
    }
    std::vector<unsigned char> archive;
    if (!ReadArchive(argv[1], &archive)) {
        std::fprintf(stderr, "extract_bench: %s cannot be read\n", argv[1]);
        return 1;
    }
    int runs = std::max(1, std::atoi(argv[3]));
    if (!AllocateWorkBuffer()) return 1;
    MessageRecorder failures;
    InstallMessageRecorder(&failures);
    g_state.runMode = kRunModeSilent;

    std::string prefix = argv[2];
    CreateDirectoryA(prefix.c_str(), nullptr);
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        std::string dir = prefix + "run" + std::to_string(run) + "\\";
        if (!CreateDirectoryA(dir.c_str(), nullptr)) {
            std::fprintf(stderr, "extract_bench: %s must not exist yet\n", dir.c_str());
            return 1;
        }
        CopyText(g_state.installDir, dir.c_str());
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        bool complete = ExtractAll(archive.data(), archive.size(), g_state.workBuffer, kWorkBufferSize);
        QueryPerformanceCounter(&stop);
        if (!complete || !failures.shown.empty()) {
            std::fprintf(stderr, "extract_bench: extraction failed (%zu member messages)\n", failures.shown.size());
            return 1;
        }
        seconds.push_back(Seconds(start, stop));
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("best_ms=%.2f median_ms=%.2f\n", seconds.front() * 1000, seconds[seconds.size() / 2] * 1000);
    MeasureSteps(archive, prefix + "steps\\");
    MeasureMd5Loading(20000);
    InstallMessageRecorder(nullptr);
    FreeWorkBuffer();
    return 0;
}
