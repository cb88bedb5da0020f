// SPDX-License-Identifier: Apache-2.0
// Little-endian byte writing and bounds-checked reading for the utility library's records.
//
// Every field is stored byte by byte, least significant first, independent of the host's
// byte order and structure layout. Doubles are stored as their IEEE-754 bit pattern.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace QuorUtility::internal {

inline void PutU8(std::vector<std::uint8_t>& out, std::uint8_t v) {
    out.push_back(v);
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int b = 0; b < 4; ++b)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
}

inline void PutU64(std::vector<std::uint8_t>& out, std::uint64_t v) {
    for (int b = 0; b < 8; ++b)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
}

inline void PutF64(std::vector<std::uint8_t>& out, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    PutU64(out, bits);
}

// Reads fields from data[0 .. size). Each Get returns false, leaving the position and the
// output untouched, when the field does not fit in what remains.
class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }

    bool GetU8(std::uint8_t& v) {
        if (data_ == nullptr || Remaining() < 1)
            return false;
        v = data_[pos_++];
        return true;
    }
    bool GetU32(std::uint32_t& v) {
        std::uint64_t x;
        if (!GetBytes(4, x))
            return false;
        v = static_cast<std::uint32_t>(x);
        return true;
    }
    bool GetU64(std::uint64_t& v) { return GetBytes(8, v); }
    bool GetF64(double& v) {
        std::uint64_t bits;
        if (!GetU64(bits))
            return false;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }

  private:
    bool GetBytes(int n, std::uint64_t& v) {
        if (data_ == nullptr || Remaining() < static_cast<std::size_t>(n))
            return false;
        std::uint64_t x = 0;
        for (int b = 0; b < n; ++b)
            x |= std::uint64_t(data_[pos_ + b]) << (8 * b);
        pos_ += n;
        v = x;
        return true;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace QuorUtility::internal
