// The portable format code on its own: which names are bare file names, how the variant byte is
// read, and the writer's records that the packer and the backup rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/quz_format.h"
#include "tests/archive/archive_fixture.h"

namespace {

TEST(ArchiveFormatTest, OnlyBareTerminatedNamesPass) {
    using P = NameProblem;
    const std::pair<std::string, NameProblem> cases[] = {  // the field's bytes, padded with NULs to 16
        {"冷色瓷面.quz", P::kNone}, {"console.txt", P::kNone}, {"com0", P::kNone},
        {"abcdefghijklmno", P::kNone},  // 15 bytes and the NUL
        {"abcdefghijklmnop", P::kNotTerminated}, {"", P::kEmpty}, {"a\\b", P::kSeparator}, {"a/b", P::kSeparator},
        {"c:x", P::kSeparator}, {"\x81\x5C.txt", P::kSeparator},  // a GBK character whose second byte is '\'
        {"..", P::kDotDot}, {"x..", P::kDotDot}, {"CON", P::kDeviceName}, {"nul.txt", P::kDeviceName},
        {"Aux .dat", P::kDeviceName}, {"lpt9", P::kDeviceName}, {"conin$", P::kDeviceName},
    };
    for (const auto& [text, problem] : cases) {
        SCOPED_TRACE("'" + text + "'");
        char field[kDigestNameFieldSize] = {};
        std::memcpy(field, text.data(), std::min(text.size(), sizeof field));
        EXPECT_EQ(CheckMemberName(field, sizeof field), problem);
    }
    // A field cut by the archive's end holds no terminator even when its bytes are a name.
    EXPECT_EQ(CheckMemberName("abc", 3), NameProblem::kNotTerminated);
}

TEST(ArchiveFormatTest, VariantByteZeroSelectsDigestsAndAnythingElseThePlainVariant) {
    for (char variantByte : {'0', 'U', '\0'}) {
        SCOPED_TRACE(static_cast<int>(variantByte));
        unsigned char header[kArchiveHeaderSize] = {'X', static_cast<unsigned char>(variantByte), 1, 2, 3, 4, 5, 0, 0, 0};
        ArchiveHeader parsed;
        ASSERT_TRUE(ParseArchiveHeader(header, sizeof header, &parsed));
        EXPECT_EQ(parsed.variant, variantByte == '0' ? ArchiveVariant::kDigest : ArchiveVariant::kPlain);
        EXPECT_EQ(parsed.totalSize, 0x04030201u);
        EXPECT_EQ(parsed.count, 5u);
        EXPECT_FALSE(ParseArchiveHeader(header, sizeof header - 1, &parsed));
    }
}

TEST(ArchiveFormatTest, TheWriterLaysOutRecordsAndRefusesNamesThatDoNotFit) {
    std::vector<unsigned char> archive = NewArchive(ArchiveVariant::kPlain);
    ASSERT_EQ(AppendRecord(archive, "小天使.quz", nullptr, Bytes("abc"), 3), WriteProblem::kNone);
    ASSERT_EQ(AppendRecord(archive, std::string(13, 'b').c_str(), nullptr, Bytes("de"), 2), WriteProblem::kNone);
    EXPECT_EQ(std::string(archive.begin(), archive.end()),
              std::string("QU\x37\0\0\0\x02\0\0\0QF小天使.quz\0\0\0\0\x03\0\0\0abcQFbbbbbbbbbbbbb\0\x02\0\0\0de", 55));

    const struct { ArchiveVariant variant; std::string name; WriteProblem problem; } refused[] = {
        {ArchiveVariant::kDigest, std::string(16, 'a'), WriteProblem::kNameTooLong},
        {ArchiveVariant::kPlain, std::string(14, 'a'), WriteProblem::kNameTooLong},
        {ArchiveVariant::kDigest, "..\\x", WriteProblem::kBadName},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> before = NewArchive(c.variant), after = before;
        EXPECT_EQ(AppendRecord(after, c.name.c_str(), DigestTextOf("x").c_str(), Bytes("zz"), 2), c.problem);
        EXPECT_EQ(after, before);
    }
}

}  // namespace
