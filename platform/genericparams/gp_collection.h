// SPDX-License-Identifier: Apache-2.0
// Hwpi::GPCollection: an ordered, named group of hardware-setting parameters.
//
// Members are shared pointers, never null; names may repeat (a lookup finds the first). A
// collection is itself a parameter, so collections nest. Positions are 0-based; an operation
// given a position past the end does nothing and reports it (null, false or no change).
// ptr_quick_search answers from a name index built on first use and dropped at every change of
// the member list; a member renamed while in the collection is only seen under its new name by
// ptr_find. clone copies the members deeply (each member's clone).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/genericparams/generic_parameter.h"
#include "tessel/core/export.h"

namespace Hwpi {

class TESSEL_EXPORT GPCollection : public GenericParameter {
  public:
    GPCollection() = default;
    explicit GPCollection(const std::wstring& name) : GenericParameter(name) {}
    ~GPCollection() override;

    // Member `index` itself (shared, not a copy); null past the end.
    Ptr at(unsigned long index) const override;
    // The same as at: members are shared already.
    Ptr referenced_at(unsigned long index) override;
    // Replaces member `index`; ignored past the end or for a null value.
    void set_at(unsigned long index, const Ptr& value) override;
    // False for a null value.
    bool append(const Ptr& value) override;
    // Allowed for index <= size(); false otherwise or for a null value.
    bool insert(unsigned long index, const Ptr& value) override;
    Ptr ptr_find(const std::wstring& name) const override;
    bool pos_find(const std::wstring& name, unsigned long& position) const override;
    Ptr ptr_quick_search(const std::wstring& name) const override;
    // Null past the end.
    Ptr remove(unsigned long index) override;
    // The number of members.
    unsigned long size() const override;
    // Every parameter of the tree below: each member, plus the total of a nested collection.
    unsigned long total_size() const override;
    // Drops the members from `count` on; a larger count changes nothing (no empty members).
    void resize(unsigned long count) override;
    // "GPCollection " + name + " (" + size + ")"; with the flag set, followed by one line per
    // member holding the member's to_string(true).
    std::wstring to_string(bool flag) const override;
    Ptr clone_type() const override;
    Ptr clone() const override;
    // Same name and the members pairwise IsEqual, in order.
    bool IsEqual(const GenericParameter& other) const override;
    bool IsType(const Ptr& p) const override;
    // The members' value_to_string(flag), each as name=value, separated by ", ".
    std::wstring value_to_string(bool flag) const override;

  private:
    std::vector<Ptr> members_;
    mutable std::unordered_map<std::wstring, unsigned long> index_;  // empty: not built
};

}  // namespace Hwpi
