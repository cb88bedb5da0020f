// SPDX-License-Identifier: Apache-2.0
// The typed hardware-setting values: member definitions and the instantiations for the fixed
// list of value types.
#include "tessel/genericparams/gp_values.h"

#include <limits>
#include <sstream>
#include <stdexcept>
#include <typeinfo>

#include <boost/make_shared.hpp>

#include "tessel/genericparams/internal/type_name.h"

namespace Hwpi {

namespace {

using Ptr = GenericParameter::Ptr;

// The default wide-stream form of a value; InputArray has none of its own, so its points are
// written between braces, separated by commas.
template <typename T>
void WriteValue(std::wostream& out, const T& value) {
    out << value;
}

void WriteValue(std::wostream& out, const QuorUtility::InputArray& axis) {
    out << L'{';
    for (std::size_t i = 0; i < axis.size(); ++i)
        out << (i == 0 ? L"" : L",") << axis.at(i);
    out << L'}';
}

template <typename T>
std::wstring ValueText(const T& value) {
    std::wostringstream out;
    WriteValue(out, value);
    return out.str();
}

bool SameClass(const GenericParameter& a, const GenericParameter& b) {
    return typeid(a) == typeid(b);
}

// The element list of an array: `read(i, value)` gives element i or false when it is absent.
template <typename T, typename Read>
std::wstring ListText(unsigned long count, Read read) {
    std::wostringstream out;
    T value{};
    for (unsigned long i = 0; i < count; ++i) {
        if (i != 0)
            out << L' ';
        if (read(i, value))
            WriteValue(out, value);
        else
            out << L"(absent)";
    }
    return out.str();
}

}  // namespace

// ---- GPScalar ----

template <typename T>
GPScalar<T>::~GPScalar() = default;

template <typename T>
void GPScalar<T>::SetValue(const T& value) {
    value_ = value;
    set_change_flag();
}

template <typename T>
std::wstring GPScalar<T>::to_string(bool flag) const {
    return L"GPScalar<" + value_type_to_string() + L"> " + GetName() + L" " + value_to_string(flag);
}

template <typename T>
std::wstring GPScalar<T>::value_type_to_string() const {
    return internal::ValueTypeName<T>();
}

template <typename T>
Ptr GPScalar<T>::clone_type() const {
    return boost::make_shared<GPScalar<T>>();
}

template <typename T>
Ptr GPScalar<T>::clone() const {
    return boost::make_shared<GPScalar<T>>(GetName(), value_);
}

template <typename T>
bool GPScalar<T>::IsEqual(const GenericParameter& other) const {
    if (&other == this)
        return true;
    if (!SameClass(other, *this) || other.GetName() != GetName())
        return false;
    return static_cast<const GPScalar<T>&>(other).value_ == value_;
}

template <typename T>
bool GPScalar<T>::IsType(const Ptr& p) const {
    return p && SameClass(*p, *this);
}

template <typename T>
Ptr GPScalar<T>::FromVectorToGPPtr(std::vector<Ptr>& values) const {
    std::vector<T> collected(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (IsType(values[i]))
            collected[i] = static_cast<const GPScalar<T>&>(*values[i]).value_;
    }
    auto array = boost::make_shared<GPArray<T>>(GetName(), collected);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!IsType(values[i]))
            array->SetAbsent(i);
    }
    array->clear_change_flag();
    return array;
}

template <typename T>
std::wstring GPScalar<T>::value_to_string(bool) const {
    return ValueText(value_);
}

template <typename T>
const GPScalar<T>& GPScalar<T>::Prototype() {
    static const GPScalar<T> prototype;
    return prototype;
}

// ---- GPArray ----

