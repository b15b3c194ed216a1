// The text service: its place in the sort order and the regsvr32 runs of its registration (recorded
// by the prefix's stand-in regsvr32, which registers the DLL as the real one does).

#include "register/text_service.h"
#include "tests/support/command_log.h"
#include "tests/support/os_facts_scripted.h"
#include "tests/support/text_service_fixture.h"

namespace {

constexpr char kSortOrder[] =
    "SOFTWARE\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\{34745C63-B2F0-4784-8B67-5E12C8701A31}";

struct SortItem {
    std::string clsid;
    bool profile = true;
};

TEST_F(TextServiceTest, PositionInTheSortOrder) {
    const std::string other = "{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}";
    std::vector<SortItem> hundred(99, SortItem{other});
    hundred.push_back({kClsid});
    std::vector<SortItem> beyond = hundred;
    beyond.insert(beyond.begin(), {other});
    struct Row { const char* name; std::vector<SortItem> items; int position, first = 0; };  // first: its number
    const std::vector<Row> rows = {
        {"second", {{other}, {kClsid}}, 2},
        {"absent", {{other}}, 0},
        {"an item before it lacks profile", {{other, false}, {kClsid}}, 0},
        {"its own item lacks profile", {{kClsid, false}}, 0},
        {"numbering does not start at 00000000", {{kClsid}}, 0, 1},
        {"the hundredth item", hundred, 100},
        {"beyond the first hundred items", beyond, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, kSortOrder);
        for (std::size_t i = 0; i < row.items.size(); ++i) {
            char name[16];
            wsprintfA(name, "%08d", row.first + static_cast<int>(i));
            std::string path = std::string(kSortOrder) + "\\" + name;
            const SortItem& item = row.items[i];
            WriteRegString(HKEY_CURRENT_USER, path.c_str(), "CLSID", item.clsid);
            if (item.profile) WriteRegString(HKEY_CURRENT_USER, path.c_str(), "profile", "{E2A7C8E4-0A3A-4D55}");
            DWORD layout = 0x08040804;
            RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "KeyboardLayout", REG_DWORD, &layout, sizeof layout);
        }
        EXPECT_EQ(FindTextServiceInSortOrder(), row.position);
    }
}

// regsvr32 is started and not waited for, and each start is followed by a two-second pause. The
// 64-bit DLL here is the payload's, so the keys its registration makes appear.
TEST_F(TextServiceTest, RegistrationRunsRegsvr32OnTheSystemsDlls) {
    std::string dll = SystemDir() + "\\quorsrf6.dll";
    Restorer keep = KeepFile(dll);
    ASSERT_TRUE(CopyFileA((TestProgramDir() + "quorsrf6.dll").c_str(), dll.c_str(), FALSE));
    const std::string wow = "regsvr32 /s " + WindowsDir() + "\\syswow64\\quorsrf.dll";
    const std::string native = "regsvr32 /s " + dll;
    struct Row { const char* name; void (*script)(); Ids commands; int revertCalls; };  // of the redirection switch
    const std::vector<Row> rows = {
        {"32-bit system", [] { Script32BitSystem(); }, {"regsvr32 /s " + SystemDir() + "\\quorsrf.dll"}, 0},
        {"WOW64 process: again without redirection", [] { ScriptWow64Process(); }, {wow, native, wow, native}, 1},
        {"WOW64 process, redirection not switched off", [] { ScriptWow64Process(); g_osFacts.disableResult = FALSE; },
         {wow, native}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.script();
        SetFactsOfWindowCreation();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTip);
        RemoveFile(kRegsvr32Log);

        ULONGLONG start = GetTickCount64();
        EXPECT_EQ(RegisterTextService(), 1);
        EXPECT_GE(GetTickCount64() - start, 2000u * row.commands.size());

        EXPECT_EQ(WaitForLogLines(kRegsvr32Log, row.commands.size()), row.commands);
        EXPECT_EQ(g_osFacts.revertCalls, row.revertCalls);
        EXPECT_EQ(g_osFacts.revertedWith, row.revertCalls > 0 ? g_osFacts.redirectionToken : nullptr);
        for (const char* category : kTestedCategories) {
            EXPECT_EQ(TipKeyPresent(ItemKey(category)), row.commands.back() == native) << category;
        }
    }
}

}  // namespace
