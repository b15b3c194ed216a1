// ForceDelete, RenameAside and extraction over files in use. Wine enforces sharing as Windows does:
// a loaded library can be renamed but not deleted, and a file held open without delete sharing can
// be neither deleted nor renamed.
#include <windows.h>

#include <gtest/gtest.h>

#include "archive/extract.h"
#include "archive/file_clearing.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "tests/archive/archive_fixture.h"

namespace {

// A small DLL built with the tests; copies of it under member names stand for loaded input-method files.
std::string InUseDllSource() {
    std::string dir = FixtureDir();
    return dir.substr(0, dir.size() - std::string("fixtures\\").size()) + "quortest_inuse.dll";
}

class FileClearingTest : public ArchiveTest {
protected:
    void TearDown() override {
        for (HMODULE module : loaded) FreeLibrary(module);
        ArchiveTest::TearDown();
    }
    // Copies the test DLL to the path and loads it from there.
    void LoadCopyAt(const std::string& path) {
        ASSERT_TRUE(CopyFileA(InUseDllSource().c_str(), path.c_str(), FALSE)) << InUseDllSource();
        HMODULE module = LoadLibraryA(path.c_str());
        ASSERT_NE(module, nullptr) << path;
        loaded.push_back(module);
    }
    std::vector<HMODULE> loaded;
};

TEST_F(FileClearingTest, ForceDeleteClearsAttributesAndTellsAFileInUse) {
    std::string plain = Installed("plain.txt");
    ASSERT_TRUE(WriteFileBytes(plain, "x"));
    SetFileAttributesA(plain.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    LoadCopyAt(Installed("quorel4.ime"));

    EXPECT_EQ(ForceDelete(plain.c_str()), 0);
    EXPECT_FALSE(FileExists(plain));
    EXPECT_EQ(ForceDelete(Installed("absent.txt").c_str()), 0);
    EXPECT_EQ(ForceDelete(Installed("quorel4.ime").c_str()), -1);
    EXPECT_TRUE(FileExists(Installed("quorel4.ime")));
}

TEST_F(FileClearingTest, RenameAsideUsesTheDigitTwoThenOne) {
    std::optional<std::string> dll = ReadFileBytes(InUseDllSource());
    ASSERT_TRUE(dll.has_value());

    LoadCopyAt(Installed("quorel4.ime"));
    ASSERT_TRUE(WriteFileBytes(Installed("quorel2.ime"), "stale copy"));
    EXPECT_TRUE(RenameAside(Installed("quorel4.ime").c_str()));
    EXPECT_FALSE(FileExists(Installed("quorel4.ime")));
    EXPECT_EQ(ReadFileBytes(Installed("quorel2.ime")), dll);

    // With the '2' name itself in use, the file goes to the '1' name.
    LoadCopyAt(Installed("quor640.ime"));
    LoadCopyAt(Installed("quor642.ime"));
    EXPECT_TRUE(RenameAside(Installed("quor640.ime").c_str()));
    EXPECT_FALSE(FileExists(Installed("quor640.ime")));
    EXPECT_EQ(ReadFileBytes(Installed("quor641.ime")), dll);

    EXPECT_FALSE(RenameAside("C:\\a"));
    EXPECT_FALSE(RenameAside(Installed("absent.ime").c_str()));
}

TEST_F(FileClearingTest, ExtractionOverALoadedFileMovesItAsideAndWritesTheNewOne) {
    std::optional<std::string> dll = ReadFileBytes(InUseDllSource());
    ASSERT_TRUE(dll.has_value());
    LoadCopyAt(Installed("quorsrf6.dll"));
    std::string fresh = "MZ the new text service " + TextBytes(3000);

    EXPECT_TRUE(Extract(BuildArchive(ArchiveVariant::kDigest, {{"quorsrf6.dll", fresh}})));

    EXPECT_EQ(ReadFileBytes(Installed("quorsrf6.dll")), fresh);
    EXPECT_EQ(ReadFileBytes(Installed("quorsrf2.dll")), dll);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{});
}

TEST_F(FileClearingTest, FileHeldOpenWithoutDeleteSharingFailsTheMemberAndKeepsItsBytes) {
    std::string path = Installed("quordel8.exe");
    ASSERT_TRUE(WriteFileBytes(path, "the old uninstaller"));
    UniqueHandle holder(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);

    EXPECT_FALSE(Extract(BuildArchive(ArchiveVariant::kDigest, {{"quordel8.exe", "the new uninstaller"}})));

    EXPECT_EQ(MessageTexts(), std::vector<std::string>{MemberFailedText("quordel8.exe")});
    holder.Reset();
    EXPECT_EQ(ReadFileBytes(path), "the old uninstaller");
    EXPECT_FALSE(FileExists(Installed("quordel2.exe")));
    EXPECT_FALSE(FileExists(Installed("quordel1.exe")));
}

}  // namespace
