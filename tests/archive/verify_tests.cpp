// VerifyInstalled against files really installed, and FindMember on a payload.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "archive/extract.h"
#include "common/install_state.h"
#include "tests/archive/archive_fixture.h"

namespace {

constexpr char kClosingLine[] = "有文件没有成功解压，请重新下载安装！\r\n";

class VerifyInstalledTest : public ArchiveTest {
protected:
    int Verify(const std::string& archive, const char* exemptions) {
        std::memset(report, 'R', sizeof report);
        return VerifyInstalled(Bytes(archive), archive.size(), report, sizeof report, exemptions);
    }
    char report[4096];
};

TEST_F(VerifyInstalledTest, DigestVariantReportsWhatDiffersUnlessItsNameOccursInTheExemptions) {
    std::string lower = DigestTextOf("content");
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* name : {"lower.txt", "nodigest.txt"}) ASSERT_TRUE(WriteFileBytes(Installed(name), "content"));
    ASSERT_TRUE(WriteFileBytes(Installed("changed.txt"), "edited"));
    ASSERT_TRUE(WriteFileBytes(Installed("same.txt"), "same"));
    ASSERT_TRUE(WriteFileBytes(scratch.Path() + "outside.txt", "secret"));
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"quorsrf.dll", "dll"},
                                                                 {"qsrf764.dll", "dll64"},
                                                                 {"changed.txt", "original"},
                                                                 {"same.txt", "same"},
                                                                 {"lower.txt", "content", lower},
                                                                 {"nodigest.txt", "content", std::string(34, '\0')},
                                                                 {"..\\outside.txt", "secret"}});
    // Never verified: a lower-case or empty stored digest, a name outside the install directory.
    std::string always = std::string("lower.txt....nodigest.txt......\\outside.txt....") + kClosingLine;
    const struct {
        const char* exemptions;
        int passed;
        std::string report;
    } cases[] = {
        {"", 1, "quorsrf.dll....qsrf764.dll....changed.txt...." + always},
        {"xquorsrf.dllx", 2, "qsrf764.dll....changed.txt...." + always},
        {"qsrf732.dll", 1, "quorsrf.dll....qsrf764.dll....changed.txt...." + always},
        {"QUORSRF.DLL QSRF764.DLL CHANGED.TXT", 4, always},
        {"changed.txt", 2, "quorsrf.dll....qsrf764.dll...." + always},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("exemptions '") + c.exemptions + "'");
        EXPECT_EQ(Verify(archive, c.exemptions), c.passed);
        EXPECT_EQ(std::string(report), c.report);
    }
}

TEST_F(VerifyInstalledTest, PlainVariantPassesFilesAtLeastAsLongAsTheCompressedData) {
    std::string data = NoiseBytes(300);  // does not compress: the compressed data is longer than 300
    std::string archive = BuildArchive(ArchiveVariant::kPlain, {{"qubmpsx1.bmp", data}, {"qubmpsx2.bmp", data}, {"qubmpsx3.bmp", data}});
    ASSERT_TRUE(WriteFileBytes(Installed("qubmpsx1.bmp"), std::string(Compress(data).size(), 'a')));
    ASSERT_TRUE(WriteFileBytes(Installed("qubmpsx2.bmp"), data));  // the right bytes, but shorter
    // qubmpsx3.bmp is missing; the exemption list is not consulted for this variant.
    EXPECT_EQ(Verify(archive, "qubmpsx2.bmp qubmpsx3.bmp"), 1);
    EXPECT_EQ(std::string(report), std::string("qubmpsx2.bmp....qubmpsx3.bmp....") + kClosingLine);
}

TEST_F(VerifyInstalledTest, AWalkThatEndsEarlyAddsTheClosingLine) {
    std::string archive = BuildArchive(ArchiveVariant::kDigest, {{"one.txt", "first"}, {"two.txt", TextBytes(400)}});
    ASSERT_TRUE(WriteFileBytes(Installed("one.txt"), "first"));
    ASSERT_TRUE(WriteFileBytes(Installed("two.txt"), TextBytes(400)));
    std::string countPastEnd = archive;
    SetCount(countPastEnd, 3);
    const struct {
        const char* label;
        std::string archive;
        int passed;
        std::string report;
    } cases[] = {
        {"a complete archive", archive, 2, ""},
        {"a count past the end", countPastEnd, 2, kClosingLine},
        {"data cut short", archive.substr(0, archive.size() - 1), 1, kClosingLine},
        {"a header cut short", archive.substr(0, 5), 0, kClosingLine},
        {"no members", BuildArchive(ArchiveVariant::kDigest, {}), 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Verify(c.archive, ""), c.passed);
        EXPECT_EQ(std::string(report), c.report);
    }
}

TEST_F(VerifyInstalledTest, TheReportNeverPassesItsCapacity) {
    std::vector<TestMember> members;
    for (int i = 0; i < 40; ++i) members.push_back({"missing" + std::to_string(i) + ".txt", "x"});
    std::string archive = BuildArchive(ArchiveVariant::kDigest, members);
    std::memset(report, 'G', sizeof report);
    EXPECT_EQ(VerifyInstalled(Bytes(archive), archive.size(), report, 40, ""), 0);
    EXPECT_EQ(std::strlen(report), 39u);
    EXPECT_EQ(report[40], 'G');
}

class FindMemberTest : public ArchiveTest {};

TEST_F(FindMemberTest, InflatesTheMemberOfThatExactNameOrLeavesZeros) {
    std::string picture = "BM" + NoiseBytes(5000);
    std::string payload = BuildArchive(ArchiveVariant::kDigest, {{"quorel4.ime", "MZ program"}, {"tavo1.bmp", picture}});
    std::string halfMarked = BuildArchive(ArchiveVariant::kDigest, {{"first.txt", "1"}, {"tavo1.bmp", "BM picture"}});
    halfMarked[kArchiveHeaderSize + 1] = 'x';  // the search steps over a record that keeps one marker byte
    std::string cut = payload.substr(0, payload.size() - 10);
    const std::string zeros(2, '\0');
    const struct {
        const char* label;
        const char* name;
        const std::string& payload;
        std::string found;
    } cases[] = {
        {"tavo1.bmp", "tavo1.bmp", payload, "BM"},
        {"quorel4.ime", "quorel4.ime", payload, "MZ"},
        {"another case", "TAVO1.BMP", payload, zeros},
        {"a prefix", "tavo1", payload, zeros},
        {"absent", "absent.bmp", payload, zeros},
        {"after a half-marked record", "tavo1.bmp", halfMarked, "BM"},
        {"cut short", "tavo1.bmp", cut, zeros},
    };
    unsigned char* found = g_state.workBuffer + kFoundMemberOffset;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        g_state.payload = Bytes(c.payload);
        g_state.payloadSize = c.payload.size();
        std::memcpy(found, "XX", 2);
        FindMember(c.name);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(found), 2), c.found);
    }
    g_state.payload = Bytes(payload);
    g_state.payloadSize = payload.size();
    FindMember("tavo1.bmp");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(found), picture.size()), picture);

    // Without a payload nothing is touched; without a work buffer nothing is done.
    std::memcpy(found, "XX", 2);
    g_state.payload = nullptr;
    FindMember("tavo1.bmp");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(found), 2), "XX");
    g_state.payload = Bytes(payload);
    g_state.workBuffer = nullptr;
    FindMember("tavo1.bmp");
}

}  // namespace
