// The uninstaller on fresh machines. Installs are made in-process, as the silent install and the
// window make them, and once through the real setup.exe's window; the real quordel8.exe that they
// place in the Windows directory removes them. The machine is recorded before the install and
// compared after the uninstalls.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "archive/user_backup.h"
#include "common/install_state.h"
#include "common/text.h"
#include "install/install_procedure.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "platform/program_run.h"
#include "register/keyboard_layout.h"
#include "register/layout_removal.h"
#include "settings/settings_files.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/layout_fixture.h"
#include "tools/walker/setup_driver.h"
#include "uninstall/uninstall_procedure.h"

namespace {

const std::string kDir = kInstallDir;
constexpr char kUninstallEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8";
// The files a silent uninstall keeps: the user's data files of the backup and the user record.
const Ids kKeptFiles = {"delck.txt",    "ftpyzdym.txt", "ftquzdym.txt", "qfontset.quh", "qudhzcm.quh",
                        "qugbkbh.quh",  "qugbkhz.quh",  "quordhz.quh",  "quordwdw.txt", "quorpyck.quh",
                        "quorpymb.ov1", "quorynhz.txt", "quorzdfh.quh", "quorzdym.quh", "qupyzdym.quh",
                        "quszsj05.quh", "quszsj06.quh", "quszsj43.quh", "quwbcmxz.quh", "quwbpy.txt",
                        "quyhgl0.dat",  "qwbzlcz1.quh", "userck.txt"};

// The machine as these tests compare it: every file under the Windows and Program Files directories
// with its size and a digest of its bytes, and every key and value of the registry an install uses.
using Snapshot = std::map<std::string, std::string>;

void RecordFiles(const std::string& dir, Snapshot* snapshot) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string path = entry.path().string();
        std::string& state = (*snapshot)[path];
        if (!entry.is_regular_file()) continue;
        // Wine's own libraries make up most of the bytes: the large files are told by size and time.
        const auto size = entry.file_size();
        const std::string bytes = size <= (1u << 20) ? ReadFileBytes(path).value_or("?") : "";
        state = std::to_string(size) + " " + std::to_string(entry.last_write_time().time_since_epoch().count()) +
                " " + std::to_string(std::hash<std::string>{}(bytes));
    }
}

void RecordKey(HKEY root, const std::string& name, const std::string& path, Snapshot* snapshot) {
    static std::vector<char> text(32768);
    static std::vector<char> data(1 << 20);
    // COM's classes, most of the registry, are written by neither program (the stand-in text service
    // registers itself under its TIP key only).
    if (path == "Software\\Classes" || path == "Software\\Wow6432Node\\Classes") return;
    UniqueHKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    (*snapshot)[name] = "key";
    for (DWORD i = 0, length, size, type; length = text.size(), size = data.size(),
         RegEnumValueA(key.Get(), i, text.data(), &length, nullptr, &type, (BYTE*)data.data(), &size) == 0; ++i) {
        (*snapshot)[name + "|" + text.data()] = std::to_string(type) + ":" + std::string(data.data(), size);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0, length; length = text.size(),
         RegEnumKeyExA(key.Get(), i, text.data(), &length, nullptr, nullptr, nullptr, nullptr) == 0; ++i) {
        subkeys.push_back(text.data());
    }
    for (const std::string& sub : subkeys) {
        RecordKey(root, name + "\\" + sub, path.empty() ? sub : path + "\\" + sub, snapshot);
    }
}

Snapshot Record() {
    Snapshot snapshot;
    RecordFiles(WindowsDir(), &snapshot);
    RecordFiles("C:\\Program Files", &snapshot);
    RecordKey(HKEY_LOCAL_MACHINE, "HKLM\\Software", "Software", &snapshot);
    RecordKey(HKEY_LOCAL_MACHINE, "HKLM\\Keyboard Layouts", kKeyboardLayoutsKey, &snapshot);
    RecordKey(HKEY_CURRENT_USER, "HKCU", "", &snapshot);
    RecordKey(HKEY_USERS, "HKU\\.DEFAULT\\Keyboard Layout", ".DEFAULT\\Keyboard Layout", &snapshot);
    return snapshot;
}

