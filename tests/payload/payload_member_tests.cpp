// The demo payload's members as the build made them (reached through drive Z:): each program is
// built for its architecture and carries the version text the version patch rewrites, the IME files
// are input-method DLLs, the text-service DLLs register and unregister through regsvr32, the 64-bit
// setup half and the companion programs start and end cleanly, and the generated data is in the form
// the setup program and its phrase conversion rely on.
#include <windows.h>
#include <imm.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "archive/phrase_backup.h"
#include "archive/quz_format.h"
#include "common/handles.h"
#include "tests/support/registry_guard.h"
#include "tests/support/test_support.h"

namespace {

std::string MemberPath(const std::string& name) {
    std::string path = "Z:" QUOR_PAYLOAD_MEMBERS_DIR "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Runs a command line and waits for the program to end; its exit code, or a note of what went wrong.
std::string RunAndWait(const std::string& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return "not started, error " + std::to_string(GetLastError());
    }
    UniqueHandle processHandle(process.hProcess), threadHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        return "did not end";
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    return std::to_string(exitCode);
}

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
    const struct { const char* name; unsigned machine; char version; bool ime; } programs[] = {
        {"quorel4.ime", kI686, '3', true},  {"quorel64.ime", kX64, '3', true}, {"quor320.ime", kI686, '3', true},
        {"quor321.ime", kI686, '7', true},  {"quor640.ime", kX64, '3', true},  {"quor641.ime", kX64, '7', true},
        {"quorsrf.dll", kI686, 0, false},   {"quorsrf6.dll", kX64, 0, false},  {"qsrf732.dll", kI686, 0, false},
        {"qsrf764.dll", kX64, 0, false},    {"setupw64.exe", kX64, '3', false}, {"quortavo.exe", kX64, 0, false},
        {"quortav6.exe", kI686, 0, false},  {"quordel8.exe", kX64, 0, false},  {"qrjcdir.exe", kX64, 0, false},
    };
    for (const auto& c : programs) {
        SCOPED_TRACE(c.name);
        std::string path = MemberPath(c.name);
        std::optional<std::string> image = ReadFileBytes(path);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(MachineOf(*image), c.machine);
        std::string versions = PatchableVersions(*image);
        EXPECT_EQ(versions.empty(), c.version == 0) << versions;
        EXPECT_EQ(versions.find_first_not_of(c.version), std::string::npos) << versions;
        if (!c.ime) continue;
        // The system's IME installation requires an input-method driver in the version information.
        std::vector<BYTE> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DRV));
        EXPECT_EQ(fixed->dwFileSubtype, static_cast<DWORD>(VFT2_DRV_INPUTMETHOD));
    }
}

