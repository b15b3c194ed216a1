// The demo payload through the setup program's own archive code: every member unpacks and
// verifies, the install directory then holds what the install report looks for, the phrase backup
// arrives converted, the skin archives unpack into complete skins, the first page's picture is the
// designed scene with the Wubi caption inside the area the Pinyin edition paints over, and the
// settings record holds the input method's defaults.
#include <cstring>
#include <string>
#include <vector>

#include "archive/extract.h"
#include "archive/phrase_backup.h"
#include "common/install_state.h"
#include "common/text.h"
#include "tests/payload/payload_test_support.h"
#include "tests/support/test_support.h"

namespace {

const char kExemptions[] =
    "quszsj43.quh quorcyzk.bak quortavo.exe quortav6.exe qsrf732.dll qsrf764.dll quorsrf.dll quorsrf6.dll "
    "quor320.ime quor321.ime quor640.ime quor641.ime quorel4.ime quorel64.ime  setupw64.exe";
const char kClosingLine[] = "有文件没有成功解压，请重新下载安装！\r\n";

std::uint32_t U32At(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

class DemoPayloadTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        std::optional<std::string> archive = ReadFileBytes(PayloadArchivePath());
        ASSERT_TRUE(archive.has_value());
        payload = *archive;
        installDir = scratch.Path() + "quorel8\\";
        CreateDirectoryA(installDir.c_str(), nullptr);
        CopyText(g_state.installDir, sizeof g_state.installDir, installDir.c_str());
        workBuffer.assign(kWorkBufferSize, 0);
        g_state.workBuffer = workBuffer.data();
        g_state.payload = Data(payload);
        g_state.payloadSize = payload.size();
        g_state.runMode = kRunModeSilent;
    }

    void TearDown() override {
        g_state.workBuffer = nullptr;
        g_state.payload = nullptr;
        QuorTest::TearDown();
    }

    static const unsigned char* Data(const std::string& bytes) { return reinterpret_cast<const unsigned char*>(bytes.data()); }

    bool ExtractPayload() { return ExtractAll(Data(payload), payload.size(), g_state.workBuffer, kWorkBufferSize); }

    std::string Report(const std::string& archive, const char* exemptions, int* passed) {
        std::vector<char> report(65536, '\0');
        *passed = VerifyInstalled(Data(archive), archive.size(), report.data(), report.size(), exemptions);
        return report.data();
    }

