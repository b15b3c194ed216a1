// DigestTextsEqual and FormatDigestText (see digest_text.h).
#include "common/digest_text.h"

#include <cstring>

bool DigestTextsEqual(const char* computed, const unsigned char* stored) {
    if (computed == nullptr || stored == nullptr || computed[0] == '\0') return false;
    return std::memcmp(computed, stored, kDigestHexLength + 1) == 0;
}

void FormatDigestText(const unsigned char digest[16], char* text) {
    static const char kHex[] = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        text[2 * i] = kHex[digest[i] >> 4];
        text[2 * i + 1] = kHex[digest[i] & 0x0F];
    }
    text[32] = '\0';
    text[33] = '\0';
}
