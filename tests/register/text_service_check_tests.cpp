// The checks at the end of a text-service install: on Windows 10 the keys the DLLs' registration
// made and the five categories added to them, then qrjcdir started at basic trust (recorded by the
// prefix's stand-in runas).
#include <gtest/gtest.h>

#include <windows.h>

#include "common/install_state.h"
#include "register/text_service_check.h"
#include "tests/register/command_log.h"
#include "tests/register/text_service_fixture.h"

namespace {

TEST_F(TextServiceTest, WithoutWindows10OrForImmNoKeyIsTestedAndQrjcdirStarts) {
    RegisterFixtureDll();
    struct Row {
        const char* name;
        int interfaceChoice;
    };
    for (Row row : {Row{"IMM", kInterfaceImm}, Row{"TSF", kInterfaceTsf}}) {
        if (row.interfaceChoice == kInterfaceTsf && g_state.isWindows10) continue;
        SCOPED_TRACE(row.name);
        RemoveFile(kRunasLog);
        g_state.interfaceChoice = row.interfaceChoice;
        CheckTextServiceCategories();
        EXPECT_TRUE(messages.shown.empty());
        for (const char* category : kAddedCategories) EXPECT_FALSE(TipKeyPresent(ItemKey(category))) << category;
        EXPECT_EQ(WaitForLogLines(kRunasLog, 1), std::vector<std::string>{kBasicTrustCommand});
    }
}

TEST_F(TextServiceTest, OnWindows10AMissingKeyIsReportedAndNothingStarts) {
    if (!g_state.isWindows10) GTEST_SKIP() << "the keys are tested on Windows 10 only";
    g_state.interfaceChoice = kInterfaceTsf;
    struct Row {
        int tested;  // how many of the tested categories the registration made
        bool tipKey;
        int errorCode;
    };
    for (Row row : {Row{0, false, 0}, Row{0, true, 1}, Row{1, true, 2}, Row{2, true, 3}}) {
        SCOPED_TRACE(row.errorCode);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTip);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTip);
        if (row.tipKey) CreateTipKey(kTip);
        for (int i = 0; i < row.tested; ++i) CreateTipKey(ItemKey(kTestedCategories[i]));
        messages.shown.clear();
        CheckTextServiceCategories();

        ASSERT_EQ(messages.shown.size(), 1u);
        std::string expected = "系统32位dll文件没有挂接成功(err=" + std::to_string(row.errorCode) +
                               ")！，请退出安装程序重新安装！";
        EXPECT_EQ(messages.shown[0].text, expected);
        EXPECT_EQ(messages.shown[0].caption, "智能岚石(岚石五笔)安装");
        for (const char* category : kAddedCategories) EXPECT_FALSE(TipKeyPresent(CategoryKey(category))) << category;
    }
    EXPECT_TRUE(LogLinesAfterPause(kRunasLog).empty());
}

TEST_F(TextServiceTest, OnWindows10TheFiveCategoriesAreAdded) {
    if (!g_state.isWindows10) GTEST_SKIP() << "the categories are added on Windows 10 only";
    g_state.interfaceChoice = kInterfaceTsf;
    RegisterFixtureDll();

    CheckTextServiceCategories();

    EXPECT_TRUE(messages.shown.empty());
    for (const char* category : kAddedCategories) {
        SCOPED_TRACE(category);
        EXPECT_TRUE(TipKeyPresent(CategoryKey(category)));
        EXPECT_TRUE(TipKeyPresent(CategoryMemberKey(category)));
        EXPECT_TRUE(TipKeyPresent(ItemKey(category)));
    }
    EXPECT_EQ(WaitForLogLines(kRunasLog, 1), std::vector<std::string>{kBasicTrustCommand});
}

}  // namespace
