// Compaction of the phrase backup (see phrase_backup.h). A phrase is a run of at least two
// double-byte characters followed by "; "; other runs are dropped from the text but their bytes
// still count in the trailer's byte sum, which the input method checks against its own count.
#include "archive/phrase_backup.h"

#include <cstring>

#include "archive/quz_format.h"

namespace {

constexpr unsigned char kTrailerMark[] = {'Q', 'U', 'O', 'R'};

bool IsDoubleByteAt(const unsigned char* data, std::size_t length, std::size_t index) {
    return index + 1 < length && data[index] > 0x80 && data[index + 1] > 0x3F;
}

bool DelimiterAt(const unsigned char* data, std::size_t length, std::size_t index) {
    return index + 1 < length && data[index] == ';' && data[index + 1] == ' ';
}

}  // namespace

std::size_t ConvertPhraseBackup(unsigned char* data, std::size_t length) {
    if (length >= kPhraseTrailerSize &&
        std::memcmp(data + length - kPhraseTrailerSize, kTrailerMark, sizeof kTrailerMark) == 0) {
        return length - kPhraseTrailerSize;
    }

    std::size_t read = 0;
    std::size_t write = 0;
    std::uint32_t byteSum = 0;
    std::uint32_t phraseCount = 0;
    while (read < length) {
        std::size_t itemStart = write;
        std::size_t characters = 0;
        while (IsDoubleByteAt(data, length, read)) {
            data[write] = data[read];
            data[write + 1] = data[read + 1];
            byteSum += data[read] + data[read + 1];
            read += 2;
            write += 2;
            ++characters;
        }
        if (characters >= 2 && DelimiterAt(data, length, read)) {
            ++phraseCount;
        } else {
            write = itemStart;
            // Skip to the next delimiter: a ';' or the byte before a space.
            while (read < length && data[read] != ';' && !(read + 1 < length && data[read + 1] == ' ')) ++read;
        }
        if (read >= length) break;
        // The delimiter is two bytes; a lone last byte is copied alone rather than reading past the data.
        std::size_t delimiter = read + 1 < length ? 2 : 1;
        std::memmove(data + write, data + read, delimiter);
        read += delimiter;
        write += delimiter;
    }

    std::memcpy(data + write, kTrailerMark, sizeof kTrailerMark);
    WriteLittleEndian32(data + write + 4, byteSum);
    WriteLittleEndian32(data + write + 8, phraseCount);
    return write;
}
