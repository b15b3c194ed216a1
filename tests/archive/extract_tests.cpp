// ExtractAll, VerifyInstalled, FindMember and ExtractArchiveFile on the real file system: round trips
// of archives the packer made, members that fail (digest, data, hostile names), damaged archives,
// the exemption list, the bounds of the output area, and files in use at the destination. Wine
// enforces sharing as Windows does: a loaded library can be renamed but not deleted, a file held
// open without delete sharing can be neither.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "archive/extract.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "platform/file_clearing.h"
#include "tests/archive/archive_fixture.h"

namespace {

constexpr ArchiveVariant kDigest = ArchiveVariant::kDigest;
constexpr ArchiveVariant kPlain = ArchiveVariant::kPlain;

class ExtractAllTest : public ArchiveTest {
protected:
    void FreshInstallDir() {
        messages.shown.clear();
        g_state.progressStep = 0;
        RemoveTree(InstallDir());
        CreateDirectoryA(InstallDir().c_str(), nullptr);
    }
};

TEST_F(ExtractAllTest, PackerArchivesComeOutByteForByteOverReadOnlyFiles) {
    const std::pair<const char*, Texts> cases[] = {
        {"digest.quz", {"readme.txt", "qubig.dat", "冷色瓷面.quz", "小天使.quz", "abcdefghijk.txt"}},
        {"plain.quz", {"readme.txt", "冷色瓷面.quz", "小天使.quz"}},
        {"empty.quz", {}},
    };
    for (const auto& [archive, members] : cases) {
        SCOPED_TRACE(archive);
        ASSERT_TRUE(WriteFileBytes(Installed("readme.txt"), "an older and longer file"));
        SetFileAttributesA(Installed("readme.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        g_state.progressStep = 0;

        EXPECT_TRUE(Extract(ReadFileBytes(FixtureDir() + archive).value_or("made by the packer at build time")));

        EXPECT_EQ(MessageTexts(), Texts{});
        EXPECT_EQ(g_state.progressStep, static_cast<int>(members.size()));
        for (const std::string& name : members) {
            EXPECT_EQ(ReadFileBytes(Installed(name)).value_or("<missing>"),
                      ReadFileBytes(FixtureDir() + "inputs\\" + name).value_or("<no input>")) << name;
        }
    }
    EXPECT_EQ(ReadFileBytes(Installed("qubig.dat")).value_or("").size(), 1882706u);
}

TEST_F(ExtractAllTest, AFailedMemberIsReportedByNameAndTheWalkGoesOn) {
    std::string data = TextBytes(3000), flipped = data, lower = DigestTextOf(data);
    flipped[1234] ^= 0x01;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const struct { const char* label; ArchiveVariant variant; TestMember member; } cases[] = {
        {"a flipped byte", kDigest, {"flipped.dat", flipped, DigestTextOf(data)}},
        {"a lower-case stored digest", kDigest, {"lower.dat", data, lower}},
        {"an empty stored digest", kDigest, {"nodigest.dat", data, std::string(kDigestTextSize, '\0')}},
        {"0 bytes with their digest", kDigest, {"empty.dat", "", DigestTextOf("")}},
        {"not a zlib stream", kDigest, {"broken.dat", data, std::nullopt, std::string("not zlib at all")}},
        {"a parent backslash", kDigest, {"..\\escaped.txt", data}},
        {"a parent slash, plain variant", kPlain, {"../up.txt", data}},
        {"a drive", kDigest, {"c:escaped.txt", data}},
        {"a device name", kDigest, {"nul.txt", data}},
        {"an empty name", kDigest, {"", data}},
        {"a name filling its field", kDigest, {std::string(16, 'n'), data}},
        {"a name filling its field, plain variant", kPlain, {std::string(14, 'n'), data}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FreshInstallDir();

        EXPECT_FALSE(Extract(BuildArchive(c.variant, {c.member, {"after.txt", "still here"}})));

        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, MemberFailedText(c.member.name.substr(0, NameFieldSize(c.variant))));
        EXPECT_EQ(messages.shown[0].caption, kCaptionSetup);
        EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_OK));
        EXPECT_EQ(FilesIn(scratch.Path()), Texts{});
        EXPECT_EQ(FilesIn(InstallDir()), Texts{"after.txt"});
        EXPECT_EQ(ReadFileBytes(Installed("after.txt")), "still here");
    }
}

// Extraction reports the member a damaged walk ends on; the check of what was installed adds its
// closing line whenever the walk ends short of the count.
TEST_F(ExtractAllTest, LengthsAndCountsPastTheEndEndTheWalkWithoutReadingOutside) {
    std::string good = BuildArchive(kDigest, {{"one.txt", "first"}, {"two.txt", TextBytes(500)}});
    std::size_t second = kArchiveHeaderSize + kDigestRecordHeadSize + Compress("first").size();
    std::string countPastEnd = good, hugeLength = good, unmarked = good;
    SetCount(countPastEnd, 7);
    WriteLittleEndian32(reinterpret_cast<unsigned char*>(&hugeLength[kArchiveHeaderSize + 52]), 0xFFFFFFF0u);
    unmarked[second + 1] = 'X';
    const struct { const char* label; std::string archive; Texts messages; int visited; Texts written; int passed;
                   std::string report; } cases[] = {
        {"a whole archive", good, {}, 2, {"one.txt", "two.txt"}, 2, ""},
        {"no members", BuildArchive(kDigest, {}), {}, 0, {}, 0, ""},
        {"a count past the end", countPastEnd, {MemberFailedText("")}, 3, {"one.txt", "two.txt"}, 2, kWalkClosing},
        {"data cut short", good.substr(0, good.size() - 3), {MemberFailedText("two.txt")}, 2, {"one.txt"}, 1, kWalkClosing},
        {"a head cut short", good.substr(0, second + 20), {MemberFailedText("two.txt")}, 2, {"one.txt"}, 1, kWalkClosing},
        {"a length of 4 GiB", hugeLength, {MemberFailedText("one.txt")}, 1, {}, 0, kWalkClosing},
        {"a record with half its marker", unmarked, {}, 1, {"one.txt"}, 1, kWalkClosing},
        {"a header cut short", good.substr(0, 9), {}, 0, {}, 0, kWalkClosing},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FreshInstallDir();
        // A private copy of exactly this size, so that a read past its end is a read outside.
        std::vector<unsigned char> exact(c.archive.begin(), c.archive.end());

        EXPECT_EQ(ExtractAll(exact.data(), exact.size(), g_state.workBuffer, kWorkBufferSize), c.report.empty());

        EXPECT_EQ(MessageTexts(), c.messages);
        EXPECT_EQ(g_state.progressStep, c.visited);
        EXPECT_EQ(FilesIn(InstallDir()), c.written);
        char report[256];
        EXPECT_EQ(VerifyInstalled(exact.data(), exact.size(), report, sizeof report, ""), c.passed);
        EXPECT_EQ(report, c.report);
    }
}

TEST_F(ExtractAllTest, WithoutPayloadOrWorkBufferTheInstallationIsRefused) {
    std::string archive = BuildArchive(kDigest, {{"one.txt", "first"}});
    EXPECT_FALSE(ExtractAll(nullptr, 0, g_state.workBuffer, kWorkBufferSize));
    EXPECT_FALSE(ExtractAll(Bytes(archive), archive.size(), nullptr, 0));
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const RecordedMessage& message : messages.shown) {
        EXPECT_EQ(message.wtext, kMissingPayloadText);
        EXPECT_EQ(message.wcaption, kCaptionSetupW);
    }
    EXPECT_FALSE(FileExists(Installed("one.txt")));
}

