// The install procedure: everything that puts the input method on the machine, from the path files
// and the secured install directory to the registration, the registry entries and the start of the
// 64-bit setup program.
#pragma once

// Shown once when the payload did not unpack completely; the install goes on with what was unpacked.
inline constexpr char kIncompleteExtractionText[] = "文件解压不完整，请到智能岚石网站";
inline constexpr char kIncompleteExtractionClosing[] = "重新下载安装。";

// The install directory made safe to write into by name: the one real folder of its name, pinned
// (platform/directory_pin.h). A link found at its name is removed as the link, never its target;
// with create the folder is then made (with its descriptor), else a missing folder is left for the
// install to make (only an administrator can make one there). False when it cannot be had so: the
// install must not start.
bool SecureInstallDir(bool create);

// Tells the user (window mode) that the install directory is no real folder and cannot be made one.
void ShowInstallDirRefused();

// Runs the whole install for the interface choice, the system bitness and the Windows 10 flag in
// g_state. The payload and the work buffer must have been acquired by the caller: without them, or
// without a real install directory (SecureInstallDir), the install is refused before anything is
// written. No step stops the install; the faults it reports
// to the user are left as kFault* bits in g_state.installFaults.
void RunInstall();

// The file deployment. The first pass unpacks the payload and places every file; the second pass,
// run by an IMM install after its registration, repeats the preparation and places the full IMM
// files in place of the code-page variants.
void DeployFiles(bool secondPass);
