// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/archive.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/measutil/quor_exception.h"
#include "tessel/core/status.h"
#include "tessel/datavector/internal/endian.h"
#include "tessel/datavector/internal/utf16.h"

namespace QuorUtility {
namespace {

constexpr const wchar_t* kWriteWhileLoading = L"Archive Exception: Writing to read-only archive.";
constexpr const wchar_t* kReadWhileStoring = L"Archive Exception: Reading from write-only archive.";
constexpr const wchar_t* kInvalidHandleText = L"Archive Exception: Invalid file handle";
constexpr const wchar_t* kReadFileFailed = L"Archive exception: ReadFile failed";
constexpr const wchar_t* kWriteFileFailed = L"Archive exception: WriteFile failed";
constexpr const wchar_t* kBeyondEnd = L"Archive Exception: Attempt to read beyond end of buffer.";

// File reads grow the buffer a chunk at a time, so a request for more bytes than the file
// holds allocates no more than the file's size plus one chunk.
constexpr std::size_t kReadChunk = 1 << 16;

[[noreturn]] void Fail(const wchar_t* text) {
    throw QuorException(Tessel::kArchiveError, std::wstring(text));
}

// Reads up to `want` bytes from `fd`, appending them to `out`, until the request is met or the
// file ends. Returns the count read; throws on a read error.
std::size_t ReadFully(int fd, std::size_t want, std::vector<unsigned char>& out) {
    std::size_t got = 0;
    while (got < want) {
        const std::size_t chunk = std::min(want - got, kReadChunk);
        const std::size_t old = out.size();
        out.resize(old + chunk);
        ssize_t r;
        do {
            r = ::read(fd, out.data() + old, chunk);
        } while (r < 0 && errno == EINTR);
        out.resize(old + (r > 0 ? static_cast<std::size_t>(r) : 0));
        if (r < 0)
            Fail(kReadFileFailed);
        if (r == 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

}  // namespace

Archive::Archive(std::vector<unsigned char>& bytes, bool loading)
    : bytes_(&bytes), loading_(loading), overFile_(false), handle_(kInvalidHandle) {}

Archive::Archive(int fileHandle, bool loading)
    : bytes_(&buffer_),
      loading_(loading),
      overFile_(true),
      handle_(fileHandle < 0 ? kInvalidHandle : fileHandle) {}

Archive::~Archive() {
    CloseHandle();
}

void Archive::CloseHandle() {
    if (handle_ != kInvalidHandle) {
        ::close(handle_);
        handle_ = kInvalidHandle;
    }
}

void Archive::Write(const void* data, std::size_t n) {
    if (loading_)
        Fail(kWriteWhileLoading);
    if (n == 0)
        return;
    const auto* p = static_cast<const unsigned char*>(data);
    bytes_->insert(bytes_->end(), p, p + n);
}

void Archive::Refill(std::ptrdiff_t n) {
    if (handle_ == kInvalidHandle)
        Fail(kInvalidHandleText);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ = 0;
    if (ReadFully(handle_, static_cast<std::size_t>(n), buffer_) < static_cast<std::size_t>(n)) {
        CloseHandle();
    }
}

const unsigned char* Archive::Consume(std::ptrdiff_t n) {
    if (!loading_)
        Fail(kReadWhileStoring);
    const auto remaining = [this] {
        return static_cast<std::ptrdiff_t>(bytes_->size() - position_);
    };
    if (overFile_ && n > remaining())
        Refill(n);
    if (n < 0 || n > remaining())
        Fail(kBeyondEnd);
    const unsigned char* p = bytes_->data() + position_;
    position_ += static_cast<std::size_t>(n);
    return p;
}

void Archive::Read(void* data, std::ptrdiff_t n) {
    const unsigned char* p = Consume(n);
    if (n > 0)
        std::memcpy(data, p, static_cast<std::size_t>(n));
}

std::vector<unsigned char> Archive::ReadBlock(std::ptrdiff_t n) {
    const unsigned char* p = Consume(n);
    return std::vector<unsigned char>(p, p + n);
}

void Archive::Write8(std::uint8_t v) {
    Write(&v, 1);
}

void Archive::Write16(std::uint16_t v) {
    unsigned char b[2];
    Tessel::internal::StoreLE16(b, v);
    Write(b, sizeof b);
}

void Archive::Write32(std::uint32_t v) {
    unsigned char b[4];
    Tessel::internal::StoreLE32(b, v);
    Write(b, sizeof b);
}

std::uint8_t Archive::Read8() {
    return *Consume(1);
}
std::uint16_t Archive::Read16() {
    return Tessel::internal::LoadLE16(Consume(2));
}
std::uint32_t Archive::Read32() {
    return Tessel::internal::LoadLE32(Consume(4));
}

void Archive::WriteWString(const std::wstring& text) {
    std::u16string units = Tessel::internal::ToUtf16(text);
    units.push_back(u'\0');
    Write32(static_cast<std::uint32_t>(units.size()));
    Write8(2);
    std::vector<unsigned char> bytes(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        Tessel::internal::StoreLE16(&bytes[2 * i], units[i]);
    }
    Write(bytes.data(), bytes.size());
}

std::wstring Archive::ReadWString() {
    const auto length = static_cast<std::int32_t>(Read32());
    const unsigned size = Read8();
    if (size != 1 && size != 2 && size != 4)
        throw QuorException(0);
    const std::vector<unsigned char> bytes = ReadBlock(std::ptrdiff_t{length} * size);
    const std::size_t count = bytes.size() / size;
    if (size == 2) {
        std::u16string units(count, u'\0');
        for (std::size_t i = 0; i < count; ++i)
            units[i] = Tessel::internal::LoadLE16(&bytes[2 * i]);
        return Tessel::internal::FromUtf16(units.c_str(), std::min(units.find(u'\0'), count));
    }
    std::wstring text;
    for (std::size_t i = 0; i < count; ++i) {
        const wchar_t c =
            static_cast<wchar_t>(size == 1 ? bytes[i] : Tessel::internal::LoadLE32(&bytes[4 * i]));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

void Archive::WriteFileBuffer() {
    if (handle_ == kInvalidHandle)
        Fail(kInvalidHandleText);
    std::size_t done = 0;
    while (done < buffer_.size()) {
        ssize_t w;
        do {
            w = ::write(handle_, buffer_.data() + done, buffer_.size() - done);
        } while (w < 0 && errno == EINTR);
        if (w <= 0)
            Fail(kWriteFileFailed);
        done += static_cast<std::size_t>(w);
    }
    buffer_.clear();
}

void Archive::Close() {
    if (loading_) {
        bytes_->erase(bytes_->begin(), bytes_->begin() + static_cast<std::ptrdiff_t>(position_));
        position_ = 0;
        CloseHandle();
        return;
    }
    if (!overFile_)
        return;
    // A file archive that lost (or never had) its file still reports the bytes it would drop.
    if (handle_ != kInvalidHandle || !buffer_.empty())
        WriteFileBuffer();
    CloseHandle();
}

}  // namespace QuorUtility
