// SPDX-License-Identifier: Apache-2.0
// Little-endian field writers and readers for the marker and marker-set records.
//
// A RecordWriter stores fields one after another into a caller's buffer whose size was checked
// beforehand; a RecordReader reads them back and knows how many bytes remain, so a loader can
// refuse a record before reading past its end.
#pragma once

#include <cstdint>
#include <cstring>

#include "tessel/datavector/internal/endian.h"

namespace Tessel::internal {

class RecordWriter {
  public:
    explicit RecordWriter(unsigned char* p) : p_(p) {}
    void U8(std::uint8_t v) { *p_++ = v; }
    void I32(std::int32_t v) {
        StoreLE32(p_, static_cast<std::uint32_t>(v));
        p_ += 4;
    }
    void F32(float v) {
        StoreLEFloat(p_, v);
        p_ += 4;
    }
    void F64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        StoreLE32(p_, static_cast<std::uint32_t>(bits));
        StoreLE32(p_ + 4, static_cast<std::uint32_t>(bits >> 32));
        p_ += 8;
    }
    void Zeros(int n) {
        std::memset(p_, 0, static_cast<std::size_t>(n));
        p_ += n;
    }

  private:
    unsigned char* p_;
};

class RecordReader {
  public:
    RecordReader(const unsigned char* p, int size) : p_(p), left_(size) {}
    int Left() const { return left_; }
    void Skip(int n) { Advance(n); }
    std::uint8_t U8() { return *Advance(1); }
    std::int32_t I32() { return static_cast<std::int32_t>(LoadLE32(Advance(4))); }
    float F32() { return LoadLEFloat(Advance(4)); }
    double F64() {
        const unsigned char* p = Advance(8);
        const std::uint64_t bits = LoadLE32(p) | (std::uint64_t{LoadLE32(p + 4)} << 32);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

  private:
    // The caller has checked Left(); the reads never pass the end.
    const unsigned char* Advance(int n) {
        const unsigned char* p = p_;
        p_ += n;
        left_ -= n;
        return p;
    }
    const unsigned char* p_;
    int left_;
};

}  // namespace Tessel::internal
