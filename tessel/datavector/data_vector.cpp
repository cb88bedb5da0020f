// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/data_vector.h"

#include <cstdint>

#include "platform/measutil/quor_exception.h"
#include "tessel/datavector/data_vector_rep.h"

namespace Tessel {
namespace {

constexpr std::uint16_t kRecordVersion = 1;

using ScalarRep = DataVectorRep<float>;
using ComplexRep = DataVectorRep<TsComplex>;

SYSTEMTIME Now() {
    SYSTEMTIME t{};
    GetSystemTime(&t);
    return t;
}

}  // namespace

std::unique_ptr<DataVectorBase> DataVector::NewRepresentation(DataType type) {
    if (type == DataTypeScalar)
        return std::make_unique<ScalarRep>();
    return std::make_unique<ComplexRep>();
}

DataVector::DataVector(DataType type) : type_(type), time_(Now()), rep_(NewRepresentation(type)) {
    rep_->SetUnit(UnitUnits);
}

DataVector::DataVector(const std::vector<TsComplex>& samples) : DataVector(DataTypeComplex) {
    static_cast<ComplexRep&>(*rep_).Elements() = samples;
}

DataVector::DataVector(const std::vector<float>& values) : DataVector(DataTypeScalar) {
    static_cast<ScalarRep&>(*rep_).Elements() = values;
}

DataVector::DataVector(DataType type, NoRepresentation) : type_(type), time_(Now()) {}

DataVector::DataVector(const DataVector& other)
    : name_(other.GetName()),
      type_(other.GetDataType()),
      time_(other.time_),
      rep_(other.SharedRep()) {}

DataVector& DataVector::operator=(const DataVector& other) {
    if (this != &other) {
        name_ = other.GetName();
        type_ = other.GetDataType();
        time_ = other.time_;
        rep_ = other.SharedRep();
    }
    return *this;
}

DataVector::~DataVector() = default;

DataVectorBase* DataVector::Rep() const {
    return rep_.get();
}
boost::shared_ptr<DataVectorBase> DataVector::SharedRep() const {
    return rep_;
}

int DataVector::GetRank() const {
    return 1;
}

bool DataVector::Resize(int n, bool fill) {
    Rep()->Resize(n, fill);
    return true;
}

int DataVector::Size() const {
    return Rep()->Size();
}
bool DataVector::SetValid(int i) {
    return Rep()->SetValid(i);
}
int DataVector::ValidIndex() const {
    return Rep()->ValidIndex();
}

const float* DataVector::GetScalarBuf() const {
    return GetDataType() == DataTypeScalar ? static_cast<const float*>(Rep()->ElementAt(0))
                                           : nullptr;
}

float* DataVector::GetScalarBuf() {
    return GetDataType() == DataTypeScalar ? static_cast<float*>(Rep()->ElementAt(0)) : nullptr;
}

const TsComplex* DataVector::GetComplexBuf() const {
    return GetDataType() == DataTypeComplex ? static_cast<const TsComplex*>(Rep()->ElementAt(0))
                                            : nullptr;
}

TsComplex* DataVector::GetComplexBuf() {
    return GetDataType() == DataTypeComplex ? static_cast<TsComplex*>(Rep()->ElementAt(0))
                                            : nullptr;
}

TsComplex DataVector::operator[](int i) const {
    if (GetDataType() != DataTypeComplex)
        return TsComplex::m_minus200dB;
    const auto* p = static_cast<const TsComplex*>(Rep()->ElementAt(i));
    return p != nullptr ? *p : TsComplex::m_minus200dB;
}

bool DataVector::GetScalarVec(std::vector<float>& out) const {
    if (GetDataType() != DataTypeScalar)
        return false;
    out = static_cast<const ScalarRep*>(Rep())->Elements();
    return true;
}

bool DataVector::GetComplexVec(std::vector<TsComplex>& out) const {
    if (GetDataType() != DataTypeComplex)
        return false;
    out = static_cast<const ComplexRep*>(Rep())->Elements();
    return true;
}

namespace {

// Copies elements first .. first + count - 1 of `from` into `to` when they lie inside it.
template <class T>
void CopyRange(const DataVectorBase& from, DataVectorBase& to, int first, int count) {
    const auto& src = static_cast<const DataVectorRep<T>&>(from).Elements();
    if (first < 0 || count < 0 || std::int64_t{first} + count > std::int64_t(src.size()))
        return;
    static_cast<DataVectorRep<T>&>(to).Elements().assign(src.begin() + first,
                                                         src.begin() + first + count);
}

}  // namespace

DataVector DataVector::GetSubRange(int first, int count) const {
    DataVector sub(GetDataType());
    if (GetDataType() == DataTypeScalar) {
        CopyRange<float>(*Rep(), *sub.rep_, first, count);
    } else {
        CopyRange<TsComplex>(*Rep(), *sub.rep_, first, count);
    }
    return sub;
}

void DataVector::SetUnit(NAUnit unit) {
    Rep()->SetUnit(unit);
}
NAUnit DataVector::GetUnit() const {
    return Rep()->GetUnit();
}
void DataVector::SetFormat(DataFormat format) {
    Rep()->SetFormat(format);
}
DataFormat DataVector::GetFormat() const {
    return Rep()->GetFormat();
}
void DataVector::SetName(const wchar_t* name) {
    name_ = name != nullptr ? name : L"";
}
std::wstring DataVector::GetName() const {
    return name_;
}
void DataVector::SetTime(SYSTEMTIME& time) {
    time_ = time;
}
SYSTEMTIME DataVector::GetTime() const {
    return time_;
}
DataVector::DataType DataVector::GetDataType() const {
    return type_;
}

void DataVector::Store(QuorUtility::Archive& archive) const {
    archive.Write16(kRecordVersion);
    archive.WriteWString(GetName());
    archive.Write8(static_cast<std::uint8_t>(GetDataType()));
    std::vector<unsigned char> block;
    Rep()->Serialize(block, false);
    archive.Write32(static_cast<std::uint32_t>(block.size()));
    archive.Write(block.data(), block.size());
}

void DataVector::Serialize(QuorUtility::Archive& archive) {
    if (archive.IsStoring()) {
        Store(archive);
        return;
    }
    if (archive.Read16() != kRecordVersion)
        return;
    std::wstring name = archive.ReadWString();
    const unsigned stored = archive.Read8();
    if (stored != DataTypeScalar && stored != DataTypeComplex)
        throw QuorException(0);
    const auto type = static_cast<DataType>(stored);
    const auto length = static_cast<std::int32_t>(archive.Read32());
    std::vector<unsigned char> block = archive.ReadBlock(length);
    // The representation loads all or nothing, so the vector changes only once it succeeded.
    boost::shared_ptr<DataVectorBase> rep =
        type == type_ ? rep_ : boost::shared_ptr<DataVectorBase>(NewRepresentation(type));
    rep->Serialize(block, true);
    name_.swap(name);
    type_ = type;
    rep_ = rep;
}

DataVector DataVector::Concatenate(const DataVector& a, const DataVector& b) {
    if (a.GetDataType() != b.GetDataType())
        return DataVector(DataTypeComplex);
    if (a.GetDataType() == DataTypeScalar) {
        std::vector<float> all, tail;
        a.GetScalarVec(all);
        b.GetScalarVec(tail);
        all.insert(all.end(), tail.begin(), tail.end());
        return DataVector(all);
    }
    std::vector<TsComplex> all, tail;
    a.GetComplexVec(all);
    b.GetComplexVec(tail);
    all.insert(all.end(), tail.begin(), tail.end());
    return DataVector(all);
}

}  // namespace Tessel
