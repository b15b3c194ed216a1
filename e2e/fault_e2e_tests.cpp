// The real setup.exe against what an ordinary user or an unattended reinstall may bring, each row on
// a fresh machine: links planted in the install directory and the path file's folder, at the install
// directory's own name and at the short path of the external commands (Unix symbolic links stand for
// the links and junctions of Windows; hard links are real ones under Wine too), a silent reinstall
// over changed user data, the whole keyboard-layout range taken, read-only destinations, and two
// setups at once.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/main_window.h"
#include "app/startup.h"
#include "common/install_state.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/layout_fixture.h"
#include "tools/walker/setup_driver.h"

namespace {

const std::string kDir = kInstallDir;
const std::string kPathFile = "C:\\windows\\quorpat8.quh";
const std::string kTarget = "C:\\windows\\quortarget.ini";  // an administrator's file
const std::string kSecret = "C:\\windows\\quorsecret.txt";  // stands for one only administrators read
const std::string kPlanted = "C:\\windows\\system32\\planted.dll";  // must never come to be

// The exit code, and "caption: text" of each box in order.
struct Outcome { DWORD exitCode = STILL_ACTIVE; std::vector<std::wstring> boxes; };

// Runs setup.exe to its end, answering every box with OK or Yes and closing the main window as soon
// as it shows: its backup of the earlier data has been taken by then.
Outcome RunSetup(const wchar_t* arguments) {
    Outcome outcome;
    SetupProcess setup;
    if (!StartProgram(HostPath(QUOR_SETUP_EXE), arguments, &setup)) return outcome;
    for (DWORD start = GetTickCount();
         GetTickCount() - start < 90000 && (outcome.exitCode = setup.Wait(50)) == STILL_ACTIVE;) {
        MessageBoxInfo box;
        if (WaitForMessageBox(setup.info.dwProcessId, 0, &box)) {
            outcome.boxes.push_back(box.caption + L": " + box.text);
            AnswerMessageBox(box.window, box.yesNo ? IDYES : IDOK);
        } else if (HWND window = WaitForWindow(kMainWindowClassW, setup.info.dwProcessId, 0)) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    return outcome;
}

// A link replaces the file at `at`; its target keeps its bytes, or stays absent.
struct Link { std::string at, target; bool hard = false; };

struct Row {
    const char* name;
    bool earlierInstall;  // a silent install first
    std::vector<Link> links;
    const wchar_t* arguments;  // L"" starts the window, closed at once
    DWORD exitCode = 0;
    std::vector<std::wstring> boxes = {};
    std::function<void()> prepare = [] {}, check = [] {};
};

const std::string kReadOnly[] = {kPathFile, kDir + "quorpyck.dat"};
UniqueHandle g_held;  // the path file, held open without write sharing
const std::string kEarlier = "D:\\Earlier\\quorel8\\";

// User data files of an install, one of each kind in the backup table: packed from a backup copy
// (and under its own name), packed as it is, optional.
const char* const kUserFiles[] = {"quorpyck.quh", "quszsj43.quh", "quordwdw.txt", "quszsj06.quh"};

// Every id the system's IMM installer under Wine tries (E002 to EFFE with the user's language) is
// taken, and one layout at the top of the range leaves no number for the program's own entry.
const std::string kLayouts = std::string(kLayoutsPath) + "\\";
void TakeTheLayoutRange() {
    for (unsigned number = 0xE002; number <= 0xEFFE; ++number) {
        char id[9];
        snprintf(id, sizeof id, "%04X%04X", number, LOWORD(GetUserDefaultLCID()));
        CreateKey(HKEY_LOCAL_MACHINE, (kLayouts + id).c_str());
    }
    ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, (kLayouts + "FFFF0804").c_str(), "layout text", "another one"));
}

// A folder an ordinary user may write, which the install's links lead to: it must stay empty.
const std::string kElsewhere = "C:\\quortest\\elsewhere";
void MakeElsewhere(const std::string& inside = "") {
    CreateDirectoryA("C:\\quortest", nullptr);
    CreateDirectoryA(kElsewhere.c_str(), nullptr);
    if (!inside.empty()) CreateDirectoryA((kElsewhere + "\\" + inside).c_str(), nullptr);
}
void ElsewhereStaysEmpty(const std::string& inside = "") {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kElsewhere))
        if (entry.path().filename() != inside) found.push_back(entry.path().string());
    EXPECT_EQ(found, std::vector<std::string>{});
}
// The install directory's name made a link to that folder, as a junction would be.
void LinkInstallDir() {
    MakeElsewhere();
    Symlink(kDir.substr(0, kDir.size() - 1), kElsewhere);
}

