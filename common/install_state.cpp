// The one InstallState of the process and its initial values.
#include "common/install_state.h"

#include <cstring>

InstallState g_state;

namespace {

// Initial working copy of the input method's settings record, used when quszsj43.quh cannot be read.
void SetSettingsRecordDefaults(unsigned char* record) {
    std::memset(record, 0, kSettingsRecordSize);
    record[0x08] = 0x36;
    static const int kOnes[] = {0x09, 0x0A, 0x0C, 0x0F, 0x13, 0x16, 0x18, 0x1B,
                                0x24, 0x29, 0x2A, 0x2B, 0x36, 0x3A};
    for (int offset : kOnes) record[offset] = 1;
}

struct StateInitializer {
    StateInitializer() { ResetInstallState(); }
};
StateInitializer g_initializer;

}  // namespace

void ResetInstallState() {
    std::memset(&g_state, 0, sizeof(g_state));
    g_state.runMode = kRunModeWindow;
    SetSettingsRecordDefaults(g_state.settingsRecord);
}