    std::vector<std::string> PlainFiles() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((installDir + "*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        return names;
    }

    ScratchDir scratch;
    std::string installDir;
    std::string payload;
    std::vector<unsigned char> workBuffer;
};

TEST_F(DemoPayloadTest, EveryMemberUnpacksAndVerifies) {
    ASSERT_TRUE(ExtractPayload());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(g_state.progressStep, 102);
    EXPECT_EQ(PlainFiles().size(), 102u);

    int passed = 0;
    EXPECT_EQ(Report(payload, kExemptions, &passed), "");
    EXPECT_EQ(passed, 102);
    // Without exemptions only the converted phrase backup differs from its stored digest.
    EXPECT_EQ(Report(payload, "", &passed), std::string("quorcyzk.bak....") + kClosingLine);
    EXPECT_EQ(passed, 101);
}

TEST_F(DemoPayloadTest, InstallHoldsWhatTheInstallReportLooksFor) {
    ASSERT_TRUE(ExtractPayload());
    // An install removes at most eight of the unpacked files again (the IMM files of the other
    // interface, or the text-service DLLs and code-page variants); at least 74 must remain.
    EXPECT_GE(PlainFiles().size(), 74u + 8u);
    for (const char* name : {"quorcyzk.quh", "quorcyzk.bak", "quorpyck.quh", "quorpyck.bak", "quorsrf6.dll", "quorel4.ime"}) {
        SCOPED_TRACE(name);
        std::optional<std::string> bytes = ReadFileBytes(installDir + name);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_GE(bytes->size(), 20u);
    }
}

// Items of a "phrase; " text (the text between the delimiters).
std::vector<std::string> PhraseItems(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t end = text.find("; "); end != std::string::npos; end = text.find("; ", start)) {
        items.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return items;
}

TEST_F(DemoPayloadTest, PhraseBackupArrivesConverted) {
    std::optional<std::string> original = ReadFileBytes(MemberPath("quorcyzk.bak"));
    ASSERT_TRUE(original.has_value());
    ASSERT_TRUE(ExtractPayload());
    std::optional<std::string> backup = ReadFileBytes(installDir + "quorcyzk.bak");
    ASSERT_TRUE(backup.has_value());
    ASSERT_GT(backup->size(), kPhraseTrailerSize);
    std::size_t kept = backup->size() - kPhraseTrailerSize;
    ASSERT_EQ(backup->substr(kept, 4), "QUOR");

    // The backup as packed: GBK items each followed by "; ", a few of them single characters.
    std::vector<std::string> items = PhraseItems(*original);
    std::uint32_t sum = 0, phrases = 0, singles = 0;
    for (const std::string& item : items) {
        ASSERT_TRUE(item.size() >= 2 && item.size() % 2 == 0) << item.size();
        for (unsigned char byte : item) sum += byte;
        (item.size() >= 4 ? phrases : singles)++;
    }
    EXPECT_GT(phrases, 10000u);
    EXPECT_GT(singles, 0u);

    // Installed: the single characters are gone (their delimiters stay), every phrase is kept, and
    // the trailer counts the phrases and sums the bytes of every item.
    std::vector<std::string> keptItems = PhraseItems(backup->substr(0, kept));
    EXPECT_EQ(keptItems.size(), items.size());
    std::uint32_t keptPhrases = 0;
    for (const std::string& item : keptItems) {
        ASSERT_TRUE(item.empty() || item.size() >= 4);
        if (!item.empty()) ++keptPhrases;
    }
    EXPECT_EQ(keptPhrases, phrases);
    EXPECT_EQ(U32At(*backup, kept + 4), sum);
    EXPECT_EQ(U32At(*backup, kept + 8), phrases);
}

TEST_F(DemoPayloadTest, PhraseLibrariesCarryTheTrailerOfTheirText) {
    ASSERT_TRUE(ExtractPayload());
    for (const char* name : {"quorcyzk.quh", "quorpyck.quh", "quorpyck.bak"}) {
        SCOPED_TRACE(name);
        std::optional<std::string> library = ReadFileBytes(installDir + name);
        ASSERT_TRUE(library.has_value());
        ASSERT_GT(library->size(), kPhraseTrailerSize);
        // Converting the text alone gives the same trailer the file carries.
        std::size_t textLength = library->size() - kPhraseTrailerSize;
        std::vector<unsigned char> text(library->begin(), library->begin() + textLength);
        text.resize(textLength + kPhraseTrailerSize);
        EXPECT_EQ(ConvertPhraseBackup(text.data(), textLength), textLength);
        EXPECT_EQ(std::string(text.begin(), text.end()), *library);
    }
}

TEST_F(DemoPayloadTest, SkinArchivesUnpackIntoCompleteSkins) {
    ASSERT_TRUE(ExtractPayload());
    const char* skinFiles[] = {"qubmp8.quh", "qubmpsx1.bmp", "qubmpsx2.bmp", "qubmpsx3.bmp",
                               "qubmpsx4.bmp", "qubmpsx5.bmp", "qubmpsx6.bmp", "qubmpsx7.bmp"};
    for (const char* skin : {"冷色瓷面.quz", "粉色瓷面.quz", "小天使.quz"}) {
        SCOPED_TRACE(skin);
        for (const char* file : skinFiles) RemoveFile(installDir + file);
        std::optional<std::string> archive = ReadFileBytes(installDir + skin);
        ASSERT_TRUE(archive.has_value());
        EXPECT_LE(archive->size(), kArchiveFileCapacity);
        EXPECT_EQ(archive->compare(0, 2, "QU"), 0);

        EXPECT_TRUE(ExtractArchiveFile((installDir + skin).c_str()));
        for (const char* file : skinFiles) EXPECT_TRUE(FileExists(installDir + file)) << file;
        int passed = 0;
        EXPECT_EQ(Report(*archive, "", &passed), "");
        EXPECT_EQ(passed, 8);
    }
    EXPECT_TRUE(messages.shown.empty());
}

// The picture as FindMember leaves it in the work buffer.
class FirstPagePicture {
public:
    explicit FirstPagePicture(const unsigned char* file) : file_(file) {}
    int Width() const { return static_cast<int>(U32(18)); }
    int Height() const { return static_cast<int>(U32(22)); }
    int Bits() const { return file_[28] | file_[29] << 8; }
    // Red, green and blue of a pixel, y from the top.
    const unsigned char* Bgr(int x, int y) const {
        std::size_t stride = (static_cast<std::size_t>(Width()) * 3 + 3) & ~std::size_t{3};
        return file_ + U32(10) + stride * (Height() - 1 - y) + 3 * x;
    }
    bool Near(int x, int y, int r, int g, int b, int tolerance) const {
        const unsigned char* p = Bgr(x, y);
        return std::abs(p[2] - r) + std::abs(p[1] - g) + std::abs(p[0] - b) <= tolerance;
    }

private:
    std::uint32_t U32(std::size_t at) const {
        return file_[at] | file_[at + 1] << 8 | file_[at + 2] << 16 | static_cast<std::uint32_t>(file_[at + 3]) << 24;
    }
    const unsigned char* file_;
};

TEST_F(DemoPayloadTest, FirstPagePictureHasTheWubiCaptionInsideTheWipedArea) {
    FindMember("tavo1.bmp");
    const unsigned char* file = g_state.workBuffer + kFoundMemberOffset;
    ASSERT_EQ(std::memcmp(file, "BM", 2), 0);
    FirstPagePicture picture(file);
    ASSERT_EQ(picture.Width(), 401);
    ASSERT_EQ(picture.Height(), 310);
    ASSERT_EQ(picture.Bits(), 24);

    // The area the Pinyin edition covers by stretching its first two lines over it.
    const int left = 73, top = 90, right = 73 + 128, bottom = 90 + 35;
    auto inArea = [&](int x, int y) { return x >= left && x < right && y >= top && y < bottom; };
    auto isCaption = [&](int x, int y) { return picture.Near(x, y, 33, 205, 173, 60); };
    int captionInside = 0, captionOutside = 0;
    for (int y = 0; y < 310; ++y) {
        for (int x = 0; x < 401; ++x) {
            if (!isCaption(x, y)) continue;
            (inArea(x, y) ? captionInside : captionOutside)++;
        }
    }
    EXPECT_GT(captionInside, 150);
    EXPECT_EQ(captionOutside, 0);

    // The two stretched lines are clean sky: no caption, no edges.
    for (int y = top; y < top + 2; ++y) {
        for (int x = left; x < right; ++x) {
            SCOPED_TRACE(testing::Message() << "(" << x << ", " << y << ")");
            ASSERT_FALSE(isCaption(x, y));
            ASSERT_FALSE(picture.Near(x, y, 96, 96, 128, 60));
            if (x > left) {
                const unsigned char* a = picture.Bgr(x - 1, y);
                const unsigned char* b = picture.Bgr(x, y);
                ASSERT_LE(std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]), 6);
            }
        }
    }

    // A designed picture, not noise: neighbouring pixels differ little on average.
    long long difference = 0, pairs = 0;
    for (int y = 0; y < 310; ++y) {
        for (int x = 1; x < 401; ++x, ++pairs) {
            const unsigned char* a = picture.Bgr(x - 1, y);
            const unsigned char* b = picture.Bgr(x, y);
            difference += std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
        }
    }
    EXPECT_LT(difference / pairs, 12);
}

TEST_F(DemoPayloadTest, SettingsRecordHoldsTheDefaults) {
    ASSERT_TRUE(ExtractPayload());
    std::optional<std::string> record = ReadFileBytes(installDir + "quszsj43.quh");
    ASSERT_TRUE(record.has_value());
    std::string expected(200, '\0');
    expected[0x08] = 0x36;
    for (int offset : {0x09, 0x0A, 0x0C, 0x0F, 0x13, 0x16, 0x18, 0x1B, 0x24, 0x29, 0x2A, 0x2B, 0x36, 0x3A}) expected[offset] = 1;
    EXPECT_EQ(*record, expected);
}

}  // namespace
