// Access to the samples of an output container's buffer for writing corrected data.
#pragma once

#include <cstddef>

#include "tessel/core/types.h"

namespace Tessel::internal {

// The writable samples of `buffer` when it exists, designates samples it owns (a container
// never lets an algorithm write a caller's array) and holds at least `stop` of them; else null.
inline TsComplex* WritableSamples(NamedBuffer* buffer, int stop) {
    if (buffer == nullptr || stop < 0) {
        return nullptr;
    }
    TsComplex* samples = buffer->OwnedData();
    if (samples == nullptr || buffer->storage.size() < static_cast<std::size_t>(stop)) {
        return nullptr;
    }
    return samples;
}

}  // namespace Tessel::internal
