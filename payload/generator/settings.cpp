// Settings members: the 200-byte settings records (quszsj43.quh with the input method's defaults,
// and the records of two further profiles) and the font settings.
#include "gbk.h"
#include "members.h"

namespace {

// The defaults: display settings at 0x08 to 0x3A (0x08 holds the candidate count and style code
// 0x36), every other byte 0.
Bytes DefaultSettings() {
    Bytes record(200, '\0');
    record[0x08] = 0x36;
    for (int offset : {0x09, 0x0A, 0x0C, 0x0F, 0x13, 0x16, 0x18, 0x1B, 0x24, 0x29, 0x2A, 0x2B, 0x36, 0x3A}) record[offset] = 1;
    return record;
}

// The profile of the Pinyin edition: the defaults with its input settings.
Bytes PinyinProfile() {
    Bytes record = DefaultSettings();
    for (int offset : {0x13, 0x19, 0x1B, 0x2A, 0x40, 0x46, 0x48}) record[offset] = 1;
    for (int offset : {0x16, 0x24, 0x36, 0x4B}) record[offset] = 0;
    for (int offset = 0x1C; offset <= 0x23; ++offset) record[offset] = 0;
    record[0x50] = 10;
    return record;
}

// The profile for traditional-character output.
Bytes TraditionalProfile() {
    Bytes record = DefaultSettings();
    record[0x0F] = 1;
    record[0x01] = 1;
    record[0x3E] = 1;
    return record;
}

Bytes FontSettings() {
    return Gbk(
        "QUFONTNAME=宋体\r\nQUFONTSIZE=12\r\nQUFONTCOLOR=0\r\n"
        "QUCANDFONT=楷体\r\nQUCANDSIZE=16\r\nQUCANDCOLOR=8388608\r\nQUCANDSELCOLOR=255\r\n"
        "QUSTATFONT=宋体\r\nQUSTATSIZE=9\r\nQUSTATCOLOR=0\r\n"
        "QUCOMPFONT=Arial\r\nQUCOMPSIZE=14\r\nQUCOMPCOLOR=12615680\r\n");
}

}  // namespace

void AddSettingsMembers(MakerTable& table) {
    table["quszsj43.quh"] = DefaultSettings;
    table["quszsj05.quh"] = PinyinProfile;
    table["quszsj06.quh"] = TraditionalProfile;
    table["qfontset.quh"] = FontSettings;
}
