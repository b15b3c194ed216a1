// The administrator probe: write a probe word into the path file, read it back, compare.
#include "app/admin_probe.h"

#include <cstring>

#include "common/install_state.h"
#include "common/text.h"
#include "platform/install_paths.h"
#include "platform/os_info.h"

namespace {

constexpr char kProbeWord[] = "quorisadmin";

}  // namespace

bool LacksAdminRights() {
    ReadPathFile(true);
    Is64BitSystem();  // refreshes the OS major version
    if (g_state.osMajorVersion < 6) return false;

    char saved[kPathCapacity];
    std::memcpy(saved, g_state.installDir, sizeof saved);

    CopyText(g_state.installDir, kProbeWord);
    WritePathFiles();  // appends the backslash: the file receives "quorisadmin\"

    g_state.installDir[0] = '\0';
    ReadPathFile(false);
    char readBack[kPathCapacity];
    CopyText(readBack, g_state.installDir);

    std::memcpy(g_state.installDir, saved, sizeof saved);
    WritePathFiles();

    std::size_t length = std::strlen(readBack);
    if (length > 0 && readBack[length - 1] == '\\') readBack[length - 1] = '\0';
    return std::strcmp(readBack, kProbeWord) != 0;
}