template <typename T>
GPArray<T>::GPArray(const std::wstring& name, const std::vector<T>& values)
    : GenericParameter(name), values_(values), absent_(values.size(), false) {
    if (values.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("GPArray: more elements than a 32-bit size");
    size_ = static_cast<std::uint32_t>(values.size());
}

template <typename T>
GPArray<T>::~GPArray() = default;

template <typename T>
bool GPArray<T>::GetValue(unsigned long index, T& value) const {
    if (IsAbsent(index))
        return false;
    value = values_[index];
    return true;
}

template <typename T>
bool GPArray<T>::SetValue(unsigned long index, const T& value) {
    if (index >= size_)
        return false;
    values_[index] = value;
    absent_[index] = false;
    set_change_flag();
    return true;
}

template <typename T>
bool GPArray<T>::IsAbsent(unsigned long index) const {
    return index >= size_ || absent_[index];
}

template <typename T>
bool GPArray<T>::SetAbsent(unsigned long index) {
    if (index >= size_)
        return false;
    absent_[index] = true;
    set_change_flag();
    return true;
}

template <typename T>
Ptr GPArray<T>::at(unsigned long index) const {
    if (IsAbsent(index))
        return Ptr();
    return boost::make_shared<GPScalar<T>>(GetName(), values_[index]);
}

template <typename T>
Ptr GPArray<T>::referenced_at(unsigned long index) {
    if (index >= size_)
        return Ptr();
    return boost::make_shared<GPRef<T>>(GetName(), this, static_cast<std::uint32_t>(index));
}

template <typename T>
void GPArray<T>::set_at(unsigned long index, const Ptr& value) {
    if (!value)
        SetAbsent(index);
    else if (GPScalar<T>::Prototype().IsType(value))
        SetValue(index, static_cast<const GPScalar<T>&>(*value).GetValue());
}

template <typename T>
unsigned long GPArray<T>::size() const {
    return size_;
}

template <typename T>
unsigned long GPArray<T>::total_size() const {
    return values_.size();
}

template <typename T>
void GPArray<T>::resize(unsigned long count) {
    if (count > std::numeric_limits<std::uint32_t>::max())
        return;
    if (count > values_.size()) {
        values_.resize(count);
        absent_.resize(count, false);
    }
    size_ = static_cast<std::uint32_t>(count);
}

template <typename T>
std::wstring GPArray<T>::to_string(bool flag) const {
    return L"GPArray<" + value_type_to_string() + L"> " + GetName() + L" [" +
           value_to_string(flag) + L"] ";
}

template <typename T>
std::wstring GPArray<T>::value_type_to_string() const {
    return internal::ValueTypeName<T>();
}

template <typename T>
Ptr GPArray<T>::clone_type() const {
    return boost::make_shared<GPArray<T>>();
}

template <typename T>
Ptr GPArray<T>::clone() const {
    auto copy = boost::make_shared<GPArray<T>>(GetName(), values_);
    copy->absent_ = absent_;
    copy->size_ = size_;
    return copy;
}

template <typename T>
bool GPArray<T>::IsEqual(const GenericParameter& other) const {
    if (&other == this)
        return true;
    if (!SameClass(other, *this) || other.GetName() != GetName())
        return false;
    const auto& o = static_cast<const GPArray<T>&>(other);
    if (o.size_ != size_)
        return false;
    for (std::uint32_t i = 0; i < size_; ++i) {
        if (absent_[i] != o.absent_[i] || (!absent_[i] && !(values_[i] == o.values_[i])))
            return false;
    }
    return true;
}

template <typename T>
bool GPArray<T>::IsType(const Ptr& p) const {
    return p && SameClass(*p, *this);
}

template <typename T>
std::wstring GPArray<T>::value_to_string(bool) const {
    return ListText<T>(size_, [this](unsigned long i, T& v) { return GetValue(i, v); });
}

// ---- GPRef ----

template <typename T>
GPRef<T>::~GPRef() = default;

template <typename T>
bool GPRef<T>::GetValue(T& value) const {
    return array_ != nullptr && array_->GetValue(index_, value);
}

template <typename T>
Ptr GPRef<T>::clone_type() const {
    return boost::make_shared<GPRef<T>>();
}

template <typename T>
Ptr GPRef<T>::clone() const {
    return boost::make_shared<GPRef<T>>(GetName(), array_, index_);
}

template <typename T>
bool GPRef<T>::IsType(const Ptr& p) const {
    return p && SameClass(*p, *this);
}

template <typename T>
std::wstring GPRef<T>::value_to_string(bool) const {
    T value{};
    return GetValue(value) ? ValueText(value) : std::wstring();
}

// ---- GPRuleArray, GPConstArray, GPLinearArray ----

template <typename T>
GPRuleArray<T>::~GPRuleArray() = default;

template <typename T>
bool GPRuleArray<T>::GetValue(unsigned long index, T& value) const {
    if (index >= count_)
        return false;
    // A constant array (step 0) returns its value as stored, sign of zero included.
    value = step_ == T() ? first_ : first_ + static_cast<T>(index) * step_;
    return true;
}

template <typename T>
Ptr GPRuleArray<T>::at(unsigned long index) const {
    T value{};
    return GetValue(index, value) ? boost::make_shared<GPScalar<T>>(this->GetName(), value) : Ptr();
}

template <typename T>
void GPRuleArray<T>::resize(unsigned long count) {
    if (count <= std::numeric_limits<std::uint32_t>::max())
        count_ = static_cast<std::uint32_t>(count);
}

template <typename T>
std::wstring GPRuleArray<T>::to_string(bool flag) const {
    return className_ + (L"<" + value_type_to_string()) + L"> " + this->GetName() + L" [" +
           value_to_string(flag) + L"] ";
}

template <typename T>
std::wstring GPRuleArray<T>::value_type_to_string() const {
    return internal::ValueTypeName<T>();
}

template <typename T>
bool GPRuleArray<T>::IsEqual(const GenericParameter& other) const {
    if (&other == this)
        return true;
    if (!SameClass(other, *this) || other.GetName() != this->GetName())
        return false;
    const auto& o = static_cast<const GPRuleArray<T>&>(other);
    return o.count_ == count_ && o.first_ == first_ && o.step_ == step_;
}

template <typename T>
bool GPRuleArray<T>::IsType(const Ptr& p) const {
    return p && SameClass(*p, *this);
}

template <typename T>
std::wstring GPRuleArray<T>::value_to_string(bool) const {
    return ListText<T>(count_, [this](unsigned long i, T& v) { return GetValue(i, v); });
}

template <typename T>
GPConstArray<T>::~GPConstArray() = default;

template <typename T>
Ptr GPConstArray<T>::clone_type() const {
    return boost::make_shared<GPConstArray<T>>();
}

template <typename T>
Ptr GPConstArray<T>::clone() const {
    return boost::make_shared<GPConstArray<T>>(this->GetName(), this->GetFirst(), this->GetCount());
}

template <typename T>
GPLinearArray<T>::~GPLinearArray() = default;

template <typename T>
Ptr GPLinearArray<T>::clone_type() const {
    return boost::make_shared<GPLinearArray<T>>();
}

template <typename T>
Ptr GPLinearArray<T>::clone() const {
    return boost::make_shared<GPLinearArray<T>>(this->GetName(), this->GetFirst(), this->GetStep(),
                                                this->GetCount());
}

#define TESSEL_GP_INSTANTIATE(T) \
    template class GPScalar<T>;  \
    template class GPArray<T>;   \
    template class GPRef<T>;
TESSEL_GP_FOR_EACH_VALUE_TYPE(TESSEL_GP_INSTANTIATE)
#undef TESSEL_GP_INSTANTIATE
template class GPRuleArray<double>;
template class GPConstArray<double>;
template class GPLinearArray<double>;

}  // namespace Hwpi
