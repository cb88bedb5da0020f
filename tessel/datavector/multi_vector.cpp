// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/multi_vector.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <boost/make_shared.hpp>

#include "platform/measutil/quor_exception.h"
#include "tessel/datavector/data_vector_rep.h"

namespace Tessel {
namespace {

// Fills in strides, row starts, row count and total size from the dimensions. Returns false,
// changing nothing, when a dimension is below 1 or the total exceeds a 32-bit count.
bool Layout(MultiVectorData& d) {
    if (d.dimensions.empty())
        return false;
    std::int64_t total = 1;
    std::vector<int> strides(d.dimensions.size());
    for (std::size_t k = d.dimensions.size(); k-- > 0;) {
        if (d.dimensions[k] < 1)
            return false;
        strides[k] = static_cast<int>(total);
        total *= d.dimensions[k];
        if (total > INT_MAX)
            return false;
    }
    const int last = d.dimensions.back();
    d.strides = std::move(strides);
    d.totalSize = static_cast<int>(total);
    d.rowCount = d.totalSize / last;
    d.rowStarts.resize(static_cast<std::size_t>(d.rowCount));
    for (int r = 0; r < d.rowCount; ++r)
        d.rowStarts[static_cast<std::size_t>(r)] = r * last;
    return true;
}

// Copies the first `count` elements of every row from one record's storage to another's,
// never past the elements the old storage actually holds.
template <class T>
void CopyRows(const MultiVectorData& from, MultiVectorData& to, int count) {
    const auto& src = static_cast<const DataVectorRep<T>&>(*from.representation).Elements();
    auto& dst = static_cast<DataVectorRep<T>&>(*to.representation).Elements();
    for (int r = 0; r < from.rowCount; ++r) {
        const auto start = static_cast<std::size_t>(from.rowStarts[static_cast<std::size_t>(r)]);
        if (start >= src.size())
            break;
        const std::size_t n = std::min(static_cast<std::size_t>(count), src.size() - start);
        std::copy_n(src.begin() + static_cast<std::ptrdiff_t>(start), n,
                    dst.begin() + to.rowStarts[static_cast<std::size_t>(r)]);
    }
}

}  // namespace

MultiVector::MultiVector(DataType type, std::vector<int> dims)
    : DataVector(type, NoRepresentation{}), data_(boost::make_shared<MultiVectorData>()) {
    data_->dataType = type;
    data_->dimensions = std::move(dims);
    if (!Layout(*data_))
        throw 1;
    data_->representation = NewRepresentation(type);
    data_->representation->Resize(data_->totalSize, true);
}

MultiVector::MultiVector(DataType type, int d0, int d1) : MultiVector(type, {d0, d1}) {}

MultiVector::MultiVector(DataType type, int d0, int d1, int d2) : MultiVector(type, {d0, d1, d2}) {}

MultiVector::MultiVector(const MultiVector& other)
    : DataVector(other.GetDataType(), NoRepresentation{}), data_(other.data_) {
    CopyTime(other);
}

MultiVector& MultiVector::operator=(const MultiVector& other) {
    CopyTime(other);
    data_ = other.data_;
    return *this;
}

DataVectorBase* MultiVector::Rep() const {
    return data_->representation.get();
}

boost::shared_ptr<DataVectorBase> MultiVector::SharedRep() const {
    // Shares ownership of the whole record, which owns the representation.
    return boost::shared_ptr<DataVectorBase>(data_, data_->representation.get());
}

int MultiVector::GetRank() const {
    return static_cast<int>(data_->dimensions.size());
}
std::vector<int> MultiVector::GetDimensions() const {
    return data_->dimensions;
}
int MultiVector::Size() const {
    return data_->dimensions.back();
}
int MultiVector::TotalSize() const {
    return data_->totalSize;
}

bool MultiVector::Resize(int n, bool reshapeOnly) {
    if (n < 1)
        return false;
    auto fresh = boost::make_shared<MultiVectorData>();
    fresh->dimensions = data_->dimensions;
    fresh->dimensions.back() = n;
    if (!Layout(*fresh))
        return false;
    if (reshapeOnly) {
        data_->dimensions.back() = n;
        Layout(*data_);
        data_->representation->Resize(data_->totalSize, true);
        // Resize fills only when the length changes; a reshape always leaves missing data.
        data_->representation->FillMissing();
        SetValid(ValidIndex());
        return true;
    }
    const DataVectorBase& old = *data_->representation;
    fresh->dataType = data_->dataType;
    fresh->name = data_->name;
    fresh->representation = NewRepresentation(fresh->dataType);
    fresh->representation->Resize(fresh->totalSize, true);
    fresh->representation->SetUnit(old.GetUnit());
    fresh->representation->SetFormat(old.GetFormat());
    fresh->representation->SetValid(std::min(old.ValidIndex(), n));
    const int keep = std::min(data_->dimensions.back(), n);
    if (fresh->dataType == DataTypeScalar) {
        CopyRows<float>(*data_, *fresh, keep);
    } else {
        CopyRows<TsComplex>(*data_, *fresh, keep);
    }
    data_ = fresh;
    return true;
}

bool MultiVector::SetValid(int i) {
    const int valid = std::clamp(i, 0, Size());
    data_->representation->SetValid(valid);
    return valid == i;
}

int MultiVector::ValidIndex() const {
    return data_->representation->ValidIndex();
}

void* MultiVector::ElementAt(DataType type, const int* indices, std::size_t count) const {
    if (type != data_->dataType || count > data_->dimensions.size())
        return nullptr;
    // Each term is below 2^62 in magnitude; a running sum that leaves that range is outside
    // the array however the remaining terms fall, and stopping there keeps the sum exact.
    constexpr std::int64_t kLimit = std::int64_t{1} << 62;
    std::int64_t offset = 0;
    for (std::size_t k = 0; k < count; ++k) {
        offset += std::int64_t{indices[k]} * data_->strides[k];
        if (offset <= -kLimit || offset >= kLimit)
            return nullptr;
    }
    if (offset < 0 || offset >= data_->totalSize)
        return nullptr;
    // ElementAt is null beyond the elements actually held.
    return data_->representation->ElementAt(static_cast<int>(offset));
}

float* MultiVector::GetScalarBuf() {
    return static_cast<float*>(ElementAt(DataTypeScalar, nullptr, 0));
}

const float* MultiVector::GetScalarBuf() const {
    return static_cast<const float*>(ElementAt(DataTypeScalar, nullptr, 0));
}

float* MultiVector::GetScalarBuf(const std::vector<int>& indices) {
    return static_cast<float*>(ElementAt(DataTypeScalar, indices.data(), indices.size()));
}

float* MultiVector::GetScalarBuf(int i0, int i1) {
    const int indices[] = {i0, i1};
    return static_cast<float*>(ElementAt(DataTypeScalar, indices, 2));
}

float* MultiVector::GetScalarBuf(int i0, int i1, int i2) {
    const int indices[] = {i0, i1, i2};
    return static_cast<float*>(ElementAt(DataTypeScalar, indices, 3));
}

TsComplex* MultiVector::GetComplexBuf() {
    return static_cast<TsComplex*>(ElementAt(DataTypeComplex, nullptr, 0));
}

const TsComplex* MultiVector::GetComplexBuf() const {
    return static_cast<const TsComplex*>(ElementAt(DataTypeComplex, nullptr, 0));
}

TsComplex* MultiVector::GetComplexBuf(const std::vector<int>& indices) {
    return static_cast<TsComplex*>(ElementAt(DataTypeComplex, indices.data(), indices.size()));
}

TsComplex* MultiVector::GetComplexBuf(int i0, int i1) {
    const int indices[] = {i0, i1};
    return static_cast<TsComplex*>(ElementAt(DataTypeComplex, indices, 2));
}

TsComplex* MultiVector::GetComplexBuf(int i0, int i1, int i2) {
    const int indices[] = {i0, i1, i2};
    return static_cast<TsComplex*>(ElementAt(DataTypeComplex, indices, 3));
}

void MultiVector::SetUnit(NAUnit unit) {
    data_->representation->SetUnit(unit);
}
NAUnit MultiVector::GetUnit() const {
    return data_->representation->GetUnit();
}
void MultiVector::SetFormat(DataFormat format) {
    data_->representation->SetFormat(format);
}
DataFormat MultiVector::GetFormat() const {
    return data_->representation->GetFormat();
}
void MultiVector::SetName(const wchar_t* name) {
    data_->name = name != nullptr ? name : L"";
}
std::wstring MultiVector::GetName() const {
    return data_->name;
}
DataVector::DataType MultiVector::GetDataType() const {
    return data_->dataType;
}

void MultiVector::Serialize(QuorUtility::Archive& archive) {
    if (archive.IsLoading())
        throw QuorException(0);
    DataVector::Serialize(archive);
}

}  // namespace Tessel
