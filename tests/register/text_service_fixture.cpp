// Text-service keys, the registration of the payload's text-service DLL and the common fixture.
#include "tests/register/text_service_fixture.h"

#include "common/handles.h"
#include "common/install_state.h"
#include "deploy/os_info.h"
#include "tests/register/command_log.h"

std::string CategoryKey(const char* category) { return std::string(kTip) + "\\Category\\Category\\" + category; }
std::string CategoryMemberKey(const char* category) { return CategoryKey(category) + "\\" + kClsid; }
std::string ItemKey(const char* category) {
    return std::string(kTip) + "\\Category\\Item\\" + kClsid + "\\" + category;
}

bool TipKeyPresent(const std::string& path) {
    UniqueHKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

void CreateTipKey(const std::string& path) {
    UniqueHKey key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
}

bool NtVersionIs10() {
    using Fn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto getNumbers = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetNtVersionNumbers")));
    DWORD major = 0, minor = 0, build = 0;
    if (getNumbers) getNumbers(&major, &minor, &build);
    return major == 10 && minor == 0;
}

void RegisterFixtureDll() {
    UniqueLibrary dll(LoadLibraryA((TestProgramDir() + "quorsrf6.dll").c_str()));
    ASSERT_TRUE(dll);
    using EntryPoint = HRESULT(WINAPI*)();
    auto entry =
        reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(dll.Get(), "DllRegisterServer")));
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(entry(), S_OK);
}

void TextServiceTest::SetUp() {
    QuorTest::SetUp();
    SetFactsOfWindowCreation();
    RemoveFile(kRegsvr32Log);
    RemoveFile(kRunasLog);
}

void TextServiceTest::TearDown() {
    RemoveFile(kRegsvr32Log);
    RemoveFile(kRunasLog);
    QuorTest::TearDown();
}

void TextServiceTest::SetFactsOfWindowCreation() {
    g_state.systemBits = GetSystemBits();
    g_state.isWindows10 = g_state.versionCode > 60 && NtVersionIs10() ? 1 : 0;
}
