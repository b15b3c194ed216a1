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
        // A payload of two members, both installed as they are, and the three skin archives.
        UsePayload({{"quorpyck.dat", "phrases"}, {"qubmps44.bmp", "picture 44"}});
        ASSERT_TRUE(WriteFileBytes(Installed("quorpyck.dat"), "phrases"));
        ASSERT_TRUE(WriteFileBytes(Installed("qubmps44.bmp"), "picture 44"));
        for (int skin = 1; skin <= 3; ++skin) ASSERT_TRUE(WriteFileBytes(Installed(SkinArchiveName(skin)), SkinArchive(skin)));
    }
    void TearDown() override {
        DestroyWindow(g_state.mainWindow);
        ArchiveTest::TearDown();
    }
    void UsePayload(const std::vector<TestMember>& members) {
        payload = BuildArchive(ArchiveVariant::kDigest, members);
        g_state.payload = Bytes(payload);
        g_state.payloadSize = payload.size();
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

// Each skin choice installs its archive, and picture 4 from the payload once the skin is in place.
TEST_F(ExtraFilesTest, EachSkinChoiceInstallsItsArchiveAndReportsWhatDidNotArrive) {
    // The chosen skin's archive is replaced by `archive` when given (empty: none there).
    const struct { const char* label; int click, skin; std::optional<std::string> archive; Texts messages;
                   const char* picture4; } cases[] = {
        {"the first skin", kModeSingleRow, 1, std::nullopt, {}, "picture 44"},
        {"the second skin", kSkinPink, 2, std::nullopt, {}, "picture 44"},
        {"the third skin", kSkinAngel, 3, std::nullopt, {}, "picture 44"},
        {"a member that does not inflate", kSkinCool, 1, SkinArchive(1, 3),
         {MemberFailedText("qubmpsx3.bmp"), std::string("qubmpsx3.bmp....") + kWalkClosing + "\r\n\r\n" + kSkinClosing},
         "picture 44"},
        {"no archive: picture 4 is left alone", kSkinAngel, 3, "", {kSkinClosing}, "earlier picture"},
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
        EXPECT_EQ(MessageTexts(), c.messages);
        EXPECT_EQ(Read("qubmpsx4.bmp"), c.picture4);
        if (!c.messages.empty()) continue;
        for (const char* name : kSkinMembers) {
            EXPECT_EQ(Read(name), std::string(name) == "qubmpsx4.bmp" ? "picture 44" : SkinFile(c.skin, name)) << name;
        }
    }
    for (int other : {0, 4, 255}) EXPECT_STREQ(SkinArchiveName(other), SkinArchiveName(1)) << other;
}

TEST_F(ExtraFilesTest, ThePayloadCheckReportsWhatDiffersExceptTheExemptedNames) {
    UsePayload({
        {"quorpyck.dat", "phrases"},
        {"qudict.dat", "dictionary"},           // missing: reported
        {"quorel4.ime", "the ime"},             // missing but exempt
        {"el4.ime", "part of an exempt name"},  // exempt too: the list is searched for the name
        {"setupw64.exe", "setup"},              // after the two blanks
        {"qusound.wav", "sound"},               // changed: reported
        {"qubmps44.bmp", "picture 44"},
    });
    ASSERT_TRUE(WriteFileBytes(Installed("qusound.wav"), "changed"));

    InstallAnswering({});

    ASSERT_EQ(messages.shown.size(), 1u);  // the skin went in without a word
    EXPECT_EQ(messages.shown[0].text, std::string("qudict.dat....qusound.wav....") + kWalkClosing +
                                          "\r\n\r\n上述文件没有成功复制，请重新下载安装！\r\n");
    EXPECT_EQ(messages.shown[0].caption, "智能岚石");
    EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_OK));
}

TEST_F(ExtraFilesTest, KeepingEarlierDataWithACompleteSkinSkipsTheDialogAndTheSkin) {
    for (const char* missing : {"", "qubmp8.quh", "qubmpsx7.bmp"}) {
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
    EXPECT_TRUE(messages.shown.empty());
}

std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

using PatchVersionTest = ArchiveTest;

TEST_F(PatchVersionTest, RewritesVersionSixThreeOrSixSevenAfterTheProductTextInTheWholeFile) {
    const std::string product = Utf16(L"智能岚石输入平台");
    const std::string head = "MZ" + std::string(64, '\x01');
    const struct { const char* name; std::string input, expected; } cases[] = {
        {"6.3", head + product + Utf16(L" V6.3") + "tail", head + product + Utf16(L" V8.6") + "tail"},
        {"6.7", head + product + Utf16(L" V6.7"), head + product + Utf16(L" V8.6")},
        {"any character before the digit", product + Utf16(L" 版6.3"), product + Utf16(L" 版8.6")},
        {"6.5 is left", head + product + Utf16(L" V6.5"), head + product + Utf16(L" V6.5")},
        {"7.3 is left", head + product + Utf16(L" V7.3"), head + product + Utf16(L" V7.3")},
        {"no blank", product + Utf16(L"V6.3 "), product + Utf16(L"V6.3 ")},
        {"two occurrences", product + Utf16(L" V6.3 ") + product + Utf16(L" V6.7"),
         product + Utf16(L" V8.6 ") + product + Utf16(L" V8.6")},
        {"no product text", head + Utf16(L" V6.3"), head + Utf16(L" V6.3")},
        {"version cut off by the end of the file", head + product + Utf16(L" V6."), head + product + Utf16(L" V6.")},
        {"product text at the very end", head + product, head + product},
        {"empty file", "", ""},
        {"larger than 128 KiB: patched whole, never cut", NoiseBytes(200000) + product + Utf16(L" V6.3") + "tail",
         NoiseBytes(200000) + product + Utf16(L" V8.6") + "tail"},
        {"larger than the buffer: unchanged", product + Utf16(L" V6.3") + NoiseBytes(kWorkBufferSize),
         product + Utf16(L" V6.3") + NoiseBytes(kWorkBufferSize)},
    };
    std::string path = Installed("program.ime");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(path, c.input));
        PatchVersionText("program.ime");
        EXPECT_EQ(ReadFileBytes(path), c.expected);
    }
    ASSERT_TRUE(WriteFileBytes(path, cases[0].input));
    g_state.workBuffer = nullptr;  // nothing happens without a work buffer
    PatchVersionText("program.ime");
    EXPECT_EQ(ReadFileBytes(path), cases[0].input);
    PatchVersionText("absent.ime");
    EXPECT_FALSE(FileExists(Installed("absent.ime")));
}

}  // namespace
