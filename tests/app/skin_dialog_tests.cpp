// The status-window mode and skin dialog: its two templates as stored in the resources, and the real
// dialog run modally on the test thread while a second thread clicks it and reads it back, as a
// user would. The program also runs as skin_dialog_tests-cp950 (code page 950, Traditional form).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/skin_dialog.h"
#include "common/install_state.h"
#include "tests/app/skin_dialog_driver.h"
#include "tests/support/test_support.h"

namespace {

// ---- The templates, parsed from the resource bytes ----

struct TemplateItem {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::wstring className;  // an ordinal class is given a name
    std::wstring text;
};

struct DialogTemplate {
    DWORD style;
    short x, y, cx, cy;
    std::wstring caption;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring face;
    std::vector<TemplateItem> items;
};

class TemplateReader {
public:
    TemplateReader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}
    bool ok = true;

    template <typename T>
    T Read() {
        T value{};
        if (position_ + sizeof(T) > size_) {
            ok = false;
            return value;
        }
        std::memcpy(&value, data_ + position_, sizeof(T));
        position_ += sizeof(T);
        return value;
    }
    std::wstring ReadString() {
        std::wstring text;
        for (WORD c = Read<WORD>(); ok && c != 0; c = Read<WORD>()) text += static_cast<wchar_t>(c);
        return text;
    }
    // A name or an ordinal (0xFFFF then the number); the ordinals of the two classes are named.
    std::wstring ReadNameOrOrdinal() {
        WORD first = Read<WORD>();
        if (first == 0) return L"";
        if (first == 0xFFFF) {
            WORD ordinal = Read<WORD>();
            if (ordinal == 0x80) return L"button class";
            if (ordinal == 0x82) return L"static class";
            return L"#" + std::to_wstring(ordinal);
        }
        position_ -= sizeof(WORD);
        return ReadString();
    }
    void AlignToDword() { position_ = (position_ + 3) & ~static_cast<std::size_t>(3); }

private:
    const BYTE* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

bool LoadTemplate(const char* name, WORD language, DialogTemplate* out) {
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5), name, language);  // RT_DIALOG
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(nullptr, found);
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    TemplateReader reader(data, SizeofResource(nullptr, found));
    if (reader.Read<WORD>() != 1 || reader.Read<WORD>() != 0xFFFF) return false;  // DLGTEMPLATEEX
    reader.Read<DWORD>();                                                           // help id
    reader.Read<DWORD>();                                                           // extended style
    out->style = reader.Read<DWORD>();
    WORD count = reader.Read<WORD>();
    out->x = reader.Read<short>();
    out->y = reader.Read<short>();
    out->cx = reader.Read<short>();
    out->cy = reader.Read<short>();
    reader.ReadNameOrOrdinal();  // menu
    reader.ReadNameOrOrdinal();  // class
    out->caption = reader.ReadString();
    out->pointSize = reader.Read<WORD>();
    out->weight = reader.Read<WORD>();
    out->italic = reader.Read<BYTE>();
    out->charset = reader.Read<BYTE>();
    out->face = reader.ReadString();
    for (WORD i = 0; i < count && reader.ok; ++i) {
        reader.AlignToDword();
        TemplateItem item;
        reader.Read<DWORD>();  // help id
        reader.Read<DWORD>();  // extended style
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = static_cast<int>(reader.Read<DWORD>());
        item.className = reader.ReadNameOrOrdinal();
        item.text = reader.ReadNameOrOrdinal();
        WORD extra = reader.Read<WORD>();
        for (WORD b = 0; b < extra; ++b) reader.Read<BYTE>();
        out->items.push_back(item);
    }
    return reader.ok && out->items.size() == count;
}

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

struct ExpectedControl {
    int id;
    const wchar_t* className;
    DWORD style;
    short x, y, cx, cy;
    const wchar_t* simplified;
    const wchar_t* traditional;
};

const ExpectedControl kControls[] = {
    {105, L"button class", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 88, 117, 44, 14, L"确定", L"確定"},
    {-1, L"button class", kChild | BS_GROUPBOX, 6, 8, 204, 39, L"输入法状态窗口模式选择", L"輸入法狀態窗口模式選擇"},
    {-1, L"button class", kChild | BS_GROUPBOX, 6, 54, 204, 39, L"输入法皮肤选择", L"輸入法皮膚選擇"},
    {101, L"button class", kChild | BS_AUTORADIOBUTTON, 15, 25, 44, 10, L"双行窗口", L"雙行窗口"},
    {102, L"button class", kChild | BS_AUTORADIOBUTTON, 66, 25, 44, 10, L"单行窗口", L"單行窗口"},
    {106, L"button class", kChild | BS_AUTORADIOBUTTON, 113, 25, 36, 10, L"双窗口", L"雙窗口"},
    {107, L"button class", kChild | BS_AUTORADIOBUTTON, 155, 25, 48, 10, L"仿WIN窗口", L"仿WIN窗口"},
    {110, L"button class", kChild | BS_AUTORADIOBUTTON, 15, 72, 48, 10, L"冷色瓷面", L"冷色瓷面"},
    {111, L"button class", kChild | BS_AUTORADIOBUTTON, 84, 72, 48, 10, L"粉色瓷面", L"粉色瓷面"},
    {112, L"button class", kChild | BS_AUTORADIOBUTTON, 150, 71, 40, 10, L"小天使", L"小天使"},
    {-1, L"static class", kChild | SS_LEFT | WS_GROUP, 13, 99, 145, 8, L"注：你也可在安装完毕后改变这些参数。",
     L"注：你也可在安裝完畢后改變這些參數。"},
};

