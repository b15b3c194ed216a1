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
#include "common/text.h"
#include "tests/app/skin_dialog_driver.h"
#include "tests/archive/archive_fixture.h"

namespace {

constexpr const char* kSkinMembers[] = {"qubmp8.quh",   "qubmpsx1.bmp", "qubmpsx2.bmp", "qubmpsx3.bmp",
                                        "qubmpsx4.bmp", "qubmpsx5.bmp", "qubmpsx6.bmp", "qubmpsx7.bmp"};
constexpr char kSkinClosing[] = "皮肤文件没有成功复制，请重新安装皮肤文件！\r\n";
constexpr char kPayloadClosing[] = "上述文件没有成功复制，请重新下载安装！\r\n";
constexpr char kWalkClosing[] = "有文件没有成功解压，请重新下载安装！\r\n";

std::string SkinFile(int skin, const char* member) {
    return "skin " + std::to_string(skin) + " " + member + " " + TextBytes(600, skin);
}

std::string SkinArchive(int skin) {
    std::vector<TestMember> members;
    for (const char* name : kSkinMembers) members.push_back({name, SkinFile(skin, name)});
    return BuildArchive(ArchiveVariant::kPlain, members);
}

class ExtraFilesTest : public ArchiveTest {
protected:
    void SetUp() override {
        ArchiveTest::SetUp();
        g_state.instance = GetModuleHandleA(nullptr);
        g_state.oemCodePage = GetOEMCP();
        mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 100, 100, 400, 310, nullptr,
                                     nullptr, nullptr, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        g_state.mainWindow = mainWindow;

        // A payload of a few members, all installed as they are, and the three skin archives.
        payload = BuildArchive(ArchiveVariant::kDigest, {{"quorpyck.dat", "phrases"}, {"qubmps44.bmp", "picture 44"}});
        g_state.payload = Bytes(payload);
        g_state.payloadSize = payload.size();
        ASSERT_TRUE(WriteFileBytes(Installed("quorpyck.dat"), "phrases"));
        ASSERT_TRUE(WriteFileBytes(Installed("qubmps44.bmp"), "picture 44"));
        for (int skin = 1; skin <= 3; ++skin) {
            ASSERT_TRUE(WriteFileBytes(Installed(SkinArchiveName(skin)), SkinArchive(skin)));
        }
    }
    void TearDown() override {
        DestroyWindow(mainWindow);
        ArchiveTest::TearDown();
    }

    // Runs InstallExtraFiles while a second thread answers the dialog with clicks, then OK.
    DialogRun InstallAnswering(std::vector<int> clicks, DWORD waitMs = 10000) {
        return RunWithDialogDriver(
            mainWindow, InstallExtraFiles,
            [&](HWND dialog) {
                for (int id : clicks) ClickDialogButton(dialog, id);
                ClickDialogButton(dialog, kSkinDialogOk);
            },
            waitMs);
    }
    std::string Read(const char* name) const { return ReadFileBytes(Installed(name)).value_or("<missing>"); }

