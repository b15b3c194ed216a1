// Archive test helpers (see archive_fixture.h).
#include "tests/archive/archive_fixture.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "archive/extract.h"
#include "common/md5_text.h"
#include "common/install_state.h"
#include "common/text.h"
#include "tests/support/command_log.h"

namespace {
constexpr std::size_t kGuardSize = 4096;
constexpr unsigned char kGuardByte = 0xA5;
}  // namespace

std::string Compress(const std::string& data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    std::string compressed(length, '\0');
    compress(reinterpret_cast<Bytef*>(compressed.data()), &length, Bytes(data), static_cast<uLong>(data.size()));
    return compressed.substr(0, length);
}

std::string DigestTextOf(const std::string& data) {
    char text[kDigestTextSize];
    Md5Text(data.data(), data.size(), text);
    return std::string(text, kDigestTextSize);
}

std::string BuildArchive(ArchiveVariant variant, const std::vector<TestMember>& members) {
    std::string archive(kArchiveHeaderSize, '\0');
    for (const TestMember& member : members) {
        std::string compressed = member.compressed.value_or(Compress(member.data));
        std::string head(RecordHeadSize(variant), '\0');
        head.replace(0, 2, "QF");
        head.replace(2, std::min(member.name.size(), NameFieldSize(variant)), member.name, 0, NameFieldSize(variant));
        if (variant == ArchiveVariant::kDigest) {
            std::string digest = member.digest.value_or(DigestTextOf(member.data));
            digest.resize(kDigestTextSize, '\0');
            head.replace(2 + kDigestNameFieldSize, kDigestTextSize, digest);
        }
        WriteLittleEndian32(reinterpret_cast<unsigned char*>(&head[head.size() - 4]),
                            static_cast<std::uint32_t>(compressed.size()));
        archive += head + compressed;
    }
    WriteArchiveHeader(reinterpret_cast<unsigned char*>(archive.data()), variant,
                       static_cast<std::uint32_t>(archive.size()), static_cast<std::uint32_t>(members.size()));
    return archive;
}

std::string NoiseBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) byte = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
    return bytes;
}

const unsigned char* Bytes(const std::string& text) { return reinterpret_cast<const unsigned char*>(text.data()); }

std::string MemberFailedText(const std::string& name) { return "没有成功解压复制" + name + "文件！请重新下载安装。"; }

Texts FilesIn(const std::string& dir) {
    Texts names;
    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA((dir + "*").c_str(), &entry));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.Get(), &entry)) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    }
    return names;
}

void ArchiveTest::SetUp() {
    QuorTest::SetUp();
    CreateDirectoryA(installDir.c_str(), nullptr);
    CopyText(g_state.installDir, installDir.c_str());
    workBuffer.assign(kWorkBufferSize + kGuardSize, kGuardByte);
    std::memset(workBuffer.data(), 0, kWorkBufferSize);
    g_state.workBuffer = workBuffer.data();
}

void ArchiveTest::TearDown() {
    EXPECT_TRUE(std::all_of(workBuffer.begin() + kWorkBufferSize, workBuffer.end(),
                            [](unsigned char byte) { return byte == kGuardByte; }))
        << "bytes written past the work buffer";
    QuorTest::TearDown();
}

bool ArchiveTest::Extract(const std::string& archive) {
    return ExtractAll(Bytes(archive), archive.size(), g_state.workBuffer, kWorkBufferSize);
}

Texts ArchiveTest::MessageTexts() const {
    Texts texts;
    for (const RecordedMessage& message : messages.shown) texts.push_back(message.text);
    return texts;
}
