// The uninstaller on fresh machines. The real setup.exe installs, silently or through its window;
// the real quordel8.exe that it places in the Windows directory removes the install, and so does the
// uninstall procedure in-process. The machine is recorded before the install and compared after the
// uninstalls.
#include <filesystem>
#include <functional>
#include <map>

#include "common/file_security.h"
#include "common/install_state.h"
#include "platform/install_paths.h"
#include "platform/program_run.h"
#include "register/keyboard_layout.h"
#include "register/layout_removal.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/layout_fixture.h"
#include "tools/walker/setup_driver.h"
#include "uninstall/uninstall_procedure.h"

namespace {

const std::string kDir = kInstallDir;
constexpr char kUninstallEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8";

// The machine as these tests compare it: every file under the Windows and Program Files directories
// with its size, time and a digest of its bytes, and every key and value of the registry an install
// uses. COM's classes, most of the registry, are written by neither program (the stand-in text
// service registers itself under its TIP key only); Wine keeps parameters of the programs that showed
// a window.
using Snapshot = std::map<std::string, std::string>;

void RecordFiles(const std::string& dir, Snapshot* snapshot) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        std::string& state = (*snapshot)[entry.path().string()];
        if (!entry.is_regular_file()) continue;
        // Wine's own libraries make up most of the bytes: the large files are told by size and time.
        const std::string bytes = entry.file_size() <= (1u << 20) ? ReadFileBytes(entry.path().string()).value_or("?") : "";
        state = std::to_string(entry.file_size()) + " " + std::to_string(std::hash<std::string>{}(bytes)) + " " +
                std::to_string(entry.last_write_time().time_since_epoch().count());
    }
}

