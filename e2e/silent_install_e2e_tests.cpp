// The real setup.exe in its silent install mode on a fresh machine (with the registry entries of an
// earlier install), under this program's Windows version and code page: exit code 0, everything an
// IMM install puts in place and the earlier entries it replaces, the 64-bit setup program started
// with the install directory, and a second run that keeps the earlier data and changes no other file;
// the log each run was asked to write (in a folder with a blank in its name).
#include <filesystem>
#include <map>

#include "tools/walker/setup_driver.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/layout_fixture.h"
#include "tests/support/text_service_fixture.h"

namespace {

const std::string kDir = kInstallDir;
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kOwnEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kPostPlatform[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

std::string Token(int n) { return "tavo" + std::to_string(n) + "00"; }

// The install directory's files and their bytes, but the 64-bit setup program's run log and what the
// backup of the earlier data made.
std::map<std::string, std::string> InstalledFiles() {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kDir)) {
        std::string path = entry.path().string();
        if (entry.is_regular_file() && !path.ends_with(".log") && !path.ends_with(".bak") && !path.ends_with("back.quz"))
            files[path] = ReadFileBytes(path).value_or("");
    }
    return files;
}

class SilentInstallTest : public LayoutTest {
protected:
    // Entries of other programs, and of an earlier install: its run value and its tokens, those of
    // tavo6300..tavo6800 and tavo7000..tavo8900 to go, their neighbours to stay. (Windows has the
    // user-agent key; Wine's fresh machine lacks it.)
    void SetUp() override {
        LayoutTest::SetUp();
        SetProgramWindowsVersion(L"setup.exe", NtVersionIs10() ? L"win10" : L"win7");
        WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\other").c_str(), "DisplayName", "other");
        for (const char* name : {"quqrsjgl", "other"}) WriteRegString(HKEY_LOCAL_MACHINE, kRunKey, name, "C:\\old.exe");
        for (int n = 59; n <= 90; ++n) WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, Token(n).c_str(), "IE");
        WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, "tavo8210", "IE");
    }
    // Runs "setup.exe setqusrf32" with a log to its end: a window or a message box would keep it running.
    static DWORD RunSilentInstall(const wchar_t* log) {
        SetupProcess setup;
        CreateDirectoryA("C:\\quortest", nullptr);
        CreateDirectoryA("C:\\quortest\\install logs", nullptr);
        const std::wstring words = std::wstring(L"setqusrf32 /Log=\"C:\\quortest\\install logs\\") + log + L"\"";
        return StartProgram(HostPath(QUOR_SETUP_EXE), words, &setup) ? setup.Wait(60000) : STILL_ACTIVE;
    }

    static DWORD EntryNumber(const char* value) {
        DWORD number = 0, size = sizeof number;
        RegGetValueA(HKEY_LOCAL_MACHINE, kOwnEntry, value, RRF_RT_REG_DWORD, nullptr, &number, &size);
        return number;
    }

    // The log names each step, each member unpacked with its size and digest (their sum is the entry's
    // size in KB), the system copies, the registry values, the programs started, the backup and its
    // restore, and ends with the exit code.
    static void ExpectTheLog(const char* name, bool reinstall) {
        const Ids log = ProgramLog(std::string("C:\\quortest\\install logs\\") + name);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "exit code 0");
        Ids steps;
        std::size_t unpacked = 0, bytes = 0;
        for (const std::string& line : log) {
            if (line.starts_with("step: ")) steps.push_back(line);
            if (steps.size() == 3 && line.starts_with("unpacked ") && line.ends_with(" bytes, digest matches")) {
                ++unpacked;
                bytes += std::stoul(line.substr(line.find(": ") + 2));
            }
        }
        EXPECT_EQ(EntryNumber("EstimatedSize"), (bytes + 1023) / 1024);
        Ids expected = {"step: install directory " + kDir, "step: files, first pass", "step: unpack the payload",
                        "step: system copies", "step: uninstall entry", "step: registration of the IMM interface",
                        "step: files, second pass", "step: system copies", "step: entries"};
        if (reinstall) expected.push_back("step: restore");
        EXPECT_EQ(steps, expected);
        EXPECT_EQ(unpacked, 102u);
        const std::string entry = "registry HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8 ";
        for (const std::string& line :
             {"unpacked quorel4.ime: " + std::to_string(ReadMember("quorel4.ime").size()) + " bytes, digest matches",
              "copy quorel64.ime to " + SystemDir() + "\\quorel4.ime: copied",
              entry + "\"QuietUninstallString\" = \"\"" + WindowsDir() + "\\quordel8.exe\" /S\"",
              "started " + kDir + "setupw64.exe: " + kDir + "setupw64.exe regqu32=" + kDir,
              std::string(reinstall ? "backup taken: " : "install directory ") + kDir +
                  (reinstall ? "quorback.quz" : ", earlier install directory none")}) {
            EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
        }
    }

    // Every member but the code-page variants and the text-service DLLs (gone) stays as unpacked; the
    // phrase backups are converted and the 64-bit setup program carries the patched version text. A
    // reinstall puts back the earlier quorpyck.bak. Only administrators may change the programs.
    static void ExpectTheImmInputMethodInstalled(bool reinstall) {
        const std::vector<const char*> gone = {"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime",
                                               "quorsrf.dll", "quorsrf6.dll", "qsrf732.dll", "qsrf764.dll"};
        std::vector<const char*> differing = gone;
        differing.insert(differing.end(), {"setupw64.exe", "quorcyzk.bak"});
        if (reinstall) differing.push_back("quorpyck.bak");
        EXPECT_EQ(DifferingMembers(ReadPayload()), DifferingReport(differing));
        for (const char* name : gone) EXPECT_FALSE(FileExists(kDir + name)) << name;
        EXPECT_EQ(FilesWithWrongAccess(), std::vector<std::string>{});
        EXPECT_EQ(ReadFileBytes(kDir + "quorcyzk.dat"), ReadFileBytes(kDir + "quorcyzk.bak"));
        EXPECT_TRUE(HoldsMember(kDir + "quorpyck.dat", "quorpyck.bak"));
        EXPECT_EQ(GetFileAttributesA((kDir + "filer").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
        EXPECT_TRUE(HoldsMember(WindowsDir() + "\\quordel8.exe", "quordel8.exe"));
        EXPECT_EQ(ReadFileBytes(WindowsDir() + "\\quorpat8.quh"), kDir);
        EXPECT_EQ(ReadFileBytes("D:\\quorel8\\quorpat8.quh"), kDir);

        // The uninstall entry's values, the other program's entry and run value left.
        const std::string uninstaller = WindowsDir() + "\\quordel8.exe";
        EXPECT_EQ(ReadRegTextW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8",
                               L"DisplayName"), L"智能岚石8");
        EXPECT_EQ(ReadRegTextW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8",
                               L"Publisher"), L"智能岚石");
        for (auto [value, data] : {std::pair{"UninstallString", uninstaller}, {"DisplayIcon", uninstaller},
                                   {"QuietUninstallString", "\"" + uninstaller + "\" /S"}, {"DisplayVersion", "8.6"},
                                   {"InstallLocation", kDir}}) {
            EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kOwnEntry, value), data) << value;
        }
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kOwnEntry, true),
                  (Ids{"DisplayIcon", "DisplayName", "DisplayVersion", "EstimatedSize", "InstallLocation", "NoModify",
                       "NoRepair", "Publisher", "QuietUninstallString", "UninstallString"}));
        EXPECT_EQ((std::vector<DWORD>{EntryNumber("NoModify"), EntryNumber("NoRepair")}), (std::vector<DWORD>{1, 1}));
        EXPECT_TRUE(KeyPresent(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\other").c_str()));
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kRunKey, true), (Ids{"other", "quqrsjgl"}));
        EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kRunKey, "quqrsjgl"), kDir + "quortavo.exe qu");
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kPostPlatform, true),
                  (Ids{"tavo5900", "tavo6000", "tavo6100", "tavo6200", "tavo6900", "tavo8200", "tavo8210", "tavo9000"}));
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, kPostPlatform, "tavo8200"), "");  // stored without its terminator
    }
};

