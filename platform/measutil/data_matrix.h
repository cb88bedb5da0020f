// SPDX-License-Identifier: Apache-2.0
// DataMatrix: a container of named complex buffers, addressed by name, alias or port pair.
//
// A matrix is built either from a list of names (one buffer per name, laid out as one row)
// or from a port list (an N x N grid of S-parameter buffers, element [r][c] named by
// SParameterName(ports[r], ports[c])). Every buffer the matrix creates owns `pointCount`
// samples (zero at first) and its data pointer designates them, so an algorithm writes its
// results through the data pointer. This holds for buffers added later and in copies:
// a copied matrix's buffers designate the copy's own samples. A caller may point a buffer's
// data at a writable array of its own instead; the matrix does not own it, a copy keeps
// pointing at it, and results written into the buffer (SetDataByPhysicalPort, the correction
// algorithms) go into that array.
//
// Every buffer is taken to hold `pointCount` samples: the range checks of the port-pair copies
// use that count.
#pragma once

#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/measutil/named_buffer.h"
#include "platform/measutil/ts_complex.h"
#include "tessel/core/export.h"

namespace QuorUtility {

// The name of S-parameter (rowPort, colPort): "S%d%d" when both port numbers are below 10,
// else "S%d_%d" (S21, S3_10, S10_3).
TESSEL_EXPORT std::wstring SParameterName(int rowPort, int colPort);

class TESSEL_EXPORT DataMatrix {
  public:
    DataMatrix() = default;
    // One buffer per name, in order, each owning pointCount samples (pointCount < 0 is 0).
    DataMatrix(const std::vector<std::wstring>& names, int pointCount);
    // An N x N grid of S-parameter buffers for ports (in the given order), row-major, each
    // owning pointCount samples. Throws std::invalid_argument ("Invalid argument") when
    // portCount differs from the number of ports.
    DataMatrix(int portCount, const std::vector<int>& ports, int pointCount);

    DataMatrix(const DataMatrix& other);
    DataMatrix& operator=(const DataMatrix& other);
    DataMatrix(DataMatrix&&) noexcept = default;
    DataMatrix& operator=(DataMatrix&&) noexcept = default;

    // The buffer of grid element (row, col): for a port matrix 0 <= row, col < N; for a
    // name-list matrix row 0 and column = buffer index (added buffers included). Null outside.
    NamedBuffer* operator()(int row, int col);
    const NamedBuffer* operator()(int row, int col) const;
    // The first buffer with this exact name, else the buffer an alias of this name designates;
    // null when neither exists.
    NamedBuffer* GetDataByName(const std::wstring& name);
    const NamedBuffer* GetDataByName(const std::wstring& name) const;
    // Buffer by position in creation order (0 <= index < Size()), else null.
    NamedBuffer* GetBuffer(int index);
    const NamedBuffer* GetBuffer(int index) const;

    // Appends a buffer owning pointCount samples and returns it; returns null and adds nothing
    // when the name is already a buffer name or an alias.
    NamedBuffer* AddBuffer(const std::wstring& name);
    // Makes `alias` a second name of the buffer that `name` designates (a buffer name or an
    // existing alias). False when name designates nothing or alias is already in use.
    bool AddAlias(const std::wstring& alias, const std::wstring& name);

    // Number of buffers (aliases not counted).
    int Size() const { return static_cast<int>(buffers_.size()); }
    int PointCount() const { return pointCount_; }
    // Ports of a port matrix (empty for a name-list matrix).
    const std::vector<int>& Ports() const { return ports_; }
    // Records that points [0, point) hold results; clamped to 0 .. PointCount().
    void SetValidIndex(int point);
    int GetValidIndex() const { return validIndex_; }

    // Copies points first .. last - 1 of S-parameter (rowPort, colPort), the grid element of
    // those port numbers, into out[first .. last - 1]; out is grown to `last` elements when
    // shorter, other elements are untouched. False, with out untouched, when this is not a
    // port matrix, a port is not in it, the buffer has no data, or the range is not
    // 0 <= first <= last <= PointCount().
    bool GetDataByPhysicalPort(int rowPort, int colPort, std::vector<TsComplex>& out, int first,
                               int last) const;
    // Copies in[first .. last - 1] into points first .. last - 1 of that buffer, through its
    // data pointer (its own samples, or the caller's array it points at, which must hold
    // PointCount() samples). False, with nothing written, in the cases above, when in holds
    // fewer than `last` elements, or when the buffer's own samples are fewer than `last`.
    bool SetDataByPhysicalPort(int rowPort, int colPort, const std::vector<TsComplex>& in,
                               int first, int last);

  private:
    NamedBuffer MakeOwnedBuffer(const std::wstring& name) const;
    int PortPosition(int port) const;
    int PhysicalIndex(int rowPort, int colPort, int first, int last) const;

    std::vector<NamedBuffer> buffers_;
    std::map<std::wstring, int> aliases_;  // alias -> buffer index
    std::vector<int> ports_;
    int pointCount_ = 0;
    int validIndex_ = 0;
};

// Owned storage survives the growth of the buffer vector only because buffers move (which
// keeps a vector's heap block) rather than copy.
static_assert(std::is_nothrow_move_constructible_v<NamedBuffer>);

}  // namespace QuorUtility
