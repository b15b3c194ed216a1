// After the install: the check of the installed payload against the archive, the status-window mode
// and skin dialog, the chosen skin's archive unpacked and checked, picture 4 of every skin; and the
// version text rewritten in the program files that go into the system directories.
#pragma once

#include <cstddef>

// Members whose installed files may differ from the payload (they are converted, replaced, patched
// or placed elsewhere). A member is exempt when its name occurs anywhere in this text.
inline constexpr char kPayloadExemptions[] =
    "quszsj43.quh quorcyzk.bak quortavo.exe quortav6.exe qsrf732.dll qsrf764.dll quorsrf.dll quorsrf6.dll "
    "quor320.ime quor321.ime quor640.ime quor641.ime quorel4.ime quorel64.ime  setupw64.exe";

// Work buffer layout of the payload check: the exemption list first, the report from 4 KiB on.
constexpr std::size_t kExtraReportOffset = 4096;
// The most PatchVersionText reads of a file it rewrites; a larger file is left unchanged.
constexpr std::size_t kPatchCapacity = 2097152;

// The skin archive of a skin choice: 2 and 3 have their own, every other value the first.
const char* SkinArchiveName(int skinChoice);

// Runs the payload check, the dialog (unless earlier data is kept and a complete skin is already
// there) and the chosen skin's installation, reporting what did not arrive.
void InstallExtraFiles();

// Whether qubmp8.quh and qubmpsx1.bmp to qubmpsx7.bmp can all be opened in the install directory.
bool SkinComplete();

// Rewrites version 6.3 or 6.7 after the product display text (UTF-16) to 8.6, in place.
void PatchVersionText(const char* path);
