// The archive format and its extraction: which member names are bare file names; ConvertPhraseBackup
// on exact-size buffers and on its way through extraction; ExtractAll, VerifyInstalled and
// ExtractArchiveFile on the real file system: members that fail (digest, data, a hostile name) and
// damaged archives, the exemption list, the bounds of the output area, and files in use at the
// destination. Wine enforces sharing as Windows does: a loaded library can be renamed but not
// deleted, a file held open without delete sharing can be neither. (FindMember is seen finding the
// first page's picture in the wizard's walk.)
#include <cstring>
#include <numeric>

#include "archive/extract.h"
#include "archive/phrase_backup.h"
#include "archive/quz_format.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "platform/file_clearing.h"
#include "tests/archive/archive_fixture.h"
#include "tests/support/command_log.h"

namespace {

// A member name passes only as a bare file name terminated inside its field.
TEST(ArchiveFormatTest, OnlyBareTerminatedNamesPass) {
    using P = NameProblem;
    const std::pair<std::string, NameProblem> cases[] = {  // the field's bytes, padded with NULs to 16
        {"冷色瓷面.quz", P::kNone}, {"console.txt", P::kNone}, {"abcdefghijklmno", P::kNone},  // 15 bytes, NUL
        {"abcdefghijklmnop", P::kNotTerminated}, {"", P::kEmpty}, {"a\\b", P::kSeparator}, {"a/b", P::kSeparator},
        {"c:x", P::kSeparator}, {"\x81\x5C.txt", P::kSeparator},  // a GBK character whose second byte is '\'
        {"x..", P::kDotDot}, {"CON", P::kDeviceName}, {"Aux .dat", P::kDeviceName}, {"conin$", P::kDeviceName},
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

std::string Trailer(std::uint32_t byteSum, std::uint32_t phrases) {
    unsigned char bytes[12] = {'Q', 'U', 'O', 'R'};
    WriteLittleEndian32(bytes + 4, byteSum);
    WriteLittleEndian32(bytes + 8, phrases);
    return std::string(reinterpret_cast<char*>(bytes), sizeof bytes);
}

std::uint32_t ByteSum(const std::string& text) {
    return std::accumulate(text.begin(), text.end(), 0u, [](std::uint32_t sum, char c) { return sum + std::uint8_t(c); });
}

TEST(ConvertPhraseBackupTest, KeepsPhrasesDropsOtherRunsAndWritesTheTrailer) {
    const struct { const char* label; std::string data, kept; std::uint32_t byteSum, phrases; } cases[] = {
        {"two phrases", "中文; 词组; ", "中文; 词组; ", ByteSum("中文词组"), 2},
        {"a run of one character is dropped, its delimiter stays", "中; 中文; ", "; 中文; ", ByteSum("中中文"), 1},
        {"a run not followed by \"; \" is dropped up to the next ';'", "中文,词组; 拼音; ", "; 拼音; ",
         ByteSum("中文拼音"), 1},
        {"a lone lead byte at the end", "中文; \xB0", "中文; ", ByteSum("中文"), 1},
        {"second bytes must be above 0x3F", "\xB0\x30\xB1\x31; 中文; ", "; 中文; ", ByteSum("中文"), 1},
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

constexpr ArchiveVariant kDigest = ArchiveVariant::kDigest;
constexpr ArchiveVariant kPlain = ArchiveVariant::kPlain;

using ExtractAllTest = ArchiveTest;

// A failed member is reported by name (cut to its field) and the walk goes on; a damaged archive
// ends the walk on the member it cannot read, without reading outside. The check of what was
// installed adds its closing line whenever the walk ends short of the count.
TEST_F(ExtractAllTest, FailedMembersAndDamagedArchivesEndAsFarAsTheyGo) {
    std::string data = NoiseBytes(3000), flipped = data;
    flipped[1234] ^= 0x01;
    auto failing = [&](ArchiveVariant variant, const TestMember& member) {
        return BuildArchive(variant, {member, {"after.txt", data}});
    };
    std::string good = BuildArchive(kDigest, {{"one.txt", "first"}, {"two.txt", NoiseBytes(500)}});
    std::size_t second = kArchiveHeaderSize + kDigestRecordHeadSize + Compress("first").size();
    std::string countPastEnd = good, hugeLength = good, unmarked = good;
    WriteLittleEndian32(reinterpret_cast<unsigned char*>(&countPastEnd[6]), 7);  // the header's member count
    WriteLittleEndian32(reinterpret_cast<unsigned char*>(&hugeLength[kArchiveHeaderSize + 52]), 0xFFFFFFF0u);
    unmarked[second + 1] = 'X';
    const Texts after = {"after.txt"}, first = {"one.txt"}, both = {"one.txt", "two.txt"};
    // The failed member's shown name (none: no failure), the members visited, the files written.
    const struct { const char* label; std::string archive; const char* failed; int visited; Texts written; } cases[] = {
        {"a flipped byte", failing(kDigest, {"flipped.dat", flipped, DigestTextOf(data)}), "flipped.dat", 2, after},
        {"a parent backslash", failing(kDigest, {"..\\escaped.txt", data}), "..\\escaped.txt", 2, after},
        {"a whole archive", good, nullptr, 2, both},
        {"a count past the end", countPastEnd, "", 3, both},
        {"data cut short", good.substr(0, good.size() - 3), "two.txt", 2, first},
        {"a length of 4 GiB", hugeLength, "one.txt", 1, {}},
        {"a record with half its marker", unmarked, nullptr, 1, first},
        {"a header cut short", good.substr(0, 9), nullptr, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        messages.shown.clear();
        g_state.progressStep = 0;
        RemoveTree(InstallDir());
        CreateDirectoryA(InstallDir().c_str(), nullptr);
        // A private copy of exactly this size, so that a read past its end is a read outside.
        std::vector<unsigned char> exact(c.archive.begin(), c.archive.end());
        const bool whole = c.archive == good, failedMember = c.written == after;

        EXPECT_EQ(ExtractAll(exact.data(), exact.size(), g_state.workBuffer, kWorkBufferSize), whole);

        EXPECT_EQ(MessageTexts(), c.failed ? Texts{MemberFailedText(c.failed)} : Texts{});
        EXPECT_EQ(g_state.progressStep, c.visited);
        EXPECT_EQ(FilesIn(scratch.Path()), Texts{});
        EXPECT_EQ(FilesIn(InstallDir()), c.written);
        if (failedMember) { EXPECT_EQ(ReadFileBytes(Installed("after.txt")), data); }
        char report[256];
        EXPECT_EQ(VerifyInstalled(exact.data(), exact.size(), report, sizeof report, ""),
                  static_cast<int>(c.written.size()));
        EXPECT_EQ(report, whole ? "" : (failedMember ? std::string(c.failed) + "...." : "") + kWalkClosing);
    }

    // Without payload or work buffer the installation is refused.
    messages.shown.clear();
    EXPECT_FALSE(ExtractAll(nullptr, 0, g_state.workBuffer, kWorkBufferSize));
    EXPECT_FALSE(ExtractAll(Bytes(good), good.size(), nullptr, 0));
    EXPECT_TRUE(messages.shown.size() == 2 && messages.shown[1].wtext == kMissingPayloadText);
}

// The archive fills the first 128 KiB of the work buffer at most; its members inflate into the rest,
// and one too large for it fails without writing past the buffer (the fixture's guard bytes).
// Bytes after the last record are not read as records, so padding sets the file's size exactly. Such
// an archive lies where any user can replace it: a program or library in it fails as its member.
TEST_F(ExtractAllTest, ExtractArchiveFileTakesUpTo128KiBAndInflatesAfterIt) {
    constexpr std::size_t kLargest = kWorkBufferSize - kArchiveFileCapacity - kAreaOverhead;
    std::string skin = BuildArchive(kPlain, {{"qubmp8.quh", "skin"}, {"qubmpsx1.bmp", NoiseBytes(60000)}});
    // written: the skin's first member is in the install directory afterwards.
    const struct { const char* label; std::string file; bool extracted, written; std::size_t messages; } cases[] = {
        {"exactly 128 KiB", skin + std::string(kArchiveFileCapacity - skin.size(), '\0'), true, true, 0},
        {"one byte more", skin + std::string(kArchiveFileCapacity - skin.size() + 1, '\0'), false, false, 0},
        {"the largest member", BuildArchive(kDigest, {{"qubmp8.quh", std::string(kLargest, 'w')}}), true, true, 0},
        {"one byte larger", BuildArchive(kDigest, {{"qubmp8.quh", std::string(kLargest + 1, 'w')}}), false, false, 1},
        {"with a program", BuildArchive(kPlain, {{"qubmp8.quh", "skin"}, {"quortavo.EXE", "planted"}}), false, true, 1},
    };
    std::string path = scratch.Path() + "skin.quz";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        messages.shown.clear();
        RemoveFile(Installed("qubmp8.quh"));
        ASSERT_TRUE(WriteFileBytes(path, c.file));
        EXPECT_EQ(ExtractArchiveFile(path.c_str()), c.extracted);
        EXPECT_EQ(FileExists(Installed("qubmp8.quh")), c.written);
        EXPECT_FALSE(FileExists(Installed("quortavo.EXE")));
        EXPECT_EQ(messages.shown.size(), c.messages);
    }
    g_state.workBuffer = nullptr;
    EXPECT_FALSE(ExtractArchiveFile(path.c_str()));
}

// A member passes when its installed file has the stored digest or, in the digest variant only, its
// name is in the exemption list (whose folding is the text tests' part), never with a name outside the
// install directory; in the plain variant when its file is at least as long as the compressed data.
TEST_F(ExtractAllTest, VerifyInstalledReportsWhatDiffersUnlessExempt) {
    std::string noise = NoiseBytes(300);  // does not compress: the compressed data is longer than 300
    const std::pair<std::string, std::string> files[] = {
        {"..\\outside.txt", "secret"}, {"sx1.bmp", std::string(Compress(noise).size(), 'a')}, {"sx2.bmp", noise}};
    for (const auto& [name, bytes] : files) ASSERT_TRUE(WriteFileBytes(Installed(name), bytes));
    std::string digest = BuildArchive(kDigest, {{"changed.txt", "original"}, {"..\\outside.txt", "secret"}});
    std::string plain = BuildArchive(kPlain, {{"sx1.bmp", noise}, {"sx2.bmp", noise}, {"sx3.bmp", noise}});
    char report[256];
    EXPECT_EQ(VerifyInstalled(Bytes(digest), digest.size(), report, sizeof report, "changed.txt ..\\outside.txt"), 1);
    EXPECT_EQ(std::string(report), std::string("..\\outside.txt....") + kWalkClosing);
    EXPECT_EQ(VerifyInstalled(Bytes(plain), plain.size(), report, sizeof report, "sx2.bmp sx3.bmp"), 1);
    EXPECT_EQ(std::string(report), std::string("sx2.bmp....sx3.bmp....") + kWalkClosing);
}

// Copies of a small DLL built with the tests, loaded from member paths, stand for the input method's
// own files in use. The old file of a loaded member goes aside under the '2' name (replacing a stale
// file there), or under the '1' name when the '2' name is itself in use; a read-only file is replaced;
// a file held open fails its member. Only the member named quorcyzk.bak is converted as the phrase
// backup on its way out.
TEST_F(ExtractAllTest, LoadedFilesAreMovedAsideAndAFileHeldOpenFailsItsMember) {
    std::string dll = TestProgramDir() + "quortest_inuse.dll";
    std::vector<UniqueLibrary> loaded;
    for (const char* name : {"quorel4.ime", "quorsrf6.dll", "quorsrf2.dll"}) {
        ASSERT_TRUE(CopyFileA(dll.c_str(), Installed(name).c_str(), FALSE)) << dll;
        loaded.emplace_back(LoadLibraryA(Installed(name).c_str()));
        ASSERT_TRUE(loaded.back()) << name;
    }
    ASSERT_TRUE(WriteFileBytes(Installed("quorel2.ime"), "stale copy"));
    ASSERT_TRUE(WriteFileBytes(Installed("quordel8.exe"), "the old uninstaller"));
    ASSERT_TRUE(WriteFileBytes(Installed("readme.txt"), "an older and longer file, read-only and hidden"));
    SetFileAttributesA(Installed("readme.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    UniqueHandle holder(CreateFileA(Installed("quordel8.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(ForceDelete(Installed("quorel4.ime").c_str()), -1);

    EXPECT_FALSE(Extract(BuildArchive(kDigest, {{"quorel4.ime", "MZ the new ime"},
                                                {"quorsrf6.dll", "MZ the new text service"},
                                                {"quordel8.exe", "the new uninstaller"},
                                                {"readme.txt", "replaced"}, {"quorcyzk.bak", "中文; 词; 词组; "},
                                                {"quorpyck.bak", "中文; 词; 词组; "}})));

    EXPECT_EQ(MessageTexts(), Texts{MemberFailedText("quordel8.exe")});
    EXPECT_EQ(ReadFileBytes(Installed("quorel4.ime")), "MZ the new ime");
    EXPECT_EQ(ReadFileBytes(Installed("quorel2.ime")), ReadFileBytes(dll));
    EXPECT_EQ(ReadFileBytes(Installed("quorsrf6.dll")), "MZ the new text service");
    EXPECT_EQ(ReadFileBytes(Installed("quorsrf1.dll")), ReadFileBytes(dll));
    EXPECT_EQ(ReadFileBytes(Installed("readme.txt")), "replaced");
    EXPECT_EQ(ReadFileBytes(Installed("quorcyzk.bak")), "中文; ; 词组; " + Trailer(ByteSum("中文词词组"), 2));
    EXPECT_EQ(ReadFileBytes(Installed("quorpyck.bak")), "中文; 词; 词组; ");
    holder.Reset();
    EXPECT_EQ(ReadFileBytes(Installed("quordel8.exe")), "the old uninstaller");
    EXPECT_FALSE(FileExists(Installed("quordel2.exe")) || FileExists(Installed("quordel1.exe")));
}

}  // namespace