// What changed: "+" added, "-" gone, "*" changed; but the parameters Wine keeps for the programs that
// showed a window.
Ids Differences(const Snapshot& before, const Snapshot& after) {
    Ids changes;
    auto own = [](const std::string& name) {
        return name.starts_with("HKCU\\Software\\Wine\\Temporary System Parameters\\");
    };
    for (const auto& [name, state] : before) {
        auto now = after.find(name);
        if (now == after.end() && !own(name)) changes.push_back("- " + name);
        else if (now != after.end() && now->second != state && !own(name)) changes.push_back("* " + name);
    }
    for (const auto& [name, state] : after) {
        if (!before.contains(name) && !own(name)) changes.push_back("+ " + name);
    }
    return changes;
}

// What an uninstall that keeps the data leaves: the install directory with the user's data and the
// path file that leads the next install to it.
Ids KeptChanges() {
    Ids kept = {"+ C:\\Program Files\\quorel8", "+ " + WindowsDir() + "\\quorpat8.quh"};
    for (const std::string& name : kKeptFiles) kept.push_back("+ " + kDir + name);
    std::sort(kept.begin(), kept.end());
    return kept;
}

// The files Windows is to delete when it next starts, as MoveFileEx recorded them.
Ids ScheduledDeletions() {
    std::wstring data(65536, L'\0');
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                 L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data.data(), &size);
    Ids files;  // pairs of a file and its new name, empty for a deletion
    for (const wchar_t* at = data.c_str(); *at != L'\0'; at += wcslen(at) + 1) {
        std::wstring file = at;
        at += file.size() + 1;
        if (*at == L'\0') files.push_back(std::string(file.begin() + 4, file.end()));  // after "\??\"
    }
    return files;
}

class UninstallTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        // Windows has these keys, which an install writes under; Wine's fresh machine lacks them.
        for (const char* key : {kKeyboardLayoutsKey, "SOFTWARE\\Microsoft\\CTF\\TIP",
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\"
                                "Post Platform"}) {
            CreateKey(HKEY_LOCAL_MACHINE, key);
        }
    }

    // An install as the silent install (IMM) or the window makes it; the window keeps the data of an
    // earlier install when its question is answered Yes, and restores it at the end.
    void Install(int interfaceChoice, bool window = false) {
        ResetInstallState();
        g_state.payload = reinterpret_cast<const unsigned char*>(payload_.data());
        g_state.payloadSize = payload_.size();
        g_state.workBuffer = workBuffer_.data();
        g_state.oemCodePage = GetOEMCP();
        g_state.systemBits = GetSystemBits();
        Is64BitSystem();  // as start-up: the OS major version decides the second path file
        g_state.interfaceChoice = interfaceChoice;
        ReadPathFile(true);
        if (window && CollectBackup()) g_state.backupState = kBackupTaken;
        messages.answers.assign({IDYES});
        RunInstall();
        WriteSettingsFiles();
        WriteInstallStamp();
        if (g_state.backupState == kBackupRestoreWanted) RestoreBackup();
        // The stand-in 64-bit setup program notes its start there; the real one does not.
        if (interfaceChoice == kInterfaceImm) WaitForLogLines((kDir + "setupw64.log").c_str(), 1);
        RemoveFile(kDir + "setupw64.log");
        messages.shown.clear();
    }

    // The uninstaller that the install placed in the Windows directory, or else the build's own.
    static DWORD Uninstall(const char* words) {
        std::string program = WindowsDir() + "\\quordel8.exe";
        if (!FileExists(program)) program = "Z:" QUOR_UNINSTALLER;
        DWORD code = 99;
        EXPECT_TRUE(RunAndWait(program.c_str(), words, 60000, &code));
        return code;
    }

    // Nothing of the input method is left but what a silent uninstall keeps.
    static void ExpectRemoved() {
        OwnLayouts layouts;
        FindOwnLayouts(&layouts);
        EXPECT_EQ(layouts.count, 0);
        EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kUninstallEntry));
        EXPECT_FALSE(FileExists(WindowsDir() + "\\quordel8.exe"));
        for (const std::string& dir : {SystemDir() + "\\", WindowsDir() + "\\syswow64\\", kDir}) {
            for (const char* name : {"quorel4.ime", "quorsrf.dll", "quorsrf6.dll", "quortavo.exe", "install.quh"}) {
                EXPECT_FALSE(FileExists(dir + name)) << dir + name;
            }
        }
    }

    // One machine, one interface: a silent install and uninstall, which keeps the user's data and the
    // path files; a second uninstall, which finds nothing to remove; an install as the window makes
    // it, which brings the user's phrases back; and an uninstall asked in the window's way that does
    // not keep the data, after which the machine is as it was.
    void Walk(int interfaceChoice) {
        const Snapshot before = Record();
        Install(interfaceChoice);
        ASSERT_TRUE(WriteFileBytes(kDir + "userck.txt", "用户词组"));

        EXPECT_EQ(Uninstall("/s"), 0u);
        ExpectRemoved();
        EXPECT_EQ(Differences(before, Record()), KeptChanges());
        EXPECT_EQ(ReadFileBytes("D:\\quorel8\\quorpat8.quh"), kDir);
        // The program started from the Windows directory waits in the temporary directory for the
        // restart, as anything of ours there does.
        char temporary[MAX_PATH];
        GetTempPathA(MAX_PATH, temporary);
        const Ids scheduled = ScheduledDeletions();
        for (const auto& entry : std::filesystem::directory_iterator(temporary)) {
            EXPECT_NE(std::find(scheduled.begin(), scheduled.end(), entry.path().string()), scheduled.end()) << entry;
        }
        EXPECT_EQ(Uninstall("/S"), 2u);

        Install(interfaceChoice, true);
        EXPECT_TRUE(ReadFileBytes(kDir + "userck.txt") == "用户词组");
        messages.answers.assign({IDNO});
        EXPECT_EQ(RunUninstall(false), kUninstallCancelled);
        EXPECT_TRUE(KeyPresent(HKEY_LOCAL_MACHINE, kUninstallEntry));
        messages.shown.clear();
        messages.answers.assign({IDYES, IDNO});
        EXPECT_EQ(RunUninstall(false), kUninstallRemoved);
        const Ids boxes = ShownBoxes(messages);
        ASSERT_EQ(boxes.size(), 3u);
        EXPECT_EQ(boxes[0], "确实要从本机卸载智能岚石输入平台吗？ | 智能岚石 (other form)");
        EXPECT_EQ(boxes[1], "是否保留智能岚石的词组等数据文件和设置？\r\n保留后，重新安装智能岚石时可以恢复这些数据。"
                            " | 智能岚石 (other form)");
        EXPECT_EQ(boxes[2].find("智能岚石输入平台已经卸载，删除了输入法的注册信息和"), 0u) << boxes[2];
        EXPECT_EQ(Differences(before, Record()), Ids{});
        EXPECT_FALSE(FileExists("D:\\quorel8\\quorpat8.quh"));
        EXPECT_FALSE(DirectoryExists("D:\\quorel8"));
    }

    const std::string payload_ = ReadPayload();
    std::vector<unsigned char> workBuffer_ = std::vector<unsigned char>(kWorkBufferSize);
};

TEST_F(UninstallTest, RoundTripOfTheImmInterface) { Walk(kInterfaceImm); }

TEST_F(UninstallTest, RoundTripOfTheTsfInterface) {
    Walk(kInterfaceTsf);
    // Each DLL was unregistered where it was registered, before its file went.
    const std::string regsvr32 = "\"" + SystemDir() + "\\regsvr32.exe\" /u /s \"";
    const Ids unregistered = {regsvr32 + WindowsDir() + "\\syswow64\\quorsrf.dll\"",
                              regsvr32 + SystemDir() + "\\quorsrf6.dll\""};
    Ids log = WaitForLogLines(kRegsvr32Log, 8);
    std::erase_if(log, [](const std::string& line) { return line.find("/u") == std::string::npos; });
    EXPECT_EQ(log, (Ids{unregistered[0], unregistered[1], unregistered[0], unregistered[1]}));
}

