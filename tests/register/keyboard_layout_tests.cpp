// The keyboard-layout entry against the real registry: the id it chooses, the own entry found by
// its layout text, the exact values, the preload number it adds, and its messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "common/handles.h"
#include "register/keyboard_layout.h"
#include "tests/support/layout_fixture.h"

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
// writes it there.
TEST_F(KeyboardLayoutTest, EntryIdValuesAndPreloadNumber) {
    const std::string own = OwnText();
    const std::string older = own.substr(0, own.size() - 1) + "5";
    const std::string x = "Chinese (Simplified) - US Keyboard", nul(1, '\0');
    const std::vector<LayoutEntry> ownOnly = {{"E0220LNG", own}};
    Ids full;
    for (const LayoutEntry& entry : WithMany({})) full.push_back(entry.name);
    full.resize(49);
    Ids fullAfter = full;
    fullAfter.back() = "P";
    struct Row {
        const char* name;
        std::vector<LayoutEntry> layouts;
        std::string id;  // where the entry ends up
        Ids before = {"00000804"};
        Ids after = {"00000804", "P"};
    };
    const std::vector<Row> rows = {
        {"none at or above the base", {{"00000804", x}, {"00000409", x}}, "E0010LNG"},
        {"highest of another language", {{"E0220411", x}, {"E0200804", x}}, "E0230LNG"},
        {"no layout text: not counted", {{"E0500804", std::nullopt}, {"E0210804", x}}, "E0220LNG"},
        {"layout text over 200 bytes: not counted", {{"E0500804", std::string(250, 'x')}}, "E0010LNG"},
        {"layout text of 199 bytes counts", {{"E0500804", std::string(199, 'x')}}, "E0510LNG"},
        {"more than 250, the highest enumerated last", WithMany({{"0EF000804", x}}), "EF010LNG"},
        {"own entry", {{"00000804", x}, {"E0050LNG", own}, {"E0210804", x}}, "E0050LNG", {"E0050LNG"}, {"E0050LNG"}},
        {"an earlier version's entry", {{"E0050LNG", older}, {"E0210804", x}}, "E0050LNG"},
        {"the 16-byte mark alone", {{"E0050LNG", own.substr(0, 16)}, {"E0210804", x}}, "E0050LNG"},
        {"own entry of the other language", {{"E0050OTH", older}, {"E0210804", x}}, "E0050LNG"},
        {"own entry under a lower-case name", {{"e0220LNG", own}}, "e0220LNG"},
        {"listed in lower case", ownOnly, "E0220LNG", {"00000804", "e0220LNG"}, {"00000804", "e0220LNG"}},
        {"listed with another language", ownOnly, "E0220LNG", {"00000804", "E0220411"}, {"00000804", "P"}},
        {"first free number", ownOnly, "E0220LNG", {"00000804", "00000409", "E0200804"},
         {"00000804", "00000409", "E0200804", "P"}},
        {"four agreeing characters: another layout", ownOnly, "E0220LNG", {"E0221LNG"}, {"E0221LNG", "P"}},
        {"five agreeing characters: the same layout", ownOnly, "E0220LNG", {"E0220904", "E0221LNG"}, {"P", "E0221LNG"}},
        {"all 49 taken", ownOnly, "E0220LNG", full, fullAfter},
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
        // A value of the own entry's key that stays when the key is rewritten in place.
        bool existed = KeyPresent(HKEY_LOCAL_MACHINE, path.c_str());
        if (existed) WriteRegString(HKEY_LOCAL_MACHINE, path.c_str(), "Layout Id", "00f0");
        messages.shown.clear();

        WriteKeyboardLayoutEntry();

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
        EXPECT_EQ(Preload(), local(row.after));
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(KeyboardLayoutTest, FailuresAreToldAndEndTheOperation) {
    const char* const admin = "在WIN2000和WIN NT系统中安装本软件时，需要以系统管理员身份才能安装成功！";
    const char* const wubi = "智能岚石(岚石五笔)";
    struct Row {
        const char* name;
        HKEY root;
        const char* removed;  // a key removed before the call
        std::vector<LayoutEntry> layouts;
        const char* nt;  // the message on NT (nullptr: none), then on Windows 9x
        const char* win9x;
        const char* caption;
    };
    const std::vector<Row> rows = {
        {"1003: no Keyboard Layouts key", HKEY_LOCAL_MACHINE, kLayoutsPath, {}, admin,
         "Software open error1003", "智能岚石"},
        {"1004: no layout number left above the highest", nullptr, nullptr, {{"FFFF0804", "other"}}, admin,
         "Software open error1004", wubi},
        {"2003: no keyboard layout key of the user", HKEY_CURRENT_USER, "Keyboard Layout", {},
         "Software open error2003", "Software open error2003", wubi},
        {"no preload key: only 9x, whose list is that key, says so", HKEY_CURRENT_USER, "Keyboard Layout\\Preload",
         {}, nullptr, "Software open error2003", wubi},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetLayouts(row.layouts);
        SetPreload({"00000804"});
        if (row.removed) {
            RegDeleteTreeA(row.root, row.removed);
            RegDeleteKeyA(row.root, row.removed);
        }
        messages.shown.clear();

        WriteKeyboardLayoutEntry();

        const char* text = Win9x() ? row.win9x : row.nt;
        EXPECT_EQ(ShownBoxes(messages), text ? Ids{std::string(text) + " | " + row.caption} : Ids{});
        // Nothing was added to the list, and a list key that was gone stays gone.
        bool listKept = row.root != HKEY_CURRENT_USER;
        EXPECT_EQ(Preload(), listKept ? Ids{"00000804"} : Ids{});
        EXPECT_EQ(KeyPresent(HKEY_CURRENT_USER, "Keyboard Layout\\Preload"), listKept);
    }
}

}  // namespace
