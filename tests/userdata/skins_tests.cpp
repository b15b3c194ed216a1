// The extra files after the install: the payload check and its exemption list, the skin dialog
// answered by a second thread as a user would, the skin archives (made here, in-process) unpacked
// and checked, picture 4, and the version patch of program files.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/skin_dialog.h"
#include "archive/skins.h"
#include "common/install_state.h"
#include "deploy/system_copy.h"
#include "install/extra_files.h"
#include "tests/app/skin_dialog_driver.h"
#include "tests/archive/archive_fixture.h"

namespace {

constexpr const char* kSkinMembers[] = {"qubmp8.quh",   "qubmpsx1.bmp", "qubmpsx2.bmp", "qubmpsx3.bmp",
                                        "qubmpsx4.bmp", "qubmpsx5.bmp", "qubmpsx6.bmp", "qubmpsx7.bmp"};
constexpr char kSkinClosing[] = "皮肤文件没有成功复制，请重新安装皮肤文件！\r\n";

std::string SkinFile(int skin, const char* member) { return "skin " + std::to_string(skin) + " " + member + TextBytes(600, skin); }

std::string SkinArchive(int skin, int broken = -1) {
    std::vector<TestMember> members;
    for (const char* name : kSkinMembers) members.push_back({name, SkinFile(skin, name)});
    if (broken >= 0) members[broken].compressed = std::string("not a zlib stream, and long enough to be checked");
    return BuildArchive(ArchiveVariant::kPlain, members);
}

class ExtraFilesTest : public ArchiveTest {
protected:
    void SetUp() override {
        ArchiveTest::SetUp();
        g_state.instance = GetModuleHandleA(nullptr);
        g_state.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 100, 100, 400, 310, nullptr,
                                             nullptr, nullptr, nullptr);
        ASSERT_NE(g_state.mainWindow, nullptr);
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
    void TearDown() override {
        DestroyWindow(g_state.mainWindow);
        ArchiveTest::TearDown();
    }
    // Runs InstallExtraFiles while a second thread answers the dialog with clicks, then OK.
    DialogRun InstallAnswering(std::vector<int> clicks, DWORD waitMs = 10000) {
        return RunWithDialogDriver(g_state.mainWindow, [] { InstallExtraFiles(ShowSkinDialog); }, [&](HWND dialog) {
            for (int id : clicks) ClickDialogButton(dialog, id);
        }, waitMs);
    }
    std::string Read(const char* name) const { return ReadFileBytes(Installed(name)).value_or("<missing>"); }

