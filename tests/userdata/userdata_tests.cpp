// The user's data and the extra files, on real files: the backup of the earlier data (checked with
// the archive walker), the files that end it, and the restore of a good and of a crafted
// quorback.quz with its report (the keep-data question is asked in the install procedure's test);
// the payload check and its exemption list, the chosen skin's archive (made here, in-process)
// unpacked and checked, picture 4, and the version patch of program files. (A reinstall that keeps the earlier data and skin is the wizard's walk.)
#include <zlib.h>

#include "archive/extract.h"
#include "archive/quz_format.h"
#include "archive/skins.h"
#include "archive/user_backup.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/system_copy.h"
#include "install/extra_files.h"
#include "tests/archive/archive_fixture.h"
#include "tests/support/install_checks.h"

namespace {

// The data files in archive order; the first eight are packed from a copy named .bak, the first fifteen
// are required.
constexpr const char* kSources[] = {
    "quorpyck.quh", "quszsj43.quh", "qfontset.quh", "qwbzlcz1.quh", "quwbcmxz.quh", "qudhzcm.quh",
    "quordhz.quh",  "qugbkhz.quh",  "quszsj43.quh", "quordwdw.txt", "quorzdym.quh", "qupyzdym.quh",
    "quwbpy.txt",   "quorynhz.txt", "quorzdfh.quh", "userck.txt",   "delck.txt",    "ftquzdym.txt",
    "ftpyzdym.txt", "quorpymb.ov1", "qugbkbh.quh",  "quszsj05.quh", "quszsj06.quh"};
constexpr std::size_t kRowCount = std::size(kSources);
std::string MemberOf(std::size_t row) {
    const std::string source = kSources[row];
    return row < 8 ? source.substr(0, source.size() - 3) + "bak" : source;
}
constexpr char kRestoreFailed[] = "\r\n\r\n原有数据文件没有成功复制，原有数据不能使用！\r\n";

std::string ContentOf(const std::string& name) { return "data of " + name + "\r\n" + NoiseBytes(300, name.size()); }

// A backup archive checked with the archive walker against the install directory: its header gives
// its size, and each member passes when its file there has the stored digest. The members that pass,
// and the report of the others.
std::pair<int, std::string> Verified(const std::string& archive) {
    EXPECT_EQ(ReadLittleEndian32(Bytes(archive) + 2), archive.size());
    char report[4096];
    int passed = VerifyInstalled(Bytes(archive), archive.size(), report, sizeof report, "");
    return {passed, report};
}

class BackupTest : public ArchiveTest {
protected:
    void SetUp() override {
        ArchiveTest::SetUp();
        // The earlier install lay in the test's install directory; the default one is elsewhere.
        CopyText(g_state.previousInstallDir, InstallDir().c_str());
    }
    void WriteAllRows() {
        for (const char* source : kSources) ASSERT_TRUE(WriteFileBytes(Installed(source), ContentOf(source)));
    }
    std::string ArchivePath() const { return Installed("quorback.quz"); }
    std::string Archive() const { return ReadFileBytes(ArchivePath()).value_or(""); }
};

// The whole set is packed in table order over an archive of an earlier run, and restored over newly
// installed files in the same directory or in another one (the archive is copied there first).
TEST_F(BackupTest, AFullSetIsPackedInTableOrderAndRestoredInEitherDirectory) {
    WriteAllRows();
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), "an archive from an earlier run"));
    EXPECT_TRUE(CollectBackup());
    const std::string archive = Archive();
    EXPECT_EQ(Verified(archive), (std::pair<int, std::string>{23, ""}));
    EXPECT_EQ(archive.substr(kArchiveHeaderSize, 14), std::string("QFquorpyck.bak", 14));  // the first row first

    ScratchDir otherInstall;
    for (const std::string& dir : {InstallDir(), otherInstall.Path()}) {
        SCOPED_TRACE(dir);
        for (std::size_t i = 0; i < kRowCount; ++i) ASSERT_TRUE(WriteFileBytes(dir + MemberOf(i), "newly installed"));
        CopyText(g_state.installDir, dir.c_str());
        RestoreBackup();
        EXPECT_EQ(ReadFileBytes(dir + "quorback.quz"), Archive());
        for (std::size_t i = 0; i < kRowCount; ++i) EXPECT_EQ(ReadFileBytes(dir + MemberOf(i)), ContentOf(kSources[i])) << i;
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const RecordedMessage& box : messages.shown) {
        EXPECT_TRUE(box.wtext == L"成功恢复了23个原有数据文件！" && box.wcaption == L"智能岚石" && box.style == MB_OK);
    }
}

