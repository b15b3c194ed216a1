// The payload's programs: each is built for the architecture the member list names; the 64-bit
// setup half and the companion programs start and end cleanly; the IMM files and the 64-bit setup
// half carry the product's display text with an old version, which the setup program's version
// patch (it reads at most 128 KiB) rewrites.
#include <algorithm>
#include <string>

#include "tests/payload/payload_test_support.h"
#include "tests/support/test_support.h"

namespace {

// The machine field of a PE image, or 0 when the bytes are not one.
unsigned MachineOf(const std::string& image) {
    if (image.size() < 0x40 || image.compare(0, 2, "MZ") != 0) return 0;
    std::size_t pe = static_cast<unsigned char>(image[0x3C]) | static_cast<unsigned char>(image[0x3D]) << 8;
    if (pe + 6 > image.size() || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return static_cast<unsigned char>(image[pe + 4]) | static_cast<unsigned char>(image[pe + 5]) << 8;
}

TEST(PayloadProgramTest, EachProgramIsBuiltForItsArchitecture) {
    const unsigned kI686 = 0x014C, kX64 = 0x8664;
    const std::pair<const char*, unsigned> programs[] = {
        {"quorel4.ime", kI686}, {"quorel64.ime", kX64}, {"quor320.ime", kI686}, {"quor321.ime", kI686},
        {"quor640.ime", kX64},  {"quor641.ime", kX64},  {"quorsrf.dll", kI686}, {"quorsrf6.dll", kX64},
        {"qsrf732.dll", kI686}, {"qsrf764.dll", kX64},  {"setupw64.exe", kX64}, {"quortavo.exe", kX64},
        {"quortav6.exe", kI686}, {"quordel8.exe", kX64}, {"qrjcdir.exe", kX64},
    };
    for (const auto& [name, machine] : programs) {
        SCOPED_TRACE(name);
        std::optional<std::string> image = ReadFileBytes(MemberPath(name));
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(MachineOf(*image), machine);
    }
}

// The versions that follow the product's display text where the version patch would find them:
// a space, one character, then "6", "." and the digit, in UTF-16 (low bytes tested).
std::vector<char> PatchableVersions(const std::string& bytes) {
    const std::wstring product = L"智能岚石输入平台";
    const std::string text(reinterpret_cast<const char*>(product.data()), product.size() * 2);
    std::vector<char> versions;
    for (std::size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) {
        std::size_t p = at + text.size();
        if (p + 8 < bytes.size() && bytes[p] == ' ' && bytes[p + 4] == '6' && bytes[p + 6] == '.' &&
            (bytes[p + 8] == '3' || bytes[p + 8] == '7')) {
            versions.push_back(bytes[p + 8]);
        }
    }
    return versions;
}

TEST(PayloadProgramTest, ImmFilesAndSetupHalfCarryAnOldVersionText) {
    const std::pair<const char*, char> files[] = {
        {"quorel4.ime", '3'}, {"quorel64.ime", '3'}, {"quor320.ime", '3'}, {"quor321.ime", '7'},
        {"quor640.ime", '3'}, {"quor641.ime", '7'},  {"setupw64.exe", '3'},
    };
    for (const auto& [name, version] : files) {
        SCOPED_TRACE(name);
        std::optional<std::string> bytes = ReadFileBytes(MemberPath(name));
        ASSERT_TRUE(bytes.has_value());
        EXPECT_LT(bytes->size(), 131072u);
        std::vector<char> versions = PatchableVersions(*bytes);
        ASSERT_FALSE(versions.empty());
        EXPECT_TRUE(std::all_of(versions.begin(), versions.end(), [&](char v) { return v == version; }));
    }
}

TEST(PayloadProgramTest, ProgramsThePatchLeavesAloneCarryNoOldVersionText) {
    for (const char* name : {"quorsrf.dll", "quorsrf6.dll", "qsrf732.dll", "qsrf764.dll", "quortavo.exe"}) {
        SCOPED_TRACE(name);
        std::optional<std::string> bytes = ReadFileBytes(MemberPath(name));
        ASSERT_TRUE(bytes.has_value());
        EXPECT_TRUE(PatchableVersions(*bytes).empty());
    }
}

class SetupHalfTest : public QuorTest {
protected:
    std::string Program() const { return MemberPath("setupw64.exe"); }
    ScratchDir scratch;
};

TEST_F(SetupHalfTest, EndsWithStatusZeroForAnInstallDirectory) {
    // A directory that does not exist, as in an install that failed early.
    EXPECT_EQ(RunAndWait(Program() + " regqu32=C:\\x\\"), DWORD{0});

    // The setup program's own command line: its path, the word and the install directory, unquoted.
    std::string command = Program() + " regqu32=" + scratch.Path();
    EXPECT_EQ(RunAndWait(command), DWORD{0});
    EXPECT_EQ(RunAndWait(command), DWORD{0});
    std::optional<std::string> note = ReadFileBytes(scratch.Path() + "setupw64.log");
    ASSERT_TRUE(note.has_value());
    std::string line = "regqu32=" + scratch.Path() + "\r\n";
    EXPECT_EQ(*note, line + line);  // one line per run
}

TEST_F(SetupHalfTest, EndsWithStatusOneWithoutTheWord) {
    EXPECT_EQ(RunAndWait(Program()), DWORD{1});
    EXPECT_EQ(RunAndWait(Program() + " " + scratch.Path()), DWORD{1});
    EXPECT_FALSE(FileExists(scratch.Path() + "setupw64.log"));
}

TEST(PayloadProgramTest, CompanionProgramsStartAndEndCleanly) {
    const char* commands[] = {"quortavo.exe qu", "quortavo.exe", "quordel8.exe", "qrjcdir.exe"};
    for (const char* command : commands) {
        SCOPED_TRACE(command);
        EXPECT_EQ(RunAndWait(MemberPath(command), 20000), DWORD{0});
    }
}

}  // namespace
