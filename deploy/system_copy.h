// Copies of files from the install directory into the Windows, System and WOW64 system directories,
// with WOW64 redirection switched off around each copy and comparison, the size check and its one
// retry, the messages naming a file that cannot be placed, the placing of the IMM files, and the
// version text rewritten in the program files placed there.
#pragma once

#include <cstddef>

#include "common/named_files.h"

// Results of CompareDeployedFile.
constexpr int kCompareSame = 0;
constexpr int kCompareNoSource = 1;
constexpr int kCompareNoTarget = 2;
constexpr int kCompareSizeDiffers = 3;

// The file name every IMM variant is placed under, in both system directories.
inline constexpr const char* kImeTargetName = kImeFile;

// Tells the user that a file (a path or a bare name) could not be placed and must be removed by hand.
void ShowCopyFailedMessage(const char* shown);

// Compares the sizes of the install directory's sourceName and the placed targetName (0 to 3).
int CompareDeployedFile(const char* sourceName, const char* targetName, int kind);

// Copies, checks the sizes, copies once more when they differ, and names the file when they still do.
void CopyAndVerify(const char* sourceName, const char* targetName, int kind);

// Places the IMM files: the code-page variants (version-patched first) in the first pass, the full
// files in the second pass, which then removes the variants from the install directory.
void InstallImeFiles(bool secondPass);

// The most PatchVersionText reads of a file it rewrites; a larger file is left unchanged.
constexpr std::size_t kPatchCapacity = 2097152;

// Rewrites version 6.3 or 6.7 after the product display text (UTF-16) to 8.6 in a file of the
// install directory, in place.
void PatchVersionText(const char* name);
