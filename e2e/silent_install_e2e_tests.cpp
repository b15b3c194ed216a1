// The real setup.exe in its silent install mode on a fresh machine, under this program's Windows
// version and code page: no window, exit code 0, everything an IMM install puts in place, the 64-bit
// setup program started with the install directory, no process left behind, and a second run that
// adds nothing and changes no file.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "e2e/setup_driver.h"
#include "tests/deploy/install_checks.h"
#include "tests/payload/payload_test_support.h"
#include "tests/register/command_log.h"
#include "tests/register/layout_fixture.h"
#include "tests/register/text_service_fixture.h"
#include "tests/support/test_support.h"

namespace {

constexpr DWORD kInstallTimeoutMs = 60000;
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUserAgentKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent";
constexpr char kPreloadKey[] = "Keyboard Layout\\Preload";

std::wstring SetupPath() {
    std::string path = QUOR_SETUP_EXE;
    std::replace(path.begin(), path.end(), '/', '\\');
    return L"Z:" + std::wstring(path.begin(), path.end());
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Every file under a directory (prefix and relative name -> bytes).
void Snapshot(const std::string& directory, const std::string& prefix, std::map<std::string, std::string>* files) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Snapshot(directory + name + "\\", prefix + name + "\\", files);
        } else {
            (*files)[prefix + name] = ReadFileBytes(directory + name).value_or("");
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

// Names of the running processes of these programs.
std::vector<std::wstring> RunningPrograms(const std::vector<std::wstring>& programs) {
    std::vector<std::wstring> running;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return running;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        std::wstring name = Lower(entry.szExeFile);
        if (std::find(programs.begin(), programs.end(), name) != programs.end()) running.push_back(name);
    }
    CloseHandle(snapshot);
    return running;
}

// The keyboard layouts whose IME file is the System directory's quorel4.ime, as the system's IMM
// installer enters it (the program's own entry would name the bare file).
std::vector<std::string> LayoutsOfTheInstalledIme() {
    std::string imeFile = SystemDir() + "\\quorel4.ime";
    std::wstring wideImeFile = Lower(std::wstring(imeFile.begin(), imeFile.end()));
    std::vector<std::string> layouts;
    for (const std::string& id : SubkeyNames(HKEY_LOCAL_MACHINE, kLayoutsPath)) {
        std::wstring path = L"System\\CurrentControlSet\\Control\\Keyboard Layouts\\" + std::wstring(id.begin(), id.end());
        std::optional<std::wstring> file = ReadRegTextW(HKEY_LOCAL_MACHINE, path.c_str(), L"Ime File");
        std::optional<std::wstring> text = ReadRegTextW(HKEY_LOCAL_MACHINE, path.c_str(), L"Layout Text");
        if (file && Lower(*file) == wideImeFile && text == L"智能岚石输入平台  8.6") layouts.push_back(id);
    }
    return layouts;
}

// Uninstall subkeys naming the product, and Run values starting its program.
int ProductUninstallEntries() {
    int count = 0;
    for (const std::string& name : SubkeyNames(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")) {
        std::wstring path = std::wstring(kUninstallKey) + L"\\" + std::wstring(name.begin(), name.end());
        if (ReadRegTextW(HKEY_LOCAL_MACHINE, path.c_str(), L"DisplayName") == L"智能岚石8") ++count;
    }
    return count;
}

int AutorunValuesOfTheProduct() {
    int count = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    for (DWORD i = 0;; ++i) {
        char name[256], data[1024];
        DWORD nameLength = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        if (std::string(data, dataSize).find("quortavo.exe") != std::string::npos) ++count;
    }
    RegCloseKey(key);
    return count;
}

std::vector<std::string> PreloadIds() {
    std::vector<std::string> ids;
    for (int n = 1; n <= 49; ++n) {
        std::optional<std::string> id = ReadRegString(HKEY_CURRENT_USER, kPreloadKey, std::to_string(n).c_str());
        if (id) ids.push_back(*id);
    }
    return ids;
}

// The install directory's files (its run log of the 64-bit setup program aside) and the files placed
// in the Windows and system directories, by path.
std::map<std::string, std::string> InstalledFiles() {
    std::map<std::string, std::string> files;
    Snapshot(kInstallDir, kInstallDir, &files);
    files.erase(std::string(kInstallDir) + "setupw64.log");
    for (const std::string& path : {SystemDir() + "\\quorel4.ime", WindowsDir() + "\\syswow64\\quorel4.ime",
                                    WindowsDir() + "\\quordel8.exe"}) {
        files[path] = ReadFileBytes(path).value_or("");
    }
    return files;
}

class SilentInstallTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        SetProgramWindowsVersion(L"setup.exe", NtVersionIs10() ? L"win10" : L"win7");
        // Windows has this key, which the token goes under; Wine's fresh machine lacks it.
        HKEY userAgent = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUserAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &userAgent,
                        nullptr);
        if (userAgent != nullptr) RegCloseKey(userAgent);
        payload_ = ReadPayload();
        ASSERT_FALSE(payload_.empty());
    }
    void TearDown() override {
        SetProgramWindowsVersion(L"setup.exe", nullptr);
        QuorTest::TearDown();
    }

    // Runs "setup.exe setqusrf32" to its end, watching that it opens no window and no message box.
    DWORD RunSilentInstall() {
        SetupProcess setup;
        if (!StartProgram(SetupPath(), L"setqusrf32", &setup)) return STILL_ACTIVE;
        DWORD exitCode = STILL_ACTIVE;
        MessageBoxInfo box;
        for (DWORD waited = 0; exitCode == STILL_ACTIVE && waited < kInstallTimeoutMs; waited += 50) {
            EXPECT_EQ(WaitForWindow(kMainWindowClassW, setup.info.dwProcessId, 0), nullptr);
            if (WaitForMessageBox(setup.info.dwProcessId, 0, &box)) {
                ADD_FAILURE() << "message box shown";
                AnswerMessageBox(box.window, IDOK);
            }
            exitCode = setup.Wait(50);
        }
        return exitCode;
    }

    void ExpectTheImmInputMethodInstalled() {
        const std::string dir = kInstallDir;
        // Every member but the code-page variants and the text-service DLLs stays as unpacked; the
        // phrase backup is converted and the 64-bit setup program carries the patched version text.
        EXPECT_EQ(DifferingMembers(payload_),
                  DifferingReport({"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime", "quorsrf.dll",
                                   "quorsrf6.dll", "qsrf732.dll", "qsrf764.dll", "setupw64.exe", "quorcyzk.bak"}));
        for (const char* gone : {"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime", "quorsrf.dll",
                                 "quorsrf6.dll", "qsrf732.dll", "qsrf764.dll"}) {
            EXPECT_FALSE(FileExists(dir + gone)) << gone;
        }
        EXPECT_TRUE(FileExists(dir + "setupw64.exe"));
        EXPECT_EQ(ReadFileBytes(dir + "quorcyzk.dat"), ReadFileBytes(dir + "quorcyzk.bak"));
        EXPECT_TRUE(HoldsMember(dir + "quorpyck.dat", "quorpyck.bak"));
        EXPECT_TRUE(DirectoryExists(dir + "filer"));

        EXPECT_TRUE(HoldsMember(SystemDir() + "\\quorel4.ime", "quorel64.ime"));
        EXPECT_TRUE(HoldsMember(WindowsDir() + "\\syswow64\\quorel4.ime", "quorel4.ime"));
        EXPECT_TRUE(HoldsMember(WindowsDir() + "\\quordel8.exe", "quordel8.exe"));
        EXPECT_EQ(ReadFileBytes(WindowsDir() + "\\quorpat8.quh"), dir);
        EXPECT_EQ(ReadFileBytes("D:\\quorel8\\quorpat8.quh"), dir);

        std::wstring uninstall = std::wstring(kUninstallKey) + L"\\quorrwb8";
        EXPECT_EQ(ReadRegTextW(HKEY_LOCAL_MACHINE, uninstall.c_str(), L"DisplayName"), L"智能岚石8");
        std::string uninstaller = WindowsDir() + "\\quordel8.exe";
        EXPECT_EQ(ReadRegTextW(HKEY_LOCAL_MACHINE, uninstall.c_str(), L"UninstallString"),
                  std::wstring(uninstaller.begin(), uninstaller.end()));
        EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kRunKey, "quqrsjgl"), dir + "quortavo.exe qu");
        std::optional<RawValue> token = ReadRawA(HKEY_LOCAL_MACHINE, (std::string(kUserAgentKey) + "\\Post Platform").c_str(), "tavo8200");
        ASSERT_TRUE(token.has_value());
        EXPECT_EQ(token->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(token->bytes, "");
    }

    bool DirectoryExists(const std::string& path) {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::string payload_;
};

