// SPDX-License-Identifier: Apache-2.0
// The base versions of Hwpi::GenericParameter's operations: a parameter without value or members.
#include "platform/genericparams/generic_parameter.h"

namespace Hwpi {

GenericParameter::~GenericParameter() = default;

GenericParameter::Ptr GenericParameter::at(unsigned long) const {
    return Ptr();
}
GenericParameter::Ptr GenericParameter::referenced_at(unsigned long) {
    return Ptr();
}
void GenericParameter::set_at(unsigned long, const Ptr&) {}
bool GenericParameter::append(const Ptr&) {
    return false;
}
bool GenericParameter::insert(unsigned long, const Ptr&) {
    return false;
}
GenericParameter::Ptr GenericParameter::ptr_find(const std::wstring&) const {
    return Ptr();
}
bool GenericParameter::pos_find(const std::wstring&, unsigned long&) const {
    return false;
}
GenericParameter::Ptr GenericParameter::ptr_quick_search(const std::wstring&) const {
    return Ptr();
}
GenericParameter::Ptr GenericParameter::remove(unsigned long) {
    return Ptr();
}
unsigned long GenericParameter::size() const {
    return 0;
}
unsigned long GenericParameter::total_size() const {
    return 0;
}
void GenericParameter::resize(unsigned long) {}

std::wstring GenericParameter::to_string(bool flag) const {
    return name_ + L" " + value_to_string(flag);
}

std::wstring GenericParameter::value_type_to_string() const {
    return std::wstring();
}

bool GenericParameter::IsEqual(const GenericParameter& other) const {
    return &other == this;
}

GenericParameter::Ptr GenericParameter::FromVectorToGPPtr(std::vector<Ptr>&) const {
    return Ptr();
}

}  // namespace Hwpi
