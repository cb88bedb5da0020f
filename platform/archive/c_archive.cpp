// SPDX-License-Identifier: Apache-2.0
#include "platform/archive/c_archive.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/measutil/quor_exception.h"

namespace {

const long kArchiveCode = static_cast<long>(static_cast<std::int32_t>(0xE8080882u));

[[noreturn]] void Fail(const wchar_t* text) {
    throw QuorException(kArchiveCode, text);
}

}  // namespace

CArchive::CArchive(std::vector<unsigned char>& bytes, Mode mode) : bytes_(&bytes), mode_(mode) {}

CArchive::CArchive(const std::string& path, Mode mode) : bytes_(&own_), mode_(mode), path_(path) {
    if (mode_ == store)
        return;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        Fail(L"Archive exception: file could not be opened");
    unsigned char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        own_.insert(own_.end(), chunk, chunk + n);
    std::fclose(f);
    path_.clear();
}

CArchive::~CArchive() {
    try {
        Close();
    } catch (const QuorException&) {
    }
}

void CArchive::Close() {
    if (mode_ != store || path_.empty())
        return;
    const std::string path = path_;
    path_.clear();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        Fail(L"Archive exception: file could not be opened");
    const bool ok = std::fwrite(own_.data(), 1, own_.size(), f) == own_.size();
    if (std::fclose(f) != 0 || !ok)
        Fail(L"Archive exception: WriteFile failed");
}

void CArchive::Put(const unsigned char* p, std::size_t n) {
    if (mode_ != store)
        Fail(L"Archive Exception: Writing to read-only archive.");
    bytes_->insert(bytes_->end(), p, p + n);
}

void CArchive::Get(unsigned char* p, std::size_t n) {
    if (mode_ != load)
        Fail(L"Archive Exception: Reading from write-only archive.");
    if (bytes_->size() - position_ < n)
        Fail(L"Archive Exception: Attempt to read beyond end of buffer.");
    std::memcpy(p, bytes_->data() + position_, n);
    position_ += n;
}

CArchive& CArchive::operator<<(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 24)};
    Put(b, 4);
    return *this;
}

CArchive& CArchive::operator<<(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    unsigned char b[8];
    for (int k = 0; k < 8; ++k)
        b[k] = static_cast<unsigned char>(bits >> (8 * k));
    Put(b, 8);
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& value) {
    unsigned char b[4];
    Get(b, 4);
    value = static_cast<std::int32_t>(std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) |
                                      (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24));
    return *this;
}

CArchive& CArchive::operator>>(double& value) {
    unsigned char b[8];
    Get(b, 8);
    std::uint64_t bits = 0;
    for (int k = 0; k < 8; ++k)
        bits |= std::uint64_t{b[k]} << (8 * k);
    std::memcpy(&value, &bits, sizeof value);
    return *this;
}
