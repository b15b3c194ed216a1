// The install procedure: everything that puts the input method on the machine, from the path files
// to the registration and the registry entries.
#pragma once

// Runs the whole install. The payload and the work buffer must have been acquired by the caller.
void RunInstall();
