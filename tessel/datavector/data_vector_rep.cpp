// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/data_vector_rep.h"

#include <cstdint>

#include "platform/measutil/quor_exception.h"
#include "tessel/datavector/init_vec.h"
#include "tessel/datavector/internal/endian.h"

namespace Tessel {
namespace {

constexpr std::int32_t kDataVersion = 1;

// Stored width of one element, and its little-endian store and load.
template <class T>
constexpr std::ptrdiff_t kElementBytes = sizeof(float) * (std::is_same_v<T, float> ? 1 : 2);

void StoreElement(unsigned char* p, float v) {
    internal::StoreLEFloat(p, v);
}
void LoadElement(const unsigned char* p, float& v) {
    v = internal::LoadLEFloat(p);
}

template <class C>
void StoreElement(unsigned char* p, const C& z) {
    internal::StoreLEFloat(p, z.re);
    internal::StoreLEFloat(p + 4, z.im);
}

template <class C>
void LoadElement(const unsigned char* p, C& z) {
    z.re = internal::LoadLEFloat(p);
    z.im = internal::LoadLEFloat(p + 4);
}

}  // namespace

template <class T>
const void* DataVectorRep<T>::ElementAt(int i) const {
    return i >= 0 && i < Size() ? &elements_[static_cast<std::size_t>(i)] : nullptr;
}

template <class T>
void* DataVectorRep<T>::ElementAt(int i) {
    return i >= 0 && i < Size() ? &elements_[static_cast<std::size_t>(i)] : nullptr;
}

template <class T>
bool DataVectorRep<T>::Resize(int n, bool fill) {
    if (n < 0)
        return false;
    const auto count = static_cast<std::size_t>(n);
    const bool enlarged = elements_.capacity() < count;
    if (enlarged)
        elements_.reserve(count);
    const bool changed = elements_.size() != count;
    elements_.resize(count, T{});
    if (fill && changed)
        InitVec(elements_);
    ClampValid(n);
    return !enlarged;
}

template <class T>
void DataVectorRep<T>::Serialize(std::vector<unsigned char>& bytes, bool loading) {
    QuorUtility::Archive archive(bytes, loading);
    if (!loading) {
        StoreHeader(archive, GetHeader());
        archive.Write32(static_cast<std::uint32_t>(kDataVersion));
        archive.Write32(static_cast<std::uint32_t>(elements_.size()));
        std::vector<unsigned char> raw(elements_.size() * kElementBytes<T>);
        for (std::size_t i = 0; i < elements_.size(); ++i) {
            StoreElement(&raw[i * kElementBytes<T>], elements_[i]);
        }
        archive.Write(raw.data(), raw.size());
        return;
    }
    const Header header = LoadHeader(archive);
    if (static_cast<std::int32_t>(archive.Read32()) != kDataVersion)
        throw QuorException(0);
    const auto n = static_cast<std::int32_t>(archive.Read32());
    // Reading the elements' bytes first proves they are there before the vector is sized.
    const std::vector<unsigned char> raw = archive.ReadBlock(std::ptrdiff_t{n} * kElementBytes<T>);
    std::vector<T> loaded(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        LoadElement(&raw[i * kElementBytes<T>], loaded[i]);
    }
    archive.Close();
    elements_.swap(loaded);
    SetHeader(header, n);
}

template <class T>
void DataVectorRep<T>::FillMissing() {
    InitVec(elements_);
}

template class DataVectorRep<float>;
template class DataVectorRep<QuorUtility::TsComplex>;
template class DataVectorRep<::TsComplex>;

}  // namespace Tessel
