// The backup of the user's earlier data and its restore, on real files: the archive the backup
// writes (read back with the archive walker), the files that end it, the keep-data question, and the
// restore of a good and of a crafted quorback.quz with its report.
#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

#include "archive/quz_format.h"
#include "archive/user_backup.h"
#include "common/install_state.h"
#include "common/text.h"
#include "tests/archive/archive_fixture.h"

namespace {

// The data files in archive order: source file, member name, required.
struct Row {
    const char* source;
    const char* member;
    bool required;
};
const Row kRows[] = {
    {"quorpyck.quh", "quorpyck.bak", true}, {"quszsj43.quh", "quszsj43.bak", true},
    {"qfontset.quh", "qfontset.bak", true}, {"qwbzlcz1.quh", "qwbzlcz1.bak", true},
    {"quwbcmxz.quh", "quwbcmxz.bak", true}, {"qudhzcm.quh", "qudhzcm.bak", true},
    {"quordhz.quh", "quordhz.bak", true},   {"qugbkhz.quh", "qugbkhz.bak", true},
    {"quszsj43.quh", "quszsj43.quh", true}, {"quordwdw.txt", "quordwdw.txt", true},
    {"quorzdym.quh", "quorzdym.quh", true}, {"qupyzdym.quh", "qupyzdym.quh", true},
    {"quwbpy.txt", "quwbpy.txt", true},     {"quorynhz.txt", "quorynhz.txt", true},
    {"quorzdfh.quh", "quorzdfh.quh", true}, {"userck.txt", "userck.txt", false},
    {"delck.txt", "delck.txt", false},      {"ftquzdym.txt", "ftquzdym.txt", false},
    {"ftpyzdym.txt", "ftpyzdym.txt", false}, {"quorpymb.ov1", "quorpymb.ov1", false},
    {"qugbkbh.quh", "qugbkbh.quh", false},  {"quszsj05.quh", "quszsj05.quh", false},
    {"quszsj06.quh", "quszsj06.quh", false},
};

std::string ContentOf(const std::string& name) { return "data of " + name + "\r\n" + TextBytes(300, name.size()); }

struct Member {
    std::string name;
    std::string data;
};

// Reads an archive back: every record must be whole, carry the digest of its data, and the header
// must count them and give the archive's size.
std::vector<Member> ReadBackup(const std::string& archive) {
    std::vector<Member> members;
    ArchiveWalker walker(Bytes(archive), archive.size());
    EXPECT_TRUE(walker.HasHeader());
    EXPECT_EQ(archive.substr(0, 2), "Q0");
    EXPECT_EQ(ReadLittleEndian32(Bytes(archive) + 2), archive.size());
    ArchiveRecord record;
    WalkStep step;
    while ((step = walker.Next(&record)) == WalkStep::kRecord) {
        std::string data(kInflateCapacity, '\0');
        uLongf length = static_cast<uLongf>(data.size());
        EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(data.data()), &length, record.data, record.compressedLength),
                  Z_OK);
        data.resize(length);
        char name[kDigestNameFieldSize + 1];
        CopyMemberName(record.nameField, record.nameFieldSize, name, sizeof name);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.storedDigest), kDigestTextSize), DigestTextOf(data))
            << name;
        members.push_back({name, data});
    }
    EXPECT_EQ(step, WalkStep::kEnd);
    EXPECT_EQ(members.size(), walker.Count());
    EXPECT_EQ(walker.Position(), archive.size());
    return members;
}

std::vector<std::string> NamesOf(const std::vector<Member>& members) {
    std::vector<std::string> names;
    for (const Member& m : members) names.push_back(m.name);
    return names;
}

