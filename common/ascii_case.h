// ASCII letter case, byte by byte. Only A-Z and a-z change: bytes from 0x80 up (GBK and Big5
// characters) and everything else stay as they are. Portable: the host-built packer uses it too.
#pragma once

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