struct ExpectedTemplate {
    const char* name;
    WORD language;
    bool traditional;
    const wchar_t* caption;
    WORD pointSize, weight;
    BYTE charset;
    const wchar_t* face;
};

const ExpectedTemplate kTemplates[] = {
    {"PYKEY", 2052, false, L"智能岚石皮肤及窗口模式选择", 12, 400, 134, L"宋体"},
    {"PYKEYB", 1028, true, L"智能嵐石皮膚及窗口模式選擇", 10, 0, 1, L"System"},
};

TEST(SkinDialogTemplateTest, BothTemplatesHoldEveryControlInItsLanguage) {
    for (const ExpectedTemplate& t : kTemplates) {
        SCOPED_TRACE(t.name);
        DialogTemplate dialog;
        ASSERT_TRUE(LoadTemplate(t.name, t.language, &dialog));
        EXPECT_EQ(dialog.style, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
        EXPECT_EQ(dialog.x, 10);
        EXPECT_EQ(dialog.y, 15);
        EXPECT_EQ(dialog.cx, 219);
        EXPECT_EQ(dialog.cy, 140);
        EXPECT_EQ(dialog.caption, t.caption);
        EXPECT_EQ(dialog.pointSize, t.pointSize);
        EXPECT_EQ(dialog.weight, t.weight);
        EXPECT_EQ(dialog.italic, 0);
        EXPECT_EQ(dialog.charset, t.charset);
        EXPECT_EQ(dialog.face, t.face);
        ASSERT_EQ(dialog.items.size(), std::size(kControls));
        for (std::size_t i = 0; i < dialog.items.size(); ++i) {
            const TemplateItem& item = dialog.items[i];
            const ExpectedControl& c = kControls[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(static_cast<short>(item.id), c.id);
            EXPECT_EQ(item.className, c.className);
            EXPECT_EQ(item.style, c.style);
            EXPECT_EQ(item.x, c.x);
            EXPECT_EQ(item.y, c.y);
            EXPECT_EQ(item.cx, c.cx);
            EXPECT_EQ(item.cy, c.cy);
            EXPECT_EQ(item.text, t.traditional ? c.traditional : c.simplified);
        }
    }
}

// ---- The dialog itself ----

constexpr int kRadioIds[] = {kModeTwoRow, kModeSingleRow, kModeDual, kModeWindowsStyle,
                             kSkinCool,   kSkinPink,      kSkinAngel};

class SkinDialogTest : public QuorTest {
protected:
    void SetUp() override {
        QuorTest::SetUp();
        g_state.instance = GetModuleHandleA(nullptr);
        g_state.oemCodePage = GetOEMCP();
        mainWindow = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE | WS_CAPTION, kMainX, kMainY, 400, 310,
                                     nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        g_state.mainWindow = mainWindow;
        g_state.statusWindowMode = 0;
        g_state.skinChoice = 0;
    }
    void TearDown() override {
        DestroyWindow(mainWindow);
        QuorTest::TearDown();
    }

    // Runs the dialog here while drive(dialog) runs on a second thread and presses OK itself.
    void RunDialog(const std::function<void(HWND)>& drive) {
        DialogRun run = RunWithDialogDriver(mainWindow, ShowSkinDialog, [&](HWND dialog) {
            seen = dialog;
            drive(dialog);
        });
        EXPECT_TRUE(run.shown);
        EXPECT_TRUE(run.closedByDriver) << "the dialog was still open after its driver pressed OK";
    }

    static void Click(HWND dialog, int id) { ClickDialogButton(dialog, id); }
    static std::vector<int> Ticks(HWND dialog) {
        std::vector<int> ticks;
        for (int id : kRadioIds) ticks.push_back(static_cast<int>(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0)));
        return ticks;
    }
    static std::wstring Text(HWND window) {
        wchar_t text[100] = {};
        GetWindowTextW(window, text, 100);
        return text;
    }

    static constexpr int kMainX = 131;
    static constexpr int kMainY = 87;
    HWND mainWindow = nullptr;
    HWND seen = nullptr;
};

TEST_F(SkinDialogTest, OpensAtTheMainWindowsCornerWithTheDefaultsTicked) {
    std::vector<int> ticks;
    RECT rect{};
    RunDialog([&](HWND dialog) {
        GetWindowRect(dialog, &rect);
        ticks = Ticks(dialog);
        Click(dialog, kSkinDialogOk);
    });
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(rect.left, kMainX);
    EXPECT_EQ(rect.top, kMainY);
    EXPECT_EQ(ticks, (std::vector<int>{1, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(g_state.statusWindowMode, 1);
    EXPECT_EQ(g_state.skinChoice, 1);
}

TEST_F(SkinDialogTest, EachGroupKeepsItsOwnTickThroughClicksInTheOther) {
    const struct {
        const char* name;
        std::vector<int> clicks;
        std::vector<int> ticks;
        int mode;
        int skin;
    } cases[] = {
        {"angel after dual window", {kModeDual, kSkinAngel}, {0, 0, 1, 0, 0, 0, 1}, 3, 3},
        {"angel alone", {kSkinAngel}, {1, 0, 0, 0, 0, 0, 1}, 1, 3},
        {"single row", {kModeSingleRow}, {0, 1, 0, 0, 1, 0, 0}, 2, 1},
        {"pink then windows style", {kSkinPink, kModeWindowsStyle}, {0, 0, 0, 1, 0, 1, 0}, 4, 2},
        {"changed back", {kModeDual, kSkinPink, kModeTwoRow, kSkinCool}, {1, 0, 0, 0, 1, 0, 0}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_state.statusWindowMode = 0;
        g_state.skinChoice = 0;
        std::vector<int> ticks;
        RunDialog([&](HWND dialog) {
            for (int id : c.clicks) Click(dialog, id);
            ticks = Ticks(dialog);
            Click(dialog, kSkinDialogOk);
        });
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(g_state.statusWindowMode, c.mode);
        EXPECT_EQ(g_state.skinChoice, c.skin);
    }
}

TEST_F(SkinDialogTest, OnlyOkClosesIt) {
    bool openAfterEach[4] = {};
    RunDialog([&](HWND dialog) {
        Click(dialog, kSkinPink);
        HWND ok = GetDlgItem(dialog, kSkinDialogOk);
        const std::function<void()> attempts[] = {
            [&] {  // Esc, through the dialog manager of the modal loop
                PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                PostMessageW(ok, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            },
            [&] { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },  // the close box and Alt+F4
            [&] { PostMessageW(dialog, WM_CLOSE, 0, 0); },
            [&] { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); },
        };
        for (int i = 0; i < 4; ++i) {
            attempts[i]();
            Sleep(300);
            SendMessageW(dialog, WM_NULL, 0, 0);
            openAfterEach[i] = IsWindow(dialog) && IsWindowVisible(dialog);
        }
        Click(dialog, kSkinDialogOk);
    });
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(openAfterEach[i]) << "attempt " << i;
    EXPECT_EQ(g_state.statusWindowMode, 1);
    EXPECT_EQ(g_state.skinChoice, 2);
}

// Under code page 950 the Traditional form with the System font; otherwise the Simplified one.
TEST_F(SkinDialogTest, ShowsTheFormOfTheCodePage) {
    bool traditional = g_state.oemCodePage == 950;
    EXPECT_STREQ(SkinDialogTemplate(), traditional ? "PYKEYB" : "PYKEY");
    std::wstring caption;
    std::vector<std::wstring> texts;
    std::vector<RECT> rects;
    RECT dialogUnits[std::size(kControls)];
    RunDialog([&](HWND dialog) {
        caption = Text(dialog);
        for (std::size_t i = 0; i < std::size(kControls); ++i) {
            // Position and size are converted separately, as the dialog manager does.
            dialogUnits[i] = {kControls[i].x, kControls[i].y, kControls[i].cx, kControls[i].cy};
            MapDialogRect(dialog, &dialogUnits[i]);
        }
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            texts.push_back(Text(child));
            RECT rect;
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
            rects.push_back(rect);
        }
        Click(dialog, kSkinDialogOk);
    });
    EXPECT_EQ(caption, traditional ? L"智能嵐石皮膚及窗口模式選擇" : L"智能岚石皮肤及窗口模式选择");
    ASSERT_EQ(texts.size(), std::size(kControls));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i], traditional ? kControls[i].traditional : kControls[i].simplified);
        EXPECT_EQ(rects[i].left, dialogUnits[i].left);
        EXPECT_EQ(rects[i].top, dialogUnits[i].top);
        EXPECT_EQ(rects[i].right - rects[i].left, dialogUnits[i].right);
        EXPECT_EQ(rects[i].bottom - rects[i].top, dialogUnits[i].bottom);
    }
}

}  // namespace
