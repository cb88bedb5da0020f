// SPDX-License-Identifier: Apache-2.0
// NamedBuffer: one named complex buffer of the measurement utility library.
//
// A buffer has a name and an auxiliary name, a data pointer and its own sample storage.
// The data pointer designates the samples the buffer stands for: usually a caller-owned array
// (the buffer does not own it), or the buffer's own storage when a container created the
// buffer with samples of its own (DataMatrix). Callers read and write the four members
// directly; copying copies all four, so a copy's data pointer designates the same samples as
// the original's.
#pragma once

#include <string>
#include <vector>

#include "platform/measutil/ts_complex.h"
#include "tessel/core/export.h"

namespace QuorUtility {

struct TESSEL_EXPORT NamedBuffer {
    std::wstring name;
    std::wstring auxName;
    const TsComplex* data = nullptr;  // null until set
    std::vector<TsComplex> storage;   // samples owned by this buffer

    NamedBuffer() = default;
    explicit NamedBuffer(std::wstring bufferName, const TsComplex* samples = nullptr)
        : name(std::move(bufferName)), data(samples) {}

    // A writable view of the samples when the data pointer designates this buffer's own
    // storage (containers that own their samples hand them out this way), else null.
    TsComplex* OwnedData() {
        return (data != nullptr && !storage.empty() && data == storage.data()) ? storage.data()
                                                                               : nullptr;
    }
};

}  // namespace QuorUtility
