// ContainsName and the bounded text helpers.
#include <gtest/gtest.h>

#include <cstring>

#include "common/text.h"

namespace {

struct ContainsCase {
    const char* list;
    const char* name;
    bool expected;
};

TEST(ContainsNameTest, FindsWordsWithTheListSideFolded) {
    const ContainsCase cases[] = {
        {"setqusrf32", "setqusrf32", true},
        {"SETQUSRF32", "setqusrf32", true},        // capitals in the searched text count
        {"SetQuSrf32", "setqusrf32", true},
        {"setqusrf32", "SETQUSRF32", false},       // only the list side is folded
        {"/xsetqusrf32=1", "setqusrf32", true},    // a longer word that contains it
        {"regqu32 setqusrf32", "regqu32", true},
        {"regqu32 setqusrf32", "setqusrf32", true},
        {"setqusrf3", "setqusrf32", false},        // a prefix of the name is not the name
        {"", "setqusrf32", false},
        {"abc", "", false},
        {"quor320.ime qsrf732.dllx quorel64.ime  setupw64.exe", "qsrf732.dll", true},
        {"quorel64.ime", "quorel4.ime", false},
        {"quorel64.ime", "el64", true},            // substring rule: any part of an entry matches
        {"ssetqusrf32", "setqusrf32", true},       // a match after a false start
    };
    for (const ContainsCase& c : cases) {
        SCOPED_TRACE(std::string("list=\"") + c.list + "\" name=\"" + c.name + "\"");
        EXPECT_EQ(ContainsName(c.list, c.name), c.expected);
    }
}

TEST(BoundedTextTest, CutsAtTheCapacityAndSaysSo) {
    char small[8];
    EXPECT_TRUE(FormatText(small, "%s%d", "ab", 12));
    EXPECT_STREQ(small, "ab12");
    EXPECT_FALSE(FormatText(small, "%s", "123456789"));
    EXPECT_STREQ(small, "1234567");

    EXPECT_TRUE(CopyText(small, "abc"));
    EXPECT_TRUE(AppendText(small, "defg"));
    EXPECT_STREQ(small, "abcdefg");
    EXPECT_FALSE(AppendText(small, "h"));
    EXPECT_STREQ(small, "abcdefg");

    EXPECT_TRUE(CopyText(small, "a"));
    EXPECT_FALSE(AppendFormat(small, "%08d", 5));
    EXPECT_STREQ(small, "a000000");
}

TEST(BoundedTextTest, AnUnterminatedBufferIsTerminatedNotOverrun) {
    struct {
        char buffer[6];
        char guard[4];
    } area;
    std::memset(area.buffer, 'x', sizeof area.buffer);
    std::memcpy(area.guard, "GGG", 4);
    EXPECT_EQ(BoundedLength(area.buffer, sizeof area.buffer), 6u);
    EXPECT_FALSE(AppendText(area.buffer, sizeof area.buffer, "y"));
    EXPECT_EQ(area.buffer[5], '\0');
    EXPECT_STREQ(area.guard, "GGG");
}

TEST(BoundedTextTest, WideTextIsBoundedInCharacters) {
    wchar_t title[10];
    EXPECT_TRUE(CopyTextW(title, L"智能岚石"));
    EXPECT_TRUE(AppendTextW(title, L"32-"));
    EXPECT_FALSE(FormatTextW(title, L"os：%d-%d", 64, 12345));
    EXPECT_EQ(std::wstring(title), L"os：64-123");
}

}  // namespace
