// The uninstall, autorun and user-agent entries: exact values and byte counts in the real registry.

#include <algorithm>

#include "register/registry_entries.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\quorrwb8";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kPostPlatform[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";

class RegistryEntriesTest : public QuorTest {
protected:
    Restorer keep_[3] = {KeepRegTree(HKEY_LOCAL_MACHINE, kUninstall), KeepRegTree(HKEY_LOCAL_MACHINE, kRun),
                         KeepRegTree(HKEY_LOCAL_MACHINE,
                                     "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent")};
};

// Each writer runs twice over the entries of an earlier install: one entry of each remains, with
// exactly its values (strings stored without their terminator, to which the system adds one).
TEST_F(RegistryEntriesTest, EntriesReplaceThoseOfEarlierInstalls) {
    const std::string command = "C:\\Program Files\\quorel8\\quortavo.exe qu";
    const std::string nul(1, '\0');
    WriteRegString(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + "\\other").c_str(), "DisplayName", "other");
    WriteRegString(HKEY_LOCAL_MACHINE, kRun, "quqrsjgl", "C:\\old\\quortavo.exe qu");
    WriteRegString(HKEY_LOCAL_MACHINE, kRun, "other", "other.exe");
    // The earlier tokens tavo6300..tavo6800 and tavo7000..tavo8900 go; their neighbours stay.
    for (int n = 63; n <= 89; ++n) {
        std::string name = "tavo" + std::to_string(n) + "00";
        if (n != 69) WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, name.c_str(), "IE");
    }
    Ids tokens = {"other", "tavo5900", "tavo6200", "tavo6900", "tavo8210", "tavo9000"};
    for (const std::string& name : tokens) WriteRegString(HKEY_LOCAL_MACHINE, kPostPlatform, name.c_str(), "IE");
    tokens.push_back("tavo8200");
    std::sort(tokens.begin(), tokens.end());
    Ids uninstall = RegNames(HKEY_LOCAL_MACHINE, kUninstall);
    uninstall.push_back("quorrwb8");
    std::sort(uninstall.begin(), uninstall.end());

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        WriteUninstallEntry();
        WriteAutorunEntry(command.c_str());
        WriteUserAgentToken();

        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kUninstall), uninstall);
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kEntry, true), (Ids{"DisplayName", "UninstallString"}));
        // Written as UTF-16, read here in the process code page.
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, kEntry, "DisplayName"), "智能岚石8" + nul);
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, kEntry, "UninstallString"), WindowsDir() + "\\quordel8.exe" + nul);
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kRun, true), (Ids{"other", "quqrsjgl"}));
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, kRun, "quqrsjgl"), command + nul);
        EXPECT_EQ(RegNames(HKEY_LOCAL_MACHINE, kPostPlatform, true), tokens);
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, kPostPlatform, "tavo8200"), "");
    }
}

}  // namespace
