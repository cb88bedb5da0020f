// SPDX-License-Identifier: Apache-2.0
// TESSEL_EXPORT: marks a declaration as part of the shared library's interface.
//
// The library is compiled with hidden visibility (-fvisibility=hidden and
// -fvisibility-inlines-hidden), so libtessel.so exports only what carries this macro. Put it on
// the declaration line itself, in the public header:
//
//   class TESSEL_EXPORT Marker { ... };           // a class: its out-of-line members, vtable
//                                                 // and typeinfo
//   struct TESSEL_EXPORT IDataProvider { ... };   // an interface the host implements or
//                                                 // catches: exports its typeinfo
//   TESSEL_EXPORT long FormatData(...);           // a free function
//   extern TESSEL_EXPORT const wchar_t* kName;    // a variable defined in a .cpp
//
// What needs it: every class with member functions or static data defined in a .cpp, every
// polymorphic class or exception type a host may derive from, dynamic_cast to or catch, and
// every free function or variable defined in a .cpp, when declared in a header that
// tessel/tessel.h includes. What must not have it: anything in internal/ headers, in an
// anonymous namespace or in namespace internal, and helpers declared only in .cpp files.
// Templates and inline functions defined in headers need nothing (each user instantiates its
// own copy), except templates the library instantiates for its users (`extern template` in the
// header): mark the template itself, `template <class T> class TESSEL_EXPORT GPScalar`.
// Instances of std:: and boost:: templates are kept inside by cmake/tessel_exports.map;
// scripts/check_exports.py (the exported_symbols test) reports anything exported that the
// public headers do not declare, and any declared free function that is not exported.
//
// The header is written by hand rather than generated at configure time, so that sources
// compiled outside CMake (the fuzz targets) build unchanged. The attribute is the same whether
// the library or a host includes it.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define TESSEL_EXPORT __attribute__((visibility("default")))
#else
#define TESSEL_EXPORT
#endif
