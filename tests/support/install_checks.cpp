// Read-back helpers of the install tests (see install_checks.h).
#include "tests/support/install_checks.h"

#include "archive/extract.h"
#include "common/install_state.h"
#include "common/text.h"

// The build's files are reached through drive Z: (Wine accepts '/' inside the path).
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

std::string ReadMember(const char* member) {
    return ReadFileBytes(std::string("Z:" QUOR_PAYLOAD_MEMBERS_DIR "/") + member).value_or("");
}

bool HoldsMember(const std::string& path, const char* member) {
    std::optional<std::string> installed = ReadFileBytes(path);
    return installed.has_value() && installed == ReadMember(member);
}

