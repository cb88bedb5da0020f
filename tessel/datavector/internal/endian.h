// SPDX-License-Identifier: Apache-2.0
// Little-endian stores and loads of 16- and 32-bit integers and single-precision floats.
//
// Byte records are written field by field through these helpers, never by copying a structure,
// so the record layout is the same whatever the host's byte order and structure packing.
#pragma once

#include <cstdint>
#include <cstring>

namespace Tessel::internal {

inline void StoreLE16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void StoreLE32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

inline std::uint16_t LoadLE16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t LoadLE32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// IEEE-754 single precision, as the little-endian bytes of its bit pattern.
inline void StoreLEFloat(unsigned char* p, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    StoreLE32(p, bits);
}

inline float LoadLEFloat(const unsigned char* p) {
    const std::uint32_t bits = LoadLE32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace Tessel::internal