// The Wubi edition with TSF installed through the real setup.exe's window, every box answered as a
// user would, to the finished page and out; then removed by the installed uninstaller started
// without words, as Windows' list of installed programs starts it, answered Yes twice: remove, and
// keep the data. Only the kept data and its path file are left.
TEST_F(UninstallTest, RoundTripOfAnInstallThroughTheWindow) {
    const Snapshot before = Record();
    SetupProcess setup;
    SetupWindow window;
    ASSERT_TRUE(StartProgram(HostPath(QUOR_SETUP_EXE), L"", &setup));
    ASSERT_TRUE(window.Attach(&setup));
    for (POINT point : {kWubiPoint, kTsfPoint, kNextPoint}) window.Click(point.x, point.y);
    window.Settle();
    window.Type(kMobileEditY, L"13812345678");
    window.Type(kNameEditY, L"王小明");
    window.Type(kPasswordEditY, L"abc123");
    std::vector<MessageBoxInfo> boxes;
    for (int click = 0; click < 2; ++click) {  // to the install page, then the install
        window.Click(kNextPoint.x, kNextPoint.y);
        window.Settle(&boxes);
    }
    EXPECT_STREQ(PageName(PageOf(window.Picture())), PageName(SeenPage::kFinished));
    for (int click = 0; click < 2; ++click) window.Click(kNextPoint.x, kNextPoint.y);
    EXPECT_TRUE(window.Settle(&boxes));
    EXPECT_EQ(setup.Wait(30000), 0u);
    ASSERT_EQ(boxes.size(), 2u);  // the skin dialog, then the closing message
    EXPECT_EQ(boxes[1].text, L"安装完毕，如不能使用，请重新启动计算机！");
    EXPECT_TRUE(HoldsMember(SystemDir() + "\\quorsrf6.dll", "qsrf764.dll"));  // its form before Windows 10
    ASSERT_TRUE(WriteFileBytes(kDir + "userck.txt", "用户词组"));

    SetupProcess uninstaller;
    const std::string program = WindowsDir() + "\\quordel8.exe";
    ASSERT_TRUE(StartProgram(std::wstring(program.begin(), program.end()), L"", &uninstaller));
    std::vector<std::wstring> texts;  // shown by its working copy, another process
    for (MessageBoxInfo box; texts.size() < 3 && WaitForMessageBox(0, 30000, &box);) {
        texts.push_back(box.caption + L": " + box.text);
        AnswerMessageBox(box.window, DefaultAnswer(box));
        while (IsWindow(box.window) && IsWindowVisible(box.window)) Sleep(5);
    }
    EXPECT_EQ(uninstaller.Wait(60000), 0u);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], L"智能岚石: 确实要从本机卸载智能岚石输入平台吗？");
    EXPECT_NE(texts[2].find(L"词组等数据文件和设置保留在C:\\Program Files\\quorel8"), std::wstring::npos) << texts[2];
    ExpectRemoved();
    EXPECT_EQ(Differences(before, Record()), KeptChanges());
}

