// The install procedure. The steps are filled in as the subsystems they call are built; for now it
// only records the install directory, which every later step appends its file names to.
#include "deploy/install_procedure.h"

#include "deploy/install_paths.h"

void RunInstall() {
    if (!GetInstallDir()) return;
    WritePathFiles();
}