// The archive fills the first 128 KiB of the work buffer at most; its members inflate into the rest,
// and one too large for it fails without writing past the buffer (the fixture's guard bytes).
// Bytes after the last record are not read as records, so padding sets the file's size exactly.
TEST_F(ExtractAllTest, ExtractArchiveFileTakesUpTo128KiBAndInflatesAfterIt) {
    constexpr std::size_t kLargest = kWorkBufferSize - kArchiveFileCapacity - kAreaOverhead;
    std::string skin = BuildArchive(kPlain, {{"qubmp8.quh", "skin"}, {"qubmpsx1.bmp", NoiseBytes(60000)}});
    const struct { const char* label; std::string file; bool extracted; std::size_t messages; } cases[] = {
        {"exactly 128 KiB", skin + std::string(kArchiveFileCapacity - skin.size(), '\0'), true, 0},
        {"one byte more", skin + std::string(kArchiveFileCapacity - skin.size() + 1, '\0'), false, 0},
        {"the largest member", BuildArchive(kDigest, {{"qubmp8.quh", std::string(kLargest, 'w')}}), true, 0},
        {"one byte larger", BuildArchive(kDigest, {{"qubmp8.quh", std::string(kLargest + 1, 'w')}}), false, 1},
    };
    std::string path = scratch.Path() + "skin.quz";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        messages.shown.clear();
        RemoveFile(Installed("qubmp8.quh"));
        ASSERT_TRUE(WriteFileBytes(path, c.file));

        EXPECT_EQ(ExtractArchiveFile(path.c_str()), c.extracted);

        EXPECT_EQ(FileExists(Installed("qubmp8.quh")), c.extracted);
        EXPECT_EQ(messages.shown.size(), c.messages);
    }
    EXPECT_FALSE(ExtractArchiveFile((scratch.Path() + "absent.quz").c_str()));
    g_state.workBuffer = nullptr;
    EXPECT_FALSE(ExtractArchiveFile(path.c_str()));
}

