// Programs started at a lower trust level.
#include "deploy/dir_security.h"

#include <windows.h>

#include "common/text.h"

namespace {

constexpr char kBasicTrustProgram[] = "c:\\Progra~1\\quorel8\\qrjcdir";

}  // namespace

void LaunchAtBasicTrust() {
    char command[128];
    // 0x20000 is runas's basic-user trust level.
    FormatText(command, "runas /trustlevel:0x20000 %s", kBasicTrustProgram);
    WinExec(command, SW_SHOW);
}
