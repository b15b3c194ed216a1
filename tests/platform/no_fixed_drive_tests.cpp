// Path files on a machine where none of G: to C: is a fixed drive (a prefix whose drives are made
// network and CD drives before its server starts).
#include <gtest/gtest.h>

#include "common/install_state.h"
#include "common/text.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"
#include "tests/support/test_support.h"

namespace {

class NoFixedDriveTest : public QuorTest {};

TEST_F(NoFixedDriveTest, WritesTheSecondPathFileRelativeToTheCurrentDirectory) {
    ASSERT_NE(GetDriveTypeA("c:\\"), static_cast<UINT>(DRIVE_FIXED)) << "the prefix setup did not apply";
    char folder[kPathCapacity] = "unchanged";
    FindFixedDriveFolder(folder, sizeof folder);
    EXPECT_STREQ(folder, "");

    ScratchDir scratch;
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.Path().c_str()));
    Is64BitSystem();
    CopyText(g_state.installDir, "C:\\Program Files\\quorel8\\");
    WritePathFiles();
    EXPECT_EQ(ReadFileBytes(scratch.Path() + "quorpat8.quh"), std::string("C:\\Program Files\\quorel8\\"));
    SetCurrentDirectoryA("C:\\");
}

}  // namespace
