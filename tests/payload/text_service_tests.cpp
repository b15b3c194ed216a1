// The 64-bit text-service DLLs of the payload register and unregister themselves through the
// system's own regsvr32: registration makes the TIP key with both directions of the three
// categories the setup program tests, unregistration removes the whole key again.
#include <string>

#include "tests/payload/payload_test_support.h"
#include "tests/support/test_support.h"

namespace {

const std::string kClassId = "{65653599-5030-4C0F-8871-83F6AFDE5098}";
const std::string kTipKey = "SOFTWARE\\Microsoft\\CTF\\TIP\\" + kClassId;
const char* const kTestedCategories[] = {
    "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",
    "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}",
};

class TextServiceDllTest : public QuorTest {
protected:
    std::optional<DWORD> Regsvr32(const std::string& options, const std::string& dll) {
        return RunAndWait("regsvr32 " + options + " " + MemberPath(dll));
    }

    void ExpectRegistered() {
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTipKey));
        for (const char* category : kTestedCategories) {
            SCOPED_TRACE(category);
            EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTipKey + "\\Category\\Category\\" + category + "\\" + kClassId));
            EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kTipKey + "\\Category\\Item\\" + kClassId + "\\" + category));
        }
    }

    RegistryTreeKeeper keeper{kTipKey};
};

const char* const kDlls[] = {"quorsrf6.dll", "qsrf764.dll"};

TEST_F(TextServiceDllTest, RegistersTheCategoriesAndUnregistersTheWholeKey) {
    for (const char* dll : kDlls) {
        SCOPED_TRACE(dll);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTipKey.c_str());
        ASSERT_EQ(Regsvr32("/s", dll), DWORD{0});
        ExpectRegistered();

        // Registering again over an existing entry succeeds and keeps it whole.
        ASSERT_EQ(Regsvr32("/s", dll), DWORD{0});
        ExpectRegistered();

        // The setup program adds further categories under the keys the DLL made; unregistering
        // removes those too, and nothing above the TIP key.
        HKEY added = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                  (kTipKey + "\\Category\\Item\\" + kClassId + "\\{046B8C80-1647-40F7-9B21-B93B81AABC1B}").c_str(),
                                  0, nullptr, 0, KEY_WRITE, nullptr, &added, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(added);

        ASSERT_EQ(Regsvr32("/u /s", dll), DWORD{0});
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTipKey));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\CTF\\TIP"));
    }
}

TEST_F(TextServiceDllTest, UnregisteringWhatIsNotRegisteredSucceeds) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTipKey.c_str());
    EXPECT_EQ(Regsvr32("/u /s", "quorsrf6.dll"), DWORD{0});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kTipKey));
}

}  // namespace
