// The status-window mode and skin dialog: its two templates as stored in the resources, and the real
// dialog run modally on the test thread while a second thread clicks it and reads it back, as a
// user would, in the form of each code page.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/skin_dialog.h"
#include "common/install_state.h"
#include "tests/app/skin_dialog_driver.h"
#include "tests/support/test_support.h"

namespace {

using Place = std::array<int, 4>;  // x, y, width, height

// Reads the words of a dialog template resource in turn; past its end it reads zeros.
struct TemplateReader {
    TemplateReader(const char* name, WORD language) {
        HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5), name, language);  // RT_DIALOG
        start = at = found ? static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found))) : nullptr;
        end = at ? at + SizeofResource(nullptr, found) : nullptr;
    }
    template <typename T>
    T Get() {
        T value{};
        if (at + sizeof(T) <= end) std::memcpy(&value, at, sizeof(T));
        at += sizeof(T);
        return value;
    }
    Place GetPlace() {
        Place place;
        for (int& value : place) value = Get<short>();
        return place;
    }
    // A string, or an ordinal (0xFFFF and the number) as "#number".
    std::wstring Text() {
        if (at + 2 <= end && at[0] == 0xFF && at[1] == 0xFF) {
            at += 2;
            return L"#" + std::to_wstring(Get<WORD>());
        }
        std::wstring text;
        for (WORD c = Get<WORD>(); c != 0 && at <= end; c = Get<WORD>()) text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignToDword() { at = start + ((at - start + 3) & ~3); }
    const BYTE* start;
    const BYTE* at;
    const BYTE* end;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

// Class #128 is a button, #130 a static.
const struct ExpectedControl { int id; const wchar_t* className; DWORD style; Place place;
                               const wchar_t *simplified, *traditional; } kControls[] = {
    {105, L"#128", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, {88, 117, 44, 14}, L"确定", L"確定"},
    {-1, L"#128", kChild | BS_GROUPBOX, {6, 8, 204, 39}, L"输入法状态窗口模式选择", L"輸入法狀態窗口模式選擇"},
    {-1, L"#128", kChild | BS_GROUPBOX, {6, 54, 204, 39}, L"输入法皮肤选择", L"輸入法皮膚選擇"},
    {101, L"#128", kChild | BS_AUTORADIOBUTTON, {15, 25, 44, 10}, L"双行窗口", L"雙行窗口"},
    {102, L"#128", kChild | BS_AUTORADIOBUTTON, {66, 25, 44, 10}, L"单行窗口", L"單行窗口"},
    {106, L"#128", kChild | BS_AUTORADIOBUTTON, {113, 25, 36, 10}, L"双窗口", L"雙窗口"},
    {107, L"#128", kChild | BS_AUTORADIOBUTTON, {155, 25, 48, 10}, L"仿WIN窗口", L"仿WIN窗口"},
    {110, L"#128", kChild | BS_AUTORADIOBUTTON, {15, 72, 48, 10}, L"冷色瓷面", L"冷色瓷面"},
    {111, L"#128", kChild | BS_AUTORADIOBUTTON, {84, 72, 48, 10}, L"粉色瓷面", L"粉色瓷面"},
    {112, L"#128", kChild | BS_AUTORADIOBUTTON, {150, 71, 40, 10}, L"小天使", L"小天使"},
    {-1, L"#130", kChild | SS_LEFT | WS_GROUP, {13, 99, 145, 8}, L"注：你也可在安装完毕后改变这些参数。",
     L"注：你也可在安裝完畢后改變這些參數。"},
};

const struct ExpectedTemplate { const char* name; WORD language; unsigned codePage; const wchar_t* caption;
                                WORD pointSize, weight; BYTE charset; const wchar_t* face; } kTemplates[] = {
    {"PYKEY", 2052, 936, L"智能岚石皮肤及窗口模式选择", 12, 400, 134, L"宋体"},
    {"PYKEYB", 1028, 950, L"智能嵐石皮膚及窗口模式選擇", 10, 0, 1, L"System"},
};

// DLGTEMPLATEEX: version 1 and 0xFFFF, help id, extended style, style, count, place, menu, class,
// caption, font; then each control, DWORD-aligned: help id, extended style, style, place, id, class,
// text and the size of its creation data.
TEST(SkinDialogTemplateTest, BothTemplatesHoldEveryControlInItsLanguage) {
    for (const ExpectedTemplate& t : kTemplates) {
        SCOPED_TRACE(t.name);
        TemplateReader reader(t.name, t.language);
        ASSERT_NE(reader.at, nullptr);
        EXPECT_EQ(reader.Get<DWORD>(), 0xFFFF0001u);
        reader.Get<std::uint64_t>();
        EXPECT_EQ(reader.Get<DWORD>(), WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
        EXPECT_EQ(reader.Get<WORD>(), std::size(kControls));
        EXPECT_EQ(reader.GetPlace(), (Place{10, 15, 219, 140}));
        EXPECT_EQ(reader.Text(), L"");  // no menu
        EXPECT_EQ(reader.Text(), L"");  // the standard class
        EXPECT_EQ(reader.Text(), t.caption);
        EXPECT_EQ(reader.Get<WORD>(), t.pointSize);
        EXPECT_EQ(reader.Get<WORD>(), t.weight);
        EXPECT_EQ(reader.Get<BYTE>(), 0);  // not italic
        EXPECT_EQ(reader.Get<BYTE>(), t.charset);
        EXPECT_EQ(reader.Text(), t.face);
        for (const ExpectedControl& c : kControls) {
            SCOPED_TRACE(c.id);
            reader.AlignToDword();
            reader.Get<std::uint64_t>();
            EXPECT_EQ(reader.Get<DWORD>(), c.style);
            EXPECT_EQ(reader.GetPlace(), c.place);
            EXPECT_EQ(static_cast<int>(reader.Get<DWORD>()), c.id);
            EXPECT_EQ(reader.Text(), c.className);
            EXPECT_EQ(reader.Text(), t.codePage == 950 ? c.traditional : c.simplified);
            EXPECT_EQ(reader.Get<WORD>(), 0);  // no creation data
        }
        EXPECT_EQ(reader.at, reader.end);
    }
}

constexpr int kRadioIds[] = {kModeTwoRow, kModeSingleRow, kModeDual, kModeWindowsStyle,
                             kSkinCool,   kSkinPink,      kSkinAngel};

class SkinDialogTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.instance = GetModuleHandleA(nullptr);
        g_state.mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE | WS_CAPTION, kMainX, kMainY,
                                             400, 310, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(g_state.mainWindow, nullptr);
    }
    void TearDown() override {
        DestroyWindow(g_state.mainWindow);
        QuorTest::TearDown();
    }
    // Runs the dialog here while drive(dialog) runs on a second thread, then OK is pressed there.
    void RunDialog(const std::function<void(HWND)>& drive) {
        g_state.statusWindowMode = 0;
        g_state.skinChoice = 0;
        EXPECT_TRUE(RunWithDialogDriver(g_state.mainWindow, ShowSkinDialog, drive).closedByDriver)
            << "the dialog did not open, or was still open after OK";
    }
    static constexpr int kMainX = 131, kMainY = 87;
};

