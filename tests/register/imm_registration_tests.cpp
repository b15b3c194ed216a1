// The IMM registration against the real registry: the keyboard-layout entry (the id it chooses, the
// own entry found by its layout text, the exact values, the preload number it adds, its messages),
// the preload list (finding the input method, its promotion after an IMM install on Windows XP, the
// default-input-method guard).

#include <cstdio>
#include <set>

#include "common/handles.h"
#include "common/install_state.h"
#include "platform/os_info.h"
#include "register/default_input_method.h"
#include "register/keyboard_layout.h"
#include "register/preload_list.h"
#include "tests/support/layout_fixture.h"
#include "tests/support/os_facts_scripted.h"

namespace {

// 300 layouts numbered from E1000804 up besides the given ones: more than one round of 250 names.
std::vector<LayoutEntry> WithMany(std::vector<LayoutEntry> layouts) {
    for (unsigned i = 0; i < 300; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%08X", 0xE1000804u + (i << 16));
        layouts.push_back({id, "other"});
    }
    return layouts;
}

using KeyboardLayoutTest = LayoutTest;

// Ids in the rows are made Local (see the fixture); "P" in a list is the entry's id as the program
// writes it there. A row that removes a key first (or leaves no layout number) ends with its message,
// if any on that system, and nothing added to the list; a list key that was gone stays gone.
TEST_F(KeyboardLayoutTest, EntryIdValuesAndPreloadNumber) {
    const std::string own = OwnText();
    const std::string older = own.substr(0, own.size() - 1) + "5";
    const std::string x = "Chinese (Simplified) - US Keyboard", nul(1, '\0');
    const char* const admin = "在WIN2000和WIN NT系统中安装本软件时，需要以系统管理员身份才能安装成功！";
    const char *const wubi = "智能岚石(岚石五笔)", *const error2003 = "Software open error2003";
    const std::vector<LayoutEntry> ownOnly = {{"E0220LNG", own}};
    Ids full;
    for (const LayoutEntry& entry : WithMany({})) full.push_back(entry.name);
    full.resize(49);
    Ids fullAfter = full;
    fullAfter.back() = "P";
    // id: where the entry ends up ("": none); before and after: the preload list; removed: a key of
    // `root` removed first; nt and win9x: the message shown on each (nullptr: none).
    struct Row { const char* name; std::vector<LayoutEntry> layouts; std::string id; Ids before = {"00000804"},
                 after = {"00000804", "P"}; HKEY root = nullptr; const char* removed = nullptr;
                 const char *nt = nullptr, *win9x = nullptr, *caption = nullptr; };
    const std::vector<Row> rows = {
        {"highest of another language", {{"E0220411", x}, {"E0200804", x}}, "E0230LNG"},
        {"layout text over 200 bytes: not counted", {{"E0500804", std::string(250, 'x')}}, "E0010LNG"},
        {"more than 250, the highest enumerated last", WithMany({{"0EF000804", x}}), "EF010LNG"},
        {"own entry", {{"00000804", x}, {"E0050LNG", own}, {"E0210804", x}}, "E0050LNG", {"E0050LNG"}, {"E0050LNG"}},
        {"own entry of the other language", {{"E0050OTH", older}, {"E0210804", x}}, "E0050LNG"},
        {"listed with another language", ownOnly, "E0220LNG", {"00000804", "E0220411"}, {"00000804", "P"}},
        {"five agreeing characters: the same layout", ownOnly, "E0220LNG", {"E0220904", "E0221LNG"}, {"P", "E0221LNG"}},
        {"all 49 taken", ownOnly, "E0220LNG", full, fullAfter},
        {"1003: no Keyboard Layouts key", {}, "", {"00000804"}, {"00000804"}, HKEY_LOCAL_MACHINE, kLayoutsPath, admin,
         "Software open error1003", "智能岚石"},
        {"1004: no layout number left above the highest", {{"FFFF0804", "other"}}, "", {"00000804"}, {"00000804"},
         nullptr, nullptr, admin, "Software open error1004", wubi},
        {"2003: no keyboard layout key of the user", {}, "", {"00000804"}, {}, HKEY_CURRENT_USER, "Keyboard Layout",
         error2003, error2003, wubi},
        {"no preload key: only 9x, whose list is that key, says so", {}, "", {"00000804"}, {}, HKEY_CURRENT_USER,
         "Keyboard Layout\\Preload", nullptr, error2003, wubi},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string id = Local(row.id);
        const std::string path = std::string(kLayoutsPath) + "\\" + id;
        auto local = [&](const Ids& ids) {
            Ids out;
            for (const std::string& listed : ids) out.push_back(listed == "P" ? AsWritten(id) : Local(listed));
            return out;
        };
        SetLayouts(row.layouts);
        SetPreload(local(row.before));
        if (row.removed) {
            RegDeleteTreeA(row.root, row.removed);
            RegDeleteKeyA(row.root, row.removed);
        }
        // A value of the own entry's key that stays when the key is rewritten in place.
        bool existed = !row.id.empty() && KeyPresent(HKEY_LOCAL_MACHINE, path.c_str());
        if (existed) WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "Layout Id", "00f0");
        messages.shown.clear();

        WriteKeyboardLayoutEntry();

        const char* text = Win9x() ? row.win9x : row.nt;
        EXPECT_EQ(ShownBoxes(messages), text ? Ids{std::string(text) + " | " + row.caption} : Ids{});
        EXPECT_EQ(Preload(), local(row.after));
        if (row.id.empty()) {
            EXPECT_EQ(KeyPresent(HKEY_CURRENT_USER, "Keyboard Layout\\Preload"), !row.after.empty());
            continue;
        }
        // No key is made or removed but the entry's, and the other language's own entry it replaces.
        std::set<std::string> names = {id};
        for (const LayoutEntry& entry : row.layouts) names.insert(Local(entry.name));
        names.erase(Local(row.id.substr(0, 5) + "OTH"));
        EXPECT_EQ(LayoutNames(), Ids(names.begin(), names.end()));
        EXPECT_EQ(LayoutValue(id, "Layout Id").has_value(), existed);
        // The values are REG_SZ of exactly their text, to which the system adds one terminator.
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, path.c_str(), "IME file"), "QUOREL4.IME" + nul);
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, path.c_str(), "layout file"), (Win9x() ? "kbdus.kbd" : "kbdus.dll") + nul);
        EXPECT_EQ(ReadRegBytes(HKEY_LOCAL_MACHINE, path.c_str(), "layout text"), own + nul);
    }
}

