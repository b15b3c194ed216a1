// After the install: the check of the installed payload against the archive, and the chosen skin's
// archive unpacked and checked, with picture 4 of every skin. The dialog that chooses the skin is the
// caller's.
#pragma once

#include <cstddef>

// Members whose installed files may differ from the payload (they are converted, replaced, patched
// or placed elsewhere). A member is exempt when its name occurs anywhere in this text.
inline constexpr char kPayloadExemptions[] =
    "quszsj43.quh quorcyzk.bak quortavo.exe quortav6.exe qsrf732.dll qsrf764.dll quorsrf.dll quorsrf6.dll "
    "quor320.ime quor321.ime quor640.ime quor641.ime quorel4.ime quorel64.ime  setupw64.exe";

// Work buffer layout of the payload check: the exemption list first, the report from 4 KiB on.
constexpr std::size_t kExtraReportOffset = 4096;

// The skin archive of a skin choice: 2 and 3 have their own, every other value the first.
const char* SkinArchiveName(int skinChoice);

// Checks the installed payload against the archive and shows what did not arrive; the report stays
// in the work buffer, where InstallChosenSkin adds to it when the skin archive is missing.
void CheckInstalledPayload();

// Unpacks the skin archive of g_state.skinChoice, checks its members and gives every skin picture 4;
// reports what did not arrive.
void InstallChosenSkin();

// Whether qubmp8.quh and qubmpsx1.bmp to qubmpsx7.bmp can all be opened in the install directory.
bool SkinComplete();
