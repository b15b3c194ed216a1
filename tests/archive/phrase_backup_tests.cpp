// ConvertPhraseBackup on its own (exact-size buffers with a guard after the trailer) and on its way
// through ExtractAll and VerifyInstalled.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/extract.h"
#include "archive/phrase_backup.h"
#include "common/install_state.h"
#include "tests/archive/archive_fixture.h"

namespace {

std::string Trailer(std::uint32_t byteSum, std::uint32_t phrases) {
    unsigned char bytes[12] = {'Q', 'U', 'O', 'R'};
    WriteLittleEndian32(bytes + 4, byteSum);
    WriteLittleEndian32(bytes + 8, phrases);
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
}

std::uint32_t ByteSum(const std::string& text) {
    std::uint32_t sum = 0;
    for (unsigned char c : text) sum += c;
    return sum;
}

TEST(ConvertPhraseBackupTest, KeepsPhrasesDropsOtherRunsAndWritesTheTrailer) {
    const struct { const char* label; std::string data, kept; std::uint32_t byteSum, phrases; } cases[] = {
        {"two phrases", "中文; 词组; ", "中文; 词组; ", ByteSum("中文词组"), 2},
        {"a run of one character is dropped, its delimiter stays", "中; 中文; ", "; 中文; ", ByteSum("中中文"), 1},
        {"a run not followed by \"; \" is dropped up to the next ';'", "中文,词组; 拼音; ", "; 拼音; ",
         ByteSum("中文拼音"), 1},
        {"a last phrase without its delimiter", "中文; 词组", "中文; ", ByteSum("中文词组"), 1},
        {"a lone lead byte at the end", "中文; \xB0", "中文; ", ByteSum("中文"), 1},
        {"a lone ';' at the end", "中文; ;", "中文; ;", ByteSum("中文"), 1},
        {"second bytes must be above 0x3F", "\xB0\x30\xB1\x31; 中文; ", "; 中文; ", ByteSum("中文"), 1},
        {"empty data", "", "", 0, 0},
        {"shorter than a trailer, although it starts like one", "QUOR", "", 0, 0},
        {"already converted: kept as it is", "中文; 词组; " + Trailer(1234, 2), "中文; 词组; ", 1234, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        // A buffer of exactly the data and the trailer, then guard bytes.
        std::vector<unsigned char> buffer(c.data.size() + kPhraseTrailerSize + 16, 0xEE);
        std::memcpy(buffer.data(), c.data.data(), c.data.size());

        std::size_t kept = ConvertPhraseBackup(buffer.data(), c.data.size());

        EXPECT_EQ(kept, c.kept.size());
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(c.kept.size() + 12)),
                  c.kept + Trailer(c.byteSum, c.phrases));
        EXPECT_EQ(std::string(buffer.end() - 16, buffer.end()), std::string(16, '\xEE'));
    }
}

using PhraseBackupExtractionTest = ArchiveTest;

TEST_F(PhraseBackupExtractionTest, OnlyThePhraseBackupMemberIsConvertedAndThenFailsVerification) {
    std::string phrases = "中文; 词; 词组; ";
    std::string converted = "中文; ; 词组; " + Trailer(ByteSum("中文词词组"), 2);
    const std::pair<const char*, std::string> cases[] = {
        {"quorcyzk.bak", converted}, {"quorpyck.bak", phrases}, {"QUORCYZK.BAK", phrases}};
    for (const auto& [name, written] : cases) {
        SCOPED_TRACE(name);
        std::string archive = BuildArchive(ArchiveVariant::kDigest, {{name, phrases}});
        EXPECT_TRUE(Extract(archive));
        EXPECT_EQ(ReadFileBytes(Installed(name)), written);
        char report[256];
        EXPECT_EQ(VerifyInstalled(Bytes(archive), archive.size(), report, sizeof report, ""), written == phrases);
        RemoveFile(Installed(name));
    }
}

}  // namespace
