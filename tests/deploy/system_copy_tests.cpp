// Copies into the prefix's real Windows, System and WOW64 system directories: the messages of a
// missing source, a destination in use or read-only, the size check, the directories of the kinds,
// and the IMM files of both passes (the 32-bit-system lines through the scripted OS facts). The
// program also runs as system_copy_tests-cp950, where the Big5 variants are placed.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/install_paths.h"
#include "deploy/system_copy.h"
#include "tests/support/os_facts_scripted.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kCaption[] = "智能岚石(岚石五笔)安装";

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// An IMM file as the payload carries it: the product text in UTF-16 and an old version after it.
std::string ImeFile(const char* tag, const wchar_t* version) {
    return std::string("MZ") + tag + std::string(300, '\x90') + Utf16Bytes(L"智能岚石输入平台") + Utf16Bytes(version) +
           std::string(100, '\0') + tag;
}

std::string Patched(const char* tag) { return ImeFile(tag, L" V8.6"); }

std::string UnpackMessage(const std::string& path) { return "安装包没有成功解压" + path + "文件，请重新下载安装！"; }
std::string CopyMessage(const std::string& what) {
    return "没有成功复制" + what + "文件，请退出安装程序并手动删除该文件后重新安装！";
}

class SystemCopyTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.oemCodePage = GetOEMCP();
        installDir = scratch.Path();
        CopyText(g_state.installDir, installDir.c_str());
        workBuffer.assign(kWorkBufferSize, 0);
        g_state.workBuffer = workBuffer.data();
    }
    void TearDown() override {
        g_state.workBuffer = nullptr;
        QuorTest::TearDown();
    }

    // Puts a file back (or away) after the test, in a directory the prefix shares with other tests.
    std::string Keep(const std::string& path) {
        restorers.push_back(std::make_unique<FileRestorer>(path));
        return path;
    }
    void Install(const char* name, const std::string& bytes) { ASSERT_TRUE(WriteFileBytes(installDir + name, bytes)); }
    std::string Read(const std::string& path) const { return ReadFileBytes(path).value_or("<missing>"); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : messages.shown) {
            EXPECT_FALSE(m.wide);
            EXPECT_EQ(m.caption, kCaption);
            EXPECT_EQ(m.style, static_cast<UINT>(MB_OK));
            texts.push_back(m.text);
        }
        return texts;
    }
    std::string Wow64Dir() const { return WindowsDir() + "\\syswow64"; }

    ScratchDir scratch;
    std::string installDir;
    std::vector<unsigned char> workBuffer;
    std::vector<std::unique_ptr<FileRestorer>> restorers;
};

TEST_F(SystemCopyTest, AMissingSourceGivesTwoUnpackMessagesWithThePathThenTheCopyMessageWithTheName) {
    std::string destination = Keep(WindowsDir() + "\\quortst1.dll");
    CopyAndVerify("absent.dll", "quortst1.dll", kTargetWindows);
    EXPECT_EQ(Texts(), (std::vector<std::string>{UnpackMessage(destination), UnpackMessage(destination),
                                                 CopyMessage("quortst1.dll")}));
    EXPECT_FALSE(FileExists(destination));
}