    HWND mainWindow = nullptr;
    std::string payload;
};

TEST_F(ExtraFilesTest, EachSkinChoiceInstallsItsArchiveWithThePayloadsPictureFour) {
    const struct {
        std::vector<int> clicks;
        int skin;
        int mode;
    } cases[] = {
        {{}, 1, 1},
        {{kSkinPink, kModeSingleRow}, 2, 2},
        {{kModeWindowsStyle, kSkinAngel}, 3, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.skin);
        for (const char* name : kSkinMembers) RemoveFile(Installed(name));
        g_state.statusWindowMode = 0;
        g_state.skinChoice = 0;

        DialogRun run = InstallAnswering(c.clicks);

        EXPECT_TRUE(run.shown);
        EXPECT_TRUE(run.closedByDriver);
        EXPECT_EQ(g_state.skinChoice, c.skin);
        EXPECT_EQ(g_state.statusWindowMode, c.mode);
        for (const char* name : kSkinMembers) {
            if (std::string(name) == "qubmpsx4.bmp") continue;
            EXPECT_EQ(Read(name), SkinFile(c.skin, name)) << name;
        }
        EXPECT_EQ(Read("qubmpsx4.bmp"), "picture 44");
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExtraFilesTest, ThePayloadCheckReportsWhatDiffersExceptTheExemptedNames) {
    std::vector<TestMember> members = {
        {"quorpyck.dat", "phrases"},
        {"qudict.dat", "dictionary"},          // missing: reported
        {"quorel4.ime", "the ime"},            // missing but exempt
        {"el4.ime", "part of an exempt name"},  // exempt too: the list is searched for the name
        {"setupw64.exe", "setup"},             // after the two blanks
        {"qusound.wav", "sound"},              // changed: reported
        {"qubmps44.bmp", "picture 44"},
    };
    payload = BuildArchive(ArchiveVariant::kDigest, members);
    g_state.payload = Bytes(payload);
    g_state.payloadSize = payload.size();
    ASSERT_TRUE(WriteFileBytes(Installed("qusound.wav"), "changed"));

    InstallAnswering({});

    ASSERT_GE(messages.shown.size(), 1u);
    const RecordedMessage& report = messages.shown[0];
    EXPECT_EQ(report.text, std::string("qudict.dat....qusound.wav....") + kWalkClosing + "\r\n\r\n" + kPayloadClosing);
    EXPECT_EQ(report.caption, "智能岚石");
    EXPECT_EQ(report.style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(messages.shown.size(), 1u);  // the skin went in without a word
}

TEST_F(ExtraFilesTest, KeepingEarlierDataWithACompleteSkinSkipsTheDialogAndTheSkin) {
    for (const char* name : kSkinMembers) ASSERT_TRUE(WriteFileBytes(Installed(name), std::string("earlier ") + name));
    g_state.backupState = kBackupRestoreWanted;
    g_state.statusWindowMode = 0;

    DialogRun run = InstallAnswering({}, 1500);

    EXPECT_FALSE(run.shown);
    EXPECT_EQ(g_state.statusWindowMode, 0);
    EXPECT_EQ(Read("qubmpsx4.bmp"), "earlier qubmpsx4.bmp");
    EXPECT_EQ(Read("qubmpsx1.bmp"), "earlier qubmpsx1.bmp");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ExtraFilesTest, KeepingEarlierDataWithAnIncompleteSkinStillAsks) {
    for (const char* name : kSkinMembers) ASSERT_TRUE(WriteFileBytes(Installed(name), "earlier"));
    RemoveFile(Installed("qubmpsx7.bmp"));
    g_state.backupState = kBackupRestoreWanted;

    DialogRun run = InstallAnswering({kSkinPink});

    EXPECT_TRUE(run.shown);
    EXPECT_EQ(Read("qubmpsx7.bmp"), SkinFile(2, "qubmpsx7.bmp"));
}

TEST_F(ExtraFilesTest, AMissingSkinArchiveIsReportedAndPictureFourLeftAlone) {
    RemoveFile(Installed(SkinArchiveName(3)));
    ASSERT_TRUE(WriteFileBytes(Installed("qubmpsx4.bmp"), "earlier picture"));

    InstallAnswering({kSkinAngel});

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kSkinClosing);
    EXPECT_EQ(messages.shown[0].caption, "智能岚石");
    EXPECT_EQ(Read("qubmpsx4.bmp"), "earlier picture");
}

TEST_F(ExtraFilesTest, SkinMembersThatDoNotArriveAreReportedAndPictureFourIsStillCopied) {
    std::vector<TestMember> members;
    for (const char* name : kSkinMembers) members.push_back({name, SkinFile(1, name)});
    members[3].compressed = std::string("not a zlib stream, and long enough to be checked");  // qubmpsx3.bmp
    ASSERT_TRUE(WriteFileBytes(Installed(SkinArchiveName(1)), BuildArchive(ArchiveVariant::kPlain, members)));

    InstallAnswering({});

    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, MemberFailedText("qubmpsx3.bmp"));
    EXPECT_EQ(messages.shown[1].text, std::string("qubmpsx3.bmp....") + kWalkClosing + "\r\n\r\n" + kSkinClosing);
    EXPECT_EQ(Read("qubmpsx4.bmp"), "picture 44");
}

TEST_F(ExtraFilesTest, SkinChoicesOtherThanTwoAndThreeTakeTheFirstSkin) {
    EXPECT_STREQ(SkinArchiveName(1), "冷色瓷面.quz");
    EXPECT_STREQ(SkinArchiveName(2), "粉色瓷面.quz");
    EXPECT_STREQ(SkinArchiveName(3), "小天使.quz");
    for (int other : {0, 4, 255}) EXPECT_STREQ(SkinArchiveName(other), "冷色瓷面.quz") << other;
}

TEST_F(ExtraFilesTest, ASkinIsCompleteOnlyWithAllEightFiles) {
    EXPECT_FALSE(SkinComplete());
    for (const char* name : kSkinMembers) ASSERT_TRUE(WriteFileBytes(Installed(name), ""));
    EXPECT_TRUE(SkinComplete());  // empty files count: they can be opened
    for (const char* missing : kSkinMembers) {
        SCOPED_TRACE(missing);
        RemoveFile(Installed(missing));
        EXPECT_FALSE(SkinComplete());
        ASSERT_TRUE(WriteFileBytes(Installed(missing), ""));
    }
}

// ---- PatchVersionText ----

std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}
const std::string kProduct = Utf16(L"智能岚石输入平台");

