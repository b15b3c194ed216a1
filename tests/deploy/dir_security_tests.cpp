// Install directory security on the test prefix: the program's descriptor, the user's entry, the
// captured output of a command, and the application-package scan of an icacls listing.

#include <windows.h>
#include <aclapi.h>

#include <string_view>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/dir_security.h"
#include "platform/install_paths.h"
#include "platform/program_run.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kListingFile[] = "C:\\quortest\\icacls-listing.txt";

// How many access-allowed entries of a directory's DACL give the current user full access (GENERIC_ALL,
// or the file rights it maps to), inherited by files and folders.
int UserFullAccessEntries(const std::string& path) {
    UniqueHandle token;
    BYTE user[256];
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return -1;
    if (!GetTokenInformation(token.Get(), TokenUser, user, sizeof user, &size)) return -1;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                          &descriptor);
    UniqueLocalMemory owned(descriptor);
    int count = 0;
    ACCESS_ALLOWED_ACE* ace = nullptr;
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        count += GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                 EqualSid(&ace->SidStart, reinterpret_cast<TOKEN_USER*>(user)->User.Sid) && ace->Header.AceFlags == 3 &&
                 (ace->Mask == GENERIC_ALL || ace->Mask == FILE_ALL_ACCESS);
    }
    return count;
}

class DirSecurityTest : public QuorTest {
protected:
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
    EXPECT_EQ(CreateSecuredDirectory(dir.c_str()), 0);
    ASSERT_EQ(GrantUserFullAccess(dir.c_str()), 1);
    EXPECT_EQ(UserFullAccessEntries(dir), 1);
}

// The System directory's icacls (the prefix's stand-in) prints 200 lines of 150 characters, 30,400
// bytes in all, with CR LF line ends (and one CR alone): read as text, cut at the buffer's end.
TEST_F(DirSecurityTest, CaptureReadsTheProgramsOutputAsTextUpToItsBuffer) {
    std::string text = "\r";
    for (int line = 0; line < 200; ++line) text += std::string(149, static_cast<char>('a' + line % 26)) + "\r\n";
    Restorer keep = KeepFile(kListingFile);
    ASSERT_TRUE(WriteFileBytes(kListingFile, text));
    std::string asText = text;
    for (std::size_t at; (at = asText.find("\r\n")) != std::string::npos;) asText.erase(at, 1);
    std::vector<char> output(kCapturedOutputCapacity + 64, '#');
    char icacls[MAX_PATH];
    ASSERT_TRUE(SystemProgramPath("icacls.exe", icacls, sizeof icacls));
    ASSERT_TRUE(CaptureProgramOutput(icacls, "icacls.exe x", output.data(), kCapturedOutputCapacity));
    EXPECT_EQ(std::string(output.data()), asText.substr(0, kCapturedOutputCapacity - 1));
    EXPECT_EQ(output[kCapturedOutputCapacity], '#');  // nothing written past the buffer
    EXPECT_FALSE(CaptureProgramOutput("C:\\quortest\\none.exe", "none.exe", output.data(), kCapturedOutputCapacity));
}

// The scan looks only at the bytes it is given (the listings of the stand-in icacls are the install
// report's tests).
TEST_F(DirSecurityTest, TellsFullApplicationPackageAccessFromTheIcaclsListing) {
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