// A zlib stream of the bytes as one stored block under the default level's header, after as many empty
// stored blocks as asked. (Deflate gives the stream without them for bytes that do not compress.)
std::string StoredStream(const std::string& data, std::size_t emptyBlocks) {
    std::string stream = "\x78\x9C";
    for (std::size_t i = 0; i < emptyBlocks; ++i) stream += std::string("\0\0\0\xFF\xFF", 5);
    stream += '\x01';
    const auto length = static_cast<std::uint16_t>(data.size());  // one block holds at most 65,535 bytes
    for (std::uint16_t field : {length, static_cast<std::uint16_t>(~length)}) {
        stream += static_cast<char>(field & 0xFF);
        stream += static_cast<char>(field >> 8);
    }
    stream += data;
    uLong check = adler32(adler32(0, nullptr, 0), Bytes(data), static_cast<uInt>(data.size()));
    for (int shift = 24; shift >= 0; shift -= 8) stream += static_cast<char>(check >> shift & 0xFF);
    return stream;
}

// Every file is packed as compress() at the default level gives it, except one that holds a payload
// member's bytes: that one is packed as the member's stream lies in the payload. A member whose digest
// is the file's but whose stream is of other bytes, made at another level, or longer than the file's
// room (8 KiB here), is passed over.
TEST_F(BackupTest, EachFileIsPackedAsCompressGivesItOrAsThePayloadHoldsItsBytes) {
    WriteAllRows();
    std::vector<TestMember> rows;
    for (std::size_t i = 0; i < kRowCount; ++i) rows.push_back({MemberOf(i), ContentOf(kSources[i])});
    const std::string table = ContentOf("quorpymb.ov1");
    const std::string phrases = ContentOf("quordwdw.txt");
    uLongf length = compressBound(static_cast<uLong>(phrases.size()));
    std::string levelNine(length, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(levelNine.data()), &length, Bytes(phrases),
                        static_cast<uLong>(phrases.size()), 9), Z_OK);
    levelNine.resize(length);
    const std::string payload = BuildArchive(ArchiveVariant::kDigest,
        {{"quorpymb.ov1", table, std::nullopt, StoredStream(table, 1)},
         {"quszsj43.quh", "other bytes", DigestTextOf(ContentOf("quszsj43.quh"))},
         {"quordwdw.txt", phrases, std::nullopt, levelNine},
         {"quorzdym.quh", ContentOf("quorzdym.quh"), std::nullopt, StoredStream(ContentOf("quorzdym.quh"), 1700)}});

    for (bool withPayload : {false, true}) {
        SCOPED_TRACE(withPayload ? "with the payload" : "without a payload");
        g_state.payload = withPayload ? Bytes(payload) : nullptr;
        g_state.payloadSize = withPayload ? payload.size() : 0;
        EXPECT_TRUE(CollectBackup());
        rows[19].compressed = withPayload ? std::optional<std::string>(StoredStream(table, 1)) : std::nullopt;
        EXPECT_EQ(Archive(), BuildArchive(ArchiveVariant::kDigest, rows));
        EXPECT_EQ(Verified(Archive()), (std::pair<int, std::string>{23, ""}));
    }
}

// The payload is packed as the backup compresses: each member's stream is what compress() at the
// default level gives of its bytes here, so a backup that takes a payload stream holds the very bytes
// one that compresses would.
TEST(PayloadStreamsTest, AreWhatTheBackupsCompressionGivesOfTheirBytes) {
    const std::string payload = ReadPayload();
    ArchiveWalker walker(Bytes(payload), payload.size());
    ASSERT_TRUE(walker.HasHeader());
    std::string inflated(kInflateCapacity, '\0');
    ArchiveRecord record;
    std::uint32_t members = 0;
    while (walker.Next(&record) == WalkStep::kRecord) {
        const std::string name(record.nameField, strnlen(record.nameField, record.nameFieldSize));
        uLongf length = static_cast<uLongf>(inflated.size());
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &length, record.data, record.compressedLength),
                  Z_OK) << name;
        EXPECT_EQ(Compress(inflated.substr(0, length)),
                  std::string(reinterpret_cast<const char*>(record.data), record.compressedLength)) << name;
        ++members;
    }
    EXPECT_EQ(members, walker.Count());
}

