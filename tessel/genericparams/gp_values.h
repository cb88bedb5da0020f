// SPDX-License-Identifier: Apache-2.0
// The typed hardware-setting values: Hwpi::GPScalar, GPArray, GPRef, GPConstArray, GPLinearArray.
//
// GPScalar<T> holds one value. GPArray<T> holds a vector of values, a per-element absent mark
// and a 32-bit logical size; the stored vector can be longer than the logical size (shrinking
// keeps the elements past it, and growing back within the stored length shows them again, with
// their absent marks). GPRef<T> refers to one element of a GPArray<T> and reads it at every
// call, so it follows changes of the array; it does not own the array, which must outlive it.
// GPConstArray<double> (every element the same value) and GPLinearArray<double> (element i is
// first + i * step) compute their elements instead of storing them.
//
// Printed forms, with the value written by the default wide-stream formatting of T (bool as 1
// or 0, enums as their number, InputArray as its points between braces, separated by commas):
//   GPScalar<type> name value
//   GPArray<type> name [e0 e1 ...]      (a trailing space follows "]"; absent elements print as
//                                        "(absent)"; GPConstArray and GPLinearArray likewise)
// where type is value_type_to_string(): the demangled name of T, with one leading space for class
// and enum types (" QuorUtility::InputArray", "double"; see internal/type_name.h). value_to_string
// gives the value alone (the element list without brackets for the arrays; for GPRef the
// referenced element, "" when it cannot be read); GPRef's to_string is the base form, name + " " +
// value. The to_string and value_to_string flag changes nothing in these classes.
//
// The templates are compiled for a fixed list of value types (below); no other T links.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/genericparams/cstring.h"
#include "platform/genericparams/generic_parameter.h"
#include "platform/genericparams/hw_enums.h"
#include "platform/measutil/input_array.h"
#include "tessel/core/export.h"

namespace Hwpi {

template <typename T>
class GPArray;

template <typename T>
class TESSEL_EXPORT GPScalar : public GenericParameter {
  public:
    // Unnamed, holding the default value (0 for numbers, empty for strings and axes).
    GPScalar() : value_() {}
    GPScalar(const std::wstring& name, const T& value) : GenericParameter(name), value_(value) {}
    ~GPScalar() override;

    const T& GetValue() const { return value_; }
    // Stores the value and sets the change flag.
    void SetValue(const T& value);

    std::wstring to_string(bool flag) const override;
    std::wstring value_type_to_string() const override;
    Ptr clone_type() const override;
    Ptr clone() const override;
    // True for this object; otherwise same class, same name and equal values (NaN never equal).
    bool IsEqual(const GenericParameter& other) const override;
    bool IsType(const Ptr& p) const override;
    // A new GPArray<T> named like this object, one element per entry of `values`: the value of
    // each GPScalar<T>; an entry that is null or of another class becomes an absent element.
    Ptr FromVectorToGPPtr(std::vector<Ptr>& values) const override;
    std::wstring value_to_string(bool flag) const override;

    // The process-wide default object of this class, created on first use.
    static const GPScalar& Prototype();

  private:
    T value_;
};

template <typename T>
class TESSEL_EXPORT GPArray : public GenericParameter {
  public:
    GPArray() = default;
    // All values present; throws std::length_error for more than 2^32 - 1 values.
    GPArray(const std::wstring& name, const std::vector<T>& values);
    ~GPArray() override;

    // Element `index` in `value`; false (value untouched) past the logical size or when absent.
    bool GetValue(unsigned long index, T& value) const;
    // Stores element `index` and clears its absent mark; false past the logical size.
    bool SetValue(unsigned long index, const T& value);
    // True past the logical size as well.
    bool IsAbsent(unsigned long index) const;
    // Marks element `index` absent; false past the logical size.
    bool SetAbsent(unsigned long index);

    // Null past the logical size or for an absent element; otherwise a new GPScalar<T> carrying
    // the array's name and the element's value.
    Ptr at(unsigned long index) const override;
    // A new GPRef<T> named like the array, referring to element `index`; null past the logical
    // size. Absent elements can be referred to (the reference reads nothing until it is set).
    Ptr referenced_at(unsigned long index) override;
    // Element `index` takes the value of a GPScalar<T>; a null value marks it absent. Ignored
    // past the logical size or for a value of another class.
    void set_at(unsigned long index, const Ptr& value) override;
    // The logical size.
    unsigned long size() const override;
    // The number of stored elements (at least the logical size).
    unsigned long total_size() const override;
    // The logical size becomes `count`; when it exceeds the stored elements, the values grow
    // to `count` (default values) and the absent marks with them (clear). A count that does not
    // fit the 32-bit logical size is ignored.
    void resize(unsigned long count) override;
    std::wstring to_string(bool flag) const override;
    std::wstring value_type_to_string() const override;
    // An empty unnamed array.
    Ptr clone_type() const override;
    Ptr clone() const override;
    // True for this object; otherwise same class, same name, same logical size and, element by
    // element, both absent or both present with equal values (NaN never equal).
    bool IsEqual(const GenericParameter& other) const override;
    bool IsType(const Ptr& p) const override;
    std::wstring value_to_string(bool flag) const override;

