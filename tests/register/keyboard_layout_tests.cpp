// The keyboard-layout entry against the real registry: the id it chooses, the own entry found by
// its layout text, the exact values, the preload number it adds, and its messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "common/handles.h"
#include "common/install_state.h"
#include "register/keyboard_layout.h"
#include "tests/register/layout_fixture.h"

namespace {

constexpr char kAdministratorText[] = "在WIN2000和WIN NT系统中安装本软件时，需要以系统管理员身份才能安装成功！";

std::string LayoutPath(const std::string& id) { return std::string(kLayoutsPath) + "\\" + id; }

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

class KeyboardLayoutTest : public LayoutTest {
protected:
    // An own entry of this code page, numbered E022, and a list to add it to.
    std::string OwnId() const { return WithSuffix("E0220804", Suffix()); }

    void ExpectOwnValues(const std::string& id) {
        EXPECT_EQ(LayoutValue(id, "IME file"), "QUOREL4.IME");
        EXPECT_EQ(LayoutValue(id, "layout file"), Win9x() ? "kbdus.kbd" : "kbdus.dll");
        EXPECT_EQ(LayoutValue(id, "layout text"), OwnText());
    }
};

TEST_F(KeyboardLayoutTest, NewIdIsOneLayoutAboveTheHighest) {
    struct Row {
        const char* name;
        std::vector<LayoutEntry> layouts;
        const char* expectedId;  // with the language suffix of code page 936
    };
    const std::string other = "Chinese (Simplified) - US Keyboard";
    const std::vector<Row> rows = {
        {"none at or above the base", {{"00000804", other}, {"00000409", other}}, "E0010804"},
        {"highest E0210804", {{"00000804", other}, {"E0200804", other}, {"E0210804", other}}, "E0220804"},
        {"highest of another language", {{"E0220411", other}, {"E0200804", other}}, "E0230804"},
        {"lower-case name", {{"e0210804", other}}, "E0220804"},
        {"no layout text: not counted", {{"E0500804", std::nullopt}, {"E0210804", other}}, "E0220804"},
        {"layout text over 200 bytes: not counted", {{"E0500804", std::string(250, 'x')}}, "E0010804"},
        {"layout text of exactly 199 bytes counts", {{"E0500804", std::string(199, 'x')}}, "E0510804"},
        {"own text under a name that is no layout id", {{"804", OwnText()}, {"E0210804", other}}, "E0220804"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLayouts(row.layouts);
        SetPreload({"00000804"});
        messages.shown.clear();

        WriteKeyboardLayoutEntry();

        std::string id = WithSuffix(row.expectedId, Suffix());
        std::vector<std::string> expectedNames;
        for (const LayoutEntry& entry : row.layouts) expectedNames.push_back(entry.name);
        expectedNames.push_back(id);
        EXPECT_EQ(LayoutNames(), Sorted(expectedNames));
        ExpectOwnValues(id);
        EXPECT_EQ(Preload(), (std::vector<std::string>{"00000804", AsWritten(id)}));
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(KeyboardLayoutTest, OwnEntryIsRewrittenInPlace) {
    const std::vector<std::pair<const char*, std::string>> texts = {
        {"this version", OwnText()},
        {"an earlier version", OlderOwnText()},
        {"the 16-byte mark alone", OwnText().substr(0, 16)},
    };
    for (const auto& [name, text] : texts) {
        SCOPED_TRACE(name);
        std::string own = WithSuffix("E0050804", Suffix());
        SetLayouts({{"00000804", "other"}, {own, text}, {"E0210804", "other"}});
        std::string ownPath = LayoutPath(own);
        WriteRegString(HKEY_LOCAL_MACHINE, ownPath.c_str(), "IME file", "OLD.IME");
        WriteRegString(HKEY_LOCAL_MACHINE, ownPath.c_str(), "Layout Id", "00f0");
        SetPreload({"00000804", own});

        WriteKeyboardLayoutEntry();

        EXPECT_EQ(LayoutNames(), Sorted({"00000804", own, "E0210804"}));
        ExpectOwnValues(own);
        EXPECT_EQ(LayoutValue(own, "Layout Id"), "00f0");
        EXPECT_EQ(Preload(), (std::vector<std::string>{"00000804", own}));
    }
}

TEST_F(KeyboardLayoutTest, OwnEntryOfTheOtherLanguageIsRenumberedToThisOne) {
    std::string other = WithSuffix("E0050804", OtherSuffix());
    std::string own = WithSuffix("E0050804", Suffix());
    SetLayouts({{"00000804", "other"}, {other, OlderOwnText()}, {"E0210804", "other"}});
    SetPreload({"00000804"});

    WriteKeyboardLayoutEntry();

    EXPECT_EQ(LayoutNames(), Sorted({"00000804", own, "E0210804"}));
    ExpectOwnValues(own);
    EXPECT_EQ(Preload(), (std::vector<std::string>{"00000804", AsWritten(own)}));
}

// With more subkeys than one round of the name table holds, the own entry and the highest number
// are still found wherever they stand in the enumeration.
TEST_F(KeyboardLayoutTest, MoreThan250LayoutsAreAllConsidered) {
    std::vector<LayoutEntry> layouts;
    auto many = [&](unsigned first) {
        for (unsigned i = 0; i < 300; ++i) {
            char id[16];
            std::snprintf(id, sizeof id, "%08X", 0xE1000804u + ((first + i) << 16));
            layouts.push_back({id, "other"});
        }
    };
    {
        SCOPED_TRACE("own entry created first and lowest");
        std::string own = WithSuffix("E0050804", Suffix());
        layouts = {{own, OwnText()}};
        many(0);
        SetLayouts(layouts);
        SetPreload({own});
        WriteKeyboardLayoutEntry();
        EXPECT_EQ(LayoutNames().size(), 301u);
        ExpectOwnValues(own);
    }
    {
        SCOPED_TRACE("highest number created first under the lowest name");
        layouts = {{"0EF000804", "other"}};
        many(0);
        SetLayouts(layouts);
        SetPreload({"00000804"});
        WriteKeyboardLayoutEntry();
        std::string id = WithSuffix("EF010804", Suffix());
        EXPECT_EQ(LayoutNames().size(), 302u);
        ExpectOwnValues(id);
    }
}

TEST_F(KeyboardLayoutTest, ValuesAreStringsOfTheirTextLength) {
    SetLayouts({});
    SetPreload({});
    WriteKeyboardLayoutEntry();
    std::string path = LayoutPath(WithSuffix("E0010804", Suffix()));
    std::wstring widePath(path.begin(), path.end());

    const std::string layoutFile = Win9x() ? "kbdus.kbd" : "kbdus.dll";
    struct Row {
        const char* name;
        const wchar_t* wideName;
        std::string text;
        std::size_t characters;
    };
    const std::vector<Row> rows = {
        {"IME file", L"IME file", "QUOREL4.IME", 11},
        {"layout file", L"layout file", layoutFile, 9},
        {"layout text", L"layout text", OwnText(), 13},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // The system counts the terminator itself when the byte after the counted text is a NUL, so
        // the stored string is the text and exactly one terminator.
        auto narrow = ReadRawA(HKEY_LOCAL_MACHINE, path.c_str(), row.name);
        ASSERT_TRUE(narrow);
        EXPECT_EQ(narrow->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(narrow->bytes, row.text + std::string(1, '\0'));
        auto wide = ReadRawW(HKEY_LOCAL_MACHINE, widePath.c_str(), row.wideName);
        ASSERT_TRUE(wide);
        EXPECT_EQ(wide->bytes.size(), (row.characters + 1) * sizeof(wchar_t));
    }
    // The code page's own bytes, checked apart from the program's literal.
    EXPECT_EQ(OwnText().substr(0, 4), Big5() ? "\xB4\xBC\xAF\xE0" : "\xD6\xC7\xC4\xDC");
}

TEST_F(KeyboardLayoutTest, PreloadNumberIsAddedOnceInTheSystemsCase) {
    struct Row {
        const char* name;
        std::vector<std::string> before;  // "OWN" stands for the own id, "own" for it in lower case
        std::vector<std::string> after;   // "P" is the id as the program writes it
    };
    std::vector<std::string> fortyNine;
    for (int i = 0; i < 49; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%08X", 0x00000404u + (static_cast<unsigned>(i) << 16));
        fortyNine.push_back(id);
    }
    std::vector<std::string> fortyNineAfter = fortyNine;
    fortyNineAfter.back() = "P";

    const std::vector<Row> rows = {
        {"listed in lower case", {"00000804", "own"}, {"00000804", "own"}},
        {"listed in upper case", {"00000804", "OWN"}, {"00000804", "OWN"}},
        {"listed with the other language", {"00000804", "OTHER"}, {"00000804", "P"}},
        {"first free number", {"00000804", "00000409", "E0200804"}, {"00000804", "00000409", "E0200804", "P"}},
        {"four agreeing characters are another layout", {"E0221804"}, {"E0221804", "P"}},
        {"five agreeing characters are the same layout", {"E0220904", "00000804"}, {"P", "00000804"}},
        {"shorter id with the same beginning", {"E022"}, {"E022", "P"}},
        {"empty list", {}, {"P"}},
        {"all 49 taken", fortyNine, fortyNineAfter},
    };
    std::string own = OwnId();
    std::string lower = "e0220" + Suffix();
    auto expand = [&](const std::vector<std::string>& ids) {
        std::vector<std::string> out;
        for (const std::string& id : ids) {
            if (id == "OWN") {
                out.push_back(own);
            } else if (id == "own") {
                out.push_back(lower);
            } else if (id == "OTHER") {
                out.push_back(WithSuffix(own, OtherSuffix()));
            } else if (id == "P") {
                out.push_back(AsWritten(own));
            } else {
                out.push_back(id);
            }
        }
        return out;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLayouts({{own, OwnText()}});
        SetPreload(expand(row.before));
        WriteKeyboardLayoutEntry();
        EXPECT_EQ(Preload(), expand(row.after));
    }
    {
        SCOPED_TRACE("own entry under a lower-case name");
        SetLayouts({{lower, OwnText()}});
        SetPreload({"00000804"});
        WriteKeyboardLayoutEntry();
        EXPECT_EQ(Preload(), (std::vector<std::string>{"00000804", AsWritten(own)}));
    }
}

TEST_F(KeyboardLayoutTest, Windows9xSkipsANumberWhoseIdCannotBeRead) {
    if (!Win9x()) GTEST_SKIP() << "the subkey form of the list exists on Windows 9x only";
    SetLayouts({{OwnId(), OwnText()}});
    SetPreload({"00000804"});
    UniqueHKey unreadable;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Keyboard Layout\\Preload\\2", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    unreadable.Put(), nullptr);
    unreadable.Reset();

    WriteKeyboardLayoutEntry();

    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Keyboard Layout\\Preload\\2", nullptr), std::nullopt);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Keyboard Layout\\Preload\\3", nullptr), AsWritten(OwnId()));
}

TEST_F(KeyboardLayoutTest, FailuresAreToldAndEndTheOperation) {
    auto expectOneMessage = [&](const char* nt, const char* win9x, const char* caption) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_FALSE(messages.shown[0].wide);
        EXPECT_EQ(messages.shown[0].text, Win9x() ? win9x : nt);
        EXPECT_EQ(messages.shown[0].caption, caption);
        EXPECT_EQ(messages.shown[0].style, static_cast<UINT>(MB_OK));
    };
    {
        SCOPED_TRACE("1003: no Keyboard Layouts key");
        SetLayouts({});
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLayoutsPath);
        SetPreload({"00000804"});
        messages.shown.clear();
        WriteKeyboardLayoutEntry();
        expectOneMessage(kAdministratorText, "Software open error1003", "智能岚石");
        EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, kLayoutsPath));
        EXPECT_EQ(Preload(), std::vector<std::string>{"00000804"});
    }
    {
        SCOPED_TRACE("1004: the id subkey cannot be created");
        SetLayouts({});
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLayoutsPath);
        // Under a volatile key only volatile keys can be created.
        UniqueHKey volatileKey;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLayoutsPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        volatileKey.Put(), nullptr);
        volatileKey.Reset();
        SetPreload({"00000804"});
        messages.shown.clear();
        WriteKeyboardLayoutEntry();
        expectOneMessage(kAdministratorText, "Software open error1004", "智能岚石(岚石五笔)");
        EXPECT_TRUE(LayoutNames().empty());
        EXPECT_EQ(Preload(), std::vector<std::string>{"00000804"});
    }
    {
        SCOPED_TRACE("1004: no layout number left above the highest");
        SetLayouts({{"FFFF0804", "other"}});
        SetPreload({"00000804"});
        messages.shown.clear();
        WriteKeyboardLayoutEntry();
        expectOneMessage(kAdministratorText, "Software open error1004", "智能岚石(岚石五笔)");
        EXPECT_EQ(LayoutNames(), std::vector<std::string>{"FFFF0804"});
        EXPECT_EQ(Preload(), std::vector<std::string>{"00000804"});
    }
    {
        SCOPED_TRACE("2003: the user's keyboard layout key is missing");
        SetLayouts({});
        RegDeleteTreeA(HKEY_CURRENT_USER, "Keyboard Layout");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Keyboard Layout");
        messages.shown.clear();
        WriteKeyboardLayoutEntry();
        expectOneMessage("Software open error2003", "Software open error2003", "智能岚石(岚石五笔)");
        ExpectOwnValues(WithSuffix("E0010804", Suffix()));
        EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, "Keyboard Layout"));
    }
    {
        SCOPED_TRACE("no preload key: nothing is added, and only 9x, whose list is that key, says so");
        SetLayouts({});
        SetPreload({});
        RegDeleteKeyA(HKEY_CURRENT_USER, "Keyboard Layout\\Preload");
        messages.shown.clear();
        WriteKeyboardLayoutEntry();
        if (Win9x()) {
            expectOneMessage("", "Software open error2003", "智能岚石(岚石五笔)");
        } else {
            EXPECT_TRUE(messages.shown.empty());
        }
        EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, "Keyboard Layout\\Preload"));
    }
}

// A subkey name longer than the name table's slots is not an id; it must not turn into an empty name,
// which would stand for the Keyboard Layouts key itself.
TEST_F(KeyboardLayoutTest, OverlongSubkeyNamesAreNotTakenForTheOwnEntry) {
    std::string longName(220, 'E');
    SetLayouts({{longName, OwnText()}, {"E0210804", "other"}});
    WriteRegString(HKEY_LOCAL_MACHINE, kLayoutsPath, "layout text", OwnText());
    SetPreload({"00000804"});

    WriteKeyboardLayoutEntry();

    std::string id = WithSuffix("E0220804", Suffix());
    EXPECT_EQ(LayoutNames(), Sorted({longName, "E0210804", id}));
    ExpectOwnValues(id);
    EXPECT_EQ(ReadRegString(HKEY_LOCAL_MACHINE, kLayoutsPath, "layout text"), OwnText());
}

}  // namespace