// A member of the digest variant passes when its installed file has the stored digest or its name
// occurs in the exemption list (folded on the list's side); one of the plain variant when its file is
// at least as long as the compressed data. A lower-case or empty stored digest and a name outside the
// install directory never pass.
TEST_F(ExtractAllTest, VerifyInstalledReportsWhatDiffersUnlessExempt) {
    std::string lower = DigestTextOf("content");
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string noise = NoiseBytes(300);  // does not compress: the compressed data is longer than 300
    const std::pair<std::string, std::string> files[] = {
        {"lower.txt", "content"}, {"nodigest.txt", "content"}, {"changed.txt", "edited"}, {"same.txt", "same"},
        {"..\\outside.txt", "secret"}, {"sx1.bmp", std::string(Compress(noise).size(), 'a')},
        {"sx2.bmp", noise},  // the right bytes, but shorter than the compressed data
    };
    for (const auto& [name, bytes] : files) ASSERT_TRUE(WriteFileBytes(Installed(name), bytes));
    std::string digest = BuildArchive(kDigest, {{"quorsrf.dll", "dll"}, {"qsrf764.dll", "dll64"},
                                                {"changed.txt", "original"}, {"same.txt", "same"},
                                                {"lower.txt", "content", lower},
                                                {"nodigest.txt", "content", std::string(34, '\0')},
                                                {"..\\outside.txt", "secret"}});
    std::string plain = BuildArchive(kPlain, {{"sx1.bmp", noise}, {"sx2.bmp", noise}, {"sx3.bmp", noise}});
    std::string always = std::string("lower.txt....nodigest.txt......\\outside.txt....") + kWalkClosing;
    const struct { const std::string& archive; const char* exemptions; int passed; std::string report; } cases[] = {
        {digest, "", 1, "quorsrf.dll....qsrf764.dll....changed.txt...." + always},
        {digest, "xQUORSRF.DLLx QSRF764.DLL CHANGED.TXT", 4, always},
        {plain, "sx2.bmp sx3.bmp", 1, std::string("sx2.bmp....sx3.bmp....") + kWalkClosing},  // no exemptions
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("exemptions '") + c.exemptions + "'");
        char report[4096];
        EXPECT_EQ(VerifyInstalled(Bytes(c.archive), c.archive.size(), report, sizeof report, c.exemptions), c.passed);
        EXPECT_EQ(std::string(report), c.report);
    }
}

TEST_F(ExtractAllTest, VerifyInstalledNeverWritesPastTheReportsCapacity) {
    std::vector<TestMember> members;
    for (int i = 0; i < 40; ++i) members.push_back({"missing" + std::to_string(i) + ".txt", "x"});
    std::string archive = BuildArchive(kDigest, members);
    char report[64];
    std::memset(report, 'G', sizeof report);
    EXPECT_EQ(VerifyInstalled(Bytes(archive), archive.size(), report, 40, ""), 0);
    EXPECT_EQ(std::strlen(report), 39u);
    EXPECT_EQ(report[40], 'G');
}