const Row kRows[] = {
    {"SilentOverLinkedDataAndPathFile", true,
     {{kDir + "quorcyzk.dat", "C:\\windows\\system32\\planted_cyzk.dll"}, {kDir + "quorpyck.dat", kTarget},
      {"D:\\quorel8\\quorpat8.quh", kSecret}},
     L"setqusrf32"},
    {"WindowOverLinkedBackupCopy", true, {{kDir + "quorpyck.bak", kPlanted}}, L""},
    {"WindowOverLinkedArchive", true, {{kDir + "quorback.quz", "C:\\windows\\system32\\planted.quz"}}, L""},
    {"WindowOverLinkedSettingsCopy", true, {{kDir + "qfontset.bak", kTarget}}, L""},
    {"WindowPacksNoLinkedFile", true,
     {{kDir + "userck.txt", kSecret}, {kDir + "delck.txt", kSecret, true}, {kDir + "qfontset.bak", kTarget, true}},
     L"", 0, {}, [] {},
     [] {  // member names stand in the archive as they are
         const std::string archive = ReadFileBytes(kDir + "quorback.quz").value_or("");
         for (auto [name, packed] : {std::pair{"userck.txt", false}, {"delck.txt", false}, {"qfontset.bak", true}})
             EXPECT_EQ(archive.find(name) != std::string::npos, packed) << name;
     }},
    {"SilentReinstallKeepsChangedUserData", true, {}, L"setqusrf32", 0, {},
     [] { for (const std::string name : kUserFiles) ASSERT_TRUE(WriteFileBytes(kDir + name, "mine: " + name)); },
     [] {
         for (const std::string name : kUserFiles) {
             const std::string bak = kDir + name.substr(0, name.find('.')) + ".bak", mine = "mine: " + name;
             EXPECT_TRUE(ReadFileBytes(kDir + name) == mine || ReadFileBytes(bak) == mine) << name;
         }
     }},
    {"FullLayoutRange", false, {}, L"setqusrf32", kExitNotRegistered,
     {L"智能岚石(岚石五笔): 在WIN2000和WIN NT系统中安装本软件时，需要以系统管理员身份才能安装成功！"},
     TakeTheLayoutRange},
    // Wine lets this root process write a read-only file: the attribute left tells whether it was
    // cleared first, as Windows needs.
    {"ReadOnlyPathFileAndDataFile", true, {}, L"setqusrf32", 0, {},
     [] {
         ASSERT_TRUE(WriteFileBytes(kDir + "quorpyck.dat", "stale"));
         for (const std::string& path : kReadOnly) ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
     },
     [] {
         for (const std::string& path : kReadOnly) EXPECT_FALSE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
         EXPECT_TRUE(HoldsMember(kDir + "quorpyck.dat", "quorpyck.bak"));
     }},
    // Unattended, with a folder where a member goes (which no file can replace): no box waits for a
    // click, the exit code tells, and the log names the member and holds the boxes' texts.
    {"SuppressedBoxesAndTheLog", false, {}, L"setqusrf32 /SuppressMsgBoxes /LOG=C:\\quortest\\setup.log",
     kExitIncompleteExtraction, {},
     [] {
         CreateDirectoryA("C:\\quortest", nullptr);
         CreateDirectoryA(kDir.c_str(), nullptr);
         CreateDirectoryA((kDir + "quwbzg.txt").c_str(), nullptr);
     },
     [] {
         const Ids log = ProgramLog("C:\\quortest\\setup.log");
         for (const std::string line :
              {"message boxes are not shown (/SUPPRESSMSGBOXES): each takes its default answer",
               "not unpacked quwbzg.txt: the file could not be written",
               "message box 智能岚石安装: 没有成功解压复制quwbzg.txt文件！请重新下载安装。 -> not shown, OK",
               "message box 智能岚石(岚石五笔)安装: 文件解压不完整，请到智能岚石网站http://www.lanshi8.com重新下载安装。 -> "
               "not shown, OK",
               "exit code 4"}) {
             EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
         }
         EXPECT_EQ(log.back(), "exit code 4");
     }},
    // The install directory's name a link (Wine cannot remove a Unix symbolic link as itself): no
    // install starts, and nothing lands where the link leads.
    {"SilentIntoALinkedInstallDir", false, {}, L"setqusrf32", kExitNotStarted, {}, LinkInstallDir,
     [] { ElsewhereStaysEmpty(); }},
    {"WindowIntoALinkedInstallDir", false, {}, L"", 0,
     {L"智能岚石安装: 安装目录C:\\Program Files\\quorel8\\不是真正的文件夹（可能是指向别处的链接），也无法换成真正的"
      L"文件夹。为了安全，安装程序没有做任何改动，将退出。"},
     LinkInstallDir, [] { ElsewhereStaysEmpty(); }},
    // The fixed short path of the external commands leads elsewhere (a folder at the root of C: is
    // anyone's to make where short names are off): the install goes on without the commands (and
    // without the log it was asked for in a folder that does not exist).
    {"ShortPathLeadsElsewhere", false, {}, L"setqusrf32 /LOG=C:\\nowhere\\setup.log", 0, {},
     [] {
         MakeElsewhere("quorel8");
         Unlink("C:\\Progra~1");
         Symlink("C:\\Progra~1", kElsewhere);
     },
     [] {
         EXPECT_EQ(LogLinesAfterPause(kIcaclsLog), Ids{});
         ElsewhereStaysEmpty("quorel8");
         EXPECT_EQ(DifferingMembers(ReadPayload()),
                   DifferingReport({"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime", "quorsrf.dll",
                                    "quorsrf6.dll", "qsrf732.dll", "qsrf764.dll", "setupw64.exe", "quorcyzk.bak"}));
     }},
    // The window's start when the path file cannot be rewritten: the administrator probe's refusal,
    // and the file as it was.
    {"PathFileHeldOpen", false, {}, L"", 0,
     {L"智能岚石: 本安装程序需要以管理员权限运行，请退出后重新以管理员权限运行。（运行方式为：用鼠标右键点击安装程序，"
      L"在弹出菜单中点击“以管理员身份运行”）"},
     [] {
         ASSERT_TRUE(WriteFileBytes(kPathFile, kEarlier));
         g_held.Reset(CreateFileA(kPathFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
     },
     [] { g_held.Reset(); EXPECT_EQ(ReadFileBytes(kPathFile), kEarlier); }},
};

class FaultTest : public QuorTest, public testing::WithParamInterface<Row> {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        SetProgramWindowsVersion(L"setup.exe", L"win7");
        ASSERT_TRUE(WriteFileBytes(kTarget, "the administrator's settings"));
        ASSERT_TRUE(WriteFileBytes(kSecret, "for administrators only"));
    }
};

// The row's exit code and boxes; every link's target keeps its bytes (or stays absent), and the
// row's own checks.
TEST_P(FaultTest, NothingOutsideTheInstallIsTouchedAndTheOutcomeIsTold) {
    const Row& row = GetParam();
    if (row.earlierInstall) { ASSERT_EQ(RunSetup(L"setqusrf32").exitCode, 0u); }
    std::vector<std::optional<std::string>> targets;
    for (const Link& link : row.links) {
        targets.push_back(ReadFileBytes(link.target));
        DeleteFileA(link.at.c_str());
        if (link.hard) ASSERT_TRUE(CreateHardLinkA(link.at.c_str(), link.target.c_str(), nullptr)) << link.at;
        else Symlink(link.at, link.target);
    }
    row.prepare();

    Outcome outcome = RunSetup(row.arguments);
    EXPECT_EQ(outcome.exitCode, row.exitCode);
    EXPECT_EQ(outcome.boxes, row.boxes);
    for (std::size_t i = 0; i < row.links.size(); ++i)
        EXPECT_EQ(ReadFileBytes(row.links[i].target), targets[i]) << row.links[i].at;
    EXPECT_FALSE(FileExists(kPlanted));
    row.check();
}

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

INSTANTIATE_TEST_SUITE_P(Faults, FaultTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// One setup at a time: a silent install and a window started while another silent install runs
// refuse at once, the window with its box; the machine ends as after one install.
TEST(OneSetupTest, TwoSetupsAtOnceInstallOnce) {
    SetProgramWindowsVersion(L"setup.exe", L"win7");
    // Started without waiting for it to be idle, which a program without a window never is.
    SetupProcess first;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"setup.exe setqusrf32";
    ASSERT_TRUE(CreateProcessW(HostPath(QUOR_SETUP_EXE).c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &first.info));
    for (int i = 0; i < 1000 && !UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, kSetupMutexName)); ++i) Sleep(5);

    const Outcome silent = RunSetup(L"setqusrf32"), window = RunSetup(L"");
    EXPECT_EQ(first.Wait(90000), 0u);
    EXPECT_EQ(silent.exitCode, static_cast<DWORD>(kExitNotStarted));
    EXPECT_TRUE(silent.boxes.empty());
    EXPECT_EQ(window.exitCode, 0u);
    EXPECT_EQ(window.boxes,
              std::vector<std::wstring>{L"智能岚石安装: 另一个智能岚石安装程序正在运行，请等它结束后再运行本安装程序。"});
    EXPECT_EQ(ReadFileBytes(kPathFile), kDir);
    EXPECT_EQ(DifferingMembers(ReadPayload()),
              DifferingReport({"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime", "quorsrf.dll",
                               "quorsrf6.dll", "qsrf732.dll", "qsrf764.dll", "setupw64.exe", "quorcyzk.bak"}));
}

}  // namespace
