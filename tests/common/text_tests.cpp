// ContainsName and the bounded text helpers. The run-mode words, which go through ContainsName, are
// tested with ChooseRunMode in tests/app.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "common/text.h"

namespace {

TEST(ContainsNameTest, FindsTheNameWithOnlyTheListSideFolded) {
    // The name is not folded; any part of an entry matches; a match may follow a false start.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"SetQuSrf32", "setqusrf32", true}, {"setqusrf32", "SETQUSRF32", false}, {"abc", "", false},
        {"quorel64.ime", "quorel4.ime", false}, {"quorel64.ime", "el64", true}, {"ssetqusrf32", "setqusrf32", true}};
    for (const auto& [list, name, expected] : cases) {
        SCOPED_TRACE(std::string("list=\"") + list + "\" name=\"" + name + "\"");
        EXPECT_EQ(ContainsName(list, name), expected);
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
    EXPECT_FALSE(AppendText(small, "h"));
    EXPECT_STREQ(small, "abcdefg");

    EXPECT_TRUE(CopyText(small, "a"));
    EXPECT_FALSE(AppendFormat(small, "%08d", 5));
    EXPECT_STREQ(small, "a000000");

    wchar_t title[10];
    EXPECT_TRUE(CopyTextW(title, L"智能岚石"));
    EXPECT_TRUE(AppendTextW(title, L"32-"));
    EXPECT_FALSE(FormatTextW(title, L"os：%d-%d", 64, 12345));
    EXPECT_EQ(std::wstring(title), L"os：64-123");
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

}  // namespace