constexpr wchar_t kDefaultText[] =
    L"　　你以前安装的智能岚石为系统默认输入法，请设置为系统非默认输入法后，重新启动机器才能安装新版本的智能岚石！";

// The input method's layout in every code page's test (its text is stored as UTF-16).
const std::string kOwn = "E0230804";

using Messages = std::vector<std::pair<std::wstring, UINT>>;

class PreloadTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        SetLayouts({{"00000804", "x"}, {"00000409", "x"}, {"E0200804", "x"}, {"E0240804", "智能岚石五笔  7.0"},
                    {"E0250804", kOwnTextBig5}});
        // Stored as UTF-16, as the system keeps it; narrow reads give it in the process code page.
        const wchar_t text[] = L"智能岚石输入平台  8.5";
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Keyboard Layouts\\E0230804",
                        L"layout text", REG_SZ, text, sizeof text);
    }

    // The list mark is GBK: under code page 950 the input method's text reads as other bytes.
    static int Found(int position) { return Big5() ? 0 : position; }
    static bool PromotionRuns() { return g_state.osMajorVersion <= 5 && !Big5(); }

    // The boxes shown, each UTF-16 with the setup program's caption.
    void ExpectMessages(const Messages& expected) {
        Messages shown;
        for (const RecordedMessage& box : messages.shown) {
            EXPECT_TRUE(box.wide && box.wcaption == L"智能岚石安装");
            shown.push_back({box.wtext, box.style});
        }
        EXPECT_EQ(shown, expected);
    }
};