    std::string payload;
};

// The payload check reports what differs but the exempted names; each skin choice installs its
// archive, and picture 4 from the payload once the skin is in place.
TEST_F(ExtraFilesTest, EachSkinChoiceInstallsItsArchiveAndReportsWhatDidNotArrive) {
    const std::string payloadReport = std::string("qudict.dat....qusound.wav....") + kWalkClosing +
                                      "\r\n\r\n上述文件没有成功复制，请重新下载安装！\r\n";
    // The chosen skin's archive is replaced by `archive` when given (empty: none there).
    const struct { const char* label; int click, skin; std::optional<std::string> archive; Texts messages;
                   const char* picture4; } cases[] = {
        {"the first skin", kModeSingleRow, 1, std::nullopt, {}, "picture 44"},
        {"the second skin", kSkinPink, 2, std::nullopt, {}, "picture 44"},
        {"the third skin", kSkinAngel, 3, std::nullopt, {}, "picture 44"},
        {"a member that does not inflate", kSkinCool, 1, SkinArchive(1, 3),
         {MemberFailedText("qubmpsx3.bmp"), std::string("qubmpsx3.bmp....") + kWalkClosing + "\r\n\r\n" + kSkinClosing},
         "picture 44"},
        // The skin's closing line goes under the payload report, still in place.
        {"no archive: picture 4 is left alone", kSkinAngel, 3, "", {payloadReport + kSkinClosing}, "earlier picture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        messages.shown.clear();
        for (const char* name : kSkinMembers) RemoveFile(Installed(name));
        ASSERT_TRUE(WriteFileBytes(Installed("qubmpsx4.bmp"), "earlier picture"));
        ASSERT_TRUE(WriteFileBytes(Installed(SkinArchiveName(c.skin)), c.archive.value_or(SkinArchive(c.skin))));
        if (c.archive == "") RemoveFile(Installed(SkinArchiveName(c.skin)));

        EXPECT_TRUE(InstallAnswering({c.click}).closedByDriver);

        EXPECT_EQ(g_state.skinChoice, c.skin);
        Texts expected = {payloadReport};
        expected.insert(expected.end(), c.messages.begin(), c.messages.end());
        EXPECT_EQ(MessageTexts(), expected);
        EXPECT_TRUE(messages.shown[0].caption == "智能岚石" && messages.shown[0].style == MB_OK);
        EXPECT_EQ(Read("qubmpsx4.bmp"), c.picture4);
        if (!c.messages.empty()) continue;
        for (const char* name : kSkinMembers) {
            EXPECT_EQ(Read(name), std::string(name) == "qubmpsx4.bmp" ? "picture 44" : SkinFile(c.skin, name)) << name;
        }
    }
    for (int other : {0, 4, 255}) EXPECT_STREQ(SkinArchiveName(other), SkinArchiveName(1)) << other;
}

TEST_F(ExtraFilesTest, KeepingEarlierDataWithACompleteSkinSkipsTheDialogAndTheSkin) {
    for (const char* missing : {"", "qubmpsx7.bmp"}) {
        SCOPED_TRACE(std::string("missing '") + missing + "'");
        for (const char* name : kSkinMembers) ASSERT_TRUE(WriteFileBytes(Installed(name), "earlier"));
        if (*missing) RemoveFile(Installed(missing));
        g_state.backupState = kBackupRestoreWanted;
        g_state.statusWindowMode = 0;

        DialogRun run = InstallAnswering({kSkinPink}, *missing ? 10000 : 1500);

        EXPECT_EQ(run.shown, *missing != '\0');
        EXPECT_EQ(g_state.statusWindowMode, *missing ? 1 : 0);
        EXPECT_EQ(Read("qubmpsx5.bmp"), *missing ? SkinFile(2, "qubmpsx5.bmp") : "earlier");
        EXPECT_EQ(Read("qubmpsx4.bmp"), *missing ? "picture 44" : "earlier");
    }
    EXPECT_EQ(messages.shown.size(), 2u);  // the payload check's, each time
}

std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

using PatchVersionTest = ArchiveTest;

TEST_F(PatchVersionTest, RewritesVersionSixThreeOrSixSevenAfterTheProductTextInTheWholeFile) {
    const std::string product = Utf16(L"智能岚石输入平台"), head = "MZ" + std::string(64, '\x01');
    const std::pair<std::string, std::string> patched[] = {  // the input, then what it becomes
        {head + product + Utf16(L" V6.3") + "tail", head + product + Utf16(L" V8.6") + "tail"},
        {product + Utf16(L" 版6.3 ") + product + Utf16(L" V6.7"), product + Utf16(L" 版8.6 ") + product + Utf16(L" V8.6")},
        {NoiseBytes(200000) + product + Utf16(L" V6.3") + "tail", NoiseBytes(200000) + product + Utf16(L" V8.6") + "tail"},
        // left alone: another version, no blank, the version cut off by the end, nothing after the
        // product text, an empty file, a file larger than the work buffer
        {head + product + Utf16(L" V6.5"), ""}, {product + Utf16(L"V6.3 "), ""}, {head + product + Utf16(L" V6."), ""},
        {head + product, ""}, {"", ""}, {product + Utf16(L" V6.3") + NoiseBytes(kWorkBufferSize), ""},
    };
    std::string path = Installed("program.ime");
    for (const auto& [input, expected] : patched) {
        SCOPED_TRACE(input.size());
        ASSERT_TRUE(WriteFileBytes(path, input));
        PatchVersionText("program.ime");
        EXPECT_EQ(ReadFileBytes(path), expected.empty() ? input : expected);
    }
    ASSERT_TRUE(WriteFileBytes(path, patched[0].first));
    g_state.workBuffer = nullptr;  // nothing happens without a work buffer
    PatchVersionText("program.ime");
    EXPECT_EQ(ReadFileBytes(path), patched[0].first);
    PatchVersionText("absent.ime");
    EXPECT_FALSE(FileExists(Installed("absent.ime")));
}

}  // namespace
