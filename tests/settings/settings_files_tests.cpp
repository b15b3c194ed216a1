// The settings and user files, byte for byte, in a scratch install directory. The program runs under
// code page 936 and, as settings_files_tests-cp950, under 950, which changes one settings byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/install_state.h"
#include "common/text.h"
#include "settings/settings_files.h"
#include "tests/support/test_support.h"

namespace {

class SettingsFilesTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.oemCodePage = GetOEMCP();
        CopyText(g_state.installDir, scratch.Path().c_str());
    }
    std::string File(const char* name) const { return scratch.Path() + name; }
    std::string Read(const char* name) const { return ReadFileBytes(File(name)).value_or("<missing>"); }

    ScratchDir scratch;
};

// The cp950 build of this program runs under code page 950, the other under 936.
TEST_F(SettingsFilesTest, RunsUnderTheCodePageOfItsVariant) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    bool big5 = std::string(path).ends_with("-cp950.exe");
    EXPECT_EQ(g_state.oemCodePage, big5 ? 950u : 936u);
}

// WriteSettingsFiles recomputes the install directory itself; these cases write into the real one.
class SettingsFilesInInstallDirTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        dir = "C:\\Program Files\\quorel8\\";
        existed = DirectoryExists();
        CreateDirectoryA(dir.c_str(), nullptr);
        for (const char* name : kNames) restorers.emplace_back(std::make_unique<FileRestorer>(dir + name));
    }
    void TearDown() override {
        restorers.clear();
        if (!existed) RemoveDirectoryA(dir.c_str());
        QuorTest::TearDown();
    }
    bool DirectoryExists() const {
        DWORD attributes = GetFileAttributesA(dir.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::string Read(const char* name) const { return ReadFileBytes(dir + name).value_or("<missing>"); }

    static constexpr const char* kNames[] = {"wbpybz.quh", "quoryhzc.dat", "quordat.dat", "qunetsj.dat",
                                             "quyhgl0.dat"};
    std::string dir;
    bool existed = false;
    std::vector<std::unique_ptr<FileRestorer>> restorers;
};

TEST_F(SettingsFilesInInstallDirTest, WritesTheEditionFlagTheEmptyFilesTheNetworkSettingsAndTheUserRecord) {
    for (int edition : {kEditionWubi, kEditionPinyin}) {
        SCOPED_TRACE(edition);
        // Longer files from an earlier install are cut to the new contents.
        for (const char* name : kNames) ASSERT_TRUE(WriteFileBytes(dir + name, std::string(3000, 'E')));
        g_state.edition = edition;
        CopyText(g_state.installDir, "D:\\stale\\");
        // Every byte of the record goes out, including those after each text.
        for (std::size_t i = 0; i < sizeof g_state.user; ++i) {
            reinterpret_cast<unsigned char*>(&g_state.user)[i] = static_cast<unsigned char>(i * 7 + 3);
        }
        CopyText(g_state.user.name, "张三");
        CopyText(g_state.user.mobile, "13912345678");
        CopyText(g_state.user.password, "abc123");

        WriteSettingsFiles();

        EXPECT_EQ(std::string(g_state.installDir), dir);
        EXPECT_EQ(Read("wbpybz.quh"), std::string(edition == kEditionPinyin ? "QUWBPYBZ=1" : "QUWBPYBZ=0", 11));
        EXPECT_EQ(Read("quoryhzc.dat"), std::string(15, '\0'));
        EXPECT_EQ(Read("quordat.dat"), std::string(1000, '\0'));
        std::string network = Read("qunetsj.dat");
        EXPECT_EQ(network.size(), 110u);
        EXPECT_EQ(network,
                  "QUNETURL1=\r\nQUNETURL2=\r\nQUNETTIME=1\r\nQUBJTIME=7\r\nQUWYTIME=3\r\nQUSJOFF=0\r\n"
                  "QUNETTIME0=0\r\nQUBJTIME0=0\r\nQUNEONE=1\r\n");
        EXPECT_EQ(Read("quyhgl0.dat"), std::string(reinterpret_cast<const char*>(&g_state.user), 492));
    }
}

TEST_F(SettingsFilesTest, WritesNothingWithoutAnInstallDirectory) {
    // A directory that does not exist: every create fails and nothing else happens.
    CopyText(g_state.installDir, (scratch.Path() + "missing\\").c_str());
    WriteStatusWindowSettings();
    WriteInstallStamp();
    EXPECT_FALSE(FileExists(File("missing\\quszsj43.quh")));

    // No install directory at all: nothing lands in the current directory either.
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(scratch.Path().c_str());
    g_state.installDir[0] = '\0';
    WriteStatusWindowSettings();
    WriteInstallStamp();
    SetCurrentDirectoryA(current);
    EXPECT_FALSE(FileExists(File("quszsj43.quh")));
    EXPECT_FALSE(FileExists(File("install.quh")));
}

// A field of the given size: the text, its NUL, then filler.
std::string Terminated(const std::string& text, std::size_t size, char filler) {
    return text + '\0' + std::string(size - text.size() - 1, filler);
}

TEST_F(SettingsFilesTest, AnEarlierUserRecordWithoutTerminatorsIsEndedInsideEachField) {
    const struct {
        const char* name;
        std::string file;
        std::string expected;  // the record after reading, from a record of 'z' bytes
    } cases[] = {
        {"no NUL anywhere", std::string(492, '\xB0'),
         std::string(49, '\xB0') + '\0' + std::string(341, '\xB0') + '\0' + std::string(99, '\xB0') + '\0'},
        {"terminated fields kept as they are", Terminated("Li", 50, 'n') + Terminated("139", 342, 'm') + "secret",
         Terminated("Li", 50, 'n') + Terminated("139", 342, 'm') + "secret" + std::string(93, 'z') + '\0'},
        {"longer file: only the record is read", std::string(600, 'A'),
         std::string(49, 'A') + '\0' + std::string(341, 'A') + '\0' + std::string(99, 'A') + '\0'},
        {"short file, the rest kept", "abc", "abc" + std::string(46, 'z') + '\0' + std::string(341, 'z') + '\0' +
                                                 std::string(99, 'z') + '\0'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(&g_state.user, 'z', sizeof g_state.user);
        ASSERT_TRUE(WriteFileBytes(File("quyhgl0.dat"), c.file));
        ASSERT_TRUE(ReadUserRecord());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&g_state.user), sizeof g_state.user), c.expected);
        EXPECT_LT(std::strlen(g_state.user.name), sizeof g_state.user.name);
        EXPECT_LT(std::strlen(g_state.user.mobile), sizeof g_state.user.mobile);
        EXPECT_LT(std::strlen(g_state.user.password), sizeof g_state.user.password);
    }
    RemoveFile(File("quyhgl0.dat"));
    EXPECT_FALSE(ReadUserRecord());
}

