// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/data_vector_base.h"

#include <algorithm>
#include <cstdint>

#include "platform/measutil/quor_exception.h"

namespace Tessel {
namespace {

constexpr std::int32_t kHeaderVersion = 1;

}  // namespace

DataVectorBase::~DataVectorBase() = default;

void DataVectorBase::StoreHeader(QuorUtility::Archive& archive, const Header& header) {
    archive.Write32(static_cast<std::uint32_t>(kHeaderVersion));
    archive.Write32(static_cast<std::uint32_t>(header.validIndex));
    archive.Write16(static_cast<std::uint16_t>(header.unit));
    archive.Write16(static_cast<std::uint16_t>(header.format));
}

DataVectorBase::Header DataVectorBase::LoadHeader(QuorUtility::Archive& archive) {
    if (static_cast<std::int32_t>(archive.Read32()) != kHeaderVersion)
        throw QuorException(0);
    Header header;
    header.validIndex = static_cast<std::int32_t>(archive.Read32());
    header.unit = static_cast<NAUnit>(static_cast<std::int16_t>(archive.Read16()));
    header.format = static_cast<DataFormat>(static_cast<std::int16_t>(archive.Read16()));
    return header;
}

void DataVectorBase::SetHeader(const Header& header, int size) {
    validIndex_ = std::clamp(header.validIndex, 0, std::max(size, 0));
    unit_ = header.unit;
    format_ = header.format;
}

void DataVectorBase::ClampValid(int size) {
    validIndex_ = std::min(validIndex_, std::max(size, 0));
}

void DataVectorBase::Serialize(std::vector<unsigned char>& bytes, bool loading) {
    QuorUtility::Archive archive(bytes, loading);
    if (loading) {
        // A stored valid index beyond the elements (a corrupt record) is clamped, so the
        // valid index never exceeds the element count.
        SetHeader(LoadHeader(archive), Size());
    } else {
        StoreHeader(archive, GetHeader());
    }
    archive.Close();
}

void DataVectorBase::Copy(const DataVectorBase* other) {
    if (other != nullptr)
        SetValid(other->ValidIndex());
}

bool DataVectorBase::SetValid(int i) {
    validIndex_ = std::clamp(i, 0, std::max(Size(), 0));
    return validIndex_ == i;
}

int DataVectorBase::ValidIndex() const {
    return validIndex_;
}
void DataVectorBase::SetFormat(DataFormat format) {
    format_ = format;
}
DataFormat DataVectorBase::GetFormat() const {
    return format_;
}
void DataVectorBase::SetUnit(NAUnit unit) {
    unit_ = unit;
}
NAUnit DataVectorBase::GetUnit() const {
    return unit_;
}

}  // namespace Tessel
