// SPDX-License-Identifier: Apache-2.0
// Access to the samples of an output container's buffer for writing corrected data.
#pragma once

#include <cstddef>

#include "tessel/core/types.h"

namespace Tessel::internal {

// The samples a correction writes for `buffer`: the ones its data pointer designates, whether
// the container's own storage or an array the host pointed the buffer at (the host hands its
// own writable arrays this way and gets the results in them). Null when the buffer or its data
// pointer is missing, or when the data is the buffer's own storage and that holds fewer than
// `stop` samples. The length of a host's array is not known here: holding `stop` samples is
// the host's obligation, as for every array it passes.
inline TsComplex* WritableSamples(NamedBuffer* buffer, int stop) {
    if (buffer == nullptr || buffer->data == nullptr || stop < 0) {
        return nullptr;
    }
    if (buffer->data == buffer->storage.data() &&
        buffer->storage.size() < static_cast<std::size_t>(stop)) {
        return nullptr;
    }
    // The pointer is to const only because inputs share the NamedBuffer type; an output
    // buffer's samples are writable by contract.
    return const_cast<TsComplex*>(buffer->data);
}

}  // namespace Tessel::internal
