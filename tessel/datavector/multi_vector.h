// SPDX-License-Identifier: Apache-2.0
// MultiVector: a data vector of several dimensions, such as ports x ports x points.
//
// All elements live in one row-major array (last index fastest). With dimensions d0..d(r-1):
//   stride k   = d(k+1) x ... x d(r-1)       (the last stride is 1)
//   row count  = d0 x ... x d(r-2)           (1 for one dimension)
//   row r      starts at r x d(r-1)
//   total size = row count x d(r-1)
// Size() is the last dimension (the points of one row); the valid index counts points of a row.
//
// The dimension record (MultiVectorData) is shared by a multi-vector and all its copies and
// released with the last of them: name, unit, format, data type, valid index and elements are
// the record's, however the multi-vector is reached (through its own interface or through
// DataVector). Copying a MultiVector into a plain DataVector gives a flat vector over all
// elements that shares them; the multi-vector never reads beyond the elements it actually
// holds, even when such a flat copy resizes them. The operations inherited from DataVector that
// take the samples as one array (operator[], GetScalarVec, GetComplexVec, GetSubRange,
// Concatenate) see all elements in storage order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/datavector/data_vector.h"

namespace Tessel {

// The dimension record of a multi-vector.
struct TESSEL_EXPORT MultiVectorData {
    std::unique_ptr<DataVectorBase> representation;  // all elements, in one array
    DataVector::DataType dataType = DataVector::DataTypeComplex;
    std::vector<int> dimensions;  // each >= 1, at least one
    std::vector<int> rowStarts;   // one per row
    std::vector<int> strides;     // one per dimension
    int rowCount = 0;
    int totalSize = 0;
    std::wstring name;
};

class TESSEL_EXPORT MultiVector : public DataVector {
  public:
    // A multi-vector of the given dimensions: empty name, unit UnitNone, valid index 0 and
    // every element the missing-data value. An empty dimension list, a dimension below 1, or
    // more elements than a 32-bit count holds throws the integer 1.
    MultiVector(DataType type, std::vector<int> dims);
    MultiVector(DataType type, int d0, int d1);
    MultiVector(DataType type, int d0, int d1, int d2);
    // Copies share the dimension record.
    MultiVector(const MultiVector& other);
    MultiVector& operator=(const MultiVector& other);

    // The number of dimensions.
    int GetRank() const override;
    std::vector<int> GetDimensions() const;
    // The last dimension.
    int Size() const override;
    // All elements.
    int TotalSize() const;

    // Sets the last dimension to n (n >= 1; otherwise returns false and changes nothing).
    // reshapeOnly: in place, for every copy; all elements become the missing-data value.
    // Otherwise this multi-vector gets a new dimension record (its copies keep the old one)
    // with the same name, unit, format and valid index (lowered to n when beyond it), every
    // row keeping its first min(old, n) elements and the rest the missing-data value.
    // Returns true when the last dimension was set.
    bool Resize(int n, bool reshapeOnly) override;

    // The valid index, clamped to 0..Size().
    bool SetValid(int i) override;
    int ValidIndex() const override;

    // The element at offset sum(indices[k] x stride[k]) over the given indices (fewer indices
    // than dimensions address the start of a sub-array); without indices, the start of the
    // whole array. Null for the other data type, more indices than dimensions, or an offset
    // outside the array.
    float* GetScalarBuf() override;
    const float* GetScalarBuf() const override;
    float* GetScalarBuf(const std::vector<int>& indices);
    float* GetScalarBuf(int i0, int i1);
    float* GetScalarBuf(int i0, int i1, int i2);
    TsComplex* GetComplexBuf() override;
    const TsComplex* GetComplexBuf() const override;
    TsComplex* GetComplexBuf(const std::vector<int>& indices);
    TsComplex* GetComplexBuf(int i0, int i1);
    TsComplex* GetComplexBuf(int i0, int i1, int i2);

    void SetUnit(NAUnit unit) override;
    NAUnit GetUnit() const override;
    void SetFormat(DataFormat format) override;
    DataFormat GetFormat() const override;
    void SetName(const wchar_t* name) override;
    std::wstring GetName() const override;
    DataType GetDataType() const override;

    // A multi-vector has no stored form of its own. Storing writes the data-vector record of
    // all elements (the dimensions are not kept); loading throws QuorException with code 0,
    // since no record carries the dimensions to load into.
    void Serialize(QuorUtility::Archive& archive) override;

  protected:
    DataVectorBase* Rep() const override;
    boost::shared_ptr<DataVectorBase> SharedRep() const override;

  private:
    void* ElementAt(DataType type, const int* indices, std::size_t count) const;

    boost::shared_ptr<MultiVectorData> data_;
};

}  // namespace Tessel
