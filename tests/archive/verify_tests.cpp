// VerifyInstalled against files really installed, and FindMember on a payload.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "archive/extract.h"
#include "common/install_state.h"
#include "tests/archive/archive_fixture.h"

namespace {

constexpr char kClosingLine[] = "有文件没有成功解压，请重新下载安装！\r\n";
constexpr std::size_t kReportCapacity = 4096;

class VerifyInstalledTest : public ArchiveTest {
protected:
    int Verify(const std::string& archive, const char* exemptions) {
        std::memset(report, 'R', sizeof report);
        return VerifyInstalled(Bytes(archive), archive.size(), report, kReportCapacity, exemptions);
    }
    char report[kReportCapacity + 64];
};

TEST_F(VerifyInstalledTest, DigestVariantReportsMissingAndChangedFilesUnlessExempt) {
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"quorsrf.dll", "dll"},
                                                                 {"qsrf764.dll", "dll64"},
                                                                 {"changed.txt", "original"},
                                                                 {"same.txt", "same"}});
    ASSERT_TRUE(WriteFileBytes(Installed("changed.txt"), "edited"));
    ASSERT_TRUE(WriteFileBytes(Installed("same.txt"), "same"));
    struct Case {
        const char* exemptions;
        int passed;
        std::string report;
    };
    const Case cases[] = {
        {"", 1, std::string("quorsrf.dll....qsrf764.dll....changed.txt....") + kClosingLine},
        // Substring rule: an entry exempts every member whose name it contains.
        {"xquorsrf.dllx", 2, std::string("qsrf764.dll....changed.txt....") + kClosingLine},
        {"qsrf732.dll", 1, std::string("quorsrf.dll....qsrf764.dll....changed.txt....") + kClosingLine},
        // Capitals of the list also match lower-case names.
        {"QUORSRF.DLL QSRF764.DLL CHANGED.TXT", 4, ""},
        {"changed.txt", 2, std::string("quorsrf.dll....qsrf764.dll....") + kClosingLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("exemptions '") + c.exemptions + "'");
        EXPECT_EQ(Verify(archive, c.exemptions), c.passed);
        EXPECT_EQ(std::string(report), c.report);
    }
}

TEST_F(VerifyInstalledTest, LowerCaseOrEmptyStoredDigestNeverVerifies) {
    std::string digest = DigestTextOf("content");
    std::string lower = digest;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(WriteFileBytes(Installed("lower.txt"), "content"));
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"lower.txt", "content", lower},
                                                                 {"missing.txt", "x", std::string(kDigestTextSize, '\0')}});
    EXPECT_EQ(Verify(archive, ""), 0);
    EXPECT_EQ(std::string(report), std::string("lower.txt....missing.txt....") + kClosingLine);
}

TEST_F(VerifyInstalledTest, PlainVariantPassesFilesAtLeastAsLongAsTheCompressedData) {
    std::string data = NoiseBytes(300);  // does not compress: the compressed data is longer than 300
    std::string archive = BuildArchive(ArchiveVariant::kPlain, {{"qubmpsx1.bmp", data}, {"qubmpsx2.bmp", data}, {"qubmpsx3.bmp", data}});
    std::size_t compressed = Compress(data).size();
    ASSERT_TRUE(WriteFileBytes(Installed("qubmpsx1.bmp"), std::string(compressed, 'a')));
    ASSERT_TRUE(WriteFileBytes(Installed("qubmpsx2.bmp"), data));  // the right bytes, but shorter
    // qubmpsx3.bmp is missing; the exemption list is not consulted for this variant.
    EXPECT_EQ(Verify(archive, "qubmpsx2.bmp qubmpsx3.bmp"), 1);
    EXPECT_EQ(std::string(report), std::string("qubmpsx2.bmp....qubmpsx3.bmp....") + kClosingLine);
}

TEST_F(VerifyInstalledTest, WalkThatEndsEarlyAddsTheClosingLine) {
    ASSERT_TRUE(WriteFileBytes(Installed("one.txt"), "first"));
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"one.txt", "first"}, {"two.txt", TextBytes(400)}});
    ASSERT_TRUE(WriteFileBytes(Installed("two.txt"), TextBytes(400)));
    std::string countPastEnd = archive;
    SetCount(countPastEnd, 3);
    struct Case {
        const char* label;
        std::string archive;
        int passed;
        std::string report;
    };
    const Case cases[] = {
        {"a complete archive", archive, 2, ""},
        {"a count past the end", countPastEnd, 2, kClosingLine},
        {"data cut short", archive.substr(0, archive.size() - 1), 1, kClosingLine},
        {"a header cut short", archive.substr(0, 5), 0, kClosingLine},
        {"no members", BuildArchive(ArchiveVariant::kDigest, {}), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Verify(c.archive, ""), c.passed);
        EXPECT_EQ(std::string(report), c.report);
    }
}

