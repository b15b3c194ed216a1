// The version text that the setup rewrites in the programs it places (the IMM code-page variants and
// the 64-bit half of the setup): the product display text "智能岚石输入平台" in UTF-16LE, a blank, one
// character and "6.3" or "6.7" (UTF-16LE digits and dot), which becomes 8.6. Portable: the packer
// checks that a program to be packed carries it.
#pragma once

#include <cstddef>

// Rewrites 6.3 or 6.7 to 8.6 after every occurrence of the product text whose version bytes lie
// inside data; returns how many were rewritten.
std::size_t PatchVersionTexts(unsigned char* data, std::size_t length);

// How many occurrences PatchVersionTexts would rewrite, leaving data as it is.
std::size_t CountVersionTexts(const unsigned char* data, std::size_t length);
