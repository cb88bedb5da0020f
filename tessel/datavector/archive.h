// SPDX-License-Identifier: Apache-2.0
// QuorUtility::Archive: a forward-only byte archive for stored records.
//
// An archive either stores (appends bytes) or loads (consumes bytes from the front), over
// either a caller's byte vector or an open file. Over a file, storing collects the bytes in the
// archive's own buffer and writes them all at Close; loading reads the file on demand, as much
// as each read asks for beyond what is buffered.
//
// Every failure throws QuorException with code 0xE8080882 (Tessel::kArchiveError) and one of
// these texts:
//   "Archive Exception: Writing to read-only archive."     a write while loading
//   "Archive Exception: Reading from write-only archive."  a read while storing
//   "Archive Exception: Invalid file handle"               file access without an open file
//   "Archive exception: ReadFile failed"                   the file read reported an error
//   "Archive exception: WriteFile failed"                  the file write failed or fell short
//   "Archive Exception: Attempt to read beyond end of buffer."
//                                                          a read of a negative count or of more
//                                                          bytes than the vector or file holds
// Wide strings read from a record that no writer of this format produces (a character size
// other than 1, 2 or 4 bytes) throw QuorException with code 0 and no text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tessel/core/export.h"

namespace QuorUtility {

class TESSEL_EXPORT Archive {
  public:
    // The file handle of an archive over memory, or of a file archive whose file is closed.
    static constexpr int kInvalidHandle = -1;

    // An archive over `bytes`, which must outlive it. Storing appends to the vector; loading
    // reads from its first byte on.
    Archive(std::vector<unsigned char>& bytes, bool loading);
    // An archive over the open POSIX file descriptor `fileHandle`, read from or written at its
    // current offset. The archive owns the descriptor from now on and closes it: at Close, when
    // a read reaches the end of the file, or on destruction.
    Archive(int fileHandle, bool loading);
    // Closes a file still open. It writes nothing: a storing archive must be closed with Close
    // to commit its bytes, so that a write failure is reported rather than lost.
    ~Archive();

    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsLoading() const { return loading_; }
    bool IsStoring() const { return !loading_; }
    // The file descriptor, or kInvalidHandle over memory or once the file is closed.
    int FileHandle() const { return handle_; }

    // Appends n bytes.
    void Write(const void* data, std::size_t n);
    // Copies the next n bytes to `data` and advances past them.
    void Read(void* data, std::ptrdiff_t n);
    // The next n bytes as a new vector. The bytes are known to be there before any memory is
    // allocated, so a corrupt length cannot cause a huge allocation.
    std::vector<unsigned char> ReadBlock(std::ptrdiff_t n);

    // Integers, little-endian.
    void Write8(std::uint8_t v);
    void Write16(std::uint16_t v);
    void Write32(std::uint32_t v);
    std::uint8_t Read8();
    std::uint16_t Read16();
    std::uint32_t Read32();

    // A wide string: its length in UTF-16 code units plus one (signed 32-bit), the character
    // size 2 (8-bit), then the UTF-16 code units and a terminating zero (16-bit each).
    void WriteWString(const std::wstring& text);
    // Reads the form above, accepting character sizes 1 (Latin-1), 2 (UTF-16) and 4 (UTF-32).
    // The string ends at its first zero character or after the stored length.
    std::wstring ReadWString();

    // Storing over a file: writes every collected byte, then closes the file. Loading: drops
    // the consumed bytes from the front of the byte vector, so the next reader of the same
    // vector starts at the first unread byte, and closes a file. Closing twice is harmless.
    void Close();

  private:
    const unsigned char* Consume(std::ptrdiff_t n);
    void Refill(std::ptrdiff_t n);
    void WriteFileBuffer();
    void CloseHandle();

    std::vector<unsigned char>* bytes_;  // the caller's vector, or buffer_ over a file
    std::vector<unsigned char> buffer_;
    std::size_t position_ = 0;  // next unread byte of *bytes_
    bool loading_;
    bool overFile_;
    int handle_;
};

}  // namespace QuorUtility
