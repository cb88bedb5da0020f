// SPDX-License-Identifier: Apache-2.0
// techsoft::matrix: the dense matrix of the network math.
//
// A rows × cols matrix with value semantics (a copy is independent), stored row-major in one
// contiguous vector: element (r, c) is at r·cols + c. A new matrix holds zeros. Besides element
// access it offers addition, subtraction, the matrix product, the product with a scalar, sub-
// matrices, an in-place Gauss-Jordan inverse and an in-place inverse through an LU
// decomposition (lu_factor, declared in lu_factor.h, which this header includes).
//
// Intermediates are formed in the element type's wide type (element_traits) and rounded once
// on store. Size mismatches in sums and products are the caller's error, but they never read
// or write outside either matrix: elements outside an operand count as zero.
//
// A shape whose element count rows·cols does not fit in std::size_t throws std::length_error,
// as a standard container does for a size beyond its max_size, so that no matrix exists whose
// element count wrapped around (it would hold too few elements for its shape). A count that
// fits but cannot be allocated throws what std::vector throws (std::length_error or
// std::bad_alloc).
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

#include "tessel/network/matrix_element.h"

namespace techsoft {

template <class T>
class lu_factor;

template <class T>
class matrix {
  public:
    using value_type = T;
    using traits = element_traits<T>;
    using wide = typename traits::wide;

    // An empty 0 × 0 matrix.
    matrix() = default;
    // A rows × cols matrix of zeros; std::length_error when rows·cols overflows.
    matrix(std::size_t rows, std::size_t cols)
        : rows_(rows), cols_(cols), data_(checked_count(rows, cols)) {}
    // A rows × cols matrix filled row by row from values; missing values are zero and values
    // beyond rows·cols are ignored.
    matrix(std::size_t rows, std::size_t cols, std::initializer_list<T> values)
        : matrix(rows, cols) {
        std::copy_n(values.begin(), std::min(values.size(), data_.size()), data_.begin());
    }
    // The n × n identity.
    static matrix identity(std::size_t n) {
        matrix m(n, n);
        for (std::size_t k = 0; k < n; ++k) {
            m(k, k) = traits::narrow(wide(1));
        }
        return m;
    }

    std::size_t rows() const { return rows_; }
    std::size_t cols() const { return cols_; }
    std::size_t size() const { return data_.size(); }
    bool empty() const { return data_.empty(); }
    bool is_square() const { return rows_ == cols_; }

    // Element (r, c); r < rows() and c < cols() are preconditions.
    T& operator()(std::size_t r, std::size_t c) { return data_[r * cols_ + c]; }
    const T& operator()(std::size_t r, std::size_t c) const { return data_[r * cols_ + c]; }
    // Element (r, c), or zero when (r, c) lies outside the matrix.
    T at_or_zero(std::size_t r, std::size_t c) const {
        return (r < rows_ && c < cols_) ? data_[r * cols_ + c] : T();
    }
    T* data() { return data_.data(); }
    const T* data() const { return data_.data(); }

    // Changes the shape to rows × cols and sets every element to zero. Allocates only when
    // the matrix grows beyond its capacity. std::length_error when rows·cols overflows; the
    // matrix is unchanged when it throws.
    void assign_zero(std::size_t rows, std::size_t cols) {
        data_.assign(checked_count(rows, cols), T());
        rows_ = rows;
        cols_ = cols;
    }

    matrix& operator+=(const matrix& o) {
        return combine(o, [](T& a, const T& b) { a += b; });
    }
    matrix& operator-=(const matrix& o) {
        return combine(o, [](T& a, const T& b) { a -= b; });
    }
    // Multiplies every element by the scalar s.
    matrix& operator*=(const T& s) {
        const wide ws = traits::widen(s);
        for (T& x : data_) {
            x = traits::narrow(detail::mul(traits::widen(x), ws));
        }
        return *this;
    }

    // The block of nrows × ncols elements whose top-left element is (row, col), as a new
    // matrix; elements of the block that lie outside this matrix are zero.
    matrix submatrix(std::size_t row, std::size_t col, std::size_t nrows, std::size_t ncols) const {
        matrix m(nrows, ncols);
        for (std::size_t r = 0; r < nrows; ++r) {
            for (std::size_t c = 0; c < ncols; ++c) {
                m(r, c) = at_or_zero(row + r, col + c);
            }
        }
        return m;
    }

    // Replaces the matrix by its inverse, by Gauss-Jordan elimination with partial pivoting:
    // in each column the row of largest magnitude among the remaining rows (the first one on
    // ties) becomes the pivot row; the row exchanges are undone as column exchanges at the end.
    // Returns false, leaving the matrix unchanged, when the matrix is not square or a pivot's
    // magnitude is below kSingularPivot. An empty matrix is its own inverse. The elimination
    // runs on a wide copy, which lives inside the call for up to 4 × 4 elements.
    bool inv();