// Faults around IMM installs, one after another on one machine: what each row arranges after the
// install, the exit code of the silent uninstall, and what must hold besides the removal itself.
TEST_F(UninstallTest, FaultsLeaveForeignFilesAndEntriesAloneAndAreReported) {
    const std::string windows = WindowsDir() + "\\";
    std::vector<UniqueLibrary> loaded;
    OwnLayouts own{};
    std::string first;
    auto plant = [](const std::string& dir) {
        for (const char* name : {"userck.txt", "quortavo.exe", "quorback.quz"}) WriteFileBytes(dir + name, "foreign");
    };
    auto planted = [](const std::string& dir) {
        for (const char* name : {"userck.txt", "quortavo.exe", "quorback.quz"}) {
            EXPECT_TRUE(ReadFileBytes(dir + name) == "foreign") << dir + name;
            RemoveFile(dir + name);
        }
        EXPECT_TRUE(ReadFileBytes(WindowsDir() + "\\quorpat8.quh") == kDir);  // leads to the kept data again
    };
    const struct {
        const char* name;
        std::function<void()> arrange;
        DWORD exitCode;
        std::function<void()> check;
    } rows[] = {
        {"a partial install, and another setup running first",
         [] {
             {
                 UniqueHandle setup(CreateMutexW(nullptr, FALSE, kSetupMutexName));
                 EXPECT_EQ(Uninstall("/S"), 2u);
             }
             RemoveFile(SystemDir() + "\\quorel4.ime");
             RemoveFile(kDir + "quortavo.exe");
             DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallEntry);
         },
         0, [] {}},
        {"a path file naming the Windows directory",
         [&] { plant(windows), WriteFileBytes(windows + "quorpat8.quh", windows); }, 0, [&] { planted(windows); }},
        {"a path file naming a drive root", [&] { plant("C:\\"), WriteFileBytes(windows + "quorpat8.quh", "C:\\"); }, 0,
         [&] { planted("C:\\"); }},
        {"foreign layouts and preload entries before and after ours",
         [&] {
             FindOwnLayouts(&own);
             ASSERT_EQ(own.count, 1);
             const std::string foreign = std::string(kKeyboardLayoutsKey) + "\\E0200804";
             CreateKey(HKEY_LOCAL_MACHINE, foreign.c_str());
             WriteRegString(HKEY_LOCAL_MACHINE, foreign.c_str(), "Ime File", "foreign.ime");
             const std::string id = own.ids[0];
             std::string upper = id;
             CharUpperA(upper.data());
             // Wine writes its own layout as number 1 whenever a program starts.
             first = Preload().at(0);
             SetPreload({first, id, "e0200804", upper, "00000409"});
             SetDefaultPreload({id, "00000409"});
         },
         0,
         [&] {
             EXPECT_EQ(Preload(), (Ids{first, "e0200804", "00000409"}));
             EXPECT_EQ(DefaultPreload(), Ids{"00000409"});
             EXPECT_EQ(LayoutValue("E0200804", "Ime File"), "foreign.ime");
         }},
        // A link planted under one of our names goes, or stays, as the link: never its target.
        {"a link under one of our names",
         [&] {
             WriteFileBytes(windows + "planted.dll", "foreign");
             RemoveFile(kDir + "quortavo.exe");
             Symlink(kDir + "quortavo.exe", windows + "planted.dll");
         },
         0,
         [&] {
             EXPECT_TRUE(ReadFileBytes(windows + "planted.dll") == "foreign");
             Unlink(kDir + "quortavo.exe");
             RemoveFile(windows + "planted.dll");
         }},
        {"a file of the user's in the install directory", [] { WriteFileBytes(kDir + "mine.txt", "mine"); }, 0,
         [] { EXPECT_TRUE(ReadFileBytes(kDir + "mine.txt") == "mine"); }},
        // In use: moved aside, so that the names are free at once, and deleted at the restart, the
        // install directory after them.
        {"a loaded IME and a loaded library of the install directory",
         [&] {
             loaded.emplace_back(LoadLibraryA((SystemDir() + "\\quorel4.ime").c_str()));
             loaded.emplace_back(LoadLibraryA((kDir + "quorel64.ime").c_str()));
             ASSERT_TRUE(loaded[0] && loaded[1]);
         },
         kUninstallRestartNeeded,
         [&] {
             const Ids scheduled = ScheduledDeletions();
             for (const std::string& path :
                  {SystemDir() + "\\quorel2.ime", kDir + "quorel62.ime", std::string("C:\\Program Files\\quorel8")}) {
                 EXPECT_NE(std::find(scheduled.begin(), scheduled.end(), path), scheduled.end()) << path;
             }
             EXPECT_TRUE(FileExists(SystemDir() + "\\quorel2.ime"));
             loaded.clear();
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Install(kInterfaceImm);
        row.arrange();
        EXPECT_EQ(Uninstall("/S"), row.exitCode);
        row.check();
        ExpectRemoved();
    }
}

}  // namespace
