// Install directory security: SDDL-created directory, the user's ACL entry, icacls and runas commands,
// and the captured icacls listing.
#include "deploy/dir_security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <cstring>

#include "common/handles.h"
#include "common/text.h"

namespace {

constexpr std::size_t kUserNameCapacity = 198;
constexpr std::size_t kCommandCapacity = 300;
constexpr int kLineCapacity = 128;

constexpr char kAppPackageMark[] = "APPLICATION PACKAGE";
constexpr std::size_t kAppPackageMarkLength = sizeof kAppPackageMark - 1;

// Starts a command line, formatted over the short install path, without waiting for it.
void StartOverShortPath(const char* format) {
    char command[kCommandCapacity];
    if (!FormatText(command, sizeof command, format, kShortInstallDir)) return;
    WinExec(command, SW_SHOW);
}

bool IsLineEnd(unsigned char c) { return c < 32; }

}  // namespace

int CreateSecuredDirectory(const char* path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kInstallDirSddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return 0;
    }
    UniqueLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES attributes;
    attributes.nLength = sizeof attributes;  // 12 bytes in the shipped 32-bit program
    attributes.bInheritHandle = FALSE;
    attributes.lpSecurityDescriptor = descriptor;
    return CreateDirectoryA(path, &attributes) ? 1 : 0;
}

int GrantUserFullAccess(const char* path) {
    char userName[kUserNameCapacity] = {};
    DWORD nameLength = sizeof userName;
    if (!GetUserNameA(userName, &nameLength)) userName[0] = '\0';

    PACL oldDacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &oldDacl,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
        return 0;
    }
    UniqueLocalMemory ownedDescriptor(descriptor);

    EXPLICIT_ACCESSA access;
    std::memset(&access, 0, sizeof access);
    BuildExplicitAccessWithNameA(&access, userName, GENERIC_ALL, GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);

    PACL newDacl = nullptr;
    if (SetEntriesInAclA(1, &access, oldDacl, &newDacl) != ERROR_SUCCESS) return 0;
    UniqueLocalMemory ownedDacl(newDacl);

    char target[kPathCapacity];
    if (!CopyText(target, sizeof target, path)) return 0;
    DWORD result = SetNamedSecurityInfoA(target, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                         newDacl, nullptr);
    return result == ERROR_SUCCESS ? 1 : 0;
}

void SetLowIntegrity() {
    StartOverShortPath("icacls.exe \"%s\" /SetIntegrityLevel Level: L");
    StartOverShortPath("icacls.exe %s /SetIntegrityLevel Level: L");
}

int CaptureCommandOutput(const char* command, char* output, std::size_t capacity) {
    FILE* pipe = _popen(command, "rt");
    if (pipe == nullptr) return 0;
    if (capacity > 0) output[0] = '\0';
    // The listing ends when the command's output does; once the buffer is full the rest is still read
    // (so that the command is not left blocked on a full pipe) but dropped.
    bool full = capacity == 0;
    char line[kLineCapacity];
    while (std::fgets(line, kLineCapacity, pipe) != nullptr) {
        if (!full) full = !AppendText(output, capacity, line);
    }
    _pclose(pipe);
    return 1;
}

int ListingShowsAppPackageFullAccess(const char* listing, std::size_t length) {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(listing);
    std::size_t i = 0;
    while (i < length) {
        while (i < length && text[i] <= 32) ++i;
        if (i >= length) break;
        bool marked = length - i >= kAppPackageMarkLength &&
                      std::memcmp(text + i, kAppPackageMark, kAppPackageMarkLength) == 0;
        std::size_t lineEnd = i;
        while (lineEnd < length && !IsLineEnd(text[lineEnd])) ++lineEnd;
        // A marked line is at least as long as the mark, so the last character but one lies inside it.
        if (marked && (text[lineEnd - 2] == 'F' || text[lineEnd - 2] == 'f')) return 1;
        i = lineEnd;
    }
    return 0;
}

int HasAppPackageAccess() {
    char command[kCommandCapacity];
    FormatText(command, "icacls.exe C:\\Progra~1\\quorel8");
    if (CaptureCommandOutput(command, g_state.capturedOutput, sizeof g_state.capturedOutput) != 1) return 0;
    return ListingShowsAppPackageFullAccess(g_state.capturedOutput,
                                            BoundedLength(g_state.capturedOutput, sizeof g_state.capturedOutput));
}

void LaunchAtBasicTrust() {
    char program[kPathCapacity];
    if (!FormatText(program, "%s\\qrjcdir", kShortInstallDir)) return;
    char command[kCommandCapacity];
    if (!FormatText(command, "runas /trustlevel:0x20000 %s", program)) return;
    WinExec(command, SW_SHOW);
}
