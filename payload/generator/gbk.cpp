// GBK conversions through the C library's iconv, and the GB2312 reading order.
#include "gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// Converts between two character sets; returns false when a character cannot be converted.
bool Convert(const char* to, const char* from, const std::string& input, std::string& output) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "iconv cannot convert %s to %s\n", from, to);
        std::exit(1);
    }
    output.assign(input.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1) || inLeft != 0) return false;
    output.resize(output.size() - outLeft);
    return true;
}

std::string TwoBytes(unsigned lead, unsigned trail) {
    return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

// First GB2312 code of each initial letter in level 1 (no reading begins with i, u or v).
struct InitialRange {
    std::uint16_t firstCode;
    char letter;
};
const InitialRange kInitials[] = {
    {0xB0A1, 'a'}, {0xB0C5, 'b'}, {0xB2C1, 'c'}, {0xB4EE, 'd'}, {0xB6EA, 'e'}, {0xB7A2, 'f'},
    {0xB8C1, 'g'}, {0xB9FE, 'h'}, {0xBBF7, 'j'}, {0xBFA6, 'k'}, {0xC0AC, 'l'}, {0xC2E8, 'm'},
    {0xC4C3, 'n'}, {0xC5B6, 'o'}, {0xC5BE, 'p'}, {0xC6DA, 'q'}, {0xC8BB, 'r'}, {0xC8F6, 's'},
    {0xCBFA, 't'}, {0xCDDA, 'w'}, {0xCEF4, 'x'}, {0xD1B9, 'y'}, {0xD4D1, 'z'},
};
const std::uint16_t kLevel1End = 0xD7F9;  // last level-1 character

}  // namespace

Bytes Gbk(const std::string& utf8) {
    std::string gbk;
    if (!Convert("GBK", "UTF-8", utf8, gbk)) {
        std::fprintf(stderr, "not representable in GBK: %s\n", utf8.c_str());
        std::exit(1);
    }
    return gbk;
}

std::vector<std::string> SplitCharacters(const std::string& utf8) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        characters.push_back(utf8.substr(i, length));
        i += length;
    }
    return characters;
}

std::string MapCharacters(const std::string& utf8,
                          const std::vector<std::pair<std::string, std::string>>& table) {
    std::string mapped;
    for (const std::string& character : SplitCharacters(utf8)) {
        std::string replacement = character;
        for (const auto& [from, to] : table) {
            if (from == character) {
                replacement = to;
                break;
            }
        }
        mapped += replacement;
    }
    return Gbk(mapped);
}

const std::vector<std::string>& Gb2312Level1() {
    static const std::vector<std::string> characters = [] {
        std::vector<std::string> list;
        for (unsigned code = 0xB0A1; code <= kLevel1End; ++code) {
            if ((code & 0xFF) >= 0xA1 && (code & 0xFF) <= 0xFE) list.push_back(TwoBytes(code >> 8, code & 0xFF));
        }
        return list;
    }();
    return characters;
}

const std::vector<std::string>& Gb2312Level2() {
    static const std::vector<std::string> characters = [] {
        std::vector<std::string> list;
        for (unsigned lead = 0xD8; lead <= 0xF7; ++lead) {
            for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) list.push_back(TwoBytes(lead, trail));
        }
        return list;
    }();
    return characters;
}

std::uint32_t GbkToUnicode(std::uint16_t code) {
    std::string utf32;
    if (!Convert("UTF-32LE", "GBK", TwoBytes(code >> 8, code & 0xFF), utf32) || utf32.size() != 4) return 0;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(utf32[i]);
    return value;
}

const std::vector<std::string>& GbkHanzi() {
    static const std::vector<std::string> characters = [] {
        std::vector<std::string> list;
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                std::uint32_t unicode = GbkToUnicode(static_cast<std::uint16_t>(lead << 8 | trail));
                if (unicode >= 0x4E00 && unicode <= 0x9FFF) list.push_back(TwoBytes(lead, trail));
            }
        }
        return list;
    }();
    return characters;
}

std::uint16_t Big5ToGbk(std::uint16_t code) {
    std::string gbk;
    if (!Convert("GBK", "BIG5", TwoBytes(code >> 8, code & 0xFF), gbk) || gbk.size() != 2) return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(gbk[0]) << 8 | static_cast<unsigned char>(gbk[1]));
}

char PinyinInitial(const std::string& gbkCharacter) {
    if (gbkCharacter.size() != 2) return 0;
    std::uint16_t code = static_cast<std::uint16_t>(static_cast<unsigned char>(gbkCharacter[0]) << 8 |
                                                    static_cast<unsigned char>(gbkCharacter[1]));
    if (code < kInitials[0].firstCode || code > kLevel1End) return 0;
    char letter = 0;
    for (const InitialRange& range : kInitials) {
        if (code >= range.firstCode) letter = range.letter;
    }
    return letter;
}

std::string PinyinInitials(const std::string& gbkWord) {
    std::string initials;
    for (std::size_t i = 0; i + 1 < gbkWord.size(); i += 2) {
        char letter = PinyinInitial(gbkWord.substr(i, 2));
        if (letter == 0) {
            // Outside level 1 the reading order is unknown: a letter that stays the same per character.
            unsigned code = static_cast<unsigned char>(gbkWord[i]) * 191u + static_cast<unsigned char>(gbkWord[i + 1]);
            letter = "abcdefghjklmnopqrstwxyz"[code % 23];
        }
        initials.push_back(letter);
    }
    return initials;
}
