// Byte buffers of the generated files: little-endian integers and whole-file output.
#pragma once

#include <cstdint>
#include <string>

using Bytes = std::string;

inline void PutU16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void PutU32(Bytes& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

inline void SetU32(Bytes& out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Writes the file whole; false (with a message on stderr) when it cannot.
bool WriteWholeFile(const std::string& path, const Bytes& bytes);
