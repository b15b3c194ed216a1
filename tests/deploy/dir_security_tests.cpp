// Install directory security on the test prefix: the DACL of a directory created with the program's
// descriptor, the user's entry, the icacls and runas command lines as the stand-ins in the prefix
// record them, the captured output of a command, and the application-package check over listings.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/dir_security.h"
#include "deploy/install_paths.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kIcaclsLog[] = "C:\\quortest\\icacls.log";
constexpr char kRunasLog[] = "C:\\quortest\\runas.log";
constexpr char kListingFile[] = "C:\\quortest\\icacls-listing.txt";

struct AceView {
    std::string sid;  // in S-1-... form
    ACCESS_MASK mask;
    BYTE flags;
};

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text)) return "";
    std::string result = text;
    LocalFree(text);
    return result;
}

// The access-allowed entries of a directory's DACL, in order.
std::vector<AceView> ReadAllowedAces(const std::string& path) {
    std::vector<AceView> aces;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
        return aces;
    }
    UniqueLocalMemory owned(descriptor);
    for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) continue;
        auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        aces.push_back({SidText(&allowed->SidStart), allowed->Mask, header->AceFlags});
    }
    return aces;
}

std::string CurrentUserSid() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return "";
    BYTE buffer[256];
    DWORD size = 0;
    if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size)) return "";
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

// A stand-in started with WinExec logs its command line a moment later: wait for count lines.
std::vector<std::string> WaitForLogLines(const char* path, std::size_t count) {
    std::vector<std::string> lines;
    for (int waited = 0; waited < 15000; waited += 50) {
        lines.clear();
        std::string text = ReadFileBytes(path).value_or("");
        std::size_t start = 0, end = 0;
        while ((end = text.find("\r\n", start)) != std::string::npos) {
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        if (lines.size() >= count) return lines;
        Sleep(50);
    }
    return lines;
}

class DirSecurityTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        CreateDirectoryA("C:\\quortest", nullptr);
        RemoveFile(kIcaclsLog);
        RemoveFile(kRunasLog);
        RemoveFile(kListingFile);
    }
    void TearDown() override {
        RemoveFile(kListingFile);
        QuorTest::TearDown();
    }
    ScratchDir scratch;
};

// Wine keeps no DACL of its own on files (it shows one derived from the Unix mode bits), and its
// SDDL parser stops at the first blank between entries, so the entries are read back from the
// descriptor text itself, one entry at a time, rather than from the directory.
TEST_F(DirSecurityTest, TheDescriptorGrantsPackagesUsersAndAdministratorsInheritably) {
    const struct {
        const char* sid;
        ACCESS_MASK rights;
    } expected[] = {
        {"S-1-15-2-1", GENERIC_ALL},                                   // AC: all application packages
        {"S-1-5-11", GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE},  // AU: authenticated users
        {"S-1-5-32-544", GENERIC_ALL},                                 // BA: administrators
    };
    std::string text = kInstallDirSddl;
    ASSERT_EQ(text.substr(0, 3), "D: ");
    ASSERT_EQ(text.back(), ' ');
    std::vector<std::string> entries;
    for (std::size_t open = text.find('('); open != std::string::npos; open = text.find('(', open + 1)) {
        entries.push_back(text.substr(open, text.find(')', open) - open + 1));
    }
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i]);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(("D:" + entries[i]).c_str(), SDDL_REVISION_1,
                                                                         &descriptor, nullptr));
        UniqueLocalMemory owned(descriptor);
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
        ASSERT_EQ(dacl->AceCount, 1);
        void* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, 0, &ace));
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(allowed->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        EXPECT_EQ(SidText(&allowed->SidStart), expected[i].sid);
        EXPECT_EQ(allowed->Mask, expected[i].rights);
    }
}

TEST_F(DirSecurityTest, CreatesTheDirectoryOnceAndThenGrantsTheUser) {
    std::string dir = scratch.Path() + "secured";
    ASSERT_EQ(CreateSecuredDirectory(dir.c_str()), 1);
    EXPECT_TRUE(DirectoryExists(dir.c_str()));
    EXPECT_EQ(CreateSecuredDirectory(dir.c_str()), 0);
    EXPECT_EQ(GrantUserFullAccess(dir.c_str()), 1);
}

TEST_F(DirSecurityTest, AnExistingDirectoryIsRefusedAndKeepsItsPermissionsButTheUserIsStillAdded) {
    std::string dir = scratch.Path() + "existing";
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    std::vector<AceView> before = ReadAllowedAces(dir);

    EXPECT_EQ(CreateSecuredDirectory(dir.c_str()), 0);
    std::vector<AceView> after = ReadAllowedAces(dir);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].sid, before[i].sid);
        EXPECT_EQ(after[i].mask, before[i].mask);
    }

    ASSERT_EQ(GrantUserFullAccess(dir.c_str()), 1);
    std::string user = CurrentUserSid();
    ASSERT_FALSE(user.empty());
    std::vector<AceView> granted = ReadAllowedAces(dir);
    auto entry = std::find_if(granted.begin(), granted.end(), [&](const AceView& ace) {
        return ace.sid == user && (ace.mask == GENERIC_ALL || ace.mask == FILE_ALL_ACCESS);
    });
    ASSERT_NE(entry, granted.end());
    EXPECT_EQ(entry->flags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE), OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
}

TEST_F(DirSecurityTest, GrantingOnAMissingDirectoryFails) {
    std::string dir = scratch.Path() + "missing";
    EXPECT_EQ(GrantUserFullAccess(dir.c_str()), 0);
    EXPECT_FALSE(FileExists(dir));
}