void RecordKey(HKEY root, const std::string& name, const std::string& path, Snapshot* snapshot) {
    static std::vector<char> text(32768), data(1 << 20);
    if (path.ends_with("Software\\Classes") || path.ends_with("Node\\Classes") || path.ends_with("System Parameters")) return;
    UniqueHKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    (*snapshot)[name] = "key";
    for (DWORD i = 0, length, size, type; length = text.size(), size = data.size(),
         RegEnumValueA(key.Get(), i, text.data(), &length, nullptr, &type, (BYTE*)data.data(), &size) == 0; ++i) {
        (*snapshot)[name + "|" + text.data()] = std::to_string(type) + ":" + std::string(data.data(), size);
    }
    for (DWORD i = 0, length; length = text.size(),
         RegEnumKeyExA(key.Get(), i, text.data(), &length, nullptr, nullptr, nullptr, nullptr) == 0; ++i) {
        const std::string sub = text.data();
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

// What changed: "+" added, "-" gone, "*" changed.
Ids Differences(const Snapshot& before, const Snapshot& after) {
    Ids changes;
    for (const auto& [name, state] : before) {
        auto now = after.find(name);
        if (now == after.end() || now->second != state) changes.push_back((now == after.end() ? "- " : "* ") + name);
    }
    for (const auto& [name, state] : after)
        if (!before.contains(name)) changes.push_back("+ " + name);
    return changes;
}

// What an uninstall that keeps the data leaves: the install directory with the user's data files of
// the backup and the user record, and the path file that leads the next install to it.
Ids KeptChanges() {
    Ids kept = {"+ C:\\Program Files\\quorel8"};
    for (const char* name : {"delck.txt", "ftpyzdym.txt", "ftquzdym.txt", "qfontset.quh", "qudhzcm.quh", "qugbkbh.quh",
                             "qugbkhz.quh", "quordhz.quh", "quordwdw.txt", "quorpyck.quh", "quorpymb.ov1",
                             "quorynhz.txt", "quorzdfh.quh", "quorzdym.quh", "qupyzdym.quh", "quszsj05.quh",
                             "quszsj06.quh", "quszsj43.quh", "quwbcmxz.quh", "quwbpy.txt", "quyhgl0.dat",
                             "qwbzlcz1.quh", "userck.txt"})
        kept.push_back("+ " + kDir + name);
    kept.push_back("+ " + WindowsDir() + "\\quorpat8.quh");  // in the order of the names
    return kept;
}

// Whether Windows is to delete the file when it next starts: MoveFileEx recorded "\??\" and its path,
// then an empty new name.
bool Scheduled(const std::string& path) {
    std::wstring data(65536, L'\0');
    DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                 L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data.data(), &size);
    return data.find(L"\\??\\" + std::wstring(path.begin(), path.end()) + std::wstring(2, L'\0')) != std::wstring::npos;
}

class UninstallTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        // Windows has these keys, which an install writes under; Wine's fresh machine lacks them.
        for (const char* key : {kKeyboardLayoutsKey, "SOFTWARE\\Microsoft\\CTF\\TIP",
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform"})
            CreateKey(HKEY_LOCAL_MACHINE, key);
    }

    // An install by the real setup.exe: silent (IMM), or the Wubi edition with TSF through its window,
    // every box answered as a user would (the earlier data kept), to the finished page and out.
    static void Install(bool tsf) {
        SetupProcess setup;
        SetupWindow window;
        ASSERT_TRUE(StartProgram(HostPath(QUOR_SETUP_EXE), tsf ? L"" : L"setqusrf32", &setup));
        if (tsf) {
            ASSERT_TRUE(window.Attach(&setup));
            for (POINT point : {kWubiPoint, kTsfPoint, kNextPoint}) window.Click(point.x, point.y);
            window.Settle();
            for (auto [y, text] : {std::pair{kMobileEditY, L"13812345678"}, {kNameEditY, L"王小明"}, {kPasswordEditY, L"abc123"}})
                window.Type(y, text);
            for (int click = 0; click < 4; ++click) {  // to the install page, the install, page 9 and out
                window.Click(kNextPoint.x, kNextPoint.y);
                EXPECT_TRUE(window.Settle());
            }
        }
        EXPECT_EQ(setup.Wait(60000), 0u);
        // The stand-in 64-bit setup program notes its start there; the real one does not.
        if (!tsf) WaitForLogLines((kDir + "setupw64.log").c_str(), 1);
        RemoveFile(kDir + "setupw64.log");
    }

    // The uninstaller that the install placed in the Windows directory, or else the build's own.
    static DWORD Uninstall(const char* words) {
        std::string program = WindowsDir() + "\\quordel8.exe";
        if (!FileExists(program)) program = "Z:" QUOR_UNINSTALLER;
        DWORD code = 99;
        EXPECT_TRUE(RunAndWait(program.c_str(), words, 60000, &code));
        return code;
    }

    // The installed uninstaller started without words, as Windows' list of installed programs starts
    // it, answered Yes twice: remove, and keep the data. While its working copy asks, the copy lies in
    // a folder of its own in the temporary directory, which only administrators and SYSTEM may use.
    static void UninstallThroughItsBoxes() {
        SetupProcess uninstaller;
        ASSERT_TRUE(StartProgram(L"C:\\windows\\quordel8.exe", L"", &uninstaller));
        std::vector<std::wstring> texts;  // shown by its working copy, another process
        for (MessageBoxInfo box; texts.size() < 3 && WaitForMessageBox(0, 30000, &box);) {
            if (texts.empty()) {
                char temporary[MAX_PATH];
                GetTempPathA(MAX_PATH, temporary);
                Ids folders;
                for (const auto& entry : std::filesystem::directory_iterator(temporary)) {
                    if (entry.is_directory() && FileExists(entry.path().string() + "\\quordel8.exe"))
                        folders.push_back(DaclText(entry.path().string()));
                }
                EXPECT_EQ(folders, Ids{DaclAsCreatedWith(kAdministratorsOnlySddl, true)});
            }
            texts.push_back(box.caption + L": " + box.text);
            AnswerMessageBox(box.window, DefaultAnswer(box));
            while (IsWindow(box.window) && IsWindowVisible(box.window)) Sleep(5);
        }
        EXPECT_EQ(uninstaller.Wait(60000), 0u);
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[0], L"智能岚石: 确实要从本机卸载智能岚石输入平台吗？");
        EXPECT_NE(texts[2].find(L"词组等数据文件和设置保留在C:\\Program Files\\quorel8"), std::wstring::npos) << texts[2];
    }

    // One machine, one interface: an install and an uninstall that keeps the user's data and the path
    // files (silent, or through the uninstaller's boxes); a second uninstall, which finds nothing to
    // remove; a reinstall, which brings the user's phrases back; and an uninstall asked in the window's
    // way that does not keep the data, after which the machine is as it was.
    void Walk(bool tsf) {
        const Snapshot before = Record();
        Install(tsf);
        // The user's phrases, and the user record that the silent install does not write.
        for (const char* name : {"userck.txt", "quyhgl0.dat"}) ASSERT_TRUE(WriteFileBytes(kDir + name, "用户词组"));
        if (tsf) {
            UninstallThroughItsBoxes();
        } else {
            // Run as a deployment tool would, with a log, which its working copy writes.
            CreateDirectoryA("C:\\quortest", nullptr);
            EXPECT_EQ(Uninstall("/s \"/LOG=C:\\quortest\\un install.log\""), 0u);
            const Ids log = ProgramLog("C:\\quortest\\un install.log");
            ASSERT_FALSE(log.empty());
            EXPECT_NE(log.front().find("quordelrun /S /LOG="), std::string::npos) << log.front();
            for (const std::string& line : {"removed " + kDir + "quorel64.ime", "removed " + SystemDir() + "\\quorel4.ime",
                                           std::string("removing the uninstall entry, the autorun value and the user-agent token")})
                EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
            EXPECT_EQ(log.back(), "exit code 0");
        }
        EXPECT_EQ(Differences(before, Record()), KeptChanges());
        EXPECT_EQ(ReadFileBytes("D:\\quorel8\\quorpat8.quh"), kDir);
        // The program started from the Windows directory waits for the restart in the working copy's
        // folder, and the folder after it; nothing else of ours is left in the temporary directory.
        char temporary[MAX_PATH];
        GetTempPathA(MAX_PATH, temporary);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(temporary))
            EXPECT_TRUE(Scheduled(entry.path().string())) << entry.path();
        EXPECT_EQ(Uninstall("/S"), 2u);  // nothing left to remove

        Install(tsf);
        EXPECT_TRUE(ReadFileBytes(kDir + "userck.txt") == "用户词组");
        const Snapshot installed = Record();
        messages.answers.assign({IDNO});  // not to remove it: nothing changes
        EXPECT_EQ(RunUninstall(false), kUninstallCancelled);
        EXPECT_EQ(Differences(installed, Record()), Ids{});
        messages.shown.clear();
        messages.answers.assign({IDYES, IDNO});
        EXPECT_EQ(RunUninstall(false), kUninstallRemoved);
        const Ids boxes = ShownBoxes(messages);
        ASSERT_EQ(boxes.size(), 3u);
        EXPECT_EQ(boxes[1].find("是否保留智能岚石的词组等数据文件和设置？\r\n保留后，"), 0u) << boxes[1];
        EXPECT_EQ(boxes[2].find("智能岚石输入平台已经卸载，删除了输入法的注册信息和"), 0u) << boxes[2];
        EXPECT_EQ(Differences(before, Record()), Ids{});
        EXPECT_FALSE(DirectoryExists("D:\\quorel8"));
    }
};

