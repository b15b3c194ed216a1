// Fixture of the text-service tests: the TIP key of the text service and the user's CTF keys are
// saved and put back, the stand-ins' logs are cleared, and the system facts are those that window
// creation works out.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/layout_fixture.h"

inline constexpr char kClsid[] = "{65653599-5030-4C0F-8871-83F6AFDE5098}";
inline constexpr char kTip[] = "SOFTWARE\\Microsoft\\CTF\\TIP\\{65653599-5030-4C0F-8871-83F6AFDE5098}";
inline constexpr const char* kTestedCategories[] = {
    "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",
    "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}",
};
inline constexpr const char* kAddedCategories[] = {
    "{046B8C80-1647-40F7-9B21-B93B81AABC1B}", "{364215D9-75BC-11D7-A6EF-00065B84435C}",
    "{49D2F9CE-1F5E-11D7-A6D3-00065B84435C}", "{49D2F9CF-1F5E-11D7-A6D3-00065B84435C}",
    "{CCF05DD7-4A87-11D7-A6E2-00065B84435C}",
};

// Keys under HKEY_LOCAL_MACHINE: TIP\Category\Category\<category>, ...\<category>\<class id> and
// TIP\Category\Item\<class id>\<category>.
std::string CategoryKey(const char* category);
inline std::string CategoryMemberKey(const char* category) { return CategoryKey(category) + "\\" + kClsid; }
std::string ItemKey(const char* category);
inline bool TipKeyPresent(const std::string& path) { return KeyPresent(HKEY_LOCAL_MACHINE, path.c_str()); }

// Whether the system says it is Windows 10.0 (RtlGetNtVersionNumbers).
bool NtVersionIs10();

class TextServiceTest : public QuorTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The system bitness and the Windows 10 flag as the main window works them out.
    void SetFactsOfWindowCreation();

    Restorer keep_[2] = {KeepRegTree(HKEY_LOCAL_MACHINE, kTip), KeepRegTree(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\CTF")};
};
