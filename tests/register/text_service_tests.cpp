// The text service: its place in the sort order, the regsvr32 runs of its registration (recorded by
// the prefix's stand-in regsvr32, which registers the DLL as the real one does), and where a category
// registration goes.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/handles.h"
#include "common/install_state.h"
#include "deploy/os_info.h"
#include "register/text_service.h"
#include "register/text_service_check.h"
#include "tests/register/command_log.h"
#include "tests/register/layout_fixture.h"
#include "tests/register/text_service_fixture.h"
#include "tests/support/os_facts_scripted.h"

namespace {

constexpr char kSortOrder[] =
    "SOFTWARE\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\{34745C63-B2F0-4784-8B67-5E12C8701A31}";

std::string Join(const std::string& a, const std::string& b) { return a + "\\" + b; }
std::string Wow64Dir() { return WindowsDir() + "\\syswow64"; }

struct SortItem {
    std::string clsid;
    bool profile = true;
    bool keyboardLayout = true;
};

void SetSortOrder(const std::vector<SortItem>& items, int firstNumber = 0) {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSortOrder);
    for (std::size_t i = 0; i < items.size(); ++i) {
        char name[16];
        wsprintfA(name, "%08d", firstNumber + static_cast<int>(i));
        std::string path = Join(kSortOrder, name);
        WriteRegString(HKEY_CURRENT_USER, path.c_str(), "CLSID", items[i].clsid);
        if (items[i].profile) {
            WriteRegString(HKEY_CURRENT_USER, path.c_str(), "profile", "{E2A7C8E4-0A3A-4D55-9C5E-0B5A3F4AF001}");
        }
        if (items[i].keyboardLayout) {
            UniqueHKey item;
            RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, item.Put());
            DWORD layout = 0x08040804;
            RegSetValueExA(item.Get(), "KeyboardLayout", 0, REG_DWORD, reinterpret_cast<BYTE*>(&layout), sizeof layout);
        }
    }
}

