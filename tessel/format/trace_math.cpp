// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/trace_math.h"

#include "tessel/core/status.h"

template long TraceMathAdd<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                   const QuorUtility::TsComplex*,
                                                   QuorUtility::TsComplex*, int, int);
template long TraceMathSubtract<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                        const QuorUtility::TsComplex*,
                                                        QuorUtility::TsComplex*, int, int);
template long TraceMathMultiply<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                        const QuorUtility::TsComplex*,
                                                        QuorUtility::TsComplex*, int, int);
template long TraceMathDivide<QuorUtility::TsComplex>(const QuorUtility::TsComplex*,
                                                      const QuorUtility::TsComplex*,
                                                      QuorUtility::TsComplex*, int, int);

namespace Tessel {

namespace {

using Kernel = long (*)(const TsComplex*, const TsComplex*, TsComplex*, int, int);

// Checks the vectors and the run, resizes `out` and applies the kernel.
long ApplyToVectors(Kernel kernel, const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                    std::vector<TsComplex>& out, int first, int last) {
    if (a.empty() || b.empty()) {
        return kInvalidArg;
    }
    // out may be a or b: the run is checked against the lengths the inputs had on entry.
    const std::size_t aSize = a.size(), bSize = b.size();
    out.resize(aSize);
    if (first < 0) {
        return kInvalidArg;
    }
    if (last == -1) {
        last = static_cast<int>(aSize);
    }
    if (first >= last) {
        return kOk;
    }
    // Reading past either input is refused rather than left to the caller.
    if (static_cast<std::size_t>(last) > aSize || static_cast<std::size_t>(last) > bSize) {
        return kInvalidArg;
    }
    return kernel(a.data(), b.data(), out.data(), first, last);
}

}  // namespace

long TraceMathAdd(const TsComplex* a, const TsComplex* b, TsComplex* out, int first, int last) {
    return ::TraceMathAdd<TsComplex>(a, b, out, first, last);
}

long TraceMathSubtract(const TsComplex* a, const TsComplex* b, TsComplex* out, int first,
                       int last) {
    return ::TraceMathSubtract<TsComplex>(a, b, out, first, last);
}

long TraceMathMultiply(const TsComplex* a, const TsComplex* b, TsComplex* out, int first,
                       int last) {
    return ::TraceMathMultiply<TsComplex>(a, b, out, first, last);
}

long TraceMathDivide(const TsComplex* a, const TsComplex* b, TsComplex* out, int first, int last) {
    return ::TraceMathDivide<TsComplex>(a, b, out, first, last);
}

long TraceMathAdd(const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                  std::vector<TsComplex>& out, int first, int last) {
    return ApplyToVectors(TraceMathAdd, a, b, out, first, last);
}

long TraceMathSubtract(const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                       std::vector<TsComplex>& out, int first, int last) {
    return ApplyToVectors(TraceMathSubtract, a, b, out, first, last);
}

long TraceMathMultiply(const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                       std::vector<TsComplex>& out, int first, int last) {
    return ApplyToVectors(TraceMathMultiply, a, b, out, first, last);
}

long TraceMathDivide(const std::vector<TsComplex>& a, const std::vector<TsComplex>& b,
                     std::vector<TsComplex>& out, int first, int last) {
    return ApplyToVectors(TraceMathDivide, a, b, out, first, last);
}

}  // namespace Tessel