TEST_F(ExtractAllTest, FindMemberInflatesTheMemberOfThatExactNameOrLeavesZeros) {
    std::string picture = "BM" + NoiseBytes(5000);
    std::string payload = BuildArchive(kDigest, {{"quorel4.ime", "MZ program"}, {"tavo1.bmp", picture}});
    std::string halfMarked = BuildArchive(kDigest, {{"first.txt", "1"}, {"tavo1.bmp", "BM picture"}});
    halfMarked[kArchiveHeaderSize + 1] = 'x';  // the search steps over a record that keeps one marker byte
    std::string cut = payload.substr(0, payload.size() - 10), zeros(2, '\0');
    const struct { const char* name; const std::string& payload; std::string found; } cases[] = {
        {"quorel4.ime", payload, "MZ"}, {"TAVO1.BMP", payload, zeros}, {"tavo1", payload, zeros},
        {"absent.bmp", payload, zeros}, {"tavo1.bmp", halfMarked, "BM"}, {"tavo1.bmp", cut, zeros},
        {"tavo1.bmp", payload, picture},
    };
    unsigned char* found = g_state.workBuffer + kFoundMemberOffset;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " in " << c.payload.size() << " bytes");
        g_state.payload = Bytes(c.payload);
        g_state.payloadSize = c.payload.size();
        std::memcpy(found, "XX", 2);
        FindMember(c.name);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(found), c.found.size()), c.found);
    }
    // Without a payload nothing is touched; without a work buffer nothing is done.
    g_state.payload = nullptr;
    FindMember("absent.bmp");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(found), 2), "BM");
    g_state.payload = Bytes(payload);
    g_state.workBuffer = nullptr;
    FindMember("tavo1.bmp");
}

// Copies of a small DLL built with the tests, loaded from member paths, stand for the input method's
// own files in use. The old file of a loaded member goes aside under the '2' name (replacing a stale
// file there), or under the '1' name when the '2' name is itself in use; a file held open fails its
// member.
TEST_F(ExtractAllTest, LoadedFilesAreMovedAsideAndAFileHeldOpenFailsItsMember) {
    std::string dll = FixtureDir() + "..\\quortest_inuse.dll";
    std::vector<UniqueLibrary> loaded;
    for (const char* name : {"quorel4.ime", "quorsrf6.dll", "quorsrf2.dll"}) {
        ASSERT_TRUE(CopyFileA(dll.c_str(), Installed(name).c_str(), FALSE)) << dll;
        loaded.emplace_back(LoadLibraryA(Installed(name).c_str()));
        ASSERT_TRUE(loaded.back()) << name;
    }
    ASSERT_TRUE(WriteFileBytes(Installed("quorel2.ime"), "stale copy"));
    ASSERT_TRUE(WriteFileBytes(Installed("quordel8.exe"), "the old uninstaller"));
    UniqueHandle holder(CreateFileA(Installed("quordel8.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(ForceDelete(Installed("quorel4.ime").c_str()), -1);

    EXPECT_FALSE(Extract(BuildArchive(kDigest, {{"quorel4.ime", "MZ the new ime"},
                                                {"quorsrf6.dll", "MZ the new text service"},
                                                {"quordel8.exe", "the new uninstaller"}})));

    EXPECT_EQ(MessageTexts(), Texts{MemberFailedText("quordel8.exe")});
    EXPECT_EQ(ReadFileBytes(Installed("quorel4.ime")), "MZ the new ime");
    EXPECT_EQ(ReadFileBytes(Installed("quorel2.ime")), ReadFileBytes(dll));
    EXPECT_EQ(ReadFileBytes(Installed("quorsrf6.dll")), "MZ the new text service");
    EXPECT_EQ(ReadFileBytes(Installed("quorsrf1.dll")), ReadFileBytes(dll));
    holder.Reset();
    EXPECT_EQ(ReadFileBytes(Installed("quordel8.exe")), "the old uninstaller");
    EXPECT_FALSE(FileExists(Installed("quordel2.exe")));
    EXPECT_FALSE(FileExists(Installed("quordel1.exe")));
}

}  // namespace
