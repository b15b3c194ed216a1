// The two container forms of the dictionaries: text lines of code and word, and binary code
// tables (.ov1).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

struct DictionaryEntry {
    std::string code;  // ASCII letters, or GBK text for association keys
    std::string word;  // GBK
    std::uint16_t frequency;
};

// Sorts by code (stable, so words of one code keep their order).
void SortByCode(std::vector<DictionaryEntry>& entries);

// Lines "code word" (and " frequency" when withFrequency), CR LF ended, in the given order.
Bytes TextDictionary(const std::vector<DictionaryEntry>& entries, bool withFrequency);

// A binary code table: a 32-byte header (magic, format 8.6, record count, record offset, index
// offset, index count, file size), the records sorted by code (code length, code, word length,
// word, frequency), and the offset of every 64th record. With exactSize, records are taken from
// the entries only while they fit and the file is padded with zero bytes to that size.
Bytes CodeTable(const char (&magic)[5], std::vector<DictionaryEntry> entries, std::size_t exactSize = 0);
