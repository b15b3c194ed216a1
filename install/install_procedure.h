// The install procedure: everything that puts the input method on the machine, from the path files
// and the secured install directory to the registration, the registry entries and the start of the
// 64-bit setup program.
#pragma once

// Shown once when the payload did not unpack completely; the install goes on with what was unpacked.
inline constexpr char kIncompleteExtractionText[] = "文件解压不完整，请到智能岚石网站";
inline constexpr char kIncompleteExtractionClosing[] = "重新下载安装。";

// Runs the whole install for the interface choice, the system bitness and the Windows 10 flag in
// g_state. The payload and the work buffer must have been acquired by the caller: without them the
// install is refused before anything is written. No step stops the install; the faults it reports
// to the user are left as kFault* bits in g_state.installFaults.
void RunInstall();

// The file deployment. The first pass unpacks the payload and places every file; the second pass,
// run by an IMM install after its registration, repeats the preparation and places the full IMM
// files in place of the code-page variants.
void DeployFiles(bool secondPass);