// A required file that cannot be added ends the backup, an optional one does not; without a recorded
// earlier install nothing is collected, even from the current directory.
TEST_F(BackupTest, ARequiredFileThatCannotBeAddedEndsTheBackupOptionalOnesDoNot) {
    // Removed, then written again with these bytes; whether complete; members in the archive afterwards.
    const struct { const char* removed; const char* written; std::string bytes; bool complete; std::size_t kept; }
        cases[] = {
            {"", "", "", false, 0},  // a first install: no data files at all
            {"quszsj43.quh", "", "", false, 1}, {"quorzdfh.quh", "", "", false, 14}, {"userck.txt", "", "", true, 22},
            // Present, but its compressed form is longer than its capacity.
            {"quordwdw.txt", "quordwdw.txt", NoiseBytes(20000), false, 9},
            // An older copy is packed when its source is missing.
            {"quorpyck.quh", "quorpyck.bak", "kept by an earlier run", true, 23},
            {nullptr, "", "", false, 0},  // every file there, but no earlier install recorded
        };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.removed ? c.removed : "no earlier install") + ", then " + c.written);
        RemoveTree(InstallDir());
        CreateDirectoryA(InstallDir().c_str(), nullptr);
        if (!c.removed || *c.removed) WriteAllRows();
        if (c.removed) RemoveFile(Installed(c.removed));
        if (*c.written) { ASSERT_TRUE(WriteFileBytes(Installed(c.written), c.bytes)); }
        if (!c.removed) g_state.previousInstallDir[0] = '\0';
        char current[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, current);
        SetCurrentDirectoryA(InstallDir().c_str());  // the files would be found here by relative names

        EXPECT_EQ(CollectBackup(), c.complete);

        SetCurrentDirectoryA(current);
        EXPECT_EQ(FileExists(ArchivePath()), c.removed != nullptr);
        if (c.removed) { EXPECT_EQ(Verified(Archive()), (std::pair<int, std::string>{static_cast<int>(c.kept), ""})); }
    }
    EXPECT_FALSE(FileExists(ArchivePath()) || FileExists(Installed("quorpyck.bak")));
}

TEST_F(BackupTest, AppendAddsWhatFitsAndOtherwiseLeavesTheArchiveAsItWas) {
    const std::string trail = "\xC0\x5C";  // 癨 in GBK: its second byte is a backslash byte
    ASSERT_TRUE(CreateDirectoryA(Installed(trail).c_str(), nullptr));
    for (const std::string name : {"first.txt", "name12345678", "name123456789", "词组.txt", "empty.txt"}) {
        ASSERT_TRUE(WriteFileBytes(Installed(name), name == "empty.txt" ? "" : "content of " + name));
    }
    for (const std::string& name : {trail + "a.txt", trail + "\\plain.txt", std::string("plain.txt")}) {
        ASSERT_TRUE(WriteFileBytes(Installed(name), "x"));
    }
    ASSERT_TRUE(WriteFileBytes(Installed("small.bin"), NoiseBytes(5000)));
    ASSERT_TRUE(WriteFileBytes(Installed("noise.bin"), NoiseBytes(20000)));
    ASSERT_TRUE(AppendToBackup(kBackupArchiveName, Installed("first.txt").c_str()));
    const std::string good = Archive();
    std::string unmarked = good;
    unmarked[kArchiveHeaderSize] = 'X';
    const struct { const char* label; std::string archive, path; } refused[] = {
        {"a name of 13 bytes", good, Installed("name123456789")},
        {"a name with a trail byte 0x5C", good, Installed(trail + "a.txt")},  // would be stored as "a.txt"
        {"a compressed form above its capacity", good, Installed("noise.bin")},
        {"a length beyond the end", good.substr(0, good.size() - 2), Installed("small.bin")},
        {"no marker", unmarked, Installed("small.bin")},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(WriteFileBytes(ArchivePath(), c.archive));
        EXPECT_FALSE(AppendToBackup(kBackupArchiveName, c.path.c_str()));
        EXPECT_EQ(Archive(), c.archive);
    }
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), good));
    for (const std::string& name : {std::string("name12345678"), std::string("small.bin"), std::string("empty.txt"),
                                    trail + "\\plain.txt", std::string("词组.txt")}) {
        EXPECT_TRUE(AppendToBackup(kBackupArchiveName, Installed(name).c_str())) << name;
    }
    EXPECT_EQ(Verified(Archive()), (std::pair<int, std::string>{6, ""}));
}

