// Copies into the prefix's real System and WOW64 system directories: a destination that is
// read-only, in use or locked, a missing source and a source replaced after the install wrote it,
// with their messages, the size check, and the IMM files of both passes with redirection switched
// off around each step (the WOW64 and 32-bit-system lines through the scripted OS facts). The
// program also runs as system_copy_tests-cp950, where the Big5 variants are placed.

#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/system_copy.h"
#include "platform/install_dir_files.h"
#include "platform/install_paths.h"
#include "tests/support/layout_fixture.h"
#include "tests/support/os_facts_scripted.h"

namespace {

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// An IMM file as the payload carries it: the product text in UTF-16 and a version after it.
std::string ImeFile(const std::string& tag, const wchar_t* version = L" V6.3") {
    return "MZ" + tag + std::string(300, '\x90') + Utf16Bytes(L"智能岚石输入平台") + Utf16Bytes(version) +
           std::string(100, '\0') + tag;
}
std::string Patched(const std::string& tag) { return ImeFile(tag, L" V8.6"); }

class SystemCopyTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.oemCodePage = GetOEMCP();
        CopyText(g_state.installDir, installDir.c_str());
        g_state.workBuffer = workBuffer.data();
    }

    // Written as the install writes its programs (noted with their digests).
    void Install(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(WriteInstalled(name.c_str(), bytes.data(), bytes.size()));
    }
    static std::string Read(const std::string& path) { return ReadFileBytes(path).value_or("<missing>"); }

    ScratchDir scratch;
    const std::string installDir = scratch.Path();
    std::vector<unsigned char> workBuffer = std::vector<unsigned char>(kWorkBufferSize);
};