class BackupTest : public ArchiveTest {
protected:
    void SetUp() override {
        ArchiveTest::SetUp();
        // The earlier install lay in the test's install directory; the default one is elsewhere.
        CopyText(g_state.previousInstallDir, InstallDir().c_str());
    }
    void WriteRows(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) ASSERT_TRUE(WriteFileBytes(Installed(kRows[i].source), ContentOf(kRows[i].source)));
    }
    void WriteAllRows() { WriteRows(std::size(kRows)); }
    std::string ArchivePath() const { return Installed("quorback.quz"); }
    std::string Archive() const { return ReadFileBytes(ArchivePath()).value_or(""); }
    std::vector<std::string> MemberNames(std::size_t count) const {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < count; ++i) names.push_back(kRows[i].member);
        return names;
    }
};

TEST_F(BackupTest, AFullSetIsPackedInTableOrderWithTheBakCopiesLeftBeside) {
    WriteAllRows();
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), "an archive from an earlier run"));

    EXPECT_TRUE(CollectBackup());
    EXPECT_EQ(std::string(g_state.installDir), InstallDir());  // left at the backup directory

    std::vector<Member> members = ReadBackup(Archive());
    EXPECT_EQ(NamesOf(members), MemberNames(std::size(kRows)));
    for (std::size_t i = 0; i < members.size() && i < std::size(kRows); ++i) {
        EXPECT_EQ(members[i].data, ContentOf(kRows[i].source)) << kRows[i].member;
    }
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(ReadFileBytes(Installed(kRows[i].member)), ContentOf(kRows[i].source)) << kRows[i].member;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BackupTest, ARequiredFileThatCannotBeAddedEndsTheBackupOptionalOnesDoNot) {
    const struct {
        const char* missing;
        bool incompressible;  // present, but its compressed form is longer than its capacity
        bool complete;
        std::size_t kept;  // members in the archive afterwards
    } cases[] = {
        {"quorpyck.quh", false, false, 0}, {"quordhz.quh", false, false, 6}, {"quszsj43.quh", false, false, 1},
        {"quorzdfh.quh", false, false, 14}, {"userck.txt", false, true, 22}, {"quszsj06.quh", false, true, 22},
        {"quordwdw.txt", true, false, 9},  {"delck.txt", true, true, 22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing);
        RemoveTree(InstallDir());
        CreateDirectoryA(InstallDir().c_str(), nullptr);
        CopyText(g_state.installDir, InstallDir().c_str());
        WriteAllRows();
        RemoveFile(Installed(c.missing));
        if (c.incompressible) {
            ASSERT_TRUE(WriteFileBytes(Installed(c.missing), NoiseBytes(20000)));
        }

        EXPECT_EQ(CollectBackup(), c.complete);
        std::vector<Member> members = ReadBackup(Archive());
        EXPECT_EQ(members.size(), c.kept);
        for (const Member& m : members) EXPECT_NE(m.name, c.missing);
    }
}

TEST_F(BackupTest, FirstInstallWithoutDataFilesLeavesStateZeroAndAsksNothing) {
    g_state.backupState = kBackupNone;
    if (CollectBackup()) g_state.backupState = kBackupTaken;
    EXPECT_EQ(g_state.backupState, kBackupNone);
    // The archive was begun before the first file was missed, and holds nothing.
    EXPECT_EQ(Archive(), std::string("Q0\x0a\0\0\0\0\0\0\0", 10));

    AskToKeepEarlierData();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(g_state.backupState, kBackupNone);
}

TEST_F(BackupTest, WithoutARecordedEarlierInstallNothingIsCollectedAnywhere) {
    WriteAllRows();
    g_state.previousInstallDir[0] = '\0';
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(InstallDir().c_str());  // the files would be found here by relative names
    bool collected = CollectBackup();
    SetCurrentDirectoryA(current);
    EXPECT_FALSE(collected);
    EXPECT_FALSE(FileExists(ArchivePath()));
    EXPECT_FALSE(FileExists(Installed("quorpyck.bak")));
}