TEST_F(VerifyInstalledTest, HostileNameFailsWithoutLookingOutsideTheInstallDirectory) {
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "outside.txt", "secret"));
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"..\\outside.txt", "secret"}});
    EXPECT_EQ(Verify(archive, ""), 0);
    EXPECT_EQ(std::string(report), std::string("..\\outside.txt....") + kClosingLine);
}

TEST_F(VerifyInstalledTest, ReportNeverPassesItsCapacity) {
    std::vector<TestMember> members;
    for (int i = 0; i < 40; ++i) members.push_back({"missing" + std::to_string(i) + ".txt", "x"});
    std::string archive = BuildArchive(ArchiveVariant::kDigest, members);
    char small[40 + 8];
    std::memset(small, 'G', sizeof small);
    EXPECT_EQ(VerifyInstalled(Bytes(archive), archive.size(), small, 40, ""), 0);
    EXPECT_EQ(std::strlen(small), 39u);
    for (std::size_t i = 40; i < sizeof small; ++i) EXPECT_EQ(small[i], 'G');
}

class FindMemberTest : public ArchiveTest {
protected:
    void UsePayload(const std::string& archive) {
        payload = archive;
        g_state.payload = Bytes(payload);
        g_state.payloadSize = payload.size();
    }
    std::string Found(std::size_t length) const {
        return std::string(reinterpret_cast<const char*>(g_state.workBuffer + kFoundMemberOffset), length);
    }
    std::string payload;
};

TEST_F(FindMemberTest, FindsByExactNameAndLeavesZerosWhenAbsent) {
    std::string picture = "BM" + NoiseBytes(5000);
    UsePayload(BuildArchive(ArchiveVariant::kDigest, {{"quorel4.ime", "MZ program"}, {"tavo1.bmp", picture}}));
    struct Case {
        const char* name;
        std::string found;
    };
    const Case cases[] = {
        {"tavo1.bmp", "BM"},
        {"quorel4.ime", "MZ"},
        {"TAVO1.BMP", std::string(2, '\0')},
        {"tavo1", std::string(2, '\0')},
        {"absent.bmp", std::string(2, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::memcpy(g_state.workBuffer + kFoundMemberOffset, "XX", 2);
        FindMember(c.name);
        EXPECT_EQ(Found(2), c.found);
    }
    FindMember("tavo1.bmp");
    EXPECT_EQ(Found(picture.size()), picture);
}

TEST_F(FindMemberTest, WalksPastHalfMarkedRecordsButNeverPastTheEnd) {
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"first.txt", "1"}, {"tavo1.bmp", "BM picture"}});
    // A record whose marker keeps one of its two bytes is still stepped over by the search.
    archive[kArchiveHeaderSize + 1] = 'x';
    UsePayload(archive);
    FindMember("tavo1.bmp");
    EXPECT_EQ(Found(2), "BM");

    std::string cut = BuildArchive(ArchiveVariant::kDigest, {{"tavo1.bmp", "BM" + NoiseBytes(3000)}});
    cut.resize(cut.size() - 10);
    UsePayload(cut);
    std::memcpy(g_state.workBuffer + kFoundMemberOffset, "XX", 2);
    FindMember("tavo1.bmp");
    EXPECT_EQ(Found(2), std::string(2, '\0'));
}

TEST_F(FindMemberTest, DoesNothingWithoutPayloadOrWorkBuffer) {
    std::memcpy(g_state.workBuffer + kFoundMemberOffset, "XX", 2);
    g_state.payload = nullptr;
    FindMember("tavo1.bmp");
    EXPECT_EQ(Found(2), "XX");
    UsePayload(BuildArchive(ArchiveVariant::kDigest, {{"tavo1.bmp", "BM"}}));
    g_state.workBuffer = nullptr;
    FindMember("tavo1.bmp");  // must not crash
    g_state.workBuffer = workBuffer.data();
}

}  // namespace
