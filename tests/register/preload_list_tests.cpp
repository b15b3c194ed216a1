// The preload list: finding the input method, its promotion after an IMM install on Windows XP, the
// default-input-method guard, and the whole IMM registration with the system's installer.
#include <gtest/gtest.h>

#include "common/handles.h"
#include "common/install_state.h"
#include "register/default_input_method.h"
#include "register/keyboard_layout.h"
#include "register/preload_list.h"
#include "tests/register/layout_fixture.h"
#include "tests/support/os_facts_scripted.h"

namespace {

constexpr wchar_t kOnlyInputMethodText[] =
    L"　　你以前安装的智能岚石为系统默认输入法，并且是系统安装的唯一输入法，请通过微软的输入法管理器增加英文输入法，"
    L"并将智能岚石输入法设置为系统非默认输入法后，重新启动机器才能安装新版本的智能岚石！";
constexpr wchar_t kDefaultText[] =
    L"　　你以前安装的智能岚石为系统默认输入法，请设置为系统非默认输入法后，重新启动机器才能安装新版本的智能岚石！";
constexpr wchar_t kQuestion[] = L"是否设置智能岚石为系统非默认输入法？";
constexpr wchar_t kRestartText[] = L"请重新启动机器后安装智能岚石！";
constexpr wchar_t kCurrentLayoutText[] =
    L"　　你以前安装的岚石五笔为系统默认输入法，请通过微软的输入法管理器将岚石五笔输入法设置为系统非默认输入法后，"
    L"重新启动机器才能安装新版本的岚石五笔！";

using Ids = std::vector<std::string>;

constexpr char kNeverFoundOn950[] = "under code page 950 the input method is never found in the list";

// The preload mark is GBK; these layouts are the input method's in every code page's test.
const std::string kOwn = "E0230804";

class PreloadTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        SetLayouts({{"00000804", "Chinese (Simplified) - US Keyboard"},
                    {"00000409", "US"},
                    {"E0200804", "another input method"},
                    {"E0240804", "智能岚石五笔  7.0"},
                    {kOwn, std::nullopt}});
        // Stored as UTF-16, as the system keeps it; narrow reads give it in the process code page.
        std::wstring path = L"System\\CurrentControlSet\\Control\\Keyboard Layouts\\E0230804";
        UniqueHKey own;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, own.Put());
        const wchar_t text[] = L"智能岚石输入平台  8.5";
        RegSetValueExW(own.Get(), L"layout text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    }

    // The list mark is GBK: under code page 950 the input method's text reads as other bytes.
    int Found(int position) const { return Big5() ? 0 : position; }

    bool PromotionRuns() const { return g_state.osMajorVersion <= 5; }

    void ExpectMessages(const std::vector<std::pair<const wchar_t*, UINT>>& expected) {
        ASSERT_EQ(messages.shown.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(messages.shown[i].wide);
            EXPECT_EQ(messages.shown[i].wtext, expected[i].first);
            EXPECT_EQ(messages.shown[i].wcaption, L"智能岚石安装");
            EXPECT_EQ(messages.shown[i].style, expected[i].second);
        }
    }
};

