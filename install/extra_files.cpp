// InstallExtraFiles (see extra_files.h).
#include "install/extra_files.h"

#include "archive/skins.h"
#include "common/install_state.h"

void InstallExtraFiles(SkinChooser chooseSkin) {
    if (g_state.workBuffer == nullptr) return;
    CheckInstalledPayload();

    if (g_state.backupState == kBackupRestoreWanted && SkinComplete()) return;

    g_state.statusWindowMode = 1;
    g_state.skinChoice = 1;
    if (chooseSkin != nullptr) chooseSkin();
    InstallChosenSkin();
}
