// SPDX-License-Identifier: Apache-2.0
#include "tessel/format/smoothing.h"

#include <cmath>

#include "tessel/core/status.h"
#include "tessel/format/internal/smoothing_kernels.h"

namespace Tessel {

namespace {

// Index of the last received point of the run [first, last).
int LastIndex(int last) {
    return last == 0 ? 0 : last - 1;
}

// Computes the aperture of a span: (n - 1)·span + 1 points rounded half up. Returns false
// when it is below 3, above n or even.
bool ApertureFromSpan(int n, double span, int& aperture) {
    const double points = (double(n) - 1.0) * span + 1.0 + 0.5;  // n - 1 in int overflows
    if (!(points >= 3.0 && points < n + 1.0)) {
        return false;  // also rejects NaN before the conversion
    }
    aperture = static_cast<int>(points);
    return aperture % 2 == 1;
}

// Validates the run and the aperture (everything but the aperture's upper bound) and runs the
// kernel over the trace of n points.
template <class T>
long SmoothRun(const T* in, T* out, int n, int first, int last, int aperture, int* processed,
               bool phase) {
    if (first == last) {
        return kOk;  // nothing computed and nothing written, processed included
    }
    const int lastIdx = LastIndex(last);
    if (first < 0 || lastIdx < 0 || first > lastIdx || last > n || aperture < 3 ||
        aperture % 2 == 0 || in == nullptr || out == nullptr) {
        return kInvalidArg;
    }
    const bool final = lastIdx == n - 1;
    const int end = phase ? internal::PhaseKernel(in, out, first, lastIdx, aperture, final)
                          : internal::AverageKernel(in, out, first, lastIdx, aperture, final);
    if (processed != nullptr) {
        *processed = end - first;
    }
    return kOk;
}

template <class T>
long SmoothVector(const std::vector<T>& in, std::vector<T>& out, int first, int last, int aperture,
                  int* processed, bool phase) {
    out.resize(in.size());
    if (static_cast<std::size_t>(static_cast<unsigned>(aperture)) > in.size()) {
        return kInvalidArg;
    }
    return SmoothRun(in.data(), out.data(), static_cast<int>(in.size()), first, last, aperture,
                     processed, phase);
}

}  // namespace

long Smooth(const float* in, float* out, int n, int first, int last, int aperture, int* processed,
            bool phase) {
    if (aperture > n) {
        return kInvalidArg;
    }
    return SmoothRun(in, out, n, first, last, aperture, processed, phase);
}

long Smooth(const float* in, float* out, int n, int first, int last, double span, int* processed,
            bool phase) {
    int aperture = 0;
    if (!ApertureFromSpan(n, span, aperture)) {
        return kInvalidArg;
    }
    return SmoothRun(in, out, n, first, last, aperture, processed, phase);
}

long Smooth(const float* in, float* out, int n, double span, bool phase) {
    if (n == 0) {
        return kOk;
    }
    int aperture = 0;
    if (!ApertureFromSpan(n, span, aperture)) {
        return kInvalidArg;
    }
    int processed = 0;
    const long status = SmoothRun(in, out, n, 0, n, aperture, &processed, phase);
    if (Failed(status)) {
        return status;
    }
    return processed == n ? kOk : kFail;
}

long Smooth(const std::vector<float>& in, std::vector<float>& out, int first, int last,
            int aperture, int* processed, bool phase) {
    return SmoothVector(in, out, first, last, aperture, processed, phase);
}

long Smooth(const std::vector<double>& in, std::vector<double>& out, int first, int last,
            int aperture, int* processed, bool phase) {
    return SmoothVector(in, out, first, last, aperture, processed, phase);
}

long SmoothGroupDelay(const std::vector<float>& in, std::vector<float>& out, int n, int first,
                      int last, double aperture, int* processed) {
    if (first < 0 || last < 0 || first > last) {
        return kInvalidArg;
    }
    if (!(aperture >= 2.0 && aperture <= n)) {
        return kInvalidArg;
    }
    if (first == last) {
        return kOk;
    }
    // The run must lie inside the trace and both vectors.
    if (last > n || static_cast<std::size_t>(last) > in.size() ||
        static_cast<std::size_t>(last) > out.size()) {
        return kInvalidArg;
    }
    const int lastIdx = LastIndex(last);
    const int end =
        internal::GroupDelayKernel(in, out.data(), first, lastIdx, aperture, lastIdx == n - 1);
    if (processed != nullptr) {
        *processed = end - first;
    }
    return kOk;
}

}  // namespace Tessel