// quorback.quz lies where ordinary users can write: a crafted one fails member by member with the
// normal messages, writes nothing outside the install directory, and ends in the failure report,
// which is cut to its room with its closing line whole; a missing or short one is passed over.
TEST_F(BackupTest, RestoreOfACraftedArchiveFailsMemberByMemberAndIsReported) {
    RestoreBackup();
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), BuildArchive(ArchiveVariant::kDigest, {{"a.txt", "1"}})));  // < 100 bytes
    RestoreBackup();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(FileExists(Installed("a.txt")));

    std::string good = NoiseBytes(400, 3);
    std::string archive = BuildArchive(ArchiveVariant::kDigest,
                                       {{"quorpyck.bak", good},
                                        {"..\\escape.txt", NoiseBytes(200, 4)},
                                        {"quwbpy.txt", NoiseBytes(200, 5), DigestTextOf("something else")},
                                        {"quorzdym.quh", NoiseBytes(300, 7)}});
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), archive.substr(0, archive.size() - 10)));  // the last one cut short
    RestoreBackup();
    EXPECT_EQ(ReadFileBytes(Installed("quorpyck.bak")), good);
    EXPECT_EQ(FilesIn(scratch.Path()), Texts{});
    EXPECT_EQ(MessageTexts(), (Texts{MemberFailedText("..\\escape.txt"), MemberFailedText("quwbpy.txt"),
                                     MemberFailedText("quorzdym.quh"),
                                     std::string("..\\escape.txt....quwbpy.txt....") + kWalkClosing + kRestoreFailed}));
    EXPECT_TRUE(messages.shown.back().caption == "智能岚石" && messages.shown.back().style == MB_OK);

    std::vector<TestMember> members;
    for (int i = 0; i < 400; ++i) members.push_back({"bad" + std::to_string(i) + ".txt", "x", DigestTextOf("y")});
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), BuildArchive(ArchiveVariant::kDigest, members)));
    messages.shown.clear();
    RestoreBackup();
    ASSERT_EQ(messages.shown.size(), 401u);
    const std::string report = messages.shown.back().text;
    EXPECT_LT(report.size(), 4096u);
    EXPECT_TRUE(report.starts_with("bad0.txt....bad1.txt....") && report.ends_with(kRestoreFailed)) << report;
}

constexpr const char* kSkinMembers[] = {"qubmp8.quh",   "qubmpsx1.bmp", "qubmpsx2.bmp", "qubmpsx3.bmp",
                                        "qubmpsx4.bmp", "qubmpsx5.bmp", "qubmpsx6.bmp", "qubmpsx7.bmp"};
constexpr char kSkinClosing[] = "皮肤文件没有成功复制，请重新安装皮肤文件！\r\n";

std::string SkinFile(int skin, const char* member) { return "skin " + std::to_string(skin) + " " + member + std::string(600, 's'); }

std::string SkinArchive(int skin, int broken = -1) {
    std::vector<TestMember> members;
    for (const char* name : kSkinMembers) members.push_back({name, SkinFile(skin, name)});
    if (broken >= 0) members[broken].compressed = std::string("not a zlib stream, and long enough to be checked");
    return BuildArchive(ArchiveVariant::kPlain, members);
}

// The skin the chooser picks: the dialog itself is the skin dialog's tests' and the wizard walk's part.
int g_chosenSkin = 1;

class ExtraFilesTest : public ArchiveTest {
protected:
    void SetUp() override {
        ArchiveTest::SetUp();
        // The payload as the check sees it, and the three skin archives.
        payload = BuildArchive(ArchiveVariant::kDigest, {
            {"quorpyck.dat", "phrases"},
            {"qudict.dat", "dictionary"},           // missing: reported
            {"quorel4.ime", "the ime"},             // missing but exempt
            {"el4.ime", "part of an exempt name"},  // exempt too: the list is searched for the name
            {"setupw64.exe", "setup"},              // after the two blanks
            {"qusound.wav", "sound"},               // changed: reported
            {"qubmps44.bmp", "picture 44"},
        });
        g_state.payload = Bytes(payload);
        g_state.payloadSize = payload.size();
        for (const auto& [name, bytes] : {std::pair{"quorpyck.dat", "phrases"}, {"qubmps44.bmp", "picture 44"},
                                          {"qusound.wav", "changed"}}) {
            ASSERT_TRUE(WriteFileBytes(Installed(name), bytes));
        }
        for (int skin = 1; skin <= 3; ++skin) ASSERT_TRUE(WriteFileBytes(Installed(SkinArchiveName(skin)), SkinArchive(skin)));
    }
    std::string Read(const char* name) const { return ReadFileBytes(Installed(name)).value_or("<missing>"); }