class PatchVersionTest : public ArchiveTest {
protected:
    std::string Patch(const std::string& bytes) {
        std::string path = Installed("program.ime");
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        PatchVersionText(path.c_str());
        return ReadFileBytes(path).value_or("<missing>");
    }
};

TEST_F(PatchVersionTest, RewritesVersionSixThreeOrSixSevenAfterTheProductText) {
    const std::string head = "MZ" + std::string(64, '\x01');
    const struct {
        const char* name;
        std::string input;
        std::string expected;
    } cases[] = {
        {"6.3", head + kProduct + Utf16(L" V6.3") + "tail", head + kProduct + Utf16(L" V8.6") + "tail"},
        {"6.7", head + kProduct + Utf16(L" V6.7"), head + kProduct + Utf16(L" V8.6")},
        {"any character before the digit", kProduct + Utf16(L" 版6.3"), kProduct + Utf16(L" 版8.6")},
        {"6.5 is left", head + kProduct + Utf16(L" V6.5"), head + kProduct + Utf16(L" V6.5")},
        {"7.3 is left", head + kProduct + Utf16(L" V7.3"), head + kProduct + Utf16(L" V7.3")},
        {"no blank", kProduct + Utf16(L"V6.3 "), kProduct + Utf16(L"V6.3 ")},
        {"two occurrences", kProduct + Utf16(L" V6.3 ") + kProduct + Utf16(L" V6.7"),
         kProduct + Utf16(L" V8.6 ") + kProduct + Utf16(L" V8.6")},
        {"no product text", head + Utf16(L" V6.3"), head + Utf16(L" V6.3")},
        {"version cut off by the end of the file", head + kProduct + Utf16(L" V6."),
         head + kProduct + Utf16(L" V6.")},
        {"product text at the very end", head + kProduct, head + kProduct},
        {"empty file", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Patch(c.input), c.expected);
    }
}

TEST_F(PatchVersionTest, AFileLargerThan128KiBIsPatchedWholeNeverCut) {
    std::string large = NoiseBytes(200000) + kProduct + Utf16(L" V6.3") + NoiseBytes(5000, 2);
    std::string expected = NoiseBytes(200000) + kProduct + Utf16(L" V8.6") + NoiseBytes(5000, 2);
    EXPECT_EQ(Patch(large), expected);
}

TEST_F(PatchVersionTest, AFileTheBufferCannotHoldIsLeftUnchanged) {
    std::string huge = kProduct + Utf16(L" V6.3") + NoiseBytes(kWorkBufferSize);
    EXPECT_EQ(Patch(huge), huge);
}

TEST_F(PatchVersionTest, NothingHappensWithoutAFileOrAWorkBuffer) {
    PatchVersionText(Installed("absent.ime").c_str());
    EXPECT_FALSE(FileExists(Installed("absent.ime")));

    std::string bytes = kProduct + Utf16(L" V6.3");
    ASSERT_TRUE(WriteFileBytes(Installed("program.ime"), bytes));
    g_state.workBuffer = nullptr;
    PatchVersionText(Installed("program.ime").c_str());
    g_state.workBuffer = workBuffer.data();
    EXPECT_EQ(ReadFileBytes(Installed("program.ime")), bytes);
}

}  // namespace
