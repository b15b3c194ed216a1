// The demo payload's programs as the build made them (reached through drive Z:): each is built for
// its architecture and carries the version text the version patch rewrites, or none.

#include "archive/quz_format.h"
#include "tests/support/test_support.h"

namespace {

// The machine field of a PE image, or 0 when the bytes are not one.
unsigned MachineOf(const std::string& image) {
    if (image.size() < 0x40 || image.compare(0, 2, "MZ") != 0) return 0;
    std::size_t pe = ReadLittleEndian32(reinterpret_cast<const unsigned char*>(image.data()) + 0x3C);
    if (pe + 6 > image.size() || image.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return static_cast<unsigned char>(image[pe + 4]) | static_cast<unsigned char>(image[pe + 5]) << 8;
}

// The last digits of the versions that follow the product's display text where the version patch
// finds them: a space, one character, then "6", "." and 3 or 7, in UTF-16 (low bytes tested).
std::string PatchableVersions(const std::string& bytes) {
    const std::wstring product = L"智能岚石输入平台";
    const std::string text(reinterpret_cast<const char*>(product.data()), product.size() * 2);
    std::string versions;
    for (std::size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) {
        std::size_t p = at + text.size();
        if (p + 8 < bytes.size() && bytes[p] == ' ' && bytes[p + 4] == '6' && bytes[p + 6] == '.' &&
            (bytes[p + 8] == '3' || bytes[p + 8] == '7')) {
            versions += bytes[p + 8];
        }
    }
    return versions;
}

TEST(PayloadProgramTest, EachProgramIsBuiltForItsArchitectureAndCarriesItsVersionText) {
    constexpr unsigned kI686 = 0x014C, kX64 = 0x8664;
    // version 0: no version text for the patch
    const struct { const char* name; unsigned machine; char version; } programs[] = {
        {"quorel4.ime", kI686, '3'}, {"quorel64.ime", kX64, '3'},  {"quor320.ime", kI686, '3'},
        {"quor321.ime", kI686, '7'}, {"quor640.ime", kX64, '3'},   {"quor641.ime", kX64, '7'},
        {"quorsrf.dll", kI686, 0},   {"quorsrf6.dll", kX64, 0},    {"qsrf732.dll", kI686, 0},
        {"qsrf764.dll", kX64, 0},    {"setupw64.exe", kX64, '3'},  {"quortavo.exe", kX64, 0},
        {"quortav6.exe", kI686, 0},  {"quordel8.exe", kX64, 0},    {"qrjcdir.exe", kX64, 0},
    };
    for (const auto& c : programs) {
        SCOPED_TRACE(c.name);
        std::optional<std::string> image = ReadFileBytes(std::string("Z:" QUOR_PAYLOAD_MEMBERS_DIR "/") + c.name);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(MachineOf(*image), c.machine);
        std::string versions = PatchableVersions(*image);
        EXPECT_EQ(versions.empty(), c.version == 0) << versions;
        EXPECT_EQ(versions.find_first_not_of(c.version), std::string::npos) << versions;
    }
}

}  // namespace
