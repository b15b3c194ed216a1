// Security of the install directory and the programs started from it at a lower trust level. The
// external commands name the directory by its usual short path, c:\Progra~1\quorel8.
#pragma once

// Starts the payload program qrjcdir at the basic-user trust level of runas; not waited for.
void LaunchAtBasicTrust();
