// Install directory security: SDDL-created directory, the user's ACL entry, icacls and runas commands,
// and the captured icacls listing. The commands are the System directory's own programs, started by
// their full paths; they name the install directory by its fixed short path, and run only while that
// path leads to the install directory itself (anyone may make folders at the root of drive C:, and a
// system without short names has no Progra~1 of its own).
#include "deploy/dir_security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstring>

#include "common/file_io.h"
#include "common/handles.h"
#include "common/install_state.h"
#include "common/named_files.h"
#include "common/text.h"
#include "platform/install_dir_files.h"
#include "platform/program_run.h"

namespace {

constexpr std::size_t kUserNameCapacity = 198;
constexpr std::size_t kCommandCapacity = 300;

constexpr char kAppPackageMark[] = "APPLICATION PACKAGE";
constexpr std::size_t kAppPackageMarkLength = sizeof kAppPackageMark - 1;

bool ShortPathLeadsToInstallDir() { return SameFileObject(kShortInstallDir, g_state.installDir); }

// Starts a system program with a command line formatted over the short install path, without waiting
// for it.
void StartOverShortPath(const char* program, const char* format) {
    char path[MAX_PATH];
    char command[kCommandCapacity];
    if (!SystemProgramPath(program, path, sizeof path) || !FormatText(command, format, kShortInstallDir)) return;
    StartProgram(path, command, SW_SHOW);
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
    if (!ShortPathLeadsToInstallDir()) return;
    StartOverShortPath("icacls.exe", "icacls.exe \"%s\" /SetIntegrityLevel Level: L");
    StartOverShortPath("icacls.exe", "icacls.exe %s /SetIntegrityLevel Level: L");
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
    char icacls[MAX_PATH];
    if (!ShortPathLeadsToInstallDir() || !SystemProgramPath("icacls.exe", icacls, sizeof icacls) ||
        !CaptureProgramOutput(icacls, "icacls.exe C:\\Progra~1\\quorel8", g_state.capturedOutput,
                              sizeof g_state.capturedOutput)) {
        return 0;
    }
    return ListingShowsAppPackageFullAccess(g_state.capturedOutput,
                                            BoundedLength(g_state.capturedOutput, sizeof g_state.capturedOutput));
}

void LaunchAtBasicTrust() {
    // The launcher runs with the administrator's own identity: only the one this program wrote.
    char digest[kDigestTextSize];
    if (!ShortPathLeadsToInstallDir() || !ProducedDigest(kLauncher, digest)) return;
    StartOverShortPath("runas.exe", "runas /trustlevel:0x20000 %s\\qrjcdir");
}
