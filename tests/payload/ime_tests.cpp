// The payload's 64-bit IMM files are real input-method DLLs: they export every entry point the
// system's IMM calls, describe themselves with their UI window class, answer with valid no-op
// behaviour, and declare themselves input-method drivers in their version information (which the
// system's IME installation requires).
#include <windows.h>
#include <imm.h>

#include <string>

#include "common/handles.h"
#include "tests/payload/payload_test_support.h"
#include "tests/support/test_support.h"

namespace {

struct ImeInfo {
    DWORD privateDataSize, property, conversionCaps, sentenceCaps, uiCaps, scsCaps, selectCaps;
};
using ImeInquireProc = BOOL(WINAPI*)(ImeInfo*, wchar_t*, DWORD);
using ImeDestroyProc = BOOL(WINAPI*)(UINT);
using ImeEscapeProc = LRESULT(WINAPI*)(HIMC, UINT, void*);
using ImeProcessKeyProc = BOOL(WINAPI*)(HIMC, UINT, LPARAM, BYTE*);
using ImeToAsciiExProc = UINT(WINAPI*)(UINT, UINT, BYTE*, void*, UINT, HIMC);

template <typename Fn>
Fn EntryPoint(const UniqueLibrary& library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.Get(), name)));
}

const char* const kImeFiles[] = {"quorel64.ime", "quor640.ime", "quor641.ime"};

class ImeFileTest : public QuorTest {};

TEST_F(ImeFileTest, ExportsEveryEntryPoint) {
    const char* entryPoints[] = {
        "ImeInquire", "ImeConfigure", "ImeConversionList", "ImeDestroy", "ImeEscape", "ImeProcessKey",
        "ImeSelect", "ImeSetActiveContext", "ImeToAsciiEx", "NotifyIME", "ImeRegisterWord",
        "ImeUnregisterWord", "ImeGetRegisterWordStyle", "ImeEnumRegisterWord", "ImeSetCompositionString",
    };
    for (const char* file : kImeFiles) {
        SCOPED_TRACE(file);
        UniqueLibrary ime(LoadLibraryA(MemberPath(file).c_str()));
        ASSERT_TRUE(ime);
        for (const char* entryPoint : entryPoints) {
            SCOPED_TRACE(entryPoint);
            EXPECT_NE(GetProcAddress(ime.Get(), entryPoint), nullptr);
        }
    }
}

TEST_F(ImeFileTest, DescribesItselfAndRegistersItsUiClass) {
    for (const char* file : kImeFiles) {
        SCOPED_TRACE(file);
        UniqueLibrary ime(LoadLibraryA(MemberPath(file).c_str()));
        ASSERT_TRUE(ime);
        auto inquire = EntryPoint<ImeInquireProc>(ime, "ImeInquire");
        ASSERT_NE(inquire, nullptr);
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
    }
}

TEST_F(ImeFileTest, PassesKeysThroughAndNamesItself) {
    for (const char* file : kImeFiles) {
        SCOPED_TRACE(file);
        UniqueLibrary ime(LoadLibraryA(MemberPath(file).c_str()));
        ASSERT_TRUE(ime);
        auto processKey = EntryPoint<ImeProcessKeyProc>(ime, "ImeProcessKey");
        auto toAscii = EntryPoint<ImeToAsciiExProc>(ime, "ImeToAsciiEx");
        auto escape = EntryPoint<ImeEscapeProc>(ime, "ImeEscape");
        auto destroy = EntryPoint<ImeDestroyProc>(ime, "ImeDestroy");
        ASSERT_TRUE(processKey && toAscii && escape && destroy);

        BYTE keyState[256] = {};
        EXPECT_FALSE(processKey(nullptr, 'A', 1, keyState));
        EXPECT_EQ(toAscii('A', 0x1E, keyState, nullptr, 0, nullptr), 0u);

        UINT query = 0x1006;  // the IME's name
        EXPECT_EQ(escape(nullptr, 0x0003, &query), TRUE);
        query = 0x1005;
        EXPECT_EQ(escape(nullptr, 0x0003, &query), FALSE);
        wchar_t name[64] = {};
        EXPECT_EQ(escape(nullptr, 0x1006, name), TRUE);
        std::wstring expected = std::string(file) == "quor641.ime" ? L"智能嵐石輸入平台" : L"智能岚石输入平台";
        EXPECT_EQ(name, expected);

        EXPECT_TRUE(destroy(0));
        EXPECT_FALSE(destroy(1));
    }
}

TEST_F(ImeFileTest, VersionInformationDeclaresAnInputMethodDriver) {
    for (const char* file : {"quorel4.ime", "quorel64.ime", "quor320.ime", "quor321.ime", "quor640.ime", "quor641.ime"}) {
        SCOPED_TRACE(file);
        std::string path = MemberPath(file);
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> data(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DRV));
        EXPECT_EQ(fixed->dwFileSubtype, static_cast<DWORD>(VFT2_DRV_INPUTMETHOD));
    }
}

}  // namespace
