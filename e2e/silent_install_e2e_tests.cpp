// The real setup.exe in its silent install mode on a fresh machine (with the registry entries of an
// earlier install), under this program's Windows version and code page: no window, exit code 0,
// everything an IMM install puts in place and the earlier entries it replaces, the 64-bit setup
// program started with the install directory, no process of its own left, and a second run that
// keeps the earlier data (its backup archive and the backup copies put back) and changes no other file.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "common/handles.h"
#include "tools/walker/setup_driver.h"
#include "tests/support/command_log.h"
#include "tests/support/install_checks.h"
#include "tests/support/layout_fixture.h"
#include "tests/support/text_service_fixture.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kPostPlatform[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
std::string Narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }
std::string Token(int n) { return "tavo" + std::to_string(n) + "00"; }

// Whether a process of that file name is still there after up to 5 s of waiting for it to end.
bool StillRunning(const wchar_t* exeName) {
    for (int waited = 0;; waited += 100, Sleep(100)) {
        bool found = false;
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more && !found;
             more = Process32NextW(snapshot.Get(), &entry)) {
            found = _wcsicmp(entry.szExeFile, exeName) == 0;
        }
        if (!found || waited >= 5000) return found;
    }
}

// The keyboard layouts whose IME file is the System directory's quorel4.ime, as the system's IMM
// installer enters it (the program's own entry would name the bare file).
int LayoutsOfTheInstalledIme() {
    int count = 0;
    for (const std::string& id : RegNames(HKEY_LOCAL_MACHINE, kLayoutsPath)) {
        std::wstring path = Wide(std::string(kLayoutsPath) + "\\" + id);
        std::optional<std::wstring> file = ReadRegTextW(HKEY_LOCAL_MACHINE, path.c_str(), L"Ime File");
        if (file && _wcsicmp(file->c_str(), Wide(SystemDir() + "\\quorel4.ime").c_str()) == 0 &&
            ReadRegTextW(HKEY_LOCAL_MACHINE, path.c_str(), L"Layout Text") == L"智能岚石输入平台  8.6") {
            ++count;
        }
    }
    return count;
}

// The install directory's files by path, but the 64-bit setup program's run log and what the backup
// of the earlier data made.
std::map<std::string, std::string> InstalledFiles() {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kInstallDir)) {
        std::string path = entry.path().string();
        if (entry.is_regular_file() && !path.ends_with("setupw64.log") && !path.ends_with(".bak") &&
            !path.ends_with("quorback.quz")) {
            files[path] = ReadFileBytes(path).value_or("");
        }
    }
    return files;
}

