// Whole-file output of the generators.
#include "bytes.h"

#include <cstdio>

bool WriteWholeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot create %s\n", path.c_str());
        return false;
    }
    bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    complete = std::fclose(file) == 0 && complete;
    if (!complete) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return complete;
}