TEST(PayloadProgramTest, TheImeFilesAnswerTheSystemsImmAsInputMethods) {
    struct ImeInfo { DWORD privateDataSize, property, conversionCaps, sentenceCaps, uiCaps, scsCaps, selectCaps; };
    const char* const entryPoints[] = {
        "ImeInquire", "ImeConfigure", "ImeConversionList", "ImeDestroy", "ImeEscape", "ImeProcessKey", "ImeSelect",
        "ImeSetActiveContext", "ImeToAsciiEx", "NotifyIME", "ImeRegisterWord", "ImeUnregisterWord",
        "ImeGetRegisterWordStyle", "ImeEnumRegisterWord", "ImeSetCompositionString"};
    for (const char* file : {"quorel64.ime", "quor640.ime", "quor641.ime"}) {
        SCOPED_TRACE(file);
        UniqueLibrary ime(LoadLibraryA(MemberPath(file).c_str()));
        ASSERT_TRUE(ime);
        for (const char* entryPoint : entryPoints) ASSERT_NE(GetProcAddress(ime.Get(), entryPoint), nullptr) << entryPoint;
        auto entry = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(ime.Get(), name)); };
        auto inquire = reinterpret_cast<BOOL(WINAPI*)(ImeInfo*, wchar_t*, DWORD)>(entry("ImeInquire"));
        auto processKey = reinterpret_cast<BOOL(WINAPI*)(HIMC, UINT, LPARAM, BYTE*)>(entry("ImeProcessKey"));
        auto toAscii = reinterpret_cast<UINT(WINAPI*)(UINT, UINT, BYTE*, void*, UINT, HIMC)>(entry("ImeToAsciiEx"));
        auto escape = reinterpret_cast<LRESULT(WINAPI*)(HIMC, UINT, void*)>(entry("ImeEscape"));
        auto destroy = reinterpret_cast<BOOL(WINAPI*)(UINT)>(entry("ImeDestroy"));

        ImeInfo info = {};
        wchar_t uiClass[64] = {};
        ASSERT_TRUE(inquire(&info, uiClass, 0));
        EXPECT_STREQ(uiClass, L"UITAVO");
        EXPECT_NE(info.property & IME_PROP_UNICODE, 0u);
        EXPECT_NE(info.conversionCaps & IME_CMODE_NATIVE, 0u);
        EXPECT_FALSE(inquire(nullptr, uiClass, 0));
        // IMM creates the UI window from this class, which the IME registers as an IME class.
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        ASSERT_TRUE(GetClassInfoExW(reinterpret_cast<HINSTANCE>(ime.Get()), L"UITAVO", &windowClass));
        EXPECT_NE(windowClass.style & CS_IME, 0u);
        EXPECT_GE(windowClass.cbWndExtra, static_cast<int>(2 * sizeof(LONG_PTR)));

        BYTE keyState[256] = {};
        EXPECT_FALSE(processKey(nullptr, 'A', 1, keyState));  // keys pass through
        EXPECT_EQ(toAscii('A', 0x1E, keyState, nullptr, 0, nullptr), 0u);
        UINT query = 0x1006;  // IME_ESC_QUERY_SUPPORT of the name query: supported; another: not
        EXPECT_EQ(escape(nullptr, 0x0003, &query), TRUE);
        query = 0x1005;
        EXPECT_EQ(escape(nullptr, 0x0003, &query), FALSE);
        wchar_t name[64] = {};
        EXPECT_EQ(escape(nullptr, 0x1006, name), TRUE);
        EXPECT_STREQ(name, std::string(file) == "quor641.ime" ? L"智能嵐石輸入平台" : L"智能岚石输入平台");
        EXPECT_TRUE(destroy(0));
        EXPECT_FALSE(destroy(1));
    }
}

TEST(PayloadProgramTest, TheTextServiceDllsRegisterTheCategoriesAndUnregisterTheWholeKey) {
    const std::string classId = "{65653599-5030-4C0F-8871-83F6AFDE5098}";
    const std::string tipKey = "SOFTWARE\\Microsoft\\CTF\\TIP\\" + classId;
    RegistryTreeGuard guard(HKEY_LOCAL_MACHINE, std::wstring(tipKey.begin(), tipKey.end()));
    auto exists = [](const std::string& path) {
        UniqueHKey key;
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
    };
    for (const char* dll : {"quorsrf6.dll", "qsrf764.dll"}) {
        SCOPED_TRACE(dll);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, tipKey.c_str());
        EXPECT_EQ(RunAndWait("regsvr32 /u /s " + MemberPath(dll)), "0");  // nothing registered yet
        // Registering twice keeps the entry whole.
        for (int run = 0; run < 2; ++run) ASSERT_EQ(RunAndWait("regsvr32 /s " + MemberPath(dll)), "0");
        for (const char* category : {"{13A016DF-560B-46CD-947A-4C3AF1E0E35D}", "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",
                                     "{34745C63-B2F0-4784-8B67-5E12C8701A31}"}) {
            EXPECT_TRUE(exists(tipKey + "\\Category\\Category\\" + category + "\\" + classId)) << category;
            EXPECT_TRUE(exists(tipKey + "\\Category\\Item\\" + classId + "\\" + category)) << category;
        }
        // Unregistering also removes what the setup program adds under the DLL's keys, and nothing above.
        UniqueHKey added;
        std::string addedPath = tipKey + "\\Category\\Item\\" + classId + "\\{046B8C80-1647-40F7-9B21-B93B81AABC1B}";
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, addedPath.c_str(), added.Put()), ERROR_SUCCESS);
        added.Reset();
        EXPECT_EQ(RunAndWait("regsvr32 /u /s " + MemberPath(dll)), "0");
        EXPECT_FALSE(exists(tipKey));
        EXPECT_TRUE(exists("SOFTWARE\\Microsoft\\CTF\\TIP"));
    }
}

