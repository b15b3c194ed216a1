// Whole installs run in-process, each case on a fresh machine, with the demo payload: a TSF install
// with the text-service DLLs of Windows 7 and of Windows 10 (the flag window creation sets is all the
// procedure asks), placed and registered through the prefix's stand-in regsvr32, which really
// registers them, with the keep-data question in both wordings; and the faults of an IMM install: a
// payload member that cannot be unpacked and a System-directory destination held open, what the
// user is told, and the silent install's exit code.

#include "app/startup.h"
#include "archive/quz_format.h"
#include "common/install_state.h"
#include "common/text.h"
#include "install/install_procedure.h"
#include "platform/os_info.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/text_service_fixture.h"

namespace {

std::string Installed(const char* name) { return std::string(kInstallDir) + name; }
std::string InSystem(const char* name) { return SystemDir() + "\\" + name; }
std::string InWow64(const char* name) { return WindowsDir() + "\\syswow64\\" + name; }

// In-process installs with the demo payload (or a changed copy of it) and the facts that start-up and
// window creation work out before the install page is confirmed.
class InstallProcedureTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        ASSERT_FALSE(payload_.empty());
        g_state.payload = reinterpret_cast<const unsigned char*>(payload_.data());
        g_state.payloadSize = payload_.size();
        g_state.workBuffer = workBuffer_.data();
        g_state.oemCodePage = GetOEMCP();
        g_state.systemBits = GetSystemBits();
        Is64BitSystem();
        g_state.progressTotal = 110;
    }

    const std::string payload_ = ReadPayload();
    std::vector<unsigned char> workBuffer_ = std::vector<unsigned char>(kWorkBufferSize);
};

// Under Windows 7 the earlier data lies elsewhere and the user declines to keep it; under Windows 10
// it lies in the install directory itself, which the question says, and Yes asks for the restore.
TEST_F(InstallProcedureTest, TsfInstallKeepsPlacesAndRegistersTheDllsOfTheWindowsVersion) {
    for (int windows10 : {0, 1}) {
        SCOPED_TRACE(windows10 ? "Windows 10" : "Windows 7");
        g_state.interfaceChoice = kInterfaceTsf;
        g_state.isWindows10 = windows10;
        g_state.backupState = kBackupTaken;
        g_state.progressStep = g_state.registrationResult = 0;
        CopyText(g_state.previousInstallDir, windows10 ? kInstallDir : "D:\\Earlier\\quorel8\\");
        messages.shown.clear();
        messages.answers.assign({windows10 ? IDYES : IDNO});
        RemoveFile(kRegsvr32Log);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTip);

        RunInstall();

        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].wtext + L" | " + messages.shown[0].wcaption,
                  std::wstring(windows10 ? L"检测到安装目录下有" : L"检测到有") + L"智能岚石以前的词组等数据文件，是否保留？ | 智能岚石安装");
        EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(g_state.backupState, windows10 ? kBackupRestoreWanted : kBackupTaken);
        // Every member stays as unpacked but the IMM files, the variants (renamed before Windows 10)
        // and the converted phrase backup.
        std::vector<const char*> differing = {"quorel4.ime", "quorel64.ime", "quor320.ime", "quor321.ime",
                                              "quor640.ime", "quor641.ime"};
        if (!windows10) differing.insert(differing.end(), {"quorsrf.dll", "quorsrf6.dll"});
        differing.insert(differing.end(), {"qsrf732.dll", "qsrf764.dll", "quorcyzk.bak"});
        EXPECT_EQ(DifferingMembers(payload_), DifferingReport(differing));
        for (const char* gone : {"quorel4.ime", "quorel64.ime", "quor320.ime", "qsrf732.dll", "qsrf764.dll"}) {
            EXPECT_FALSE(FileExists(Installed(gone))) << gone;
        }
        EXPECT_TRUE(HoldsMember(Installed("quorsrf.dll"), windows10 ? "quorsrf.dll" : "qsrf732.dll"));
        EXPECT_TRUE(HoldsMember(Installed("quorsrf6.dll"), windows10 ? "quorsrf6.dll" : "qsrf764.dll"));
        EXPECT_EQ(ReadFileBytes(InWow64("quorsrf.dll")), ReadFileBytes(Installed("quorsrf.dll")));
        EXPECT_EQ(ReadFileBytes(InSystem("quorsrf6.dll")), ReadFileBytes(Installed("quorsrf6.dll")));
        EXPECT_FALSE(FileExists(InSystem("quorel4.ime")));
        EXPECT_EQ(WaitForLogLines(kRegsvr32Log, 2),
                  Ids({"regsvr32 /s " + InWow64("quorsrf.dll"), "regsvr32 /s " + InSystem("quorsrf6.dll")}));
        for (const char* category : kTestedCategories) {
            EXPECT_TRUE(TipKeyPresent(ItemKey(category)) && TipKeyPresent(CategoryMemberKey(category))) << category;
        }
        EXPECT_TRUE(g_state.registrationResult == 1 && g_state.progressStep == 115 && g_state.installFaults == 0);
    }
    // A TSF install never starts the 64-bit setup program.
    EXPECT_TRUE(LogLinesAfterPause(Installed("setupw64.log").c_str()).empty());
}

