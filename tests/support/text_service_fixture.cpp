// Text-service keys and the common fixture of the text-service tests.
#include "tests/support/text_service_fixture.h"

#include "common/install_state.h"
#include "platform/os_info.h"
#include "tests/support/command_log.h"

std::string CategoryKey(const char* category) { return std::string(kTip) + "\\Category\\Category\\" + category; }
std::string ItemKey(const char* category) {
    return std::string(kTip) + "\\Category\\Item\\" + kClsid + "\\" + category;
}

bool NtVersionIs10() {
    using Fn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto getNumbers = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetNtVersionNumbers")));
    DWORD major = 0, minor = 0, build = 0;
    if (getNumbers) getNumbers(&major, &minor, &build);
    return major == 10 && minor == 0;
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
