// Read-back helpers of the install tests (see install_checks.h).
#include "tests/support/install_checks.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <filesystem>

#include "archive/extract.h"
#include "common/file_security.h"
#include "common/install_state.h"
#include "common/named_files.h"
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

// The payload's uninstaller is this tree's own build of it.
std::string ReadMember(const char* member) {
    std::string path = std::strcmp(member, kUninstaller) == 0 ? QUOR_OWN_UNINSTALLER
                                                              : std::string(QUOR_PAYLOAD_MEMBERS_DIR "/") + member;
    return ReadFileBytes("Z:" + path).value_or("");
}

bool HoldsMember(const std::string& path, const char* member) {
    std::optional<std::string> installed = ReadFileBytes(path);
    return installed.has_value() && installed == ReadMember(member);
}


namespace {

std::string DaclOf(PSECURITY_DESCRIPTOR descriptor) {
    char* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr)) {
        return "?";
    }
    UniqueLocalMemory owned(text);
    return text;
}

}  // namespace

std::string DaclText(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
        return "?";
    }
    UniqueLocalMemory owned(descriptor);
    return DaclOf(descriptor);
}

std::string DaclAsCreatedWith(const char* sddl, bool folder) {
    SecurityAttributes attributes(sddl);
    const std::string probe = "C:\\quortest\\acl-probe";
    CreateDirectoryA("C:\\quortest", nullptr);
    RemoveFile(probe);
    RemoveDirectoryA(probe.c_str());
    bool made = folder ? CreateDirectoryA(probe.c_str(), attributes.Get())
                       : UniqueHandle(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, attributes.Get(), CREATE_NEW, 0,
                                                  nullptr)).Valid();
    const std::string dacl = made ? DaclText(probe) : "?";
    folder ? RemoveDirectoryA(probe.c_str()) : DeleteFileA(probe.c_str());
    return dacl;
}

std::vector<std::string> FilesWithWrongAccess() {
    const std::string programs = DaclAsCreatedWith(kProgramFileSddl);
    std::vector<std::string> wrong;
    for (const auto& entry : std::filesystem::directory_iterator(kInstallDir)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string(), dacl = DaclText(entry.path().string());
        if ((dacl == programs) != IsProgramName(name.c_str())) wrong.push_back(name + " " + dacl);
    }
    return wrong;
}
