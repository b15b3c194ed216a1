// The administrator probe made at start-up from Windows Vista on.
#pragma once

// True when the process cannot write the path file into the Windows directory (Vista and later).
// Reads the previous install directory from the path file before the probe overwrites it, and
// leaves the path files holding the real install directory.
bool LacksAdminRights();
