// The uninstall, autorun and user-agent entries: exact values and byte counts in the real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/handles.h"
#include "register/registry_entries.h"
#include "tests/register/layout_fixture.h"
#include "tests/register/registry_guard.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kUninstallEntryW[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUserAgent[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent";
constexpr char kPostPlatform[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

std::string Wide(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

std::vector<std::string> ValueNames(HKEY root, const char* path) {
    std::vector<std::string> names;
    UniqueHKey key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(key.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class RegistryEntriesTest : public QuorTest {
protected:
    RegistryTreeGuard uninstall_{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"};
    RegistryTreeGuard run_{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run"};
    RegistryTreeGuard userAgent_{HKEY_LOCAL_MACHINE,
                                 L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent"};
};

TEST_F(RegistryEntriesTest, UninstallEntryNamesTheUninstallerInTheWindowsDirectory) {
    WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + "\\other").c_str(), "DisplayName", "other");
    std::vector<std::string> before = SubkeyNames(HKEY_LOCAL_MACHINE, kUninstall);

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        WriteUninstallEntry();

        std::vector<std::string> expected = before;
        expected.push_back("quorrwb8");
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(SubkeyNames(HKEY_LOCAL_MACHINE, kUninstall), expected);
        std::string entry = std::string(kUninstall) + "\\quorrwb8";
        EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, entry.c_str()),
                  (std::vector<std::string>{"DisplayName", "UninstallString"}));

        wchar_t windows[MAX_PATH];
        GetWindowsDirectoryW(windows, MAX_PATH);
        auto name = ReadRawW(HKEY_LOCAL_MACHINE, kUninstallEntryW, L"DisplayName");
        ASSERT_TRUE(name);
        EXPECT_EQ(name->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(name->bytes, Wide(L"智能岚石8"));
        auto command = ReadRawW(HKEY_LOCAL_MACHINE, kUninstallEntryW, L"UninstallString");
        ASSERT_TRUE(command);
        EXPECT_EQ(command->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(command->bytes, Wide(std::wstring(windows) + L"\\quordel8.exe"));
    }
}

TEST_F(RegistryEntriesTest, AutorunValueIsReplaced) {
    const std::string command = "C:\\Program Files\\quorel8\\quortavo.exe qu";
    WriteRegString(HKEY_LOCAL_MACHINE, kRun, "quqrsjgl", "C:\\old\\quortavo.exe qu");
    WriteRegString(HKEY_LOCAL_MACHINE, kRun, "other", "other.exe");

    WriteAutorunEntry(command.c_str());
    WriteAutorunEntry(command.c_str());

    EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kRun), (std::vector<std::string>{"other", "quqrsjgl"}));
    auto value = ReadRawA(HKEY_LOCAL_MACHINE, kRun, "quqrsjgl");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->bytes, command + std::string(1, '\0'));
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kRun, "other"), "other.exe");
}

TEST_F(RegistryEntriesTest, UserAgentTokenReplacesTheEarlierOnes) {
    std::vector<std::string> earlier;
    for (char fifth : {'6', '7', '8'}) {
        for (char sixth = fifth == '6' ? '3' : '0'; sixth <= (fifth == '6' ? '8' : '9'); ++sixth) {
            earlier.push_back(std::string("tavo") + fifth + sixth + "00");
        }
    }
    ASSERT_EQ(earlier.size(), 26u);
    for (const std::string& name : earlier) WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, name.c_str(), "IE");
    const std::vector<std::string> kept = {"tavo5900", "tavo6200", "tavo6900", "tavo9000", "tavo8210", "other"};
    for (const std::string& name : kept) WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, name.c_str(), "IE");

    WriteUserAgentToken();

    std::vector<std::string> expected = kept;
    expected.push_back("tavo8200");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kPostPlatform), expected);
    auto token = ReadRawA(HKEY_LOCAL_MACHINE, kPostPlatform, "tavo8200");
    ASSERT_TRUE(token);
    EXPECT_EQ(token->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(token->bytes, "");
}

TEST_F(RegistryEntriesTest, UserAgentTokenNeedsTheUserAgentKey) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUserAgent);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUserAgent);
    WriteUserAgentToken();
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kUserAgent));

    UniqueHKey userAgent;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUserAgent, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, userAgent.Put(), nullptr);
    userAgent.Reset();
    WriteUserAgentToken();
    EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, kPostPlatform), std::vector<std::string>{"tavo8200"});
}

}  // namespace