TEST_F(DirSecurityTest, SetsTheLowIntegrityLevelWithBothIcaclsCommandLines) {
    SetLowIntegrity();
    std::vector<std::string> lines = WaitForLogLines(kIcaclsLog, 2);
    ASSERT_EQ(lines.size(), 2u);
    // The two commands run side by side, so either may log first.
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines[0], "icacls.exe \"c:\\Progra~1\\quorel8\" /SetIntegrityLevel Level: L");
    EXPECT_EQ(lines[1], "icacls.exe c:\\Progra~1\\quorel8 /SetIntegrityLevel Level: L");
}

TEST_F(DirSecurityTest, CommandsNameTheShortPathWhateverTheInstallDirectory) {
    CopyText(g_state.installDir, "D:\\Program Files\\quorel8\\");
    LaunchAtBasicTrust();
    std::vector<std::string> lines = WaitForLogLines(kRunasLog, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "runas /trustlevel:0x20000 c:\\Progra~1\\quorel8\\qrjcdir");
}

TEST_F(DirSecurityTest, CapturesCommandOutputLineByLine) {
    char output[kCapturedOutputCapacity];
    std::memset(output, 'x', sizeof output);
    ASSERT_EQ(CaptureCommandOutput("echo first&echo second", output), 1);
    EXPECT_STREQ(output, "first\nsecond\n");  // the pipe is read in text mode: CR LF arrives as LF
}

TEST_F(DirSecurityTest, CaptureStopsAtItsBufferWhateverTheCommandPrints) {
    // 200 lines of 150 characters: longer than one 128-byte read, 30,200 bytes in all.
    std::string text;
    for (int line = 0; line < 200; ++line) {
        std::string body(149, static_cast<char>('a' + line % 26));
        text += body + "\n";
    }
    std::string file = scratch.Path() + "long.txt";
    ASSERT_TRUE(WriteFileBytes(file, text));

    std::vector<char> output(kCapturedOutputCapacity + 64, '#');
    ASSERT_EQ(CaptureCommandOutput(("type " + file).c_str(), output.data(), kCapturedOutputCapacity), 1);
    EXPECT_EQ(std::string(output.data()), text.substr(0, kCapturedOutputCapacity - 1));
    EXPECT_EQ(output[kCapturedOutputCapacity - 1], '\0');
    EXPECT_EQ(output[kCapturedOutputCapacity], '#');  // nothing written past the buffer
}

struct ListingCase {
    const char* name;
    const char* listing;
    int expected;
};

const ListingCase kListings[] = {
    {"full access on the second package line",
     "C:\\Progra~1\\quorel8 NT AUTHORITY\\SYSTEM:(OI)(CI)(F)\r\n"
     "                    APPLICATION PACKAGE AUTHORITY\\ALL RESTRICTED APPLICATION PACKAGES:(OI)(CI)(RX)\r\n"
     "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\r\n"
     "\r\nSuccessfully processed 1 files; Failed processing 0 files\r\n",
     1},
    {"read and execute only",
     "C:\\Progra~1\\quorel8 BUILTIN\\Administrators:(OI)(CI)(F)\r\n"
     "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(RX)\r\n",
     0},
    {"name only in the middle of a line",
     "C:\\Progra~1\\quorel8 APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\r\n"
     "                    BUILTIN\\Administrators:(OI)(CI)(F)\r\n",
     0},
    {"lower-case f, tab indent", "\tAPPLICATION PACKAGE AUTHORITY\\X:(f)\r\n", 1},
    {"last line without a line end", "x\r\n   APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(F)", 1},
    {"marker in lower case", "   application package authority\\all application packages:(F)\r\n", 0},
    {"modify rights", "   APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(M)\r\n", 0},
    {"empty listing", "", 0},
    {"Chinese before the marker", "\xC8\xA8\xCF\xDE APPLICATION PACKAGE:(F)\r\n", 0},
};

TEST_F(DirSecurityTest, TellsFullApplicationPackageAccessFromTheIcaclsListing) {
    for (const ListingCase& c : kListings) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(kListingFile, c.listing));
        RemoveFile(kIcaclsLog);
        EXPECT_EQ(HasAppPackageAccess(), c.expected);
        std::vector<std::string> lines = WaitForLogLines(kIcaclsLog, 1);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "icacls.exe C:\\Progra~1\\quorel8");
    }
}

TEST_F(DirSecurityTest, TheStandInsDefaultListingGrantsFullAccess) {
    EXPECT_EQ(HasAppPackageAccess(), 1);
    EXPECT_NE(std::string(g_state.capturedOutput).find("ALL RESTRICTED APPLICATION PACKAGES:(OI)(CI)(RX)\n"),
              std::string::npos);
}

TEST(ListingScanTest, LooksOnlyAtTheBytesItIsGiven) {
    const struct {
        const char* text;
        std::size_t length;
        int expected;
    } cases[] = {
        {"APPLICATION PACKAGE", 19, 0},         // the last character but one is 'G'
        {"APPLICATION PACKAGE(F)", 22, 1},
        {"APPLICATION PACKAGE(F)", 21, 0},      // cut before ')': the character checked is '('
        {"APPLICATION PACKAG", 18, 0},          // shorter than the marker
        {"  \n \n APPLICATION PACKAGE\n(F)", 29, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.length));
        EXPECT_EQ(ListingShowsAppPackageFullAccess(c.text, c.length), c.expected);
    }
}

}  // namespace
