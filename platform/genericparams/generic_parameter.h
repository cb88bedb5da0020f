// SPDX-License-Identifier: Apache-2.0
// Hwpi::GenericParameter: the base class of every named hardware-setting value.
//
// A parameter has a wide-string name and a change flag, and is handled through
// `GenericParameter::Ptr` (boost::shared_ptr). The virtual operations below are declared in the
// order of the class' table of virtual functions, which the hardware layer relies on; do not
// reorder them. Each says what the base does; value classes and GPCollection override what
// applies to them. The base holds no value and no members:
//   at, referenced_at, ptr_find, ptr_quick_search, remove, FromVectorToGPPtr  -> null
//   append, insert, pos_find -> false;   set_at, resize -> nothing;   size, total_size -> 0
//   to_string(flag) -> name + " " + value_to_string(flag);   value_type_to_string -> ""
//   IsEqual(other) -> true only when other is this very object
// clone_type, clone, IsType and value_to_string have no base version.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"

namespace Hwpi {

class TESSEL_EXPORT GenericParameter {
  public:
    using Ptr = boost::shared_ptr<GenericParameter>;

    GenericParameter() = default;
    explicit GenericParameter(const std::wstring& name) : name_(name) {}

    const std::wstring& GetName() const { return name_; }
    void SetName(const std::wstring& name) { name_ = name; }

    virtual bool get_change_flag() const { return changed_; }
    virtual void set_change_flag() { changed_ = true; }
    virtual void clear_change_flag() { changed_ = false; }
    virtual ~GenericParameter();
    // Element or member `index`.
    virtual Ptr at(unsigned long index) const;
    // A parameter that refers to element or member `index` in place.
    virtual Ptr referenced_at(unsigned long index);
    // Replaces element or member `index` by `value`.
    virtual void set_at(unsigned long index, const Ptr& value);
    // Adds `value` as the last member; true when it was added.
    virtual bool append(const Ptr& value);
    // Inserts `value` before member `index`; true when it was inserted.
    virtual bool insert(unsigned long index, const Ptr& value);
    // The first member named `name`.
    virtual Ptr ptr_find(const std::wstring& name) const;
    // The position of the first member named `name` in `position`; true when found.
    virtual bool pos_find(const std::wstring& name, unsigned long& position) const;
    // As ptr_find, through an index kept by name.
    virtual Ptr ptr_quick_search(const std::wstring& name) const;
    // Takes member `index` out and returns it.
    virtual Ptr remove(unsigned long index);
    virtual unsigned long size() const;
    virtual unsigned long total_size() const;
    virtual void resize(unsigned long count);
    // A readable form of the parameter; what the flag asks for is up to each class.
    virtual std::wstring to_string(bool flag) const;
    // The name of the value type.
    virtual std::wstring value_type_to_string() const;
    // A new parameter of the same class, without name, holding the default value.
    virtual Ptr clone_type() const = 0;
    // A new parameter of the same class with the same name and value.
    virtual Ptr clone() const = 0;
    virtual bool IsEqual(const GenericParameter& other) const;
    // True when `p` is not null and points to an object of this very class.
    virtual bool IsType(const Ptr& p) const = 0;
    // A new parameter collecting the values of the parameters in `values`.
    virtual Ptr FromVectorToGPPtr(std::vector<Ptr>& values) const;
    // The value alone.
    virtual std::wstring value_to_string(bool flag) const = 0;

  protected:
    GenericParameter(const GenericParameter&) = default;
    GenericParameter& operator=(const GenericParameter&) = default;

  private:
    std::wstring name_;
    bool changed_ = false;
};

}  // namespace Hwpi
