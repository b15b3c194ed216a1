// ContainsName (the run-mode words that go through it are tested with ChooseRunMode in tests/app),
// and the bounded helpers on a buffer that already holds no terminator.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "common/text.h"

namespace {

TEST(TextTest, ContainsNameFoldsOnlyTheListAndBoundedTextNeverOverruns) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"SetQuSrf32", "setqusrf32", true}, {"setqusrf32", "SETQUSRF32", false}, {"abc", "", false},
        {"quorel64.ime", "quorel4.ime", false}, {"ssetqusrf32", "setqusrf32", true}};
    for (const auto& [list, name, expected] : cases) {
        SCOPED_TRACE(std::string(list) + " / " + name);
        EXPECT_EQ(ContainsName(list, name), expected);
    }
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