// Both faults in one install: the member's own message and the incomplete extraction in place of the
// keep-data question, then in each pass the path of the copy that could not be made, twice (copy and
// retry), and its file name; the install goes on, and the exit code names both.
TEST_F(InstallProcedureTest, ACorruptedMemberAndALockedSystemFileAreReportedAndTheInstallGoesOn) {
    // One byte of the member's compressed data changed: it can no longer be unpacked.
    std::string corrupted = payload_;
    ArchiveWalker walker(reinterpret_cast<const unsigned char*>(payload_.data()), payload_.size());
    for (ArchiveRecord record; walker.Next(&record) == WalkStep::kRecord;) {
        if (MemberNameEquals(record.nameField, record.nameFieldSize, "quwbzg.txt")) {
            corrupted[static_cast<std::size_t>(record.data - g_state.payload) + record.compressedLength / 2] ^= 0x5A;
        }
    }
    ASSERT_NE(corrupted, payload_);
    g_state.payload = reinterpret_cast<const unsigned char*>(corrupted.data());
    g_state.interfaceChoice = kInterfaceImm;
    g_state.backupState = kBackupTaken;
    CopyText(g_state.previousInstallDir, kInstallDir);
    const std::string userAgent = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent";
    CreateKey(HKEY_LOCAL_MACHINE, userAgent.c_str());  // the token is written only where the key exists
    // Held open without delete sharing: the file can neither be replaced nor moved aside.
    ASSERT_TRUE(WriteFileBytes(InSystem("quorel4.ime"), "an earlier input method"));
    UniqueHandle holder(CreateFileA(InSystem("quorel4.ime").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.Valid());

    RunInstall();
    holder.Reset();

    const std::string wubi = " | 智能岚石(岚石五笔)安装";
    Ids expected = {"没有成功解压复制quwbzg.txt文件！请重新下载安装。 | 智能岚石安装",
                    "文件解压不完整，请到智能岚石网站http://www.lanshi8.com重新下载安装。" + wubi};
    for (const std::string& file : {InSystem("quorel4.ime"), InSystem("quorel4.ime"), std::string("quorel4.ime"),
                                    InSystem("quorel4.ime"), InSystem("quorel4.ime"), std::string("quorel4.ime")}) {
        expected.push_back("没有成功复制" + file + "文件，请退出安装程序并手动删除该文件后重新安装！" + wubi);
    }
    EXPECT_EQ(ShownBoxes(messages), expected);
    EXPECT_EQ(g_state.backupState, kBackupTaken);
    EXPECT_FALSE(FileExists(Installed("quwbzg.txt")));
    EXPECT_EQ(ReadFileBytes(InSystem("quorel4.ime")), std::string("an earlier input method"));
    EXPECT_TRUE(HoldsMember(InWow64("quorel4.ime"), "quorel4.ime"));
    EXPECT_EQ(g_state.installFaults, kFaultIncompleteExtraction | kFaultSystemCopy);
    // The second pass starts the progress over and ends three steps on.
    EXPECT_TRUE(g_state.progressStep == 3 && g_state.progressTotal == 64);
    EXPECT_EQ(SilentInstallExitCode(g_state.installFaults), kExitIncompleteExtraction | kExitSystemCopyFailed);
    // The steps after the faults ran: the user-agent token of this version is there (an empty text).
    EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, (userAgent + "\\Post Platform").c_str(), "tavo8200"), "");
}

}  // namespace