// Expected settings record: every byte as the base file held it, except those listed.
std::string ExpectedRecord(unsigned char base, const std::map<int, int>& changed) {
    std::string record(200, static_cast<char>(base));
    for (const auto& [offset, value] : changed) record[offset] = static_cast<char>(value);
    return record;
}

const std::map<int, int> kCommonEdits = {{0x3E, 0}, {0x3F, 0}, {0x01, 1}, {0x2B, 1}, {0x36, 0}, {0x24, 1}};
const std::map<int, int> kPinyinEdits = {
    {0x13, 1}, {0x16, 0}, {0x19, 1}, {0x1B, 1}, {0x1C, 0}, {0x1D, 0}, {0x1E, 0}, {0x1F, 0},
    {0x20, 0}, {0x21, 0}, {0x22, 0}, {0x23, 0}, {0x36, 0}, {0x40, 1}, {0x42, 0}, {0x43, 0},
    {0x44, 0}, {0x45, 0}, {0x24, 0}, {0x2A, 1}, {0x46, 1}, {0x48, 1}, {0x4B, 0}, {0x50, 10}};

TEST_F(SettingsFilesTest, EditsTheSettingsRecordByEditionModeAndCodePage) {
    const struct {
        int mode;
        int byte00;
        int byte15;
    } modes[] = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {3, 4, 1}, {4, 3, 1}, {9, 0, 0}};
    const unsigned char base = 0x5A;
    for (int edition : {kEditionWubi, kEditionPinyin}) {
        for (const auto& m : modes) {
            SCOPED_TRACE("edition " + std::to_string(edition) + ", mode " + std::to_string(m.mode));
            ASSERT_TRUE(WriteFileBytes(File("quszsj43.quh"), std::string(200, static_cast<char>(base))));
            g_state.edition = edition;
            g_state.statusWindowMode = static_cast<std::uint8_t>(m.mode);
            g_state.backupState = kBackupTaken;

            WriteStatusWindowSettings();

            std::map<int, int> changed = kCommonEdits;
            if (edition == kEditionPinyin) {
                for (const auto& [offset, value] : kPinyinEdits) changed[offset] = value;
            }
            if (g_state.oemCodePage == 950) changed[0x0F] = 1;
            changed[0x00] = m.byte00;
            changed[0x15] = m.byte15;
            EXPECT_EQ(Read("quszsj43.quh"), ExpectedRecord(base, changed));
        }
    }
}

