// SPDX-License-Identifier: Apache-2.0
// The printed name of a value type, as value_type_to_string reports it.
//
// The name starts from the type identity's name, demangled, in the form the host platform
// reports it: with the keyword "class " in front for class types and "enum " for enumerations.
// When that name is at least 7 characters long and begins with "class" or "enum" (either case),
// the keyword is removed and the space after it stays, so class and enum names print with one
// leading space (" QuorUtility::InputArray"), other types plainly ("double").
#pragma once

#include <string>
#include <type_traits>
#include <typeinfo>

namespace Hwpi::internal {

// The reported name with its leading keyword removed as described above.
std::wstring StripTypeKeyword(const std::wstring& reported);

// The name of `type` as the type identity reports it ("class " or "enum " prefixed as told).
std::wstring ReportedTypeName(const std::type_info& type, bool isClass, bool isEnum);

template <typename T>
std::wstring ValueTypeName() {
    return StripTypeKeyword(ReportedTypeName(typeid(T), std::is_class_v<T>, std::is_enum_v<T>));
}

}  // namespace Hwpi::internal