// The dialog opens at the main window's corner in the form of the code page (its caption tells
// which) with the defaults ticked; each click moves the tick of its own group only.
TEST_F(SkinDialogTest, EachGroupKeepsItsOwnTickThroughClicksInTheOther) {
    const struct { const char* name; unsigned codePage; std::vector<int> clicks, ticks; int mode, skin; } cases[] = {
        {"defaults", 936, {}, {1, 0, 0, 0, 1, 0, 0}, 1, 1},
        {"defaults, Traditional form", 950, {}, {1, 0, 0, 0, 1, 0, 0}, 1, 1},
        {"angel after dual window", 950, {kModeDual, kSkinAngel}, {0, 0, 1, 0, 0, 0, 1}, 3, 3},
        {"single row", 936, {kModeSingleRow}, {0, 1, 0, 0, 1, 0, 0}, 2, 1},
        {"pink then windows style", 936, {kSkinPink, kModeWindowsStyle}, {0, 0, 0, 1, 0, 1, 0}, 4, 2},
        {"changed back", 936, {kModeDual, kSkinPink, kModeTwoRow, kSkinCool}, {1, 0, 0, 0, 1, 0, 0}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_state.oemCodePage = c.codePage;
        RECT rect{};
        wchar_t caption[100] = {};
        std::vector<int> ticks;
        RunDialog([&](HWND dialog) {
            GetWindowRect(dialog, &rect);
            GetWindowTextW(dialog, caption, 100);
            for (int id : c.clicks) ClickDialogButton(dialog, id);
            for (int id : kRadioIds) ticks.push_back(static_cast<int>(IsDlgButtonChecked(dialog, id)));
        });
        EXPECT_EQ(rect.left, kMainX);
        EXPECT_EQ(rect.top, kMainY);
        EXPECT_STREQ(caption, kTemplates[c.codePage == 950].caption);
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(g_state.statusWindowMode, c.mode);
        EXPECT_EQ(g_state.skinChoice, c.skin);
    }
}

TEST_F(SkinDialogTest, OnlyOkClosesIt) {
    std::vector<int> stillOpen;
    RunDialog([&](HWND dialog) {
        ClickDialogButton(dialog, kSkinPink);
        HWND ok = GetDlgItem(dialog, kSkinDialogOk);
        const std::function<void()> attempts[] = {
            [&] {  // Esc, through the dialog manager of the modal loop
                PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                PostMessageW(ok, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            },
            [&] { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },  // the close box and Alt+F4
            [&] { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); },
        };
        for (const auto& attempt : attempts) {
            attempt();
            Sleep(300);
            SendMessageW(dialog, WM_NULL, 0, 0);
            stillOpen.push_back(IsWindow(dialog) && IsWindowVisible(dialog));
        }
    });
    EXPECT_EQ(stillOpen, (std::vector<int>{1, 1, 1}));  // after Esc, the close box, IDCANCEL
    EXPECT_EQ(g_state.statusWindowMode, 1);
    EXPECT_EQ(g_state.skinChoice, 2);
}

}  // namespace