TEST_F(SystemCopyTest, EachKindReachesItsDirectoryWithRedirectionOffAroundEachStep) {
    const struct {
        int kind;
        std::string dir;
    } cases[] = {
        {kTargetWindows, WindowsDir()},
        {kTargetWow64System, Wow64Dir()},
        {kTargetSystem64, SystemDir()},
        {kTargetSystem32, SystemDir()},
    };
    Install("probe.dll", "probe bytes");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        std::string destination = Keep(c.dir + "\\quortst2.dll");
        RemoveFile(destination);
        ScriptWow64Process();
        CopyAndVerify("probe.dll", "quortst2.dll", c.kind);
        EXPECT_EQ(Read(destination), "probe bytes");
        EXPECT_EQ(std::string(g_state.destinationPath), destination);
        // One copy and one comparison, each inside its own switch.
        EXPECT_EQ(g_osFacts.disableCalls, 2);
        EXPECT_EQ(g_osFacts.revertCalls, 2);
        UnscriptOsFacts();
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SystemCopyTest, AReadOnlyDestinationIsOverwrittenInPlace) {
    Install("probe.dll", "new contents");
    std::string destination = Keep(SystemDir() + "\\quortst3.dll");
    std::string aside = Keep(SystemDir() + "\\quortst2.dll");
    RemoveFile(aside);
    ASSERT_TRUE(WriteFileBytes(destination, "old"));
    ASSERT_TRUE(SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    CopyAndVerify("probe.dll", "quortst3.dll", kTargetSystem64);
    EXPECT_EQ(Read(destination), "new contents");
    EXPECT_FALSE(GetFileAttributesA(destination.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(FileExists(aside));  // not moved aside: the attributes were reset first
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SystemCopyTest, ADestinationInUseIsMovedAsideAndReplaced) {
    Install("probe.ime", "the new input method");
    std::string destination = Keep(SystemDir() + "\\quortst4.ime");
    std::string aside = Keep(SystemDir() + "\\quortst2.ime");
    ASSERT_TRUE(WriteFileBytes(aside, "an older aside file"));
    ASSERT_TRUE(WriteFileBytes(destination, "running"));
    {
        // Held as a loaded module is: no writing, but renaming allowed.
        UniqueHandle inUse(CreateFileA(destination.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(inUse.Valid());
        CopyAndVerify("probe.ime", "quortst4.ime", kTargetSystem64);
    }
    EXPECT_EQ(Read(destination), "the new input method");
    EXPECT_EQ(Read(aside), "running");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SystemCopyTest, ADestinationThatCannotBeMovedAsideIsReportedWithItsPathThenItsName) {
    Install("probe.ime", "the new input method");
    std::string destination = Keep(SystemDir() + "\\quortst5.ime");
    Keep(SystemDir() + "\\quortst2.ime");
    Keep(SystemDir() + "\\quortst1.ime");
    ASSERT_TRUE(WriteFileBytes(destination, "locked"));
    {
        UniqueHandle locked(
            CreateFileA(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(locked.Valid());
        CopyAndVerify("probe.ime", "quortst5.ime", kTargetSystem64);
    }
    EXPECT_EQ(Texts(), (std::vector<std::string>{CopyMessage(destination), CopyMessage(destination), CopyMessage("quortst5.ime")}));
    EXPECT_EQ(Read(destination), "locked");
}

TEST_F(SystemCopyTest, ComparesSizesOnly) {
    std::string destination = Keep(WindowsDir() + "\\quortst6.dll");
    const struct {
        const char* name;
        const char* source;  // nullptr: missing
        const char* target;
        int expected;
    } cases[] = {
        {"same size, other bytes", "abcdef", "uvwxyz", kCompareSame},
        {"identical", "abcdef", "abcdef", kCompareSame},
        {"sizes differ", "abcdef", "abc", kCompareSizeDiffers},
        {"no target", "abcdef", nullptr, kCompareNoTarget},
        {"no source", nullptr, "abc", kCompareNoSource},
        {"neither", nullptr, nullptr, kCompareNoSource},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFile(installDir + "probe.dll");
        RemoveFile(destination);
        if (c.source) Install("probe.dll", c.source);
        if (c.target) {
            ASSERT_TRUE(WriteFileBytes(destination, c.target));
        }
        EXPECT_EQ(CompareDeployedFile("probe.dll", "quortst6.dll", kTargetWindows), c.expected);
    }
    // Equal sizes with different content pass the check, so nothing is copied again.
    RemoveFile(destination);
    Install("probe.dll", "abcdef");
    CopyAndVerify("probe.dll", "quortst6.dll", kTargetWindows);
    ASSERT_TRUE(WriteFileBytes(destination, "uvwxyz"));
    CopyAndVerify("probe.dll", "quortst6.dll", kTargetWindows);
    EXPECT_EQ(Read(destination), "abcdef");
    EXPECT_TRUE(messages.shown.empty());
}

class ImeFilesTest : public SystemCopyTest {
protected:
    void SetUp() override {
        SystemCopyTest::SetUp();
        native = Keep(SystemDir() + "\\quorel4.ime");
        wow64 = Keep(Wow64Dir() + "\\quorel4.ime");
        RemoveFile(native);
        RemoveFile(wow64);
        Install("quor320.ime", ImeFile("320", L" V6.3"));
        Install("quor321.ime", ImeFile("321", L" V6.7"));
        Install("quor640.ime", ImeFile("640", L" V6.3"));
        Install("quor641.ime", ImeFile("641", L" V6.7"));
        Install("quorel4.ime", ImeFile("el4", L" V8.6"));
        Install("quorel64.ime", ImeFile("el64", L" V8.6"));
        Install("setupw64.exe", ImeFile("setup", L" V6.7"));
    }
    bool Big5() const { return g_state.oemCodePage == 950; }

    std::string native;
    std::string wow64;
};

TEST_F(ImeFilesTest, TheFirstPassPlacesThePatchedVariantsOfTheCodePage) {
    g_state.progressStep = 9;
    InstallImeFiles(false);

    EXPECT_EQ(Read(wow64), Patched(Big5() ? "321" : "320"));
    EXPECT_EQ(Read(native), Patched(Big5() ? "641" : "640"));
    // Only the variants of the code page are patched; the setup program of the 64-bit half too.
    EXPECT_EQ(Read(installDir + "quor320.ime"), Big5() ? ImeFile("320", L" V6.3") : Patched("320"));
    EXPECT_EQ(Read(installDir + "quor321.ime"), Big5() ? Patched("321") : ImeFile("321", L" V6.7"));
    EXPECT_EQ(Read(installDir + "setupw64.exe"), Patched("setup"));
    EXPECT_EQ(g_state.progressStep, 0);
    EXPECT_EQ(g_state.progressTotal, 64);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImeFilesTest, OnA32BitSystemTheFirstPassPlacesOnlyThe32BitVariantInTheSystemDirectory) {
    Script32BitSystem();
    InstallImeFiles(false);
    EXPECT_EQ(Read(native), Patched(Big5() ? "321" : "320"));
    EXPECT_FALSE(FileExists(wow64));
    EXPECT_EQ(Read(installDir + "quor640.ime"), ImeFile("640", L" V6.3"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ImeFilesTest, TheSecondPassPlacesTheFullFilesAndRemovesTheVariants) {
    for (bool is32Bit : {false, true}) {
        SCOPED_TRACE(is32Bit ? "32-bit system" : "64-bit system");
        for (const char* name : {"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime"}) {
            Install(name, "variant");
        }
        RemoveFile(native);
        RemoveFile(wow64);
        if (is32Bit) Script32BitSystem();

        InstallImeFiles(true);

        if (is32Bit) {
            EXPECT_EQ(Read(native), ImeFile("el4", L" V8.6"));
            EXPECT_FALSE(FileExists(wow64));
        } else {
            EXPECT_EQ(Read(wow64), ImeFile("el4", L" V8.6"));
            EXPECT_EQ(Read(native), ImeFile("el64", L" V8.6"));
        }
        for (const char* name : {"quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime"}) {
            EXPECT_FALSE(FileExists(installDir + name)) << name;
        }
        EXPECT_EQ(Read(installDir + "setupw64.exe"), ImeFile("setup", L" V6.7"));  // patched in the first pass only
        UnscriptOsFacts();
    }
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
