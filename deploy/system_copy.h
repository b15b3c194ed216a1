// Copies of the input method's files in the system and Windows directories, checked against the
// install directory's files by size. On 64-bit Windows every access runs with WOW64 redirection off.
#pragma once

// Results of CompareDeployedFile.
constexpr int kCompareSame = 0;
constexpr int kCompareNoSource = 1;
constexpr int kCompareNoTarget = 2;
constexpr int kCompareSizeDiffers = 3;

// Compares sourceName in the install directory with targetName in the target directory of kind
// (sizes only): 0 same size, 1 source can't be opened, 2 target can't be opened, 3 sizes differ.
// Leaves the two paths in g_state.sourcePath and g_state.destinationPath.
int CompareDeployedFile(const char* sourceName, const char* targetName, int kind);
