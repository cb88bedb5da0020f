// SPDX-License-Identifier: Apache-2.0
// Hwpi::GPCollection: member list operations, name lookup and the collection's printed forms.
#include "platform/genericparams/gp_collection.h"

#include <typeinfo>

#include <boost/make_shared.hpp>

namespace Hwpi {

GPCollection::~GPCollection() = default;

GenericParameter::Ptr GPCollection::at(unsigned long index) const {
    return index < members_.size() ? members_[index] : Ptr();
}

GenericParameter::Ptr GPCollection::referenced_at(unsigned long index) {
    return at(index);
}

void GPCollection::set_at(unsigned long index, const Ptr& value) {
    if (index < members_.size() && value) {
        members_[index] = value;
        index_.clear();
    }
}

bool GPCollection::append(const Ptr& value) {
    return insert(members_.size(), value);
}

bool GPCollection::insert(unsigned long index, const Ptr& value) {
    if (index > members_.size() || !value)
        return false;
    members_.insert(members_.begin() + index, value);
    index_.clear();
    return true;
}

GenericParameter::Ptr GPCollection::ptr_find(const std::wstring& name) const {
    unsigned long position = 0;
    return pos_find(name, position) ? members_[position] : Ptr();
}

bool GPCollection::pos_find(const std::wstring& name, unsigned long& position) const {
    for (unsigned long i = 0; i < members_.size(); ++i) {
        if (members_[i]->GetName() == name) {
            position = i;
            return true;
        }
    }
    return false;
}

GenericParameter::Ptr GPCollection::ptr_quick_search(const std::wstring& name) const {
    if (index_.empty()) {
        // Walk backwards so that the first of repeated names is the one kept.
        for (unsigned long i = members_.size(); i-- > 0;)
            index_[members_[i]->GetName()] = i;
    }
    const auto found = index_.find(name);
    return found == index_.end() ? Ptr() : members_[found->second];
}

GenericParameter::Ptr GPCollection::remove(unsigned long index) {
    if (index >= members_.size())
        return Ptr();
    Ptr taken = members_[index];
    members_.erase(members_.begin() + index);
    index_.clear();
    return taken;
}

unsigned long GPCollection::size() const {
    return members_.size();
}

unsigned long GPCollection::total_size() const {
    unsigned long total = 0;
    for (const Ptr& m : members_)
        total += 1 + (dynamic_cast<const GPCollection*>(m.get()) ? m->total_size() : 0);
    return total;
}

void GPCollection::resize(unsigned long count) {
    if (count < members_.size()) {
        members_.resize(count);
        index_.clear();
    }
}

std::wstring GPCollection::to_string(bool flag) const {
    std::wstring text = L"GPCollection " + GetName() + L" (" + std::to_wstring(size()) + L")";
    if (flag) {
        for (const Ptr& m : members_)
            text += L"\n" + m->to_string(true);
    }
    return text;
}

GenericParameter::Ptr GPCollection::clone_type() const {
    return boost::make_shared<GPCollection>();
}

GenericParameter::Ptr GPCollection::clone() const {
    auto copy = boost::make_shared<GPCollection>(GetName());
    for (const Ptr& m : members_)
        copy->members_.push_back(m->clone());
    return copy;
}

bool GPCollection::IsEqual(const GenericParameter& other) const {
    if (&other == this)
        return true;
    const auto* o = dynamic_cast<const GPCollection*>(&other);
    if (o == nullptr || typeid(other) != typeid(*this) || o->GetName() != GetName() ||
        o->members_.size() != members_.size())
        return false;
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (!members_[i]->IsEqual(*o->members_[i]))
            return false;
    }
    return true;
}

bool GPCollection::IsType(const Ptr& p) const {
    return p && typeid(*p) == typeid(*this);
}

std::wstring GPCollection::value_to_string(bool flag) const {
    std::wstring text;
    for (const Ptr& m : members_)
        text += (text.empty() ? L"" : L", ") + m->GetName() + L"=" + m->value_to_string(flag);
    return text;
}

}  // namespace Hwpi