TEST(PayloadProgramTest, TheSetupHalfAndTheCompanionProgramsStartAndEndCleanly) {
    ScratchDir scratch;
    const std::string setup = MemberPath("setupw64.exe");
    const std::pair<std::string, const char*> runs[] = {  // command line, exit code
        {setup + " regqu32=C:\\x\\", "0"},  // a directory that does not exist, as in an install that failed early
        // The setup program's own command line: the word and the install directory, unquoted.
        {setup + " regqu32=" + scratch.Path(), "0"},
        {setup + " regqu32=" + scratch.Path(), "0"},
        {setup, "1"}, {setup + " " + scratch.Path(), "1"},
        {MemberPath("quortavo.exe") + " qu", "0"}, {MemberPath("quortavo.exe"), "0"},
        {MemberPath("qrjcdir.exe"), "0"},
    };
    for (const auto& [command, status] : runs) EXPECT_EQ(RunAndWait(command), status) << command;
    std::string line = "regqu32=" + scratch.Path() + "\r\n";
    EXPECT_EQ(ReadFileBytes(scratch.Path() + "setupw64.log"), line + line);  // one line per run with the word
}

TEST(PayloadDataTest, ThePhraseBackupHoldsPhrasesAndSingleCharactersToDrop) {
    std::optional<std::string> backup = ReadFileBytes(MemberPath("quorcyzk.bak"));
    ASSERT_TRUE(backup.has_value());
    std::size_t items = 0, phrases = 0, at = 0;
    for (std::size_t end; (end = backup->find("; ", at)) != std::string::npos; at = end + 2) {
        ++items;
        if (end - at >= 4) ++phrases;
    }
    EXPECT_EQ(at, backup->size());  // every item ends with its delimiter
    EXPECT_GT(phrases, 10000u);
    EXPECT_LT(phrases, items);  // some are single characters
    // The conversion counts every longer item: each is a run of double-byte characters.
    std::vector<unsigned char> data(backup->begin(), backup->end());
    data.resize(data.size() + kPhraseTrailerSize);
    std::size_t kept = ConvertPhraseBackup(data.data(), backup->size());
    EXPECT_EQ(ReadLittleEndian32(data.data() + kept + 8), phrases);
}

// tavo1.bmp, 401 x 310 at 24 bits (its header is checked with the payload archive): a designed scene
// with the Wubi caption drawn inside the area at (73, 90), 128 x 35, that the Pinyin edition covers by
// stretching the area's first two lines.
TEST(PayloadDataTest, TheFirstPagePictureHasTheWubiCaptionInsideTheWipedArea) {
    std::string file = ReadFileBytes(MemberPath("tavo1.bmp")).value_or("");
    ASSERT_EQ(file.size(), 373296u);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(file.data());
    std::size_t rows = ReadLittleEndian32(bytes + 10);  // where the rows start, bottom row first
    ASSERT_LE(rows + 1204 * 310, file.size());
    auto pixel = [&](int x, int y) { return bytes + rows + 1204 * (309 - y) + 3 * x; };
    auto differ = [](const unsigned char* a, const unsigned char* b) {
        return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    };
    const unsigned char caption[] = {173, 205, 33}, edge[] = {128, 96, 96};  // BGR
    int captionInside = 0, captionOutside = 0;
    long long neighbours = 0;
    for (int y = 0; y < 310; ++y) {
        for (int x = 0; x < 401; ++x) {
            bool inArea = x >= 73 && x < 73 + 128 && y >= 90 && y < 90 + 35;
            if (differ(pixel(x, y), caption) <= 60) (inArea ? captionInside : captionOutside)++;
            if (x > 0) neighbours += differ(pixel(x, y), pixel(x - 1, y));
        }
    }
    EXPECT_GT(captionInside, 150);
    EXPECT_EQ(captionOutside, 0);
    EXPECT_LT(neighbours / (310 * 400), 12);  // a designed picture, not noise
    // The two stretched lines are clean sky: no caption, no dark edge, no steps.
    for (int y = 90; y < 92; ++y) {
        for (int x = 73; x < 73 + 128; ++x) {
            SCOPED_TRACE(testing::Message() << "(" << x << ", " << y << ")");
            ASSERT_GT(differ(pixel(x, y), caption), 60);
            ASSERT_GT(differ(pixel(x, y), edge), 60);
            if (x > 73) {
                ASSERT_LE(differ(pixel(x, y), pixel(x - 1, y)), 6);
            }
        }
    }
}

}  // namespace
