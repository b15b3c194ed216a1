// The backup of the user's earlier data and its restore, on real files: the archive the backup
// writes (read back with the archive walker), the files that end it, the keep-data question, and the
// restore of a good and of a crafted quorback.quz with its report.
#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include "archive/quz_format.h"
#include "archive/user_backup.h"
#include "common/install_state.h"
#include "common/text.h"
#include "tests/archive/archive_fixture.h"

namespace {

// The data files in archive order, as source file and member name: the first eight are packed from
// a copy under the member name; the first fifteen are required.
const std::pair<const char*, const char*> kRows[] = {
    {"quorpyck.quh", "quorpyck.bak"}, {"quszsj43.quh", "quszsj43.bak"}, {"qfontset.quh", "qfontset.bak"},
    {"qwbzlcz1.quh", "qwbzlcz1.bak"}, {"quwbcmxz.quh", "quwbcmxz.bak"}, {"qudhzcm.quh", "qudhzcm.bak"},
    {"quordhz.quh", "quordhz.bak"},   {"qugbkhz.quh", "qugbkhz.bak"},   {"quszsj43.quh", "quszsj43.quh"},
    {"quordwdw.txt", "quordwdw.txt"}, {"quorzdym.quh", "quorzdym.quh"}, {"qupyzdym.quh", "qupyzdym.quh"},
    {"quwbpy.txt", "quwbpy.txt"},     {"quorynhz.txt", "quorynhz.txt"}, {"quorzdfh.quh", "quorzdfh.quh"},
    {"userck.txt", "userck.txt"},     {"delck.txt", "delck.txt"},       {"ftquzdym.txt", "ftquzdym.txt"},
    {"ftpyzdym.txt", "ftpyzdym.txt"}, {"quorpymb.ov1", "quorpymb.ov1"}, {"qugbkbh.quh", "qugbkbh.quh"},
    {"quszsj05.quh", "quszsj05.quh"}, {"quszsj06.quh", "quszsj06.quh"},
};
constexpr char kRestoreFailed[] = "\r\n\r\n原有数据文件没有成功复制，原有数据不能使用！\r\n";

std::string ContentOf(const std::string& name) { return "data of " + name + "\r\n" + TextBytes(300, name.size()); }

// Reads an archive back: every record must be whole and carry the digest of its data, and the header
// must give the archive's size and count its records. Returns the members as "name=data".
Texts ReadBackup(const std::string& archive) {
    Texts members;
    EXPECT_EQ(archive.substr(0, 2), "Q0");
    EXPECT_EQ(ReadLittleEndian32(Bytes(archive) + 2), archive.size());
    ArchiveWalker walker(Bytes(archive), archive.size());
    ArchiveRecord record;
    while (walker.Next(&record) == WalkStep::kRecord) {
        std::string data(kInflateCapacity, '\0');
        uLongf length = static_cast<uLongf>(data.size());
        EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(data.data()), &length, record.data, record.compressedLength), Z_OK);
        data.resize(length);
        char name[kDigestNameFieldSize + 1];
        CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.storedDigest), kDigestTextSize), DigestTextOf(data));
        members.push_back(std::string(name) + "=" + data);
    }
    EXPECT_EQ(members.size(), walker.Count());
    EXPECT_EQ(walker.Position(), archive.size());
    return members;
}

