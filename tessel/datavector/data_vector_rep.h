// SPDX-License-Identifier: Apache-2.0
// DataVectorRep<T>: the element storage of a data vector, a std::vector<T>.
//
// Defined for T = float (scalar samples), the utility library's TsComplex and the global
// ::TsComplex structure (complex samples, real part then imaginary part). A new representation
// is empty, with valid index 0, unit UnitNone and format FormatNone.
#pragma once

#include <vector>

#include "platform/measutil/ts_complex.h"
#include "tessel/core/complex_struct.h"
#include "tessel/core/export.h"
#include "tessel/datavector/data_vector_base.h"

namespace Tessel {

template <class T>
class TESSEL_EXPORT DataVectorRep : public DataVectorBase {
  public:
    DataVectorRep() = default;

    const void* ElementAt(int i) const override;
    void* ElementAt(int i) override;
    // The address of the std::vector<T>; Elements() gives it typed.
    void* Storage() override { return &elements_; }
    std::vector<T>& Elements() { return elements_; }
    const std::vector<T>& Elements() const { return elements_; }

    // n < 0: returns false and changes nothing. Otherwise enlarges the storage first when its
    // capacity is below n, sets the count to n (new elements value-initialised: zero), and
    // when `fill` is set and the count changed, sets every element to the missing-data value.
    // A valid index beyond n is lowered to n. Returns false exactly when the storage had to be
    // enlarged (a negative n included).
    bool Resize(int n, bool fill) override;
    int Size() const override { return static_cast<int>(elements_.size()); }

    // Storing appends the whole representation block (see data_vector_base.h) to `bytes`.
    // Loading reads one block from the front of `bytes` and erases it. It changes nothing
    // unless the whole block is sound: a bad version throws QuorException(0); a negative
    // element count or more elements than the bytes hold throws the archive's "Attempt to read
    // beyond end of buffer." before any allocation. A stored valid index outside 0..n is
    // clamped into it.
    void Serialize(std::vector<unsigned char>& bytes, bool loading) override;

    void FillMissing() override;

  private:
    std::vector<T> elements_;
};

extern template class DataVectorRep<float>;
extern template class DataVectorRep<QuorUtility::TsComplex>;
extern template class DataVectorRep<::TsComplex>;

}  // namespace Tessel
