// Faults of a whole install, run in-process on a fresh machine: a payload member that cannot be
// unpacked, and a System-directory destination held open by another program; what the user is told,
// that the install goes on, and the silent install's exit code for them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/startup.h"
#include "archive/quz_format.h"
#include "archive/user_backup.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/install_procedure.h"
#include "tests/deploy/install_checks.h"

namespace {

std::string CopyMessage(const std::string& file) {
    char text[600];
    wsprintfA(text, "没有成功复制%s文件，请退出安装程序并手动删除该文件后重新安装！", file.c_str());
    return text;
}

// The payload with one byte of a member's compressed data changed: it can no longer be unpacked.
std::string WithCorruptedMember(std::string payload, const char* name) {
    const auto* base = reinterpret_cast<const unsigned char*>(payload.data());
    ArchiveWalker walker(base, payload.size());
    ArchiveRecord record;
    std::size_t at = 0;
    while (walker.Next(&record) == WalkStep::kRecord) {
        if (MemberNameEquals(record.nameField, record.nameFieldSize, name)) {
            at = static_cast<std::size_t>(record.data - base) + record.compressedLength / 2;
            break;
        }
    }
    if (at != 0) payload[at] ^= 0x5A;
    return payload;
}

TEST_F(InstallProcedureTest, ACorruptedMemberIsReportedOnceAndTheInstallGoesOn) {
    std::string corrupted = WithCorruptedMember(payload_, "quwbzg.txt");
    ASSERT_NE(corrupted, payload_);
    UsePayload(corrupted);
    g_state.interfaceChoice = kInterfaceImm;
    g_state.backupState = kBackupTaken;
    CopyText(g_state.previousInstallDir, kInstallDir);

    RunInstall();

    // The member's own message, then the incomplete extraction in place of the keep-data question.
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "没有成功解压复制quwbzg.txt文件！请重新下载安装。");
    EXPECT_EQ(messages.shown[0].caption, "智能岚石安装");
    EXPECT_EQ(messages.shown[1].text, "文件解压不完整，请到智能岚石网站http://www.lanshi8.com重新下载安装。");
    EXPECT_EQ(messages.shown[1].caption, "智能岚石(岚石五笔)安装");
    EXPECT_EQ(messages.shown[1].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(g_state.backupState, kBackupTaken);

    EXPECT_FALSE(FileExists(Installed("quwbzg.txt")));
    EXPECT_TRUE(HoldsMember(InSystem("quorel4.ime"), "quorel64.ime"));
    EXPECT_TRUE(ReadRegTextW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8",
                             L"UninstallString")
                    .has_value());
    EXPECT_EQ(g_state.installFaults, kFaultIncompleteExtraction);
    EXPECT_EQ(SilentInstallExitCode(g_state.installFaults), kExitIncompleteExtraction);
}

// A program that has the input method loaded lets its file be renamed but not replaced; a holder
// that does not even allow the rename leaves the copy undone, which the exit code tells.
TEST_F(InstallProcedureTest, ASystemDestinationHeldOpenIsMovedAsideOrReported) {
    struct Row {
        const char* name;
        DWORD holderSharing;
        int backupState;
        int answer;
        int faults;
    };
    const Row rows[] = {
        {"renaming allowed", FILE_SHARE_READ | FILE_SHARE_DELETE, kBackupTaken, IDYES, 0},
        {"renaming refused", FILE_SHARE_READ, kBackupNone, IDOK, kFaultSystemCopy},
    };
    const std::string held = InSystem("quorel4.ime");
    const std::string aside = InSystem("quorel2.ime");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveFile(aside);
        ASSERT_TRUE(WriteFileBytes(held, "an earlier input method"));
        UniqueHandle holder(CreateFileA(held.c_str(), GENERIC_READ, row.holderSharing, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.Valid());
        g_state.interfaceChoice = kInterfaceImm;
        g_state.backupState = row.backupState;
        CopyText(g_state.previousInstallDir, kInstallDir);
        messages.shown.clear();
        messages.answers.assign({row.answer});

        RunInstall();
        holder.Reset();

        EXPECT_EQ(g_state.installFaults, row.faults);
        if (row.faults == 0) {
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].wtext, kKeepDataQuestionInInstallDir);
            EXPECT_EQ(g_state.backupState, kBackupRestoreWanted);
            EXPECT_TRUE(HoldsMember(held, "quorel64.ime"));
            EXPECT_EQ(ReadFileBytes(aside), std::string("an earlier input method"));
            EXPECT_EQ(SilentInstallExitCode(g_state.installFaults), kExitSuccess);
        } else {
            // Each pass: the path twice (copy and retry), then the file name.
            std::vector<std::string> expected;
            for (int pass = 0; pass < 2; ++pass) {
                expected.insert(expected.end(), {CopyMessage(held), CopyMessage(held), CopyMessage("quorel4.ime")});
            }
            std::vector<std::string> shown;
            for (const RecordedMessage& message : messages.shown) shown.push_back(message.text);
            EXPECT_EQ(shown, expected);
            EXPECT_EQ(ReadFileBytes(held), std::string("an earlier input method"));
            EXPECT_EQ(SilentInstallExitCode(g_state.installFaults), kExitSystemCopyFailed);
        }
        EXPECT_EQ(g_state.progressStep, 3);
        EXPECT_EQ(g_state.progressTotal, 64);
    }
}

}  // namespace