class BackupTest : public ArchiveTest {
protected:
    void SetUp() override {
        ArchiveTest::SetUp();
        // The earlier install lay in the test's install directory; the default one is elsewhere.
        CopyText(g_state.previousInstallDir, InstallDir().c_str());
    }
    void WriteAllRows() {
        for (const auto& [source, member] : kRows) ASSERT_TRUE(WriteFileBytes(Installed(source), ContentOf(source)));
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
    EXPECT_EQ(std::string(g_state.installDir), InstallDir());
    Texts expected;
    for (const auto& [source, member] : kRows) {
        expected.push_back(std::string(member) + "=" + ContentOf(source));
        EXPECT_EQ(ReadFileBytes(Installed(member)), ContentOf(source)) << member;
    }
    EXPECT_EQ(ReadBackup(Archive()), expected);

    ScratchDir otherInstall;
    for (const std::string& dir : {InstallDir(), otherInstall.Path()}) {
        SCOPED_TRACE(dir);
        for (const auto& [source, member] : kRows) ASSERT_TRUE(WriteFileBytes(dir + member, "newly installed"));
        CopyText(g_state.installDir, dir.c_str());
        RestoreBackup();
        EXPECT_EQ(ReadFileBytes(dir + "quorback.quz"), Archive());
        for (const auto& [source, member] : kRows) EXPECT_EQ(ReadFileBytes(dir + member), ContentOf(source)) << member;
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const RecordedMessage& box : messages.shown) {
        EXPECT_TRUE(box.wtext == L"成功恢复了23个原有数据文件！" && box.wcaption == L"智能岚石" && box.style == MB_OK);
    }
}

// A required file that cannot be added ends the backup, an optional one does not; without a recorded
// earlier install nothing is collected, even from the current directory.
TEST_F(BackupTest, ARequiredFileThatCannotBeAddedEndsTheBackupOptionalOnesDoNot) {
    // Removed, then written again with these bytes; whether complete; members in the archive afterwards.
    const struct { const char* removed; const char* written; std::string bytes; bool complete; std::size_t kept; }
        cases[] = {
            {"", "", "", false, 0},  // a first install: no data files at all
            {"quorpyck.quh", "", "", false, 0}, {"quszsj43.quh", "", "", false, 1},
            {"quorzdfh.quh", "", "", false, 14}, {"userck.txt", "", "", true, 22},
            // Present, but its compressed form is longer than its capacity.
            {"quordwdw.txt", "quordwdw.txt", NoiseBytes(20000), false, 9},
            {"delck.txt", "delck.txt", NoiseBytes(20000), true, 22},
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
        Texts members = c.removed ? ReadBackup(Archive()) : Texts{};
        EXPECT_EQ(members.size(), c.kept);
        for (const std::string& member : members) {
            const std::string name = member.substr(0, member.find('='));
            EXPECT_EQ(ReadFileBytes(Installed(name)), member.substr(name.size() + 1)) << name;
        }
    }
    EXPECT_FALSE(FileExists(ArchivePath()) || FileExists(Installed("quorpyck.bak")));
}

TEST_F(BackupTest, AppendAddsWhatFitsAndOtherwiseLeavesTheArchiveAsItWas) {
    const std::string trail = "\xC0\x5C";  // 癨 in GBK: its second byte is a backslash byte
    ASSERT_TRUE(CreateDirectoryA(Installed(trail).c_str(), nullptr));
    for (const std::string name : {"first.txt", "name12345678", "name123456789", "词组.txt", "empty.txt"}) {
        ASSERT_TRUE(WriteFileBytes(Installed(name), name == "empty.txt" ? "" : "content of " + name));
    }
    for (const std::string& name : {trail + "a.txt", trail + "\\plain.txt"}) ASSERT_TRUE(WriteFileBytes(Installed(name), "x"));
    ASSERT_TRUE(WriteFileBytes(Installed("small.bin"), NoiseBytes(5000)));
    ASSERT_TRUE(WriteFileBytes(Installed("noise.bin"), NoiseBytes(20000)));
    ASSERT_TRUE(AppendToBackup(kBackupArchiveName, Installed("first.txt").c_str()));
    const std::string good = Archive();
    std::string countPastEnd = good, unmarked = good, otherKind = good, plain = good;
    SetCount(countPastEnd, 3);
    unmarked[kArchiveHeaderSize] = 'X';
    otherKind[0] = 'P';
    plain[1] = 'U';
    const struct { const char* label; std::string archive, path; } refused[] = {
        {"a name already present", good, Installed("first.txt")},
        {"a name of 13 bytes", good, Installed("name123456789")},
        {"a missing file", good, Installed("absent.txt")},
        {"no name after the backslash", good, InstallDir()},
        {"a name with a trail byte 0x5C", good, Installed(trail + "a.txt")},  // would be stored as "a.txt"
        {"a compressed form above its capacity", good, Installed("noise.bin")},
        {"another kind byte", otherKind, Installed("small.bin")},
        {"the plain variant", plain, Installed("small.bin")},
        {"a count beyond the records", countPastEnd, Installed("small.bin")},
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
    EXPECT_EQ(ReadBackup(Archive()), (Texts{"first.txt=content of first.txt", "name12345678=content of name12345678",
                                            "small.bin=" + NoiseBytes(5000), "empty.txt=", "plain.txt=x",
                                            "词组.txt=content of 词组.txt"}));
}

// The question follows a complete backup only (a first install has none, an incomplete one leaves
// state 0 as well).
TEST_F(BackupTest, AsksTheQuestionOfTheDirectoryAndRemembersYes) {
    // The earlier directory (nullptr: the install directory), the state before, the answer, the state after.
    const struct { const char* previous; int state, answer, stateAfter; const wchar_t* question; } cases[] = {
        {nullptr, kBackupTaken, IDYES, kBackupRestoreWanted, L"检测到安装目录下有智能岚石以前的词组等数据文件，是否保留？"},
        {nullptr, kBackupTaken, IDNO, kBackupTaken, L"检测到安装目录下有智能岚石以前的词组等数据文件，是否保留？"},
        {"D:\\Earlier\\quorel8\\", kBackupTaken, IDYES, kBackupRestoreWanted, L"检测到有智能岚石以前的词组等数据文件，是否保留？"},
        {nullptr, kBackupNone, IDYES, kBackupNone, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.previous ? c.previous : "same directory") << ", state " << c.state);
        messages.shown.clear();
        messages.answers = {c.answer};
        g_state.backupState = c.state;
        CopyText(g_state.previousInstallDir, c.previous ? c.previous : InstallDir().c_str());
        AskToKeepEarlierData();
        EXPECT_EQ(g_state.backupState, c.stateAfter);
        ASSERT_EQ(messages.shown.size(), c.question ? 1u : 0u);
        if (c.question) {
            EXPECT_TRUE(messages.shown[0].wtext == c.question && messages.shown[0].wcaption == L"智能岚石安装" &&
                        messages.shown[0].style == MB_YESNO);
        }
    }
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

    std::string good = TextBytes(400, 3);
    std::string archive = BuildArchive(ArchiveVariant::kDigest,
                                       {{"quorpyck.bak", good},
                                        {"..\\escape.txt", TextBytes(200, 4)},
                                        {"quwbpy.txt", TextBytes(200, 5), DigestTextOf("something else")},
                                        {"delck.txt", ""},
                                        {"userck.txt", TextBytes(200, 6), std::nullopt, std::string("not zlib")},
                                        {"quorzdym.quh", TextBytes(300, 7)}});
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), archive.substr(0, archive.size() - 10)));  // the last one cut short
    RestoreBackup();
    EXPECT_EQ(ReadFileBytes(Installed("quorpyck.bak")), good);
    EXPECT_EQ(FilesIn(scratch.Path()), Texts{});
    Texts expected;
    for (const char* name : {"..\\escape.txt", "quwbpy.txt", "delck.txt", "userck.txt", "quorzdym.quh"}) {
        expected.push_back(MemberFailedText(name));
    }
    expected.push_back(std::string("..\\escape.txt....quwbpy.txt....delck.txt....userck.txt....") + kWalkClosing +
                       kRestoreFailed);
    EXPECT_EQ(MessageTexts(), expected);
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

}  // namespace