TEST_F(TextServiceTest, PositionInTheSortOrder) {
    const std::string other = "{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}";
    const std::string lower = "{65653599-5030-4c0f-8871-83f6afde5098}";
    std::vector<SortItem> hundredOthers(100, SortItem{other});
    std::vector<SortItem> ninetyNineOthers(99, SortItem{other});
    hundredOthers.push_back({kClsid});
    ninetyNineOthers.push_back({kClsid});
    struct Row {
        const char* name;
        std::vector<SortItem> items;
        int position;
        int firstNumber = 0;
    };
    const std::vector<Row> rows = {
        {"second", {{other}, {kClsid}}, 2},
        {"first", {{kClsid}, {other}}, 1},
        {"absent", {{other}}, 0},
        {"class id in lower case", {{other}, {lower}}, 0},
        {"an item before it lacks profile", {{other, false}, {kClsid}}, 0},
        {"an item before it lacks KeyboardLayout", {{other, true, false}, {kClsid}}, 0},
        {"its own item lacks profile", {{kClsid, false}}, 0},
        {"an incomplete item after it is not read", {{kClsid}, {other, false, false}}, 1},
        {"numbering does not start at 00000000", {{kClsid}}, 0, 1},
        {"the hundredth item", ninetyNineOthers, 100},
        {"beyond the first hundred items", hundredOthers, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetSortOrder(row.items, row.firstNumber);
        EXPECT_EQ(FindTextServiceInSortOrder(), row.position);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\CTF\\SortOrder");
    EXPECT_EQ(FindTextServiceInSortOrder(), 0);
}

TEST_F(TextServiceTest, RegistrationOn32BitWindowsRunsRegsvr32Once) {
    Script32BitSystem();
    SetFactsOfWindowCreation();
    ASSERT_EQ(g_state.systemBits, 32);

    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(RegisterTextService(), 1);
    EXPECT_GE(GetTickCount64() - start, 2000u);

    EXPECT_EQ(WaitForLogLines(kRegsvr32Log, 1), std::vector<std::string>{"regsvr32 /s " + SystemDir() + "\\quorsrf.dll"});
    EXPECT_EQ(g_osFacts.disableCalls, 0);
}

// The 64-bit DLL here is the test DLL, so the keys its registration makes appear.
TEST_F(TextServiceTest, RegistrationOn64BitWindowsRegistersBothDlls) {
    ASSERT_EQ(g_state.systemBits, 64);
    std::string dll = SystemDir() + "\\quorsrf6.dll";
    FileRestorer restoreDll(dll);
    ASSERT_TRUE(CopyFileA((TestProgramDir() + "tip_fixture.dll").c_str(), dll.c_str(), FALSE));

    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(RegisterTextService(), 1);
    EXPECT_GE(GetTickCount64() - start, 4000u);

    std::vector<std::string> expected = {"regsvr32 /s " + Wow64Dir() + "\\quorsrf.dll",
                                         "regsvr32 /s " + SystemDir() + "\\quorsrf6.dll"};
    EXPECT_EQ(WaitForLogLines(kRegsvr32Log, 2), expected);
    for (const char* category : kTestedCategories) {
        SCOPED_TRACE(category);
        EXPECT_TRUE(TipKeyPresent(ItemKey(category)));
        EXPECT_TRUE(TipKeyPresent(CategoryMemberKey(category)));
    }
}

TEST_F(TextServiceTest, RegistrationFromAWow64ProcessRepeatsWithoutRedirection) {
    ScriptWow64Process();
    SetFactsOfWindowCreation();
    ASSERT_EQ(g_state.systemBits, 64);

    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(RegisterTextService(), 1);
    EXPECT_GE(GetTickCount64() - start, 8000u);

    std::string wow = "regsvr32 /s " + Wow64Dir() + "\\quorsrf.dll";
    std::string native = "regsvr32 /s " + SystemDir() + "\\quorsrf6.dll";
    EXPECT_EQ(WaitForLogLines(kRegsvr32Log, 4), (std::vector<std::string>{wow, native, wow, native}));
    EXPECT_EQ(g_osFacts.disableCalls, 1);
    EXPECT_EQ(g_osFacts.revertCalls, 1);
    EXPECT_EQ(g_osFacts.revertedWith, g_osFacts.redirectionToken);
}

TEST_F(TextServiceTest, SecondPassNeedsAWow64ProcessWithRedirectionOff) {
    struct Row {
        const char* name;
        void (*script)();
    };
    const std::vector<Row> rows = {
        {"native process", [] { UnscriptOsFacts(); }},
        {"switch refused",
         [] {
             ScriptWow64Process();
             g_osFacts.disableResult = FALSE;
         }},
        {"switch missing",
         [] {
             ScriptWow64Process();
             g_osFacts.hasRedirectionFunctions = false;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.script();
        ULONGLONG start = GetTickCount64();
        EXPECT_EQ(RegisterTextServiceNative(), 1);
        EXPECT_LT(GetTickCount64() - start, 1000u);
        EXPECT_EQ(g_osFacts.revertCalls, 0);
        EXPECT_FALSE(FileExists(kRegsvr32Log));
    }
}

TEST_F(TextServiceTest, CategoriesGoOnlyUnderTheParentsTheDllMade) {
    struct Row {
        const char* name;
        std::vector<std::string> existing;
        bool category, member, item;
    };
    const char* added = kAddedCategories[0];
    const std::vector<Row> rows = {
        {"no text-service key", {}, false, false, false},
        {"item key only", {Join(kTip, "Category\\Item\\") + kClsid}, false, false, true},
        {"category key only", {Join(kTip, "Category\\Category")}, true, true, false},
        {"both", {Join(kTip, "Category\\Item\\") + kClsid, Join(kTip, "Category\\Category")}, true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTip);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTip);
        for (const std::string& path : row.existing) CreateTipKey(path);
        AddTextServiceCategory(added);
        EXPECT_EQ(TipKeyPresent(CategoryKey(added)), row.category);
        EXPECT_EQ(TipKeyPresent(CategoryMemberKey(added)), row.member);
        EXPECT_EQ(TipKeyPresent(ItemKey(added)), row.item);
        EXPECT_EQ(TipKeyPresent(kTip), !row.existing.empty());
    }
}

}  // namespace