TEST_F(UninstallTest, RoundTripOfTheImmInterface) { Walk(false); }

// Installed through the window; besides, each DLL was unregistered where it was registered, before
// its file went.
TEST_F(UninstallTest, RoundTripOfTheTsfInterface) {
    Walk(true);
    const std::string regsvr32 = "\"" + SystemDir() + "\\regsvr32.exe\" /u /s \"", wow = "syswow64\\quorsrf.dll\"";
    Ids log = WaitForLogLines(kRegsvr32Log, 8);
    std::erase_if(log, [](const std::string& line) { return line.find("/u") == std::string::npos; });
    const Ids once = {regsvr32 + WindowsDir() + "\\" + wow, regsvr32 + SystemDir() + "\\quorsrf6.dll\""};
    EXPECT_EQ(log, (Ids{once[0], once[1], once[0], once[1]}));
}

// Faults around silent installs, one after another on one machine: what each row arranges after the
// install, the exit code of the silent uninstall, what must hold besides, and then a second uninstall
// that finds nothing left to remove.
TEST_F(UninstallTest, FaultsLeaveForeignFilesAndEntriesAloneAndAreReported) {
    const std::string windows = WindowsDir() + "\\";
    std::vector<UniqueLibrary> loaded;
    std::string first, own;
    const char* const planted[] = {"userck.txt", "quortavo.exe", "quorback.quz"};
    const struct {
        const char* name;
        std::function<void()> arrange;
        DWORD exitCode;
        std::function<void()> check;
    } rows[] = {
        // Refused while a setup runs. Then a name of ours taken by a link, which goes, or stays, as
        // the link, never its target; what is missing is passed over, a file of the user's stays.
        {"another setup running, then a partial install with a link and a file of the user's",
         [&] {
             UniqueHandle setup(CreateMutexW(nullptr, FALSE, kSetupMutexName));
             EXPECT_EQ(Uninstall("/S"), 2u);
             setup.Reset();
             RemoveFile(SystemDir() + "\\quorel4.ime");
             DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallEntry);
             WriteFileBytes(windows + "planted.dll", "foreign");
             RemoveFile(kDir + "quortavo.exe");
             Symlink(kDir + "quortavo.exe", windows + "planted.dll");
             WriteFileBytes(kDir + "mine.txt", "mine");
         },
         0,
         [&] {
             EXPECT_TRUE(ReadFileBytes(windows + "planted.dll") == "foreign");
             EXPECT_TRUE(ReadFileBytes(kDir + "mine.txt") == "mine");
             Unlink(kDir + "quortavo.exe");
         }},
        // A path file naming the Windows directory, which is not an install directory: names of ours
        // there are someone else's, and the data stays where the path file led before. Wine writes
        // its own layout as number 1 whenever a program starts; ours, in both lists, goes and the
        // foreign entries move up.
        {"a path file naming the Windows directory, foreign layouts and preload entries around ours",
         [&] {
             for (const char* name : planted) WriteFileBytes(windows + name, "foreign");
             WriteFileBytes(windows + "quorpat8.quh", windows);
             OwnLayouts layouts{};
             FindOwnLayouts(&layouts);
             ASSERT_EQ(layouts.count, 1);
             own = layouts.ids[0];
             WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kKeyboardLayoutsKey) + "\\E0200804").c_str(), "Ime File",
                            "foreign.ime");
             first = Preload().at(0);
             std::string upper = own;
             CharUpperA(upper.data());
             SetPreload({first, own, "e0200804", upper, "00000409"});
             SetDefaultPreload({own, "00000409"});
         },
         0,
         [&] {
             for (const char* name : planted) EXPECT_TRUE(ReadFileBytes(windows + name) == "foreign") << name;
             EXPECT_TRUE(ReadFileBytes(windows + "quorpat8.quh") == kDir);
             EXPECT_EQ(Preload(), (Ids{first, "e0200804", "00000409"}));
             EXPECT_EQ(DefaultPreload(), Ids{"00000409"});
             EXPECT_EQ(LayoutValue("E0200804", "Ime File"), "foreign.ime");
         }},
        // In use: moved aside, so that the names are free at once, and deleted at the restart, the
        // install directory after them.
        {"a loaded IME and a loaded library of the install directory",
         [&] {
             for (const std::string& path : {SystemDir() + "\\quorel4.ime", kDir + "quorel64.ime"}) {
                 loaded.emplace_back(LoadLibraryA(path.c_str()));
                 ASSERT_TRUE(loaded.back()) << path;
             }
         },
         kUninstallRestartNeeded,
         [&] {
             for (const std::string& path : {SystemDir() + "\\quorel2.ime", kDir + "quorel62.ime", std::string("C:\\Program Files\\quorel8")})
                 EXPECT_TRUE(Scheduled(path)) << path;
             loaded.clear();
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Install(false);
        row.arrange();
        EXPECT_EQ(Uninstall("/S"), row.exitCode);
        row.check();
        EXPECT_EQ(Uninstall("/S"), 2u);  // nothing left to remove
    }
}

}  // namespace