TEST_F(SilentInstallTest, InstallsTheImmInputMethodAndASecondRunKeepsTheEarlierData) {
    const Ids preloadBefore = Preload();
    const std::string started = "regqu32=" + kDir;
    ASSERT_EQ(RunSilentInstall(L"first.log"), 0u);
    ExpectTheImmInputMethodInstalled(false);
    ExpectTheLog("first.log", false);
    // Started last, with the install directory after the word, and not waited for.
    EXPECT_EQ(WaitForLogLines((kDir + "setupw64.log").c_str(), 1), Ids{started});
    const std::map<std::string, std::string> first = InstalledFiles();
    const Ids uninstallEntries = RegNames(HKEY_LOCAL_MACHINE, kUninstallKey);
    ASSERT_TRUE(first.contains(kDir + "quortavo.exe"));

    ASSERT_EQ(RunSilentInstall(L"second.log"), 0u);
    ExpectTheImmInputMethodInstalled(true);
    ExpectTheLog("second.log", true);
    EXPECT_EQ(ReadFileBytes(kDir + "quorpyck.bak"), first.at(kDir + "quorpyck.quh"));
    EXPECT_EQ(WaitForLogLines((kDir + "setupw64.log").c_str(), 2), (Ids{started, started}));
    EXPECT_EQ(InstalledFiles(), first);
    EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kUninstallKey), uninstallEntries);
    EXPECT_EQ(Preload(), preloadBefore);
}

}  // namespace
