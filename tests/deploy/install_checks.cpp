// Read-back helpers of the install tests (see install_checks.h).
#include "tests/deploy/install_checks.h"

#include "archive/extract.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/text.h"
#include "tests/register/layout_fixture.h"

namespace {

// The build's payload files, reached through drive Z: (Wine accepts '/' inside the path).
std::string MemberPath(const char* name) { return std::string("Z:" QUOR_PAYLOAD_MEMBERS_DIR "/") + name; }

}  // namespace

std::string ReadPayload() { return ReadFileBytes("Z:" QUOR_PAYLOAD_ARCHIVE).value_or(""); }

std::string DifferingMembers(const std::string& payload) {
    CopyText(g_state.installDir, kInstallDir);
    std::vector<char> report(65536, '\0');
    VerifyInstalled(reinterpret_cast<const unsigned char*>(payload.data()), payload.size(), report.data(),
                    report.size(), "");
    return report.data();
}

std::string DifferingReport(const std::vector<const char*>& names) {
    std::string report;
    for (const char* name : names) report += std::string(name) + "....";
    return names.empty() ? report : report + "有文件没有成功解压，请重新下载安装！\r\n";
}

bool HoldsMember(const std::string& path, const char* member) {
    std::optional<std::string> installed = ReadFileBytes(path);
    return installed.has_value() && installed == ReadFileBytes(MemberPath(member));
}

std::optional<RegValueW> ReadRegValueW(HKEY root, const wchar_t* path, const wchar_t* name) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    std::string bytes(size, '\0');
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return RegValueW{type, bytes};
}

std::optional<std::wstring> ReadRegTextW(HKEY root, const wchar_t* path, const wchar_t* name) {
    std::optional<RegValueW> raw = ReadRegValueW(root, path, name);
    if (!raw || raw->type != REG_SZ) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(raw->bytes.data()), raw->bytes.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}
