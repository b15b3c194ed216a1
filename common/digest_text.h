// Digest text, the form in which MD5 digests are stored in archives and compared: 32 upper-case
// hexadecimal digits, then two NUL bytes. Portable: the packer builds it natively too.
#pragma once

#include <cstddef>

constexpr std::size_t kDigestTextSize = 34;
constexpr std::size_t kDigestHexLength = 32;

// Exact comparison of a computed digest text with a stored one. An empty computed text (no digest
// could be made) never matches, so nothing can pass by standing beside an empty digest.
bool DigestTextsEqual(const char* computed, const unsigned char* stored);

// Writes the 34-byte digest text of a 16-byte MD5 digest.
void FormatDigestText(const unsigned char digest[16], char* text);