TEST_F(BackupTest, AnOlderBakIsPackedWhenItsSourceIsMissing) {
    WriteAllRows();
    RemoveFile(Installed("quorpyck.quh"));
    ASSERT_TRUE(WriteFileBytes(Installed("quorpyck.bak"), "phrases kept by an earlier run"));
    EXPECT_TRUE(CollectBackup());
    std::vector<Member> members = ReadBackup(Archive());
    ASSERT_FALSE(members.empty());
    EXPECT_EQ(members[0].name, "quorpyck.bak");
    EXPECT_EQ(members[0].data, "phrases kept by an earlier run");
}

TEST_F(BackupTest, AppendRefusesWhatCannotBeAddedAndLeavesTheArchiveAsItWas) {
    ASSERT_TRUE(WriteFileBytes(Installed("first.txt"), "first"));
    ASSERT_TRUE(AppendToBackup(ArchivePath().c_str(), Installed("first.txt").c_str()));
    std::string before = Archive();

    ASSERT_TRUE(WriteFileBytes(Installed("name12345678"), "twelve bytes of name"));
    ASSERT_TRUE(WriteFileBytes(Installed("name123456789"), "thirteen"));
    ASSERT_TRUE(WriteFileBytes(Installed("noise.bin"), NoiseBytes(20000)));
    const struct {
        const char* name;
        std::string path;
    } refused[] = {
        {"name already present", Installed("first.txt")},
        {"name of 13 bytes", Installed("name123456789")},
        {"missing file", Installed("absent.txt")},
        {"empty path", ""},
        {"no name after the backslash", InstallDir()},
        {"compressed form above its size", Installed("noise.bin")},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(AppendToBackup(ArchivePath().c_str(), c.path.c_str()));
        EXPECT_EQ(Archive(), before);
    }

    // What does fit: a 12-byte name, incompressible data under 8 KiB, an empty file.
    ASSERT_TRUE(WriteFileBytes(Installed("small.bin"), NoiseBytes(5000)));
    ASSERT_TRUE(WriteFileBytes(Installed("empty.txt"), ""));
    for (const char* name : {"name12345678", "small.bin", "empty.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(AppendToBackup(ArchivePath().c_str(), Installed(name).c_str()));
    }
    std::vector<Member> members = ReadBackup(Archive());
    EXPECT_EQ(NamesOf(members), (std::vector<std::string>{"first.txt", "name12345678", "small.bin", "empty.txt"}));
    EXPECT_EQ(members[2].data, NoiseBytes(5000));
    EXPECT_EQ(members[3].data, "");
}

TEST_F(BackupTest, AppendTakesTheNameAfterTheLastRealBackslash) {
    // 癨 is C0 5C in GBK: its second byte is a backslash byte, which must not split a name.
    const std::string trailBackslash = "\xC0\x5C";
    ASSERT_TRUE(CreateDirectoryA(Installed(trailBackslash).c_str(), nullptr));
    const struct {
        std::string path;
        bool added;
        std::string member;
    } cases[] = {
        {Installed(trailBackslash + "\\plain.txt"), true, "plain.txt"},
        {Installed("词组.txt"), true, "词组.txt"},
        // Not stored as "a.txt": the whole name is refused, as no archive member may hold that byte.
        {Installed(trailBackslash + "a.txt"), false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(WriteFileBytes(c.path, "x"));
        EXPECT_EQ(AppendToBackup(ArchivePath().c_str(), c.path.c_str()), c.added);
    }
    EXPECT_EQ(NamesOf(ReadBackup(Archive())), (std::vector<std::string>{"plain.txt", "词组.txt"}));
}

TEST_F(BackupTest, AppendDoesNotBuildOnADamagedArchive) {
    ASSERT_TRUE(WriteFileBytes(Installed("file.txt"), "content"));
    const struct {
        const char* name;
        std::string archive;
    } damaged[] = {
        {"short header", "Q0\x0a"},
        {"count beyond the records", [] {
             std::string a = BuildArchive(ArchiveVariant::kDigest, {{"one.txt", "1"}});
             SetCount(a, 3);
             return a;
         }()},
        {"length beyond the end", [] {
             std::string a = BuildArchive(ArchiveVariant::kDigest, {{"one.txt", "1"}});
             a.resize(a.size() - 2);
             return a;
         }()},
        {"no marker", [] {
             std::string a = BuildArchive(ArchiveVariant::kDigest, {{"one.txt", "1"}});
             a[10] = 'X';
             return a;
         }()},
    };
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(ArchivePath(), c.archive));
        EXPECT_FALSE(AppendToBackup(ArchivePath().c_str(), Installed("file.txt").c_str()));
        EXPECT_EQ(Archive(), c.archive);
    }
}