    std::string payload;
};

// The payload check reports what differs but the exempted names; the chosen skin's archive is
// installed, and picture 4 from the payload once the skin is in place.
TEST_F(ExtraFilesTest, EachSkinChoiceInstallsItsArchiveAndReportsWhatDidNotArrive) {
    const std::string payloadReport = std::string("qudict.dat....qusound.wav....") + kWalkClosing +
                                      "\r\n\r\n上述文件没有成功复制，请重新下载安装！\r\n";
    // The chosen skin's archive is replaced by `archive` when given (empty: none there).
    const struct { const char* label; int skin; std::optional<std::string> archive; Texts messages;
                   const char* picture4; } cases[] = {
        {"the first skin", 1, std::nullopt, {}, "picture 44"},
        {"a member that does not inflate", 1, SkinArchive(1, 3),
         {MemberFailedText("qubmpsx3.bmp"), std::string("qubmpsx3.bmp....") + kWalkClosing + "\r\n\r\n" + kSkinClosing},
         "picture 44"},
        // The skin's closing line goes under the payload report, still in place.
        {"no archive: picture 4 is left alone", 3, "", {payloadReport + kSkinClosing}, "earlier picture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        messages.shown.clear();
        for (const char* name : kSkinMembers) RemoveFile(Installed(name));
        ASSERT_TRUE(WriteFileBytes(Installed("qubmpsx4.bmp"), "earlier picture"));
        ASSERT_TRUE(WriteFileBytes(Installed(SkinArchiveName(c.skin)), c.archive.value_or(SkinArchive(c.skin))));
        if (c.archive == "") RemoveFile(Installed(SkinArchiveName(c.skin)));
        g_chosenSkin = c.skin;

        InstallExtraFiles([] { g_state.skinChoice = static_cast<std::uint8_t>(g_chosenSkin); });

        Texts expected = {payloadReport};
        expected.insert(expected.end(), c.messages.begin(), c.messages.end());
        EXPECT_EQ(MessageTexts(), expected);
        EXPECT_EQ(Read("qubmpsx4.bmp"), c.picture4);
        if (!c.messages.empty()) continue;
        for (const char* name : kSkinMembers) {
            EXPECT_EQ(Read(name), std::string(name) == "qubmpsx4.bmp" ? "picture 44" : SkinFile(c.skin, name)) << name;
        }
    }
    for (int other : {0, 4, 255}) EXPECT_STREQ(SkinArchiveName(other), SkinArchiveName(1)) << other;
}

std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

using PatchVersionTest = ArchiveTest;

TEST_F(PatchVersionTest, RewritesVersionSixThreeOrSixSevenAfterTheProductTextInTheWholeFile) {
    const std::string product = Utf16(L"智能岚石输入平台"), head = "MZ" + std::string(64, '\x01');
    const std::pair<std::string, std::string> patched[] = {  // the input, then what it becomes
        {product + Utf16(L" 版6.3 ") + product + Utf16(L" V6.7"), product + Utf16(L" 版8.6 ") + product + Utf16(L" V8.6")},
        // far into the file, and a version cut off by the file's end left alone
        {NoiseBytes(200000) + product + Utf16(L" V6.3") + product + Utf16(L" V6."),
         NoiseBytes(200000) + product + Utf16(L" V8.6") + product + Utf16(L" V6.")},
        // left alone: another version, a file larger than the work buffer
        {head + product + Utf16(L" V6.5"), ""},
        {product + Utf16(L" V6.3") + NoiseBytes(kWorkBufferSize), ""},
    };
    std::string path = Installed("program.ime");
    for (const auto& [input, expected] : patched) {
        SCOPED_TRACE(input.size());
        ASSERT_TRUE(WriteFileBytes(path, input));
        PatchVersionText("program.ime");
        EXPECT_EQ(ReadFileBytes(path), expected.empty() ? input : expected);
    }
    g_state.workBuffer = nullptr;  // nothing happens without a work buffer
    PatchVersionText("program.ime");
    PatchVersionText("absent.ime");
    EXPECT_FALSE(FileExists(Installed("absent.ime")));
}

}  // namespace
