// Appending little-endian fields to a byte buffer, whatever the build machine's byte order.
#pragma once

#include <cstdint>
#include <vector>

inline void PutU8(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
}

inline void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU8(out, value);
    PutU8(out, value >> 8);
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value);
    PutU16(out, value >> 16);
}
