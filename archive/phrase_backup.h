// The one member-specific conversion made during extraction: the user's phrase backup, GBK phrases
// each followed by "; ", compacted and closed with a 12-byte trailer ("QUOR", byte sum, phrase
// count). Portable, so the fuzz target exercises it natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/named_files.h"

constexpr std::size_t kPhraseTrailerSize = 12;
// The member that is converted on its way to the install directory.
inline constexpr const char* kPhraseBackupMember = kWubiLibraryBackup;

// Converts data (length bytes, in a buffer of at least length + 12 bytes) in place and returns the
// length of the kept text; the trailer follows it. Data that already ends in a trailer is left as it
// is and its length less 12 is returned. Nothing outside data and the trailer is read or written.
std::size_t ConvertPhraseBackup(unsigned char* data, std::size_t length);