    // Replaces the matrix by its inverse through the LU decomposition of lu_factor: the
    // matrix is factorised once and each column of the inverse is solved with the matching
    // unit vector as right-hand side. Returns false, leaving the matrix unchanged, when the
    // matrix is not square or the decomposition finds it singular. The first form keeps its
    // work arrays in `work`, so repeated inversions of one size allocate nothing.
    bool inv_lu(lu_factor<T>& work);
    bool inv_lu();

    friend bool operator==(const matrix& a, const matrix& b) {
        return a.rows_ == b.rows_ && a.cols_ == b.cols_ && a.data_ == b.data_;
    }
    friend bool operator!=(const matrix& a, const matrix& b) { return !(a == b); }

  private:
    static std::size_t checked_count(std::size_t rows, std::size_t cols) {
        if (cols != 0 && rows > std::numeric_limits<std::size_t>::max() / cols) {
            throw std::length_error("techsoft::matrix: rows * cols overflows");
        }
        return rows * cols;
    }

    template <class Op>
    matrix& combine(const matrix& o, Op op) {
        const std::size_t rows = std::min(rows_, o.rows_), cols = std::min(cols_, o.cols_);
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t c = 0; c < cols; ++c) {
                op((*this)(r, c), o(r, c));
            }
        }
        return *this;
    }

    std::size_t rows_ = 0;
    std::size_t cols_ = 0;
    std::vector<T> data_;
};

// Writes the matrix product a·b into out (resized to a.rows() × b.cols()); each element is a
// dot product accumulated in the wide type. out must not be a or b. Allocation-free when out
// already has the result's size.
template <class T>
void product_into(const matrix<T>& a, const matrix<T>& b, matrix<T>& out) {
    using traits = element_traits<T>;
    using wide = typename traits::wide;
    if (out.rows() != a.rows() || out.cols() != b.cols()) {
        out.assign_zero(a.rows(), b.cols());
    }
    const std::size_t inner = std::min(a.cols(), b.rows());
    for (std::size_t r = 0; r < a.rows(); ++r) {
        for (std::size_t c = 0; c < b.cols(); ++c) {
            wide sum(0);
            for (std::size_t k = 0; k < inner; ++k) {
                sum += detail::mul(traits::widen(a(r, k)), traits::widen(b(k, c)));
            }
            out(r, c) = traits::narrow(sum);
        }
    }
}

template <class T>
matrix<T> operator*(const matrix<T>& a, const matrix<T>& b) {
    matrix<T> out(a.rows(), b.cols());
    product_into(a, b, out);
    return out;
}
template <class T>
matrix<T> operator+(matrix<T> a, const matrix<T>& b) {
    return a += b;
}
template <class T>
matrix<T> operator-(matrix<T> a, const matrix<T>& b) {
    return a -= b;
}
template <class T>
matrix<T> operator*(matrix<T> a, const T& s) {
    return a *= s;
}
template <class T>
matrix<T> operator*(const T& s, matrix<T> a) {
    return a *= s;
}

template <class T>
bool matrix<T>::inv() {
    if (!is_square()) {
        return false;
    }
    const std::size_t n = rows_;
    detail::scratch<wide, 16> work;
    detail::scratch<std::size_t, 8> pivots;
    wide* w = work.resize(n * n);
    std::size_t* piv = pivots.resize(n);
    for (std::size_t k = 0; k < n * n; ++k) {
        w[k] = traits::widen(data_[k]);
    }
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        double best = detail::magnitude(w[k * n + k]);
        for (std::size_t r = k + 1; r < n; ++r) {
            const double m = detail::magnitude(w[r * n + k]);
            if (m > best) {
                best = m;
                p = r;
            }
        }
        if (!(best >= kSingularPivot)) {
            return false;
        }
        piv[k] = p;
        if (p != k) {
            std::swap_ranges(w + p * n, w + p * n + n, w + k * n);
        }
        const wide inv = detail::reciprocal(w[k * n + k]);
        wide* rowk = w + k * n;
        rowk[k] = wide(1);
        for (std::size_t c = 0; c < n; ++c) {
            rowk[c] = detail::mul(rowk[c], inv);
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (i == k) {
                continue;
            }
            wide* rowi = w + i * n;
            const wide f = rowi[k];
            rowi[k] = wide(0);
            for (std::size_t c = 0; c < n; ++c) {
                rowi[c] -= detail::mul(f, rowk[c]);
            }
        }
    }
    for (std::size_t k = n; k-- > 0;) {
        if (piv[k] != k) {
            for (std::size_t r = 0; r < n; ++r) {
                std::swap(w[r * n + k], w[r * n + piv[k]]);
            }
        }
    }
    for (std::size_t k = 0; k < n * n; ++k) {
        data_[k] = traits::narrow(w[k]);
    }
    return true;
}

}  // namespace techsoft

#include "tessel/network/lu_factor.h"

namespace techsoft {

template <class T>
bool matrix<T>::inv_lu(lu_factor<T>& work) {
    if (!work.compute(*this)) {
        return false;
    }
    return work.inverse(*this);
}

template <class T>
bool matrix<T>::inv_lu() {
    lu_factor<T> work;
    return inv_lu(work);
}

}  // namespace techsoft
