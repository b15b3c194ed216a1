// Shared by the archive tests: archives built byte by byte (so that damaged ones can be made too),
// and a fixture with a scratch install directory and a work buffer followed by guard bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/quz_format.h"
#include "tests/support/test_support.h"

using Texts = std::vector<std::string>;

// One record to build. The name goes into its field as raw bytes (cut at the field's size, so a
// name of the field's full length is not terminated); digest and compressed, when given, replace the
// digest text of the data and the zlib stream of the data.
struct TestMember {
    std::string name, data;
    std::optional<std::string> digest = std::nullopt, compressed = std::nullopt;
};

std::string Compress(const std::string& data);
std::string DigestTextOf(const std::string& data);  // 34 bytes, through Md5Text
std::string BuildArchive(ArchiveVariant variant, const std::vector<TestMember>& members);

// Deterministic filler that does not compress.
std::string NoiseBytes(std::size_t size, unsigned seed = 1);

const unsigned char* Bytes(const std::string& text);
// The normal per-member failure message, as the program formats it, and the closing line of the
// report of installed files that differ.
std::string MemberFailedText(const std::string& name);
inline constexpr char kWalkClosing[] = "有文件没有成功解压，请重新下载安装！\r\n";
// The files (not directories) directly in a directory.
Texts FilesIn(const std::string& dir);

// The install directory lies inside the scratch directory, so that escapes from it can be seen; the
// work buffer is followed by guard bytes that must stay untouched.
class ArchiveTest : public QuorTest {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string& InstallDir() const { return installDir; }  // ends with '\'
    std::string Installed(const std::string& name) const { return installDir + name; }
    bool Extract(const std::string& archive);  // ExtractAll into the start of the work buffer
    Texts MessageTexts() const;

    ScratchDir scratch;
    std::string installDir = scratch.Path() + "inst\\";
    std::vector<unsigned char> workBuffer;
};