class SilentInstallTest : public LayoutTest {
protected:
    // Each case runs on its own fresh machine, which is thrown away afterwards.
    void SetUp() override {
        LayoutTest::SetUp();
        SetProgramWindowsVersion(L"setup.exe", NtVersionIs10() ? L"win10" : L"win7");
        // Entries of other programs, and of an earlier install: its run value and its tokens, those of
        // tavo6300..tavo6800 and tavo7000..tavo8900 to go, their neighbours to stay. (Windows has the
        // user-agent key; Wine's fresh machine lacks it.)
        WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\other").c_str(), "DisplayName", "other");
        for (const char* name : {"quqrsjgl", "other"}) WriteRegString(HKEY_LOCAL_MACHINE, kRunKey, name, "C:\\old.exe");
        for (int n = 59; n <= 90; ++n) WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, Token(n).c_str(), "IE");
        WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, "tavo8210", "IE");
        payload_ = ReadPayload();
        ASSERT_FALSE(payload_.empty());
    }
    // Runs "setup.exe setqusrf32" to its end: a window or a message box would keep it running.
    static DWORD RunSilentInstall() {
        SetupProcess setup;
        return StartProgram(HostPath(QUOR_SETUP_EXE), L"setqusrf32", &setup) ? setup.Wait(60000) : STILL_ACTIVE;
    }

    // A reinstall puts back the earlier quorpyck.bak, the backup copy of quorpyck.quh.
    void ExpectTheImmInputMethodInstalled(bool reinstall = false) {
        const std::string dir = kInstallDir;
        // Every member but the code-page variants and the text-service DLLs stays as unpacked; the
        // phrase backup is converted and the 64-bit setup program carries the patched version text.
        const std::vector<const char*> gone = {"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime",
                                               "quorsrf.dll", "quorsrf6.dll", "qsrf732.dll", "qsrf764.dll"};
        std::vector<const char*> differing = gone;
        differing.insert(differing.end(), {"setupw64.exe", "quorcyzk.bak"});
        if (reinstall) differing.push_back("quorpyck.bak");
        EXPECT_EQ(DifferingMembers(payload_), DifferingReport(differing));
        for (const char* name : gone) EXPECT_FALSE(FileExists(dir + name)) << name;
        EXPECT_TRUE(FileExists(dir + "setupw64.exe"));
        EXPECT_EQ(ReadFileBytes(dir + "quorcyzk.dat"), ReadFileBytes(dir + "quorcyzk.bak"));
        EXPECT_TRUE(HoldsMember(dir + "quorpyck.dat", "quorpyck.bak"));
        EXPECT_EQ(GetFileAttributesA((dir + "filer").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

        EXPECT_TRUE(HoldsMember(SystemDir() + "\\quorel4.ime", "quorel64.ime"));
        EXPECT_TRUE(HoldsMember(WindowsDir() + "\\syswow64\\quorel4.ime", "quorel4.ime"));
        EXPECT_TRUE(HoldsMember(WindowsDir() + "\\quordel8.exe", "quordel8.exe"));
        EXPECT_EQ(ReadFileBytes(WindowsDir() + "\\quorpat8.quh"), dir);
        EXPECT_EQ(ReadFileBytes("D:\\quorel8\\quorpat8.quh"), dir);

        std::wstring uninstall = Wide(std::string(kUninstallKey) + "\\quorrwb8");
        EXPECT_EQ(ReadRegTextW(HKEY_LOCAL_MACHINE, uninstall.c_str(), L"DisplayName"), L"智能岚石8");
        EXPECT_EQ(ReadRegTextW(HKEY_LOCAL_MACHINE, uninstall.c_str(), L"UninstallString"),
                  Wide(WindowsDir() + "\\quordel8.exe"));
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, Narrow(uninstall).c_str(), true), (Ids{"DisplayName", "UninstallString"}));
        EXPECT_TRUE(KeyPresent(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + "\\other").c_str()));
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kRunKey, true), (Ids{"other", "quqrsjgl"}));
        EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kRunKey, "quqrsjgl"), dir + "quortavo.exe qu");
        Ids tokens = {"tavo8210"};
        for (int n : {59, 60, 61, 62, 69, 82, 90}) tokens.push_back(Token(n));
        std::sort(tokens.begin(), tokens.end());
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kPostPlatform, true), tokens);
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, kPostPlatform, "tavo8200"), "");  // stored without its terminator
    }

    std::string payload_;
};

TEST_F(SilentInstallTest, InstallsTheImmInputMethodAndASecondRunKeepsTheEarlierData) {
    const Ids preloadBefore = Preload();
    const std::string started = "regqu32=" + std::string(kInstallDir);
    const std::string setupLog = std::string(kInstallDir) + "setupw64.log";

    ASSERT_EQ(RunSilentInstall(), 0u);
    ExpectTheImmInputMethodInstalled();
    EXPECT_EQ(LayoutsOfTheInstalledIme(), 1);
    // Started last, with the install directory after the word, and not waited for.
    EXPECT_EQ(WaitForLogLines(setupLog.c_str(), 1), std::vector<std::string>{started});
    EXPECT_FALSE(StillRunning(L"setupw64.exe"));
    const std::map<std::string, std::string> first = InstalledFiles();
    const Ids uninstallEntries = RegNames(HKEY_LOCAL_MACHINE, kUninstallKey);
    const Ids runValues = RegNames(HKEY_LOCAL_MACHINE, kRunKey, true);
    ASSERT_TRUE(first.contains(std::string(kInstallDir) + "quortavo.exe"));

    ASSERT_EQ(RunSilentInstall(), 0u);
    ExpectTheImmInputMethodInstalled(true);
    const std::string dir = kInstallDir;
    EXPECT_EQ(ReadFileBytes(dir + "quorpyck.bak"), first.at(dir + "quorpyck.quh"));
    EXPECT_EQ(WaitForLogLines(setupLog.c_str(), 2), (std::vector<std::string>{started, started}));
    EXPECT_EQ(InstalledFiles(), first);
    EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kUninstallKey), uninstallEntries);
    EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kRunKey, true), runValues);
    EXPECT_EQ(Preload(), preloadBefore);
}

}  // namespace