TEST_F(SettingsFilesTest, AMissingOrShortRecordIsCompletedFromTheWorkingCopy) {
    g_state.edition = kEditionWubi;
    g_state.statusWindowMode = 1;
    // Missing: the program's own defaults, edited.
    WriteStatusWindowSettings();
    std::map<int, int> defaults = {{0x08, 0x36}, {0x09, 1}, {0x0A, 1}, {0x0C, 1}, {0x0F, 1}, {0x13, 1}, {0x16, 1},
                                   {0x18, 1},    {0x1B, 1}, {0x24, 1}, {0x29, 1}, {0x2A, 1}, {0x2B, 1}, {0x36, 1},
                                   {0x3A, 1}};
    for (const auto& [offset, value] : kCommonEdits) defaults[offset] = value;
    EXPECT_EQ(Read("quszsj43.quh"), ExpectedRecord(0, defaults));

    // Short: its bytes first, the rest from the working copy as it stands.
    ResetInstallState();
    g_state.oemCodePage = GetOEMCP();
    CopyText(g_state.installDir, scratch.Path().c_str());
    ASSERT_TRUE(WriteFileBytes(File("quszsj43.quh"), std::string(16, '\x77')));
    WriteStatusWindowSettings();
    std::string expected = ExpectedRecord(0, defaults);
    for (int i = 0; i < 16; ++i) expected[i] = '\x77';
    expected[0x00] = 0;
    expected[0x01] = 1;
    if (g_state.oemCodePage == 950) expected[0x0F] = 1;
    EXPECT_EQ(Read("quszsj43.quh"), expected);
}

TEST_F(SettingsFilesTest, KeepingEarlierDataLeavesTheRecordUntouched) {
    std::string earlier(200, '\x33');
    ASSERT_TRUE(WriteFileBytes(File("quszsj43.quh"), earlier));
    g_state.backupState = kBackupRestoreWanted;
    g_state.statusWindowMode = 3;
    WriteStatusWindowSettings();
    EXPECT_EQ(Read("quszsj43.quh"), earlier);
}

TEST_F(SettingsFilesTest, TheInstallStampIsTheTickCountInDigits) {
    ASSERT_TRUE(WriteFileBytes(File("install.quh"), std::string(40, 'x')));
    DWORD before = GetTickCount();
    WriteInstallStamp();
    DWORD after = GetTickCount();

    std::string stamp = Read("install.quh");
    ASSERT_FALSE(stamp.empty());
    ASSERT_LE(stamp.size(), 11u);
    for (std::size_t i = 0; i < stamp.size(); ++i) {
        EXPECT_TRUE((stamp[i] >= '0' && stamp[i] <= '9') || (i == 0 && stamp[i] == '-')) << stamp;
    }
    DWORD value = static_cast<DWORD>(std::stol(stamp));
    EXPECT_GE(value, before);
    EXPECT_LE(value, after);
}

}  // namespace
