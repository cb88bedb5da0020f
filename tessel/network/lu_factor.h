// SPDX-License-Identifier: Apache-2.0
// techsoft::lu_factor: LU decomposition with partial pivoting, determinant and inverse.
//
// compute(A) factorises a square matrix as P·A = L·U, L unit lower triangular and U upper
// triangular, in the wide type of A's elements. In column k the row of largest magnitude
// among rows k..n−1 (the first one on ties) is exchanged into place; every exchange negates
// the determinant, which is the product of U's diagonal with that sign.
//
// Singularity: a pivot of magnitude below kSingularPivot in any of the first n − 1 columns makes
// compute() fail. The last pivot is not tested by the decomposition, so a singular matrix can
// factorise with a zero or tiny last pivot and report its (near-)zero determinant; inverse()
// refuses such a factorisation, because back substitution would divide by that pivot.
//
// The object keeps its work arrays between calls: inline storage covers matrices up to 4 × 4,
// and larger sizes reuse a heap array that only grows. One lu_factor kept by a caller therefore
// inverts matrix after matrix without allocating.
#pragma once

#include <cstddef>
#include <utility>

#include "tessel/network/matrix.h"
#include "tessel/network/matrix_element.h"

namespace techsoft {

template <class T>
class lu_factor {
  public:
    using traits = element_traits<T>;
    using wide = typename traits::wide;

    // Factorises a. Returns false when a is not square or a pivot of the first n − 1 columns
    // is below kSingularPivot; the factorisation is then unusable (ok() is false).
    bool compute(const matrix<T>& a);

    bool ok() const { return ok_; }
    std::size_t size() const { return n_; }
    // The determinant of the factorised matrix, in the wide type; 0 when compute() failed.
    wide determinant() const;
    // True when the factorisation succeeded and the last pivot is not below kSingularPivot.
    bool invertible() const;
    // Writes the inverse of the factorised matrix into out (reshaped to n × n), solving for
    // each column j with the j-th unit vector as right-hand side by forward and back
    // substitution through the recorded row permutation. Returns false, leaving out
    // unchanged, when the factorisation is not invertible(). out may be the factorised matrix.
    bool inverse(matrix<T>& out);

  private:
    wide& lu(std::size_t r, std::size_t c) { return lu_.data()[r * n_ + c]; }
    const wide& lu(std::size_t r, std::size_t c) const { return lu_.data()[r * n_ + c]; }

    detail::scratch<wide, 16> lu_;
    detail::scratch<std::size_t, 8> perm_;  // perm_[i]: original row now at row i
    detail::scratch<wide, 8> rdiag_;        // reciprocals of U's diagonal
    detail::scratch<wide, 8> col_;          // one solution column
    std::size_t n_ = 0;
    bool ok_ = false;
    bool negate_ = false;
};

template <class T>
bool lu_factor<T>::compute(const matrix<T>& a) {
    ok_ = false;
    negate_ = false;
    n_ = a.rows();
    if (!a.is_square()) {
        n_ = 0;
        return false;
    }
    lu_.resize(n_ * n_);
    std::size_t* perm = perm_.resize(n_);
    for (std::size_t k = 0; k < n_ * n_; ++k) {
        lu_.data()[k] = traits::widen(a.data()[k]);
    }
    for (std::size_t r = 0; r < n_; ++r) {
        perm[r] = r;
    }
    for (std::size_t k = 0; k < n_; ++k) {
        std::size_t p = k;
        double best = detail::magnitude(lu(k, k));
        for (std::size_t r = k + 1; r < n_; ++r) {
            const double m = detail::magnitude(lu(r, k));
            if (m > best) {
                best = m;
                p = r;
            }
        }
        if (k + 1 == n_) {
            break;  // the last pivot has no rows below it to eliminate
        }
        if (!(best >= kSingularPivot)) {
            return false;
        }
        if (p != k) {
            for (std::size_t c = 0; c < n_; ++c) {
                std::swap(lu(k, c), lu(p, c));
            }
            std::swap(perm[k], perm[p]);
            negate_ = !negate_;
        }
        const wide inv = detail::reciprocal(lu(k, k));
        for (std::size_t r = k + 1; r < n_; ++r) {
            const wide l = detail::mul(lu(r, k), inv);
            lu(r, k) = l;
            for (std::size_t c = k + 1; c < n_; ++c) {
                lu(r, c) -= detail::mul(l, lu(k, c));
            }
        }
    }
    ok_ = true;
    return true;
}

template <class T>
typename lu_factor<T>::wide lu_factor<T>::determinant() const {
    if (!ok_) {
        return wide(0);
    }
    wide det(negate_ ? -1 : 1);
    for (std::size_t k = 0; k < n_; ++k) {
        det = detail::mul(det, lu(k, k));
    }
    return det;
}

template <class T>
bool lu_factor<T>::invertible() const {
    return ok_ && (n_ == 0 || detail::magnitude(lu(n_ - 1, n_ - 1)) >= kSingularPivot);
}

template <class T>
bool lu_factor<T>::inverse(matrix<T>& out) {
    if (!invertible()) {
        return false;
    }
    const std::size_t n = n_;
    wide* rdiag = rdiag_.resize(n);
    wide* x = col_.resize(n);
    const std::size_t* perm = perm_.data();
    for (std::size_t k = 0; k < n; ++k) {
        rdiag[k] = detail::reciprocal(lu(k, k));
    }
    if (out.rows() != n || out.cols() != n) {
        out.assign_zero(n, n);
    }
    for (std::size_t j = 0; j < n; ++j) {
        // Forward substitution L·y = P·e_j; row i of P·e_j is 1 where perm[i] == j.
        for (std::size_t i = 0; i < n; ++i) {
            wide s(perm[i] == j ? 1 : 0);
            for (std::size_t k = 0; k < i; ++k) {
                s -= detail::mul(lu(i, k), x[k]);
            }
            x[i] = s;
        }
        // Back substitution U·x = y, in place.
        for (std::size_t i = n; i-- > 0;) {
            wide s = x[i];
            for (std::size_t k = i + 1; k < n; ++k) {
                s -= detail::mul(lu(i, k), x[k]);
            }
            x[i] = detail::mul(s, rdiag[i]);
        }
        for (std::size_t i = 0; i < n; ++i) {
            out(i, j) = traits::narrow(x[i]);
        }
    }
    return true;
}

}  // namespace techsoft