  private:
    std::vector<T> values_;
    std::vector<bool> absent_;  // one mark per stored value
    std::uint32_t size_ = 0;    // logical size, <= values_.size()
};

template <typename T>
class TESSEL_EXPORT GPRef : public GenericParameter {
  public:
    // Refers to nothing.
    GPRef() = default;
    // Refers to element `index` of `array` (not owned; may be null).
    GPRef(const std::wstring& name, GPArray<T>* array, std::uint32_t index)
        : GenericParameter(name), array_(array), index_(index) {}
    ~GPRef() override;

    GPArray<T>* GetArray() const { return array_; }
    std::uint32_t GetIndex() const { return index_; }
    // The referenced element now; false without an array, past its logical size or when absent.
    bool GetValue(T& value) const;

    // A reference to nothing.
    Ptr clone_type() const override;
    // The same name, array and index.
    Ptr clone() const override;
    bool IsType(const Ptr& p) const override;
    std::wstring value_to_string(bool flag) const override;

  private:
    GPArray<T>* array_ = nullptr;
    std::uint32_t index_ = 0;
    std::uint32_t reserved_ = 0;  // always 0
};

// The common part of the arrays whose element i is first + i * step, over a 32-bit count.
template <typename T>
class TESSEL_EXPORT GPRuleArray : public GenericParameter {
  public:
    ~GPRuleArray() override;

    std::uint32_t GetCount() const { return count_; }
    T GetFirst() const { return first_; }
    T GetStep() const { return step_; }
    // Element `index` in `value`; false past the count.
    bool GetValue(unsigned long index, T& value) const;

    // A new GPScalar<T> with the array's name and element `index`; null past the count.
    Ptr at(unsigned long index) const override;
    unsigned long size() const override { return count_; }
    unsigned long total_size() const override { return count_; }
    // The count becomes `count`; ignored when it does not fit 32 bits.
    void resize(unsigned long count) override;
    std::wstring to_string(bool flag) const override;
    std::wstring value_type_to_string() const override;
    // True for this object; otherwise same class, name, count, first value and step (NaN never
    // equal).
    bool IsEqual(const GenericParameter& other) const override;
    bool IsType(const Ptr& p) const override;
    std::wstring value_to_string(bool flag) const override;

  protected:
    GPRuleArray(const wchar_t* className, const std::wstring& name, T first, T step,
                std::uint32_t count)
        : GenericParameter(name),
          className_(className),
          first_(first),
          step_(step),
          count_(count) {}

  private:
    const wchar_t* className_;
    T first_;
    T step_;
    std::uint32_t count_;
};

template <typename T>
class TESSEL_EXPORT GPConstArray : public GPRuleArray<T> {
  public:
    GPConstArray() : GPConstArray(std::wstring(), T(), 0) {}
    GPConstArray(const std::wstring& name, T value, std::uint32_t count)
        : GPRuleArray<T>(L"GPConstArray", name, value, T(), count) {}
    ~GPConstArray() override;

    GenericParameter::Ptr clone_type() const override;
    GenericParameter::Ptr clone() const override;
};

template <typename T>
class TESSEL_EXPORT GPLinearArray : public GPRuleArray<T> {
  public:
    GPLinearArray() : GPLinearArray(std::wstring(), T(), T(), 0) {}
    GPLinearArray(const std::wstring& name, T first, T step, std::uint32_t count)
        : GPRuleArray<T>(L"GPLinearArray", name, first, step, count) {}
    ~GPLinearArray() override;

    GenericParameter::Ptr clone_type() const override;
    GenericParameter::Ptr clone() const override;
};

// The value types the family is compiled for.
// clang-format off
#define TESSEL_GP_FOR_EACH_VALUE_TYPE(X)                                                       \
    X(int) X(long) X(float) X(double) X(bool) X(CStringT) X(std::wstring)                      \
    X(QuorUtility::InputArray) X(Hwif::IFMUX_PLS_FILTER_MODE) X(IFSwitchMode)                   \
    X(Hwif::PORT1_COMBINER) X(Hwif::PORT2_SOURCE) X(Hwif::PULSE_SOURCE) X(Hwif::SRC_PWR_MODE_ENUM)
// clang-format on

#define TESSEL_GP_EXTERN(T)            \
    extern template class GPScalar<T>; \
    extern template class GPArray<T>;  \
    extern template class GPRef<T>;
TESSEL_GP_FOR_EACH_VALUE_TYPE(TESSEL_GP_EXTERN)
#undef TESSEL_GP_EXTERN
extern template class GPRuleArray<double>;
extern template class GPConstArray<double>;
extern template class GPLinearArray<double>;

}  // namespace Hwpi
