// Text and binary dictionary containers.
#include "tables.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const std::size_t kHeaderSize = 32;
const std::size_t kIndexStep = 64;

std::size_t RecordSize(const DictionaryEntry& entry) { return 1 + entry.code.size() + 1 + entry.word.size() + 2; }

std::size_t IndexSize(std::size_t records) { return 4 * ((records + kIndexStep - 1) / kIndexStep); }

}  // namespace

void SortByCode(std::vector<DictionaryEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const DictionaryEntry& a, const DictionaryEntry& b) { return a.code < b.code; });
}

Bytes TextDictionary(const std::vector<DictionaryEntry>& entries, bool withFrequency) {
    Bytes text;
    for (const DictionaryEntry& entry : entries) {
        text += entry.code + " " + entry.word;
        if (withFrequency) text += " " + std::to_string(entry.frequency);
        text += "\r\n";
    }
    return text;
}

Bytes CodeTable(const char (&magic)[5], std::vector<DictionaryEntry> entries, std::size_t exactSize) {
    if (exactSize != 0) {
        std::size_t used = kHeaderSize, kept = 0;
        for (; kept < entries.size(); ++kept) {
            std::size_t next = used + RecordSize(entries[kept]);
            if (next + IndexSize(kept + 1) > exactSize) break;
            used = next;
        }
        entries.resize(kept);
    }
    SortByCode(entries);

    Bytes records, index;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i % kIndexStep == 0) PutU32(index, static_cast<std::uint32_t>(kHeaderSize + records.size()));
        const DictionaryEntry& entry = entries[i];
        records.push_back(static_cast<char>(entry.code.size()));
        records += entry.code;
        records.push_back(static_cast<char>(entry.word.size()));
        records += entry.word;
        PutU16(records, entry.frequency);
    }
    std::size_t size = kHeaderSize + records.size() + index.size();
    if (exactSize != 0) {
        if (size > exactSize) {
            std::fprintf(stderr, "code table of %zu bytes does not fit %zu\n", size, exactSize);
            std::exit(1);
        }
        size = exactSize;
    }

    Bytes table(magic, 4);
    PutU32(table, 0x00080006);
    PutU32(table, static_cast<std::uint32_t>(entries.size()));
    PutU32(table, static_cast<std::uint32_t>(kHeaderSize));
    PutU32(table, static_cast<std::uint32_t>(kHeaderSize + records.size()));
    PutU32(table, static_cast<std::uint32_t>(index.size() / 4));
    PutU32(table, static_cast<std::uint32_t>(size));
    PutU32(table, 0);
    table += records;
    table += index;
    table.resize(size, '\0');
    return table;
}
