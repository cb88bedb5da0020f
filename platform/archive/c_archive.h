// SPDX-License-Identifier: Apache-2.0
// CArchive: the host framework's object archive stream, as far as tessel uses it.
//
// An archive either stores or loads a sequence of 32-bit integers and doubles, in order and
// little-endian, over a caller's byte vector or over a file. Storing over a file collects the
// bytes and writes them at Close (or destruction); loading over a file reads the whole file
// when the archive opens.
//
// Failures throw QuorException with code 0xE8080882 and one text:
//   "Archive Exception: Writing to read-only archive."   a store while loading
//   "Archive Exception: Reading from write-only archive." a load while storing
//   "Archive Exception: Attempt to read beyond end of buffer."
//   "Archive exception: file could not be opened"         the file cannot be opened
//   "Archive exception: WriteFile failed"                 the file write failed
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tessel/core/export.h"

class TESSEL_EXPORT CArchive {
  public:
    enum Mode { store = 0, load = 1 };

    // An archive over `bytes`, which must outlive it: storing appends, loading reads from the
    // first byte on.
    CArchive(std::vector<unsigned char>& bytes, Mode mode);
    // An archive over the file at `path`: storing replaces the file, loading reads it.
    CArchive(const std::string& path, Mode mode);
    // Writes a storing file archive not yet closed; write failures are lost here, so callers
    // that care call Close.
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return mode_ == store; }
    bool IsLoading() const { return mode_ == load; }

    CArchive& operator<<(std::int32_t value);
    CArchive& operator<<(double value);
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator>>(double& value);

    // Storing over a file: writes the collected bytes. Closing twice is harmless.
    void Close();

  private:
    void Put(const unsigned char* p, std::size_t n);
    void Get(unsigned char* p, std::size_t n);

    std::vector<unsigned char> own_;
    std::vector<unsigned char>* bytes_;
    std::size_t position_ = 0;
    Mode mode_;
    std::string path_;  // empty over memory, or once a file archive is closed
};
