// ExtractAll and ExtractArchiveFile on the real file system: round trips of archives made by the
// packer and by hand, digest failures, damaged and hostile archives, and the bounds of the output area.
#include <windows.h>

#include <gtest/gtest.h>

#include "archive/extract.h"
#include "common/install_state.h"
#include "common/message_box.h"
#include "tests/archive/archive_fixture.h"

using Texts = std::vector<std::string>;

namespace {

class ExtractAllTest : public ArchiveTest {};

TEST_F(ExtractAllTest, PackerArchivesOfBothVariantsComeOutByteForByte) {
    struct Case {
        const char* archive;
        std::vector<std::string> members;
    };
    const Case cases[] = {
        {"digest.quz", {"readme.txt", "qubig.dat", "冷色瓷面.quz", "小天使.quz", "abcdefghijk.txt"}},
        {"plain.quz", {"readme.txt", "冷色瓷面.quz", "小天使.quz"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archive);
        std::optional<std::string> archive = ReadFileBytes(FixtureDir() + c.archive);
        ASSERT_TRUE(archive.has_value()) << FixtureDir() << c.archive << " (made by the packer at build time)";
        g_state.progressStep = 0;

        EXPECT_TRUE(Extract(*archive));

        EXPECT_EQ(MessageTexts(), Texts{});
        EXPECT_EQ(g_state.progressStep, static_cast<int>(c.members.size()));
        for (const std::string& name : c.members) {
            SCOPED_TRACE(name);
            std::optional<std::string> input = ReadFileBytes(FixtureDir() + "inputs\\" + name);
            ASSERT_TRUE(input.has_value());
            EXPECT_EQ(ReadFileBytes(Installed(name)), input);
        }
    }
    EXPECT_EQ(ReadFileBytes(Installed("qubig.dat"))->size(), 1882706u);
}

TEST_F(ExtractAllTest, EmptyArchiveSucceedsAndWritesNothing) {
    std::optional<std::string> archive = ReadFileBytes(FixtureDir() + "empty.quz");
    ASSERT_TRUE(archive.has_value());
    EXPECT_TRUE(Extract(*archive));
    EXPECT_TRUE(Extract(BuildArchive(ArchiveVariant::kPlain, {})));
    EXPECT_EQ(MessageTexts(), Texts{});
    EXPECT_EQ(g_state.progressStep, 0);
}

TEST_F(ExtractAllTest, WriterArchivesRoundTripWithGbkNamesAndReplaceExistingFiles) {
    for (ArchiveVariant variant : {ArchiveVariant::kDigest, ArchiveVariant::kPlain}) {
        SCOPED_TRACE(variant == ArchiveVariant::kDigest ? "digest" : "plain");
        const std::vector<std::pair<std::string, std::string>> members = {
            {"粉色瓷面.quz", TextBytes(5000, 3)}, {"quszsj43.quh", NoiseBytes(200)}, {"小.txt", "x"}};
        std::vector<unsigned char> archive = NewArchive(variant);
        for (const auto& [name, data] : members) {
            std::string compressed = Compress(data);
            ASSERT_EQ(AppendRecord(archive, name.c_str(), DigestTextOf(data).c_str(), Bytes(compressed),
                                   compressed.size()),
                      WriteProblem::kNone);
        }
        ASSERT_TRUE(WriteFileBytes(Installed("小.txt"), "an older and longer file"));
        SetFileAttributesA(Installed("小.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

        EXPECT_TRUE(ExtractAll(archive.data(), archive.size(), g_state.workBuffer, kWorkBufferSize));

        for (const auto& [name, data] : members) EXPECT_EQ(ReadFileBytes(Installed(name)), data) << name;
        EXPECT_EQ(GetFileAttributesA(Installed("小.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    }
    EXPECT_EQ(MessageTexts(), Texts{});
}

TEST_F(ExtractAllTest, DigestFailuresAreReportedByNameAndTheWalkGoesOn) {
    std::string data = TextBytes(3000);
    std::string flipped = data;
    flipped[1234] ^= 0x01;
    std::string lowerDigest = DigestTextOf(data);
    for (char& c : lowerDigest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lowerDigest, DigestTextOf(data)) << "the digest has letters";
    struct Case {
        const char* label;
        TestMember member;
    };
    const Case cases[] = {
        {"a flipped byte", {"flipped.dat", flipped, DigestTextOf(data)}},
        {"a lower-case stored digest", {"lower.dat", data, lowerDigest}},
        {"an empty stored digest", {"nodigest.dat", data, std::string(kDigestTextSize, '\0')}},
        {"data inflating to 0 bytes with its right digest", {"empty.dat", "", DigestTextOf("")}},
        {"data that is not a zlib stream", {"broken.dat", data, std::nullopt, std::string("not zlib at all")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        messages.shown.clear();
        std::string archive = BuildArchive(ArchiveVariant::kDigest, {c.member, {"after.txt", "still here"}});

        EXPECT_FALSE(Extract(archive));

        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, MemberFailedText(c.member.name));
        EXPECT_EQ(messages.shown[0].caption, kCaptionSetup);
        EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_OK));
        EXPECT_FALSE(FileExists(Installed(c.member.name)));
        EXPECT_EQ(ReadFileBytes(Installed("after.txt")), "still here");
        RemoveFile(Installed("after.txt"));
    }
}

TEST_F(ExtractAllTest, PlainVariantSkipsTheDigestButNotTheEmptyCheck) {
    std::string archive = BuildArchive(ArchiveVariant::kPlain, {{"any.txt", "content", std::string("garbage")}, {"none.txt", ""}});
    EXPECT_FALSE(Extract(archive));
    EXPECT_EQ(ReadFileBytes(Installed("any.txt")), "content");
    EXPECT_EQ(MessageTexts(), Texts{MemberFailedText("none.txt")});
}

TEST_F(ExtractAllTest, HostileNamesFailAsMembersAndNothingLandsOutside) {
    const std::string names[] = {
        "..\\escaped.txt", "../escaped.txt", "sub\\x.txt", "c:escaped.txt", "..", "a..b", "", "CON",
        "nul.txt", "com1", std::string(16, 'n') /* fills the field: no terminating NUL */,
    };
    for (const std::string& name : names) {
        SCOPED_TRACE("name '" + name + "'");
        messages.shown.clear();
        std::string archive = BuildArchive(ArchiveVariant::kDigest, {{name, "payload"}, {"after.txt", "after"}});

        EXPECT_FALSE(Extract(archive));

        EXPECT_EQ(MessageTexts(), Texts{MemberFailedText(name.substr(0, kDigestNameFieldSize))});
        EXPECT_EQ(FilesOutsideInstallDir(), Texts{});
        EXPECT_EQ(ReadFileBytes(Installed("after.txt")), "after");
    }
    for (const char* separator : {"/", "\\", ":"}) {
        SCOPED_TRACE(std::string("plain variant, separator ") + separator);
        messages.shown.clear();
        std::string name = std::string("..") + separator + "up.txt";
        EXPECT_FALSE(Extract(BuildArchive(ArchiveVariant::kPlain, {{name, "payload"}})));
        EXPECT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(FilesOutsideInstallDir(), Texts{});
    }
}

TEST_F(ExtractAllTest, LengthsAndCountsPastTheEndEndTheWalkWithoutReadingOutside) {
    std::string good = BuildArchive(ArchiveVariant::kDigest, {{"one.txt", "first"}, {"two.txt", TextBytes(500)}});
    struct Case {
        const char* label;
        std::string archive;
        Texts messages;
        int visited;
        bool firstWritten;
        bool secondWritten;
    };
    std::string countPastEnd = good;
    SetCount(countPastEnd, 7);
    std::size_t secondRecord = kArchiveHeaderSize + kDigestRecordHeadSize + Compress("first").size();
    std::string cutInData = good.substr(0, good.size() - 3);
    std::string cutInHead = good.substr(0, secondRecord + 20);
    std::string hugeLength = good;
    WriteLittleEndian32(reinterpret_cast<unsigned char*>(&hugeLength[kArchiveHeaderSize + 52]), 0xFFFFFFF0u);
    std::string unmarked = good;
    unmarked[secondRecord + 1] = 'X';
    const Case cases[] = {
        {"a count past the end", countPastEnd, {MemberFailedText("")}, 3, true, true},
        {"data cut short", cutInData, {MemberFailedText("two.txt")}, 2, true, false},
        {"a head cut short", cutInHead, {MemberFailedText("two.txt")}, 2, true, false},
        {"a length of 4 GiB", hugeLength, {MemberFailedText("one.txt")}, 1, false, false},
        {"a record with half its marker", unmarked, {}, 1, true, false},
        {"a header cut short", good.substr(0, 9), {}, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        messages.shown.clear();
        g_state.progressStep = 0;
        RemoveFile(Installed("one.txt"));
        RemoveFile(Installed("two.txt"));
        // A private copy, so that any read past its end would leave the bytes the walker was given.
        std::vector<unsigned char> exact(c.archive.begin(), c.archive.end());

        EXPECT_FALSE(ExtractAll(exact.data(), exact.size(), g_state.workBuffer, kWorkBufferSize));

        EXPECT_EQ(MessageTexts(), c.messages);
        EXPECT_EQ(g_state.progressStep, c.visited);
        EXPECT_EQ(FileExists(Installed("one.txt")), c.firstWritten);
        EXPECT_EQ(FileExists(Installed("two.txt")), c.secondWritten);
    }
}

TEST_F(ExtractAllTest, MemberLargerThanTheOutputAreaFailsWithoutWritingPastIt) {
    constexpr std::size_t kRoom = 8192;
    constexpr std::size_t kLargest = kRoom - kAreaOverhead;
    for (ArchiveVariant variant : {ArchiveVariant::kDigest, ArchiveVariant::kPlain}) {
        for (std::size_t size : {kLargest, kLargest + 1, std::size_t{100000}}) {
            SCOPED_TRACE(std::to_string(size) + (variant == ArchiveVariant::kDigest ? " digest" : " plain"));
            messages.shown.clear();
            RemoveFile(Installed("fits.dat"));
            std::vector<unsigned char> area(kRoom + kGuardSize, kGuardByte);
            std::string archive = BuildArchive(variant, {{"fits.dat", TextBytes(size)}});

            bool extracted = ExtractAll(Bytes(archive), archive.size(), area.data(), kRoom);

            EXPECT_EQ(extracted, size <= kLargest);
            EXPECT_EQ(FileExists(Installed("fits.dat")), size <= kLargest);
            EXPECT_EQ(messages.shown.size(), size <= kLargest ? 0u : 1u);
            for (std::size_t i = kRoom; i < area.size(); ++i) ASSERT_EQ(area[i], kGuardByte) << "byte " << i;
        }
    }
}

TEST_F(ExtractAllTest, MissingPayloadOrWorkBufferRefusesTheInstallationWithAMessage) {
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"one.txt", "first"}});
    EXPECT_FALSE(ExtractAll(nullptr, 0, g_state.workBuffer, kWorkBufferSize));
    EXPECT_FALSE(ExtractAll(Bytes(archive), archive.size(), nullptr, 0));
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const RecordedMessage& message : messages.shown) {
        EXPECT_TRUE(message.wide);
        EXPECT_EQ(message.wtext, kMissingPayloadText);
        EXPECT_EQ(message.wcaption, kCaptionSetupW);
    }
    EXPECT_FALSE(FileExists(Installed("one.txt")));
}

TEST_F(ExtractAllTest, TargetThatCannotBeCreatedFailsTheMember) {
    ASSERT_TRUE(CreateDirectoryA(Installed("taken.txt").c_str(), nullptr));
    EXPECT_FALSE(Extract(BuildArchive(ArchiveVariant::kDigest, {{"taken.txt", "data"}, {"free.txt", "data"}})));
    EXPECT_EQ(MessageTexts(), Texts{MemberFailedText("taken.txt")});
    EXPECT_EQ(ReadFileBytes(Installed("free.txt")), "data");
    RemoveDirectoryA(Installed("taken.txt").c_str());
}

class ExtractArchiveFileTest : public ArchiveTest {};

TEST_F(ExtractArchiveFileTest, ExtractsAnArchiveOfUpTo128KiBAndRefusesALargerOneWhole) {
    std::string archive = BuildArchive(ArchiveVariant::kPlain, {{"qubmp8.quh", "skin"}, {"qubmpsx1.bmp", NoiseBytes(60000)}});
    std::string path = scratch.Path() + "skin.quz";
    struct Case {
        std::size_t padding;
        bool extracted;
    };
    // Bytes after the last record are not read as records, so padding sets the file's size exactly.
    for (const Case& c : {Case{0, true}, Case{kArchiveFileCapacity - archive.size(), true},
                          Case{kArchiveFileCapacity - archive.size() + 1, false}}) {
        SCOPED_TRACE(archive.size() + c.padding);
        RemoveFile(Installed("qubmp8.quh"));
        ASSERT_TRUE(WriteFileBytes(path, archive + std::string(c.padding, '\0')));

        EXPECT_EQ(ExtractArchiveFile(path.c_str()), c.extracted);

        EXPECT_EQ(FileExists(Installed("qubmp8.quh")), c.extracted);
        EXPECT_EQ(MessageTexts(), Texts{});
    }
    std::string large = BuildArchive(ArchiveVariant::kPlain, {{"qubmp8.quh", "skin"}, {"big.bmp", NoiseBytes(140000)}});
    ASSERT_TRUE(WriteFileBytes(path, large));
    EXPECT_FALSE(ExtractArchiveFile(path.c_str()));
    EXPECT_FALSE(FileExists(Installed("big.bmp")));
}

TEST_F(ExtractArchiveFileTest, OutputAreaAfterTheArchiveBoundsTheLargestMember) {
    constexpr std::size_t kLargest = kWorkBufferSize - kArchiveFileCapacity - kAreaOverhead;
    ASSERT_EQ(kLargest, 1965936u);
    std::string path = scratch.Path() + "skin.quz";
    for (std::size_t size : {kLargest, kLargest + 1}) {
        SCOPED_TRACE(size);
        messages.shown.clear();
        RemoveFile(Installed("wide.bmp"));
        ASSERT_TRUE(WriteFileBytes(path, BuildArchive(ArchiveVariant::kDigest, {{"wide.bmp", std::string(size, 'w')}})));

        EXPECT_EQ(ExtractArchiveFile(path.c_str()), size == kLargest);

        EXPECT_EQ(FileExists(Installed("wide.bmp")), size == kLargest);
        EXPECT_EQ(messages.shown.size(), size == kLargest ? 0u : 1u);
    }
}

TEST_F(ExtractArchiveFileTest, MissingFileOrWorkBufferDoesNothing) {
    EXPECT_FALSE(ExtractArchiveFile((scratch.Path() + "absent.quz").c_str()));
    std::string path = scratch.Path() + "skin.quz";
    ASSERT_TRUE(WriteFileBytes(path, BuildArchive(ArchiveVariant::kPlain, {{"qubmp8.quh", "skin"}})));
    g_state.workBuffer = nullptr;
    EXPECT_FALSE(ExtractArchiveFile(path.c_str()));
    EXPECT_FALSE(FileExists(Installed("qubmp8.quh")));
    EXPECT_EQ(MessageTexts(), Texts{});
}

}  // namespace
