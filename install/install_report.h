// The install report: after a window-mode install, checks the install directory from outside and
// shows one message naming the first problem found.
#pragma once

#include <cstdint>

// Fills g_state.directoryScore and the three file counters from the install directory.
void ScanInstallDir();

// Reads up to 20 bytes of a file of the install directory into buffer (at least 20 bytes): bytes
// read * 256 + error code; 5120 means present with at least 20 bytes.
std::uint32_t ProbeInstalledFile(const char* name, char* buffer);

constexpr std::uint32_t kProbePresent = 20 * 256;

// Runs the checks in order; shows the report and returns 1 at the first failure, else returns 0.
int ShowInstallReport();
