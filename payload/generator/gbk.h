// GBK text for the generated members: conversion from the UTF-8 of the generator's sources, the
// character sets of GB2312 and GBK, code conversions to Unicode and Big5, and the initial letter
// of a character's Pinyin reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"

// The GBK bytes of a UTF-8 text. A character that GBK lacks ends the program with a message: the
// generators only use texts that GBK can hold.
Bytes Gbk(const std::string& utf8);

// The GBK text of a UTF-8 text converted character by character through another table (each
// UTF-8 character that the table maps is replaced).
std::string MapCharacters(const std::string& utf8, const std::vector<std::pair<std::string, std::string>>& table);

// The characters of a UTF-8 text, one string each.
std::vector<std::string> SplitCharacters(const std::string& utf8);

// The Chinese characters of GB2312 level 1 (3,755, ordered by reading) and level 2 (3,008, ordered
// by radical), each as its two GBK bytes.
const std::vector<std::string>& Gb2312Level1();
const std::vector<std::string>& Gb2312Level2();

// Every Chinese character that GBK assigns (GB2312's and the extension's), in code order.
const std::vector<std::string>& GbkHanzi();

// The Unicode code point of a GBK double-byte code, or 0 when GBK leaves the code unassigned.
std::uint32_t GbkToUnicode(std::uint16_t code);

// The GBK code of a Big5 code, or 0 when either set lacks the character.
std::uint16_t Big5ToGbk(std::uint16_t code);

// The initial of the Pinyin reading ('a'..'z') of a GB2312 level-1 character, which that level
// orders by reading; 0 for any other text.
char PinyinInitial(const std::string& gbkCharacter);

// The initials of every character of a GBK word, with a stand-in letter derived from the code for
// characters outside level 1.
std::string PinyinInitials(const std::string& gbkWord);
