// quzpack pack: builds an archive of either variant from files, refusing (never cutting) a name that
// does not fit its field, cannot be written in GBK, is not a bare file name or cannot name a Windows
// file, and a file that the setup program could not extract.
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <map>

#include "archive/quz_format.h"
#include "tools/quzpack_commands.h"
#include "tools/quzpack_support.h"

namespace {

bool ExpandInputs(const std::vector<std::string>& inputs, std::vector<std::string>* files) {
    for (const std::string& input : inputs) {
        if (input.size() < 2 || input[0] != '@') {
            files->push_back(input);
            continue;
        }
        std::string listPath = input.substr(1);
        std::ifstream list(listPath);
        if (!list) {
            Complain(listPath + ": list file cannot be read");
            return false;
        }
        std::string line;
        while (std::getline(list, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) files->push_back(line);
        }
    }
    return true;
}

bool AddFile(std::vector<unsigned char>& archive, ArchiveVariant variant, const std::string& path,
             const std::string& name, std::string* error) {
    std::vector<unsigned char> data;
    if (!ReadWholeFile(path, &data, error)) return false;
    std::string shown = DisplayName(name);
    *error = MemberSizeProblem(data.size(), variant);
    if (!error->empty()) {
        *error = path + ": member '" + shown + "' " + *error;
        return false;
    }
    uLongf compressedLength = compressBound(static_cast<uLong>(data.size()));
    std::vector<unsigned char> compressed(compressedLength);
    if (compress(compressed.data(), &compressedLength, data.data(), static_cast<uLong>(data.size())) != Z_OK) {
        *error = path + ": member '" + shown + "' cannot be compressed";
        return false;
    }
    char digest[kDigestTextSize];
    ComputeDigestText(data.data(), data.size(), digest);
    if (AppendRecord(archive, name.c_str(), digest, compressed.data(), compressedLength) != WriteProblem::kNone) {
        *error = path + ": member '" + shown + "' does not fit the archive";
        return false;
    }
    return true;
}

}  // namespace

int PackCommand(bool plain, const std::string& output, const std::vector<std::string>& inputs) {
    ArchiveVariant variant = plain ? ArchiveVariant::kPlain : ArchiveVariant::kDigest;
    std::vector<std::string> files;
    if (!ExpandInputs(inputs, &files)) return kExitFailure;

    std::vector<unsigned char> archive = NewArchive(variant);
    std::map<std::string, std::string> sources;  // folded member name -> file it came from
    for (const std::string& path : files) {
        std::string name;
        std::string error;
        if (!MemberNameOf(path, variant, &name, &error)) {
            Complain(error);
            return kExitFailure;
        }
        auto [earlier, added] = sources.emplace(FoldedName(name), path);
        if (!added) {
            Complain(path + ": member '" + DisplayName(name) + "' is already packed from " + earlier->second);
            return kExitFailure;
        }
        if (!AddFile(archive, variant, path, name, &error)) {
            Complain(error);
            return kExitFailure;
        }
    }

    std::string error;
    if (plain && archive.size() > kArchiveFileCapacity) {
        Complain(output + ": " + std::to_string(archive.size()) +
                 " bytes; the setup program reads plain-variant archive files of at most " +
                 std::to_string(kArchiveFileCapacity));
        return kExitFailure;
    }
    if (!WriteFileAtomically(output, archive, &error)) {
        Complain(error);
        return kExitFailure;
    }
    std::printf("%s: %zu members, %zu bytes\n", output.c_str(), files.size(), archive.size());
    return kExitOk;
}
