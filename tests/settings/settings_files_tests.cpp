// The settings record and the user record, byte for byte, in a scratch install directory (the files
// of fixed content are the end-to-end walks' part). The code page is the state field
// the program fills from GetOEMCP() at start.
#include <cstring>
#include <map>

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

// An earlier user record is read as far as it goes and its fields (50, 342, 100 bytes) are ended
// inside themselves.
TEST_F(SettingsFilesTest, AnEarlierUserRecordWithoutTerminatorsIsEndedInsideEachField) {
    auto ended = [](char c) { return std::string(49, c) + '\0' + std::string(341, c) + '\0' + std::string(99, c) + '\0'; };
    const std::pair<std::string, std::string> cases[] = {  // the file, the record after reading one of 'z' bytes
        {std::string(600, 'A'), ended('A')}, {"abc", "abc" + ended('z').substr(3)}};
    for (const auto& [file, expected] : cases) {
        SCOPED_TRACE(file.substr(0, 3));
        std::memset(&g_state.user, 'z', sizeof g_state.user);
        ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quyhgl0.dat", file));
        ASSERT_TRUE(ReadUserRecord());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&g_state.user), sizeof g_state.user), expected);
    }
    RemoveFile(scratch.Path() + "quyhgl0.dat");
    EXPECT_FALSE(ReadUserRecord());
}

// The record written is the one read, edited: for the Pinyin edition under code page 950 and the dual
// window these bytes; the status-window mode goes into bytes 0 and 0x15. A short record is completed
// from the working copy, one kept from the earlier install is left alone. The install stamp is the
// tick count in digits. Without an install directory neither lands in the current directory.
TEST_F(SettingsFilesTest, EditsTheSettingsRecordAndWritesTheInstallStamp) {
    const std::string base(200, '\x5A');
    std::string pinyin = base;
    for (const auto& [offset, value] : std::map<int, char>{
             {0x00, 4}, {0x01, 1}, {0x0F, 1}, {0x13, 1}, {0x15, 1}, {0x16, 0}, {0x19, 1}, {0x1B, 1}, {0x1C, 0},
             {0x1D, 0}, {0x1E, 0}, {0x1F, 0}, {0x20, 0}, {0x21, 0}, {0x22, 0}, {0x23, 0}, {0x24, 0}, {0x2A, 1},
             {0x2B, 1}, {0x36, 0}, {0x3E, 0}, {0x3F, 0}, {0x40, 1}, {0x42, 0}, {0x43, 0}, {0x44, 0}, {0x45, 0},
             {0x46, 1}, {0x48, 1}, {0x4B, 0}, {0x50, 10}}) {
        pinyin[offset] = value;
    }
    g_state.backupState = kBackupTaken;
    // Code page, edition, mode, then bytes 0, 1 and 0x15 as written.
    const struct { unsigned codePage; int edition, mode; const char* bytes; } cases[] = {
        {950, kEditionPinyin, 3, "\4\1\1"}, {936, kEditionWubi, 1, "\0\1\0"}, {936, kEditionWubi, 2, "\1\1\0"},
        {936, kEditionWubi, 4, "\3\1\1"}};
    std::string written;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", mode " << c.mode);
        ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quszsj43.quh", base));
        g_state.oemCodePage = c.codePage;
        g_state.edition = c.edition;
        g_state.statusWindowMode = static_cast<std::uint8_t>(c.mode);
        WriteStatusWindowSettings();
        written = Read("quszsj43.quh");
        EXPECT_EQ(written.substr(0, 2) + written[0x15], std::string(c.bytes, 3));
        if (c.edition == kEditionPinyin) { EXPECT_EQ(written, pinyin); }
    }
    // The last row's record is still the working copy.
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quszsj43.quh", std::string(16, '\x77')));
    WriteStatusWindowSettings();
    EXPECT_EQ(Read("quszsj43.quh"), std::string("\3\1", 2) + std::string(14, '\x77') + written.substr(16));
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "quszsj43.quh", std::string(200, '\x33')));
    g_state.backupState = kBackupRestoreWanted;
    WriteStatusWindowSettings();
    EXPECT_EQ(Read("quszsj43.quh"), std::string(200, '\x33'));

    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "install.quh", std::string(40, 'x')));
    const DWORD before = GetTickCount();
    WriteInstallStamp();
    const std::string stamp = Read("install.quh");
    ASSERT_TRUE(!stamp.empty() && stamp.size() <= 11 && stamp.find_first_not_of("-0123456789") == std::string::npos);
    EXPECT_TRUE(DWORD(std::stol(stamp)) >= before && DWORD(std::stol(stamp)) <= GetTickCount()) << stamp;

    for (const char* name : {"quszsj43.quh", "install.quh"}) RemoveFile(scratch.Path() + name);
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(scratch.Path().c_str());
    g_state.installDir[0] = '\0';
    g_state.backupState = kBackupTaken;
    WriteStatusWindowSettings();
    WriteInstallStamp();
    SetCurrentDirectoryA(current);
    EXPECT_FALSE(FileExists(scratch.Path() + "quszsj43.quh") || FileExists(scratch.Path() + "install.quh"));
}

}  // namespace