TEST_F(BackupTest, AsksTheQuestionOfTheDirectoryAndRemembersYes) {
    const struct {
        const char* name;
        bool sameDirectory;
        int answer;
        int state;
    } cases[] = {
        {"same directory, yes", true, IDYES, kBackupRestoreWanted},
        {"same directory, no", true, IDNO, kBackupTaken},
        {"other directory, yes", false, IDYES, kBackupRestoreWanted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        messages.answers = {c.answer};
        g_state.backupState = kBackupTaken;
        CopyText(g_state.previousInstallDir, c.sameDirectory ? InstallDir().c_str() : "D:\\Earlier\\quorel8\\");
        AskToKeepEarlierData();
        ASSERT_EQ(messages.shown.size(), 1u);
        const RecordedMessage& box = messages.shown[0];
        EXPECT_TRUE(box.wide);
        EXPECT_EQ(box.wtext, c.sameDirectory ? L"检测到安装目录下有智能岚石以前的词组等数据文件，是否保留？"
                                             : L"检测到有智能岚石以前的词组等数据文件，是否保留？");
        EXPECT_EQ(box.wcaption, L"智能岚石安装");
        EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(g_state.backupState, c.state);
    }
}

class RestoreTest : public BackupTest {
protected:
    // Installs new versions of the data files over what the backup holds.
    void InstallNewFiles() {
        for (const Row& row : kRows) ASSERT_TRUE(WriteFileBytes(Installed(row.member), "newly installed"));
    }
    const RecordedMessage& OnlyMessage() {
        EXPECT_EQ(messages.shown.size(), 1u);
        static RecordedMessage none;
        return messages.shown.empty() ? none : messages.shown.back();
    }
};

TEST_F(RestoreTest, BringsTheDataBackInTheSameDirectoryAndCountsIt) {
    WriteAllRows();
    ASSERT_TRUE(CollectBackup());
    InstallNewFiles();

    RestoreBackup();

    for (const Row& row : kRows) EXPECT_EQ(ReadFileBytes(Installed(row.member)), ContentOf(row.source)) << row.member;
    const RecordedMessage& box = OnlyMessage();
    EXPECT_TRUE(box.wide);
    EXPECT_EQ(box.wtext, L"成功恢复了23个原有数据文件！");
    EXPECT_EQ(box.wcaption, L"智能岚石");
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
}

TEST_F(RestoreTest, CopiesTheArchiveFromTheEarlierDirectoryFirst) {
    WriteAllRows();
    ASSERT_TRUE(CollectBackup());
    ScratchDir newInstall;
    CopyText(g_state.installDir, newInstall.Path().c_str());

    RestoreBackup();

    EXPECT_EQ(ReadFileBytes(newInstall.Path() + "quorback.quz"), Archive());
    for (const Row& row : kRows) {
        EXPECT_EQ(ReadFileBytes(newInstall.Path() + row.member), ContentOf(row.source)) << row.member;
    }
    EXPECT_EQ(OnlyMessage().wtext, L"成功恢复了23个原有数据文件！");
}

TEST_F(RestoreTest, AMissingOrShortArchiveIsIgnoredSilently) {
    RestoreBackup();
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), BuildArchive(ArchiveVariant::kDigest, {{"a.txt", "1"}})));
    ASSERT_LT(Archive().size(), 100u);
    RestoreBackup();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(FileExists(Installed("a.txt")));
}

