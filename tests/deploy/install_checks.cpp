// Read-back helpers of the install tests (see install_checks.h).
#include "tests/deploy/install_checks.h"


#include "archive/extract.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "deploy/os_info.h"
#include "tests/register/command_log.h"
#include "tests/register/text_service_fixture.h"
#include "tests/payload/payload_test_support.h"
#include "tests/support/test_support.h"

namespace {

constexpr char kClosingLine[] = "有文件没有成功解压，请重新下载安装！\r\n";

}  // namespace

std::string ReadPayload() { return ReadFileBytes(PayloadArchivePath()).value_or(""); }

std::string DifferingMembers(const std::string& payload, const std::string& installDir) {
    char saved[kPathCapacity];
    CopyText(saved, g_state.installDir);
    CopyText(g_state.installDir, installDir.c_str());
    std::vector<char> report(65536, '\0');
    VerifyInstalled(reinterpret_cast<const unsigned char*>(payload.data()), payload.size(), report.data(),
                    report.size(), "");
    CopyText(g_state.installDir, saved);
    return report.data();
}

std::string DifferingReport(const std::vector<const char*>& names) {
    std::string report;
    for (const char* name : names) report += std::string(name) + "....";
    return names.empty() ? report : report + kClosingLine;
}

bool HoldsMember(const std::string& path, const char* member) {
    std::optional<std::string> installed = ReadFileBytes(path);
    std::optional<std::string> expected = ReadFileBytes(MemberPath(member));
    return installed.has_value() && expected.has_value() && *installed == *expected;
}

std::optional<std::wstring> ReadRegTextW(HKEY root, const wchar_t* path, const wchar_t* name) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
        return std::nullopt;
    }
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

void InstallProcedureTest::SetUp() {
    QuorTest::SetUp();
    payload_ = ReadPayload();
    ASSERT_FALSE(payload_.empty());
    UsePayload(payload_);
    workBuffer_.assign(kWorkBufferSize, 0);
    g_state.workBuffer = workBuffer_.data();
    g_state.oemCodePage = GetOEMCP();
    g_state.systemBits = GetSystemBits();
    g_state.isWindows10 = g_state.versionCode > 60 && NtVersionIs10() ? 1 : 0;
    Is64BitSystem();
    g_state.progressTotal = 110;
    RemoveFile(kRegsvr32Log);
}

void InstallProcedureTest::TearDown() {
    g_state.payload = nullptr;
    g_state.workBuffer = nullptr;
    QuorTest::TearDown();
}

void InstallProcedureTest::UsePayload(const std::string& bytes) {
    g_state.payload = reinterpret_cast<const unsigned char*>(bytes.data());
    g_state.payloadSize = bytes.size();
}
