// Install directory security on the test prefix: the program's descriptor, the user's entry, the
// icacls and runas command lines as the stand-ins in the prefix record them, the captured output of
// a command, and the application-package check over icacls listings.

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string_view>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/dir_security.h"
#include "platform/install_paths.h"
#include "tests/support/command_log.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kIcaclsLog[] = "C:\\quortest\\icacls.log";
constexpr char kListingFile[] = "C:\\quortest\\icacls-listing.txt";

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return "";
    UniqueLocalMemory owned(text);
    return text;
}

// The access-allowed entries of a directory's DACL, in order, as "SID mask flags" in hexadecimal.
std::vector<std::string> DirectoryEntries(const std::string& path) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                          &descriptor);
    UniqueLocalMemory owned(descriptor);
    std::vector<std::string> entries;
    ACCESS_ALLOWED_ACE* ace = nullptr;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        char rights[32];
        wsprintfA(rights, " %08lx %02x", ace->Mask, ace->Header.AceFlags);
        entries.push_back(SidText(&ace->SidStart) + rights);
    }
    return entries;
}

class DirSecurityTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        for (const char* file : {kIcaclsLog, kRunasLog, kListingFile}) RemoveFile(file);
    }
    ScratchDir scratch;
};

// Wine keeps no DACL of its own on files (it shows one derived from the Unix mode bits) and its SDDL
// parser stops at the first blank between entries, so the descriptor's text is what can be checked:
// full access for all application packages and administrators, read/write/execute for authenticated
// users, each inherited by files and folders.
TEST_F(DirSecurityTest, CreatesOnlyANewDirectoryWithTheDescriptorAndGrantsTheUserFullAccess) {
    EXPECT_STREQ(kInstallDirSddl, "D: (A;OICI;GA;;;AC) (A;OICI;GRGWGX;;;AU) (A;OICI;GA;;;BA) ");
    const std::string dir = scratch.Path() + "secured";
    EXPECT_EQ(GrantUserFullAccess(dir.c_str()), 0);
    ASSERT_EQ(CreateSecuredDirectory(dir.c_str()), 1);
    EXPECT_TRUE(DirectoryExists(dir.c_str()));
    const std::vector<std::string> created = DirectoryEntries(dir);
    EXPECT_EQ(CreateSecuredDirectory(dir.c_str()), 0);
    EXPECT_EQ(DirectoryEntries(dir), created);

    ASSERT_EQ(GrantUserFullAccess(dir.c_str()), 1);
    UniqueHandle token;
    BYTE buffer[256];
    DWORD size = 0;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()) &&
                GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size));
    const std::string user = SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    const std::vector<std::string> granted = DirectoryEntries(dir);
    EXPECT_EQ(std::count(granted.begin(), granted.end(), user + " 10000000 03") +
                  std::count(granted.begin(), granted.end(), user + " 001f01ff 03"),
              1);
}

TEST_F(DirSecurityTest, StartsIcaclsAndRunasOverTheShortPathWhateverTheInstallDirectory) {
    CopyText(g_state.installDir, "D:\\Program Files\\quorel8\\");
    SetLowIntegrity();
    LaunchAtBasicTrust();
    std::vector<std::string> icacls = WaitForLogLines(kIcaclsLog, 2);
    std::sort(icacls.begin(), icacls.end());  // the two commands run side by side
    EXPECT_EQ(icacls, (std::vector<std::string>{"icacls.exe \"c:\\Progra~1\\quorel8\" /SetIntegrityLevel Level: L",
                                                "icacls.exe c:\\Progra~1\\quorel8 /SetIntegrityLevel Level: L"}));
    EXPECT_EQ(WaitForLogLines(kRunasLog, 1), std::vector<std::string>{kBasicTrustCommand});
}

// 200 lines of 150 characters: longer than one 128-byte read, 30,200 bytes in all.
TEST_F(DirSecurityTest, CaptureStopsAtItsBufferWhateverTheCommandPrints) {
    std::string text;
    for (int line = 0; line < 200; ++line) text += std::string(149, static_cast<char>('a' + line % 26)) + "\n";
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "long.txt", text));
    std::vector<char> output(kCapturedOutputCapacity + 64, '#');
    const std::string command = "type " + scratch.Path() + "long.txt";
    ASSERT_EQ(CaptureCommandOutput(command.c_str(), output.data(), kCapturedOutputCapacity), 1);
    EXPECT_EQ(std::string(output.data()), text.substr(0, kCapturedOutputCapacity - 1));
    EXPECT_EQ(output[kCapturedOutputCapacity], '#');  // nothing written past the buffer
}

// The stand-in icacls prints an (F) line, an (RX) and an (F) application-package line into the pipe;
// the scan looks only at the bytes it is given.
TEST_F(DirSecurityTest, TellsFullApplicationPackageAccessFromTheIcaclsListing) {
    EXPECT_EQ(HasAppPackageAccess(), 1);
    EXPECT_EQ(WaitForLogLines(kIcaclsLog, 1), std::vector<std::string>{"icacls.exe C:\\Progra~1\\quorel8"});
    const std::pair<std::string_view, int> cases[] = {
        // The name only in the middle of a line.
        {"C:\\Progra~1\\quorel8 APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\r\n", 0},
        {"x\r\n   APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(F)", 1},  // no line end
        {"\xC8\xA8\xCF\xDE APPLICATION PACKAGE:(F)\r\n", 0},  // Chinese bytes are not blanks
        {"APPLICATION PACKAG", 0},                             // shorter than the marker
    };
    for (const auto& [listing, expected] : cases) {
        SCOPED_TRACE(std::string(listing));
        EXPECT_EQ(ListingShowsAppPackageFullAccess(listing.data(), listing.size()), expected);
    }
}

}  // namespace
