// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/correction_kernels.h"

#include "tessel/core/status.h"
#include "tessel/correction/internal/two_port_kernel.h"

namespace Tessel {

namespace {
const TsComplex kOne(1.0f, 0.0f);
}  // namespace

long CorrectResponse(const TsComplex* raw, const TsComplex* tracking, TsComplex* out, int start,
                     int stop) {
    for (int i = start; i < stop; ++i) {
        out[i] = raw[i] / tracking[i];
    }
    return kOk;
}

long CorrectResponseIsol(const TsComplex* raw, const TsComplex* tracking,
                         const TsComplex* isolation, TsComplex* out, int start, int stop) {
    for (int i = start; i < stop; ++i) {
        out[i] = (raw[i] - isolation[i]) / tracking[i];
    }
    return kOk;
}

long Correct1Port(const TsComplex* raw, const TsComplex* directivity, const TsComplex* sourceMatch,
                  const TsComplex* reflectionTracking, int start, int stop, TsComplex* out) {
    if (raw == nullptr || directivity == nullptr || sourceMatch == nullptr ||
        reflectionTracking == nullptr) {
        return kFail;
    }
    for (int i = start; i < stop; ++i) {
        const TsComplex m = raw[i] - directivity[i];
        out[i] = m / (reflectionTracking[i] + sourceMatch[i] * m);
    }
    return kOk;
}

long Correct2Port(std::vector<const TsComplex*> raw, std::vector<const TsComplex*> errorTerms,
                  int start, int stop, std::vector<TsComplex*> out) {
    if (raw.size() < 4u || errorTerms.size() < 12u || out.size() < 4u) {
        return kInvalidArg;
    }
    // A call with stop < start is outside the contract; it corrects nothing and succeeds.
    if (stop <= start) {
        return kOk;
    }
    // Points below 0 lie before every array; refusing them also keeps stop - start within int.
    if (start < 0) {
        return kInvalidArg;
    }
    // The kernel reads every array from the first point of the range on. A missing crosstalk
    // term reads from one zero array of stop - start samples, addressed from its own element
    // 0 for point start.
    std::vector<TsComplex> zeros;
    internal::TwoPortArrays arrays;
    for (int k = 0; k < 4; ++k) {
        arrays.raw[k] = raw[k] + start;
        arrays.out[k] = out[k] + start;
    }
    for (int k = 0; k < 12; ++k) {
        if (errorTerms[k] != nullptr || k < 10) {
            arrays.terms[k] = errorTerms[k] + start;
            continue;
        }
        if (zeros.empty()) {
            zeros.assign(static_cast<size_t>(stop - start), TsComplex());
        }
        arrays.terms[k] = zeros.data();
    }
    internal::SelectedTwoPortKernel()(arrays, static_cast<size_t>(stop - start));
    return kOk;
}

void CorrectRefReceiver(const TsComplex* reflection, const TsComplex* rawReference,
                        const TsComplex* sourceMatch, const TsComplex* referenceTracking, int start,
                        int stop, TsComplex* out) {
    for (int i = start; i < stop; ++i) {
        out[i] = rawReference[i] / (referenceTracking[i] * (kOne - sourceMatch[i] * reflection[i]));
    }
}

}  // namespace Tessel
