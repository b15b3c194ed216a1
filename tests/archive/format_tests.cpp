// The portable format code on its own: which names are bare file names, how the variant byte is
// read, and the writer's records and header bookkeeping that the packer and the backup rely on.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/quz_format.h"
#include "tests/archive/archive_fixture.h"

namespace {

TEST(MemberNameTest, OnlyBareTerminatedNamesPass) {
    const struct {
        std::string field;  // the field's bytes; padded with NULs to 16
        NameProblem problem;
    } cases[] = {
        {"quorel4.ime", NameProblem::kNone},
        {"冷色瓷面.quz", NameProblem::kNone},
        {".hidden", NameProblem::kNone},
        {"console.txt", NameProblem::kNone},
        {"com0", NameProblem::kNone},
        {"abcdefghijklmno", NameProblem::kNone},  // 15 bytes and the NUL
        {"abcdefghijklmnop", NameProblem::kNotTerminated},
        {"", NameProblem::kEmpty},
        {"a\\b", NameProblem::kSeparator},
        {"a/b", NameProblem::kSeparator},
        {"c:x", NameProblem::kSeparator},
        {"\x81\x5C.txt", NameProblem::kSeparator},  // a GBK character whose second byte is '\'
        {"..", NameProblem::kDotDot},
        {"x..", NameProblem::kDotDot},
        {"CON", NameProblem::kDeviceName},
        {"nul.txt", NameProblem::kDeviceName},
        {"Aux .dat", NameProblem::kDeviceName},
        {"lpt9", NameProblem::kDeviceName},
        {"conin$", NameProblem::kDeviceName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + c.field + "'");
        char field[kDigestNameFieldSize] = {};
        std::memcpy(field, c.field.data(), std::min(c.field.size(), sizeof field));
        EXPECT_EQ(CheckMemberName(field, sizeof field), c.problem);
    }
    // A field cut by the archive's end holds no terminator even when its bytes are a name.
    EXPECT_EQ(CheckMemberName("abc", 3), NameProblem::kNotTerminated);
}

TEST(ArchiveHeaderTest, VariantByteZeroSelectsDigestsAndAnythingElseThePlainVariant) {
    for (char variantByte : {'0', 'U', '1', '\0'}) {
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

TEST(ArchiveWriterTest, WritesTheRecordLayoutAndRefusesNamesThatDoNotFit) {
    std::vector<unsigned char> archive = NewArchive(ArchiveVariant::kPlain);
    ASSERT_EQ(AppendRecord(archive, "小天使.quz", nullptr, Bytes("abc"), 3), WriteProblem::kNone);
    ASSERT_EQ(AppendRecord(archive, std::string(13, 'b').c_str(), nullptr, Bytes("de"), 2), WriteProblem::kNone);
    EXPECT_EQ(std::string(archive.begin(), archive.end()),
              std::string("QU\x37\0\0\0\x02\0\0\0QF小天使.quz\0\0\0\0\x03\0\0\0abcQFbbbbbbbbbbbbb\0\x02\0\0\0de", 55));

    const struct {
        ArchiveVariant variant;
        std::string name;
        WriteProblem problem;
    } refused[] = {
        {ArchiveVariant::kDigest, std::string(16, 'a'), WriteProblem::kNameTooLong},
        {ArchiveVariant::kPlain, std::string(14, 'a'), WriteProblem::kNameTooLong},
        {ArchiveVariant::kDigest, "..\\x", WriteProblem::kBadName},
        {ArchiveVariant::kPlain, "", WriteProblem::kBadName},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> before = NewArchive(c.variant);
        std::vector<unsigned char> after = before;
        EXPECT_EQ(AppendRecord(after, c.name.c_str(), DigestTextOf("x").c_str(), Bytes("zz"), 2), c.problem);
        EXPECT_EQ(after, before);
    }
}

TEST(ArchiveWriterTest, HeaderCountingRefusesToWrapAround) {
    unsigned char header[kArchiveHeaderSize];
    WriteArchiveHeader(header, ArchiveVariant::kDigest, 10, 0);
    EXPECT_TRUE(CountRecordInHeader(header, 60));
    EXPECT_EQ(ReadLittleEndian32(header + 2), 70u);
    EXPECT_EQ(ReadLittleEndian32(header + 6), 1u);
    EXPECT_FALSE(CountRecordInHeader(header, 0xFFFFFFFFull));
    WriteArchiveHeader(header, ArchiveVariant::kDigest, 10, 0xFFFFFFFFu);
    EXPECT_FALSE(CountRecordInHeader(header, 60));
    EXPECT_EQ(ReadLittleEndian32(header + 2), 10u);
}

}  // namespace