// quorback.quz lies where ordinary users can write: a crafted one fails member by member with the
// normal messages, writes nothing outside the install directory, and ends in the failure report.
TEST_F(RestoreTest, ACraftedArchiveFailsMemberByMemberAndIsReported) {
    std::string good = TextBytes(400, 3);
    std::vector<TestMember> members = {
        {"quorpyck.bak", good},
        {"..\\escape.txt", TextBytes(200, 4)},
        {"quwbpy.txt", TextBytes(200, 5), DigestTextOf("something else")},
        {"delck.txt", ""},  // inflates to nothing
        {"userck.txt", TextBytes(200, 6), std::nullopt, std::string("not a zlib stream")},
    };
    std::string archive = BuildArchive(ArchiveVariant::kDigest, members);
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), archive));

    RestoreBackup();

    EXPECT_EQ(ReadFileBytes(Installed("quorpyck.bak")), good);
    EXPECT_TRUE(FilesOutsideInstallDir().empty());
    std::vector<std::string> texts = MessageTexts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], MemberFailedText("..\\escape.txt"));
    EXPECT_EQ(texts[1], MemberFailedText("quwbpy.txt"));
    EXPECT_EQ(texts[2], MemberFailedText("delck.txt"));
    EXPECT_EQ(texts[3], MemberFailedText("userck.txt"));
    EXPECT_EQ(texts[4], std::string("..\\escape.txt....quwbpy.txt....delck.txt....userck.txt....") +
                            "有文件没有成功解压，请重新下载安装！\r\n\r\n\r\n原有数据文件没有成功复制，原有数据不能使用！\r\n");
    const RecordedMessage& report = messages.shown.back();
    EXPECT_FALSE(report.wide);
    EXPECT_EQ(report.caption, "智能岚石");
    EXPECT_EQ(report.style, static_cast<UINT>(MB_OK));
}

TEST_F(RestoreTest, ATruncatedArchiveReportsTheMembersItLost) {
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"quorpyck.bak", TextBytes(300, 1)},
                                                                 {"quwbpy.txt", TextBytes(300, 2)}});
    archive.resize(archive.size() - 10);
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), archive));

    RestoreBackup();

    EXPECT_EQ(ReadFileBytes(Installed("quorpyck.bak")), TextBytes(300, 1));
    EXPECT_FALSE(FileExists(Installed("quwbpy.txt")));
    std::vector<std::string> texts = MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], MemberFailedText("quwbpy.txt"));
    EXPECT_EQ(texts[1], std::string("有文件没有成功解压，请重新下载安装！\r\n") +
                            "\r\n\r\n原有数据文件没有成功复制，原有数据不能使用！\r\n");
}

// A report of many failed members is cut to its room, but its closing line always arrives whole.
TEST_F(RestoreTest, ALongReportKeepsItsClosingLine) {
    std::vector<TestMember> members;
    for (int i = 0; i < 400; ++i) members.push_back({"bad" + std::to_string(i) + ".txt", "x", DigestTextOf("y")});
    ASSERT_TRUE(WriteFileBytes(ArchivePath(), BuildArchive(ArchiveVariant::kDigest, members)));
    messages.defaultAnswer = IDOK;

    RestoreBackup();

    ASSERT_EQ(messages.shown.size(), 401u);
    std::string report = messages.shown.back().text;
    EXPECT_LT(report.size(), 4096u);
    EXPECT_TRUE(report.ends_with("\r\n\r\n原有数据文件没有成功复制，原有数据不能使用！\r\n"));
    EXPECT_TRUE(report.starts_with("bad0.txt....bad1.txt...."));
}

}  // namespace
