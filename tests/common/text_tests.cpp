// ContainsName (the run-mode words that go through it are tested with ChooseRunMode in tests/app),
// and the bounded helpers on a buffer that already holds no terminator.
#include <gtest/gtest.h>

#include <cstring>

#include "common/text.h"

namespace {

TEST(TextTest, ContainsNameFoldsOnlyTheListAndBoundedTextNeverOverruns) {
    // Only the list side is folded; an empty name is not found; a match may follow a false start.
    EXPECT_TRUE(!ContainsName("setqusrf32", "SETQUSRF32") && !ContainsName("abc", "") &&
                ContainsName("ssetqusrf32", "setqusrf32"));
    struct { char buffer[6], guard[4]; } area;
    std::memset(area.buffer, 'x', sizeof area.buffer);
    std::memcpy(area.guard, "GGG", 4);
    EXPECT_EQ(BoundedLength(area.buffer, sizeof area.buffer), 6u);
    EXPECT_FALSE(AppendText(area.buffer, sizeof area.buffer, "y"));
    EXPECT_EQ(area.buffer[5], '\0');
    EXPECT_STREQ(area.guard, "GGG");
}

}  // namespace