TEST_F(PreloadTest, FindsTheInputMethodByItsLayoutText) {
    struct Row {
        const char* name;
        Ids list;
        int position;
    };
    const std::vector<Row> rows = {
        {"fourth", {"00000804", "00000409", "E0200804", kOwn}, 4},
        {"first", {kOwn, "00000804"}, 1},
        {"absent", {"00000804", "00000409"}, 0},
        {"listed without a Keyboard Layouts entry", {"00000804", "E0990804"}, 0},
        {"a text with only the product's name", {"00000804", "E0240804"}, 0},
        {"empty list", {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetPreload(row.list);
        EXPECT_EQ(FindImeInPreload(), Found(row.position) > 0);
        EXPECT_EQ(g_state.preload.position, Found(row.position));
        EXPECT_EQ(g_state.preload.count, static_cast<int>(row.list.size()));
    }
}

TEST_F(PreloadTest, LayoutTextsOtherThanTheGbkMarkAreNotTheInputMethod) {
    SetLayouts({{"00000804", "other"}, {kOwn, kOlderTextBig5}});
    SetPreload({"00000804", kOwn});
    EXPECT_FALSE(FindImeInPreload());
    EXPECT_EQ(g_state.preload.position, 0);
}

// Each read starts empty: the mark read for one list must not stand for a later list's entry.
TEST_F(PreloadTest, AReadKeepsNothingOfTheLastRead) {
    if (Big5()) GTEST_SKIP() << kNeverFoundOn950;
    SetPreload({"00000804", kOwn});
    ASSERT_TRUE(FindImeInPreload());
    SetPreload({"00000804", "E0990804"});
    EXPECT_FALSE(FindImeInPreload());
    EXPECT_STREQ(g_state.preload.texts[1], "");
}

TEST_F(PreloadTest, PromotionMovesTheInputMethodToSecondPlaceOnXp) {
    if (Big5()) GTEST_SKIP() << kNeverFoundOn950;
    struct Row {
        const char* name;
        Ids list;
        Ids promoted;
    };
    const std::vector<Row> rows = {
        {"fourth of four", {"00000804", "00000409", "E0200804", kOwn}, {"00000804", kOwn, "00000409", "E0200804"}},
        {"third of four", {"00000804", "00000409", kOwn, "E0200804"}, {"00000804", kOwn, "00000409", "E0200804"}},
        {"already second", {"00000804", kOwn, "00000409"}, {"00000804", kOwn, "00000409"}},
        {"fewer than three", {"00000804", kOwn}, {"00000804", kOwn}},
        {"not listed", {"00000804", "00000409", "E0200804"}, {"00000804", "00000409", "E0200804"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetPreload(row.list);
        SetDefaultPreload({"00000409"});
        FindImeInPreload();
        PromoteImeInPreload();

        Ids expected = PromotionRuns() ? row.promoted : row.list;
        EXPECT_EQ(Preload(), expected);
        // The default user's list gets numbers 2 and up of the current user's, on NT.
        Ids expectedDefault = {"00000409"};
        if (PromotionRuns() && !Win9x() && row.promoted != row.list) {
            expectedDefault.insert(expectedDefault.end(), row.promoted.begin() + 1, row.promoted.end());
        }
        EXPECT_EQ(DefaultPreload(), expectedDefault);
    }
}

TEST_F(PreloadTest, GuardStopsWhenTheInputMethodIsTheOnlyLayout) {
    if (Big5()) GTEST_SKIP() << kNeverFoundOn950;
    SetPreload({kOwn});
    SetDefaultPreload({kOwn});
    EXPECT_EQ(CheckDefaultInputMethod(), 0);
    ExpectMessages({{kOnlyInputMethodText, MB_OK}});
    EXPECT_EQ(Preload(), Ids{kOwn});
    EXPECT_EQ(DefaultPreload(), Ids{kOwn});
}

TEST_F(PreloadTest, GuardOn64BitWindowsOnlyWarns) {
    if (Big5()) GTEST_SKIP() << kNeverFoundOn950;
    if (g_state.osMajorVersion <= 5) GTEST_SKIP() << "Windows XP and earlier count as 32-bit";
    SetPreload({kOwn, "00000804"});
    EXPECT_EQ(CheckDefaultInputMethod(), 0);
    ExpectMessages({{kDefaultText, MB_OK}});
    EXPECT_EQ(Preload(), (Ids{kOwn, "00000804"}));
}

TEST_F(PreloadTest, GuardOn32BitWindowsOffersToSwapTheFirstTwo) {
    if (Big5()) GTEST_SKIP() << kNeverFoundOn950;
    Script32BitSystem();
    struct Row {
        const char* name;
        int answer;
    };
    for (Row row : {Row{"yes", IDYES}, Row{"no", IDNO}}) {
        SCOPED_TRACE(row.name);
        SetPreload({kOwn, "00000804", "00000409"});
        SetDefaultPreload({kOwn, "00000804"});
        messages.shown.clear();
        messages.answers = {IDOK, row.answer};

        EXPECT_EQ(CheckDefaultInputMethod(), 0);

        if (row.answer == IDYES) {
            ExpectMessages({{kDefaultText, MB_OK}, {kQuestion, MB_YESNO}, {kRestartText, MB_OK}});
            EXPECT_EQ(Preload(), (Ids{"00000804", kOwn, "00000409"}));
            EXPECT_EQ(DefaultPreload(), Win9x() ? (Ids{kOwn, "00000804"}) : (Ids{"00000804", kOwn}));
        } else {
            ExpectMessages({{kDefaultText, MB_OK}, {kQuestion, MB_YESNO}});
            EXPECT_EQ(Preload(), (Ids{kOwn, "00000804", "00000409"}));
            EXPECT_EQ(DefaultPreload(), (Ids{kOwn, "00000804"}));
        }
    }
}

TEST_F(PreloadTest, GuardLetsTheInstallGoOnWhenTheInputMethodIsNotFirst) {
    // The thread's layout here is the system's own IME (Wine's reports another description).
    SetPreload({"00000804", kOwn});
    EXPECT_EQ(CheckDefaultInputMethod(), 1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Preload(), (Ids{"00000804", kOwn}));
}

// The description of the thread's current layout decides the last step. Wine answers every layout
// with its own IME's description, so the descriptions are given here as the system would report them.
TEST_F(PreloadTest, GuardStopsWhenTheThreadsLayoutIsTheInputMethod) {
    struct Row {
        const char* name;
        std::string description;
        int result;
    };
    const std::vector<Row> rows = {
        {"this version", "智能岚石输入平台  8.6", 0},
        {"an earlier version", "智能岚石输入平台  7.0", 0},
        {"the mark alone", "智能岚石输入平台", 0},
        {"mark cut short", std::string("智能岚石输入平台").substr(0, 15), 1},
        {"Big5 form", kOwnTextBig5, 1},
        {"another IME", "Wine XIM", 1},
        {"nothing", "", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        messages.shown.clear();
        EXPECT_EQ(CheckCurrentLayoutDescription(row.description.c_str(), row.description.size()), row.result);
        if (row.result == 0) {
            ExpectMessages({{kCurrentLayoutText, MB_OK}});
        } else {
            EXPECT_TRUE(messages.shown.empty());
        }
    }
}

// Wine's IMM installer accepts the file: nothing of the manual entry is written, and on Windows XP
// the input method is still moved to second place.
TEST_F(PreloadTest, RegistrationThroughTheSystemsInstaller) {
    SetPreload({"00000804", "00000409", "E0200804", kOwn});
    SetDefaultPreload({"00000409"});
    Ids namesBefore = LayoutNames();

    RegisterImmInputMethod();

    EXPECT_EQ(g_state.registrationResult, 1);
    EXPECT_TRUE(messages.shown.empty());
    for (const std::string& name : LayoutNames()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LayoutValue(name, "layout file"), std::nullopt);
        EXPECT_NE(LayoutValue(name, "IME file"), "QUOREL4.IME");
    }
    EXPECT_EQ(LayoutNames().size(), namesBefore.size() + 1);
    if (PromotionRuns() && !Big5()) {
        EXPECT_EQ(Preload(), (Ids{"00000804", kOwn, "00000409", "E0200804"}));
    } else {
        EXPECT_EQ(Preload(), (Ids{"00000804", "00000409", "E0200804", kOwn}));
    }
}

// When the system's installer fails, the entry is written here, added to the list, and on Windows XP
// moved to second place.
TEST_F(PreloadTest, RegistrationByHandWhenTheSystemsInstallerFails) {
    SetLayouts({{"00000804", "other"}, {"00000409", "US"}, {"E0200804", "another input method"}});
    SetPreload({"00000804", "00000409", "E0200804"});
    SetDefaultPreload({"00000409"});

    FinishImmRegistration(false);

    EXPECT_EQ(g_state.registrationResult, 0);
    std::string id = WithSuffix("E0210804", Suffix());
    EXPECT_EQ(LayoutValue(id, "IME file"), "QUOREL4.IME");
    std::string written = AsWritten(id);
    // The promotion looks for the GBK mark, which a Big5 layout text does not carry.
    if (PromotionRuns() && !Big5()) {
        EXPECT_EQ(Preload(), (Ids{"00000804", written, "00000409", "E0200804"}));
    } else {
        EXPECT_EQ(Preload(), (Ids{"00000804", "00000409", "E0200804", written}));
    }
}

}  // namespace
