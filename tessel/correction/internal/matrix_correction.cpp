// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/internal/matrix_correction.h"

namespace Tessel::internal {

MatrixCorrection::MatrixCorrection(int portCount)
    : n_(portCount), s_(n_, n_), a_(n_, n_), b_(n_, n_) {}

void MatrixCorrection::Run(const TsComplex* const* leakage, const TsComplex* const* tracking,
                           const TsComplex* const* match, const TsComplex* const* raw,
                           TsComplex* const* out, int start, int stop) {
    const TsComplex one(1.0f, 0.0f);
    const int count = n_ * n_;
    for (int i = start; i < stop; ++i) {
        for (int r = 0; r < n_; ++r) {
            for (int c = 0; c < n_; ++c) {
                const int k = r * n_ + c;
                const TsComplex a = (raw[k][i] - leakage[k][i]) / tracking[k][i];
                a_(r, c) = a;
                b_(r, c) = (r == c) ? one + match[k][i] * a : match[k][i] * a;
            }
        }
        if (!b_.inv_lu(lu_)) {
            for (int k = 0; k < count; ++k) {
                out[k][i] = TsComplex::m_minus200dB;
            }
            continue;
        }
        techsoft::product_into(a_, b_, s_);
        for (int k = 0; k < count; ++k) {
            out[k][i] = s_.data()[k];
        }
    }
}

}  // namespace Tessel::internal
