// PatchVersionTexts and CountVersionTexts (see version_text.h).
#include "common/version_text.h"

#include <cstring>

namespace {

// "智能岚石输入平台" in UTF-16LE, spelled as bytes: wchar_t is two bytes on Windows, four on the host.
constexpr unsigned char kProductText[] = {0x7A, 0x66, 0xFD, 0x80, 0x9A, 0x5C, 0xF3, 0x77,
                                          0x93, 0x8F, 0x65, 0x51, 0x73, 0x5E, 0xF0, 0x53};
constexpr std::size_t kVersionTail = 9;  // bytes p .. p + 8 after the product text that are read

// Calls found(p) with the position p after each product text followed by a version to rewrite.
template <typename Found>
std::size_t ForEachVersion(const unsigned char* data, std::size_t length, Found&& found) {
    std::size_t count = 0;
    std::size_t position = 0;
    while (position + sizeof kProductText <= length) {
        if (std::memcmp(data + position, kProductText, sizeof kProductText) != 0) {
            ++position;
            continue;
        }
        std::size_t p = position + sizeof kProductText;
        if (p + kVersionTail <= length && data[p] == ' ' && data[p + 4] == '6' && data[p + 6] == '.' &&
            (data[p + 8] == '3' || data[p + 8] == '7')) {
            found(p);
            ++count;
        }
        position = p + 1;
    }
    return count;
}

}  // namespace

std::size_t PatchVersionTexts(unsigned char* data, std::size_t length) {
    return ForEachVersion(data, length, [data](std::size_t p) {
        data[p + 4] = '8';
        data[p + 8] = '6';
    });
}

std::size_t CountVersionTexts(const unsigned char* data, std::size_t length) {
    return ForEachVersion(data, length, [](std::size_t) {});
}