TEST_F(SilentInstallTest, InstallsTheImmInputMethodAndASecondRunChangesNothing) {
    const std::string dir = kInstallDir;
    const std::vector<std::string> preloadBefore = PreloadIds();

    ASSERT_EQ(RunSilentInstall(), 0u);
    ExpectTheImmInputMethodInstalled();
    EXPECT_EQ(LayoutsOfTheInstalledIme().size(), 1u);
    // Started last, with the install directory after the word, and not waited for.
    const std::string started = "regqu32=" + dir;
    EXPECT_EQ(WaitForLogLines((dir + "setupw64.log").c_str(), 1), std::vector<std::string>{started});
    std::vector<std::wstring> own = {L"setup.exe", L"setupw64.exe"};
    for (int waited = 0; !RunningPrograms(own).empty() && waited < 5000; waited += 100) Sleep(100);
    EXPECT_TRUE(RunningPrograms(own).empty());
    EXPECT_EQ(PreloadIds(), preloadBefore);

    std::map<std::string, std::string> first = InstalledFiles();

    ASSERT_EQ(RunSilentInstall(), 0u);
    ExpectTheImmInputMethodInstalled();
    EXPECT_EQ(WaitForLogLines((dir + "setupw64.log").c_str(), 2), (std::vector<std::string>{started, started}));
    std::map<std::string, std::string> second = InstalledFiles();
    EXPECT_EQ(first, second);
    EXPECT_EQ(ProductUninstallEntries(), 1);
    EXPECT_EQ(AutorunValuesOfTheProduct(), 1);
    EXPECT_EQ(PreloadIds(), preloadBefore);
}

}  // namespace