// The rows run in order on one program state: each read must keep nothing of the one before.
TEST_F(PreloadTest, FindsAndPromotesTheInputMethod) {
    auto With = [](Ids list, std::size_t fillers, const Ids& after) {  // fillers: entries of 00000409
        list.insert(list.end(), fillers, "00000409");
        list.insert(list.end(), after.begin(), after.end());
        return list;
    };
    const struct { const char* name; Ids list; int position; Ids promoted; } rows[] = {  // promoted: on XP and earlier
        {"fourth of four", {"00000804", "00000409", "E0200804", kOwn}, 4, {"00000804", kOwn, "00000409", "E0200804"}},
        {"listed without a Keyboard Layouts entry", {"00000804", "E0990804", "00000409"}, 0, {}},
        {"49th, the last number read", With({}, 48, {kOwn}), 49, With({"00000409", kOwn}, 47, {})},
        {"50th, past the list", With({}, 49, {kOwn}), 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetPreload(row.list);
        SetDefaultPreload({"00000409"});

        EXPECT_EQ(FindImeInPreload(), Found(row.position) > 0);
        EXPECT_EQ(g_state.preload.position, Found(row.position));
        const int read = std::min(static_cast<int>(row.list.size()), kPreloadMax);  // the fixture reads as many
        EXPECT_EQ(g_state.preload.count, read);
        PromoteImeInPreload();

        bool moved = PromotionRuns() && !row.promoted.empty();
        EXPECT_EQ(Preload(), moved ? row.promoted : Ids(row.list.begin(), row.list.begin() + read));
        // The default user's list gets numbers 2 and up of the current user's, on NT.
        Ids defaultList = {"00000409"};
        if (moved && !Win9x()) defaultList.insert(defaultList.end(), row.promoted.begin() + 1, row.promoted.end());
        EXPECT_EQ(DefaultPreload(), defaultList);
    }
}

// The input method as the default (first of both users' lists), then as the thread's layout, whose
// description Wine answers with its own IME's for every layout: it is given here as the system would.
TEST_F(PreloadTest, GuardAgainstTheInputMethodAsDefaultOrAsTheThreadsLayout) {
    if (Big5()) GTEST_SKIP() << "under code page 950 the input method is never found in the list";
    const Ids ownFirst = {kOwn, "00000804"}, swapped = {"00000804", kOwn};
    const wchar_t* const question = L"是否设置智能岚石为系统非默认输入法？";
    // bits 32: a scripted 32-bit system; 64: only where the system is 64-bit (Windows XP counts as 32).
    const struct { const char* name; int bits, answer; Ids list; int result; Messages shown; Ids after; } rows[] = {
        {"only entry", 0, IDOK, {kOwn}, 0,
         {{L"　　你以前安装的智能岚石为系统默认输入法，并且是系统安装的唯一输入法，请通过微软的输入法管理器增加英文输入法，"
           L"并将智能岚石输入法设置为系统非默认输入法后，重新启动机器才能安装新版本的智能岚石！", MB_OK}}, {kOwn}},
        {"first of two on a 64-bit system", 64, IDOK, ownFirst, 0, {{kDefaultText, MB_OK}}, ownFirst},
        {"first of two on a 32-bit system, yes", 32, IDYES, ownFirst, 0,
         {{kDefaultText, MB_OK}, {question, MB_YESNO}, {L"请重新启动机器后安装智能岚石！", MB_OK}}, swapped},
        {"first of two on a 32-bit system, no", 32, IDNO, ownFirst, 0, {{kDefaultText, MB_OK}, {question, MB_YESNO}}, ownFirst},
        {"not first", 0, IDOK, swapped, 1, {}, swapped},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        UnscriptOsFacts();
        if (row.bits == 32) Script32BitSystem();
        if (row.bits == 64 && !Is64BitSystem()) continue;
        SetPreload(row.list);
        SetDefaultPreload(row.list);
        messages.shown.clear();
        messages.answers = {IDOK, row.answer};

        EXPECT_EQ(CheckDefaultInputMethod(), row.result);

        ExpectMessages(row.shown);
        EXPECT_EQ(Preload(), row.after);
        EXPECT_EQ(DefaultPreload(), Win9x() ? row.list : row.after);  // 9x has no default user's list to swap
    }
    const std::string mark = "智能岚石输入平台";
    for (const auto& [description, result] : std::vector<std::pair<std::string, int>>{
             {mark + "  8.6", 0}, {mark, 0}, {mark.substr(0, 15), 1}, {kOwnTextBig5, 1}}) {
        SCOPED_TRACE(description);
        messages.shown.clear();
        EXPECT_EQ(CheckCurrentLayoutDescription(description.c_str(), description.size()), result);
        ExpectMessages(result ? Messages{}
                              : Messages{{L"　　你以前安装的岚石五笔为系统默认输入法，请通过微软的输入法管理器将岚石五笔输入法"
                                          L"设置为系统非默认输入法后，重新启动机器才能安装新版本的岚石五笔！", MB_OK}});
    }
}

}  // namespace