// A destination in use is taken to be held by a running program, which keeps its file under the
// '2' name; one that cannot even be moved aside keeps its old bytes. The size check then tries once
// more unless the sizes agree; a destination that cannot be opened to measure counts as missing. A
// source that another account replaced after the install wrote it (same size, other bytes) is
// caught where it lands and taken away again; one the install never wrote is not copied.
TEST_F(SystemCopyTest, ReplacesTheDestinationOrNamesItWhenItCannot) {
    // The System directory is shared with other tests: its files are put back (or away) afterwards.
    const std::string destination = SystemDir() + "\\quortst4.ime", aside = SystemDir() + "\\quortst2.ime";
    Restorer keep[] = {KeepFile(destination), KeepFile(aside), KeepFile(SystemDir() + "\\quortst1.ime")};
    const std::string box = " | 智能岚石(岚石五笔)安装";
    const std::string unpack = "安装包没有成功解压" + destination + "文件，请重新下载安装！" + box;
    const std::string copyPath = "没有成功复制" + destination + "文件，请退出安装程序并手动删除该文件后重新安装！" + box;
    const std::string copyName = "没有成功复制quortst4.ime文件，请退出安装程序并手动删除该文件后重新安装！" + box;
    constexpr DWORD kNotHeld = ~0u;
    // old: nullptr, neither a destination nor the source; sharing: of a handle held on the destination
    // during the copy; expectedAside: nullptr, not looked at; replaced: the source's bytes once written.
    const struct { const char* name; const char* old; DWORD attributes, sharing; std::string expected;
                   const char* expectedAside; Ids texts; const char* replaced = nullptr; } cases[] = {
        {"read-only", "old", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, kNotHeld, "the new input method",
         "an older aside file", {}},
        {"in use", "running", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_DELETE,
         "the new input method", "running", {}},
        {"locked, of the source's size", "an old input method!", FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ,
         "an old input method!", nullptr, {copyPath}},
        {"locked so that not even its size can be read", "locked", FILE_ATTRIBUTE_NORMAL, 0, "locked", nullptr,
         {copyPath, copyPath, copyName}},
        {"source missing", nullptr, FILE_ATTRIBUTE_NORMAL, kNotHeld, "<missing>", "an older aside file",
         {unpack, unpack, copyName}},
        {"source replaced after it was written", "old", FILE_ATTRIBUTE_NORMAL, kNotHeld, "<missing>",
         "an older aside file", {copyPath, copyPath, copyName}, "the NEW input method"},
        {"source the install never wrote", "old", FILE_ATTRIBUTE_NORMAL, kNotHeld, "old", "an older aside file",
         {unpack, unpack, copyName}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        g_state.installFaults = 0;
        RemoveFile(destination);
        RemoveFile(installDir + "probe.ime");
        ASSERT_TRUE(WriteFileBytes(aside, "an older aside file"));
        if (c.old != nullptr) {
            Install("probe.ime", "the new input method");
            ASSERT_TRUE(WriteFileBytes(destination, c.old));
            ASSERT_TRUE(SetFileAttributesA(destination.c_str(), c.attributes));
        }
        if (c.replaced != nullptr) {
            if (c.replaced[0] == '\0') RemoveInstalled("probe.ime");
            ASSERT_TRUE(WriteFileBytes(installDir + "probe.ime", c.replaced[0] ? c.replaced : "the new input method"));
        }
        UniqueHandle held;
        if (c.sharing != kNotHeld) {
            held.Reset(CreateFileA(destination.c_str(), GENERIC_READ, c.sharing, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(held.Valid());
        }

        CopyAndVerify("probe.ime", "quortst4.ime", kTargetSystem64);
        held.Reset();
        EXPECT_EQ(ShownBoxes(messages), c.texts);
        EXPECT_EQ(Read(destination), c.expected);
        // Wine lets this root process overwrite a read-only file: the attribute left is what tells.
        if (FileExists(destination)) { EXPECT_FALSE(GetFileAttributesA(destination.c_str()) & FILE_ATTRIBUTE_READONLY); }
        if (c.expectedAside != nullptr) { EXPECT_EQ(Read(aside), c.expectedAside); }
        EXPECT_EQ(g_state.installFaults, c.texts.empty() ? 0 : kFaultSystemCopy);
    }
}

// The first pass places the version-patched variants of the code page (patched in the install
// directory, as is the setup program of the 64-bit half); the second pass the full files, after
// which the variants go. Either pass starts the progress over; a WOW64 process switches redirection
// off around each copy and each comparison.
TEST_F(SystemCopyTest, PlacesTheImmVariantsOfTheCodePageThenTheFullFiles) {
    const std::string native = SystemDir() + "\\quorel4.ime", wow64 = WindowsDir() + "\\syswow64\\quorel4.ime";
    Restorer keep[] = {KeepFile(native), KeepFile(wow64)};
    const bool big5 = g_state.oemCodePage == 950;
    const std::string v32 = big5 ? "321" : "320", v64 = big5 ? "641" : "640";
    const std::string full32 = ImeFile("el4", L" V8.6"), full64 = ImeFile("el64", L" V8.6");
    for (bool secondPass : {false, true}) {
        for (bool is32Bit : {false, true}) {
            SCOPED_TRACE(std::string(secondPass ? "second pass, " : "first pass, ") + (is32Bit ? "32-bit" : "64-bit"));
            for (const std::string tag : {"320", "321", "640", "641"}) Install("quor" + tag + ".ime", ImeFile(tag));
            Install("quorel4.ime", full32);
            Install("quorel64.ime", full64);
            Install("setupw64.exe", ImeFile("setup"));
            RemoveFile(native);
            RemoveFile(wow64);
            is32Bit ? Script32BitSystem() : ScriptWow64Process();
            g_state.progressStep = 9;

            InstallImeFiles(secondPass);

            EXPECT_EQ(g_osFacts.disableCalls, is32Bit ? 0 : 4);
            EXPECT_EQ(g_osFacts.revertCalls, is32Bit ? 0 : 4);
            const std::string placed32 = secondPass ? full32 : Patched(v32);
            EXPECT_EQ(Read(native), is32Bit ? placed32 : secondPass ? full64 : Patched(v64));
            EXPECT_EQ(Read(wow64), is32Bit ? "<missing>" : placed32);
            EXPECT_EQ(Read(installDir + "setupw64.exe"), secondPass ? ImeFile("setup") : Patched("setup"));
            EXPECT_EQ(g_state.progressStep, 0);
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
