// The settings and user files, byte for byte, in a scratch install directory, and in the real one
// for the files written after the install directory is recomputed. The code page is the state field
// the program fills from GetOEMCP() at start.
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
        CopyText(g_state.installDir, scratch.Path().c_str());
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(scratch.Path() + name).value_or("<missing>"); }
    ScratchDir scratch;
};

// WriteSettingsFiles recomputes the install directory: these files go into the real one and are put
// back as they were afterwards.
class SettingsFilesInInstallDirTest : public QuorTest {
protected:
    void TearDown() override {
        restorers.clear();
        if (created) RemoveDirectoryA(kDir);
        QuorTest::TearDown();
    }
    static constexpr char kDir[] = "C:\\Program Files\\quorel8\\";
    bool created = CreateDirectoryA(kDir, nullptr);
    std::vector<std::unique_ptr<FileRestorer>> restorers;
};

TEST_F(SettingsFilesInInstallDirTest, WritesTheEditionFlagTheEmptyFilesTheNetworkSettingsAndTheUserRecord) {
    // Every byte of the record goes out, including those after each text.
    for (std::size_t i = 0; i < sizeof g_state.user; ++i) {
        reinterpret_cast<unsigned char*>(&g_state.user)[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    CopyText(g_state.user.name, "张三");
    const std::string user(reinterpret_cast<const char*>(&g_state.user), 492);
    const std::map<std::string, std::string> common = {
        {"quoryhzc.dat", std::string(15, '\0')},
        {"quordat.dat", std::string(1000, '\0')},
        {"qunetsj.dat", "QUNETURL1=\r\nQUNETURL2=\r\nQUNETTIME=1\r\nQUBJTIME=7\r\nQUWYTIME=3\r\nQUSJOFF=0\r\nQUNETTIME0=0\r\n"
                        "QUBJTIME0=0\r\nQUNEONE=1\r\n"},
        {"quyhgl0.dat", user},
    };
    for (const auto& [name, bytes] : common) restorers.push_back(std::make_unique<FileRestorer>(kDir + name));
    restorers.push_back(std::make_unique<FileRestorer>(std::string(kDir) + "wbpybz.quh"));
    for (int edition : {kEditionWubi, kEditionPinyin}) {
        SCOPED_TRACE(edition);
        // Longer files from an earlier install are cut to the new contents.
        for (const char* name : {"wbpybz.quh", "quoryhzc.dat", "quordat.dat", "qunetsj.dat", "quyhgl0.dat"}) {
            ASSERT_TRUE(WriteFileBytes(std::string(kDir) + name, std::string(3000, 'E')));
        }
        g_state.edition = edition;
        CopyText(g_state.installDir, "D:\\stale\\");

        WriteSettingsFiles();

        EXPECT_EQ(std::string(g_state.installDir), kDir);
        EXPECT_EQ(ReadFileBytes(std::string(kDir) + "wbpybz.quh"),
                  std::string(edition == kEditionPinyin ? "QUWBPYBZ=1" : "QUWBPYBZ=0", 11));
        for (const auto& [name, bytes] : common) EXPECT_EQ(ReadFileBytes(kDir + name), bytes) << name;
    }
}

// Without an install directory nothing lands in the current directory.
TEST_F(SettingsFilesTest, WritesNothingWithoutAnInstallDirectory) {
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(scratch.Path().c_str());
    g_state.installDir[0] = '\0';
    WriteStatusWindowSettings();
    WriteInstallStamp();
    SetCurrentDirectoryA(current);
    EXPECT_FALSE(FileExists(scratch.Path() + "quszsj43.quh"));
    EXPECT_FALSE(FileExists(scratch.Path() + "install.quh"));
}

TEST_F(SettingsFilesTest, AnEarlierUserRecordWithoutTerminatorsIsEndedInsideEachField) {
    // A field of the given size: the text, its NUL, then filler.
    auto terminated = [](const std::string& text, std::size_t size, char filler) {
        return text + '\0' + std::string(size - text.size() - 1, filler);
    };
    auto ended = [](char c) { return std::string(49, c) + '\0' + std::string(341, c) + '\0' + std::string(99, c) + '\0'; };
    // The record after reading, from a record of 'z' bytes.
    const struct { const char* name; std::string file, expected; } cases[] = {
        {"no NUL anywhere", std::string(492, '\xB0'), ended('\xB0')},
        {"terminated fields kept as they are", terminated("Li", 50, 'n') + terminated("139", 342, 'm') + "secret",
         terminated("Li", 50, 'n') + terminated("139", 342, 'm') + "secret" + std::string(93, 'z') + '\0'},
        {"longer file: only the record is read", std::string(600, 'A'), ended('A')},
        {"short file, the rest kept", "abc", "abc" + ended('z').substr(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(&g_state.user, 'z', sizeof g_state.user);
        ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quyhgl0.dat", c.file));
        ASSERT_TRUE(ReadUserRecord());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&g_state.user), sizeof g_state.user), c.expected);
    }
    RemoveFile(scratch.Path() + "quyhgl0.dat");
    EXPECT_FALSE(ReadUserRecord());
}

// Expected settings record: every byte as the base held it, except those listed.
std::string ExpectedRecord(const std::string& base, const std::map<int, int>& changed) {
    std::string record = base;
    for (const auto& [offset, value] : changed) record[offset] = static_cast<char>(value);
    return record;
}

const std::map<int, int> kCommonEdits = {{0x3E, 0}, {0x3F, 0}, {0x01, 1}, {0x2B, 1}, {0x36, 0}, {0x24, 1}};
const std::map<int, int> kPinyinEdits = {
    {0x13, 1}, {0x16, 0}, {0x19, 1}, {0x1B, 1}, {0x1C, 0}, {0x1D, 0}, {0x1E, 0}, {0x1F, 0},
    {0x20, 0}, {0x21, 0}, {0x22, 0}, {0x23, 0}, {0x36, 0}, {0x40, 1}, {0x42, 0}, {0x43, 0},
    {0x44, 0}, {0x45, 0}, {0x24, 0}, {0x2A, 1}, {0x46, 1}, {0x48, 1}, {0x4B, 0}, {0x50, 10}};

TEST_F(SettingsFilesTest, EditsTheSettingsRecordByEditionModeAndCodePage) {
    const struct { int mode, byte00, byte15; } modes[] = {{0, 0, 0}, {1, 0, 0}, {2, 1, 0}, {3, 4, 1}, {4, 3, 1}, {9, 0, 0}};
    const std::string base(200, '\x5A');
    for (unsigned codePage : {936u, 950u}) {
        for (int edition : {kEditionWubi, kEditionPinyin}) {
            for (const auto& m : modes) {
                SCOPED_TRACE(testing::Message() << "code page " << codePage << ", edition " << edition << ", mode " << m.mode);
                ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quszsj43.quh", base));
                g_state.oemCodePage = codePage;
                g_state.edition = edition;
                g_state.statusWindowMode = static_cast<std::uint8_t>(m.mode);
                g_state.backupState = kBackupTaken;

                WriteStatusWindowSettings();

                // The Pinyin edits win where both touch a byte (insert keeps what is there).
                std::map<int, int> changed = edition == kEditionPinyin ? kPinyinEdits : std::map<int, int>{};
                changed.insert(kCommonEdits.begin(), kCommonEdits.end());
                if (codePage == 950) changed[0x0F] = 1;
                changed[0x00] = m.byte00;
                changed[0x15] = m.byte15;
                EXPECT_EQ(Read("quszsj43.quh"), ExpectedRecord(base, changed));
            }
        }
    }
}

TEST_F(SettingsFilesTest, AMissingOrShortRecordIsCompletedFromTheWorkingCopyAndAKeptOneIsLeftAlone) {
    g_state.statusWindowMode = 1;
    // Missing: the program's own defaults, edited.
    std::map<int, int> defaults = {{0x08, 0x36}, {0x09, 1}, {0x0A, 1}, {0x0C, 1}, {0x0F, 1}, {0x13, 1}, {0x16, 1},
                                   {0x18, 1},    {0x1B, 1}, {0x24, 1}, {0x29, 1}, {0x2A, 1}, {0x2B, 1}, {0x36, 1},
                                   {0x3A, 1}};
    for (const auto& [offset, value] : kCommonEdits) defaults[offset] = value;
    const std::string expected = ExpectedRecord(std::string(200, '\0'), defaults);
    WriteStatusWindowSettings();
    EXPECT_EQ(Read("quszsj43.quh"), expected);

    // Short: its bytes first, the rest from the working copy as it stands.
    ResetInstallState();
    CopyText(g_state.installDir, scratch.Path().c_str());
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quszsj43.quh", std::string(16, '\x77')));
    WriteStatusWindowSettings();
    EXPECT_EQ(Read("quszsj43.quh"), ExpectedRecord(std::string(16, '\x77') + expected.substr(16), {{0x00, 0}, {0x01, 1}}));

    // Kept from the earlier install: not touched.
    g_state.backupState = kBackupRestoreWanted;
    g_state.statusWindowMode = 3;
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quszsj43.quh", std::string(200, '\x33')));
    WriteStatusWindowSettings();
    EXPECT_EQ(Read("quszsj43.quh"), std::string(200, '\x33'));
}

TEST_F(SettingsFilesTest, TheInstallStampIsTheTickCountInDigits) {
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "install.quh", std::string(40, 'x')));
    DWORD before = GetTickCount();
    WriteInstallStamp();
    DWORD after = GetTickCount();
    std::string stamp = Read("install.quh");
    ASSERT_TRUE(!stamp.empty() && stamp.size() <= 11 && stamp.find_first_not_of("-0123456789") == std::string::npos)
        << stamp;
    EXPECT_GE(static_cast<DWORD>(std::stol(stamp)), before);
    EXPECT_LE(static_cast<DWORD>(std::stol(stamp)), after);
}

}  // namespace
