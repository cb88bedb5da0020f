// SPDX-License-Identifier: Apache-2.0
// Demangling and keyword removal for value_type_to_string.
#include "tessel/genericparams/internal/type_name.h"

#include <cxxabi.h>

#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <memory>

namespace Hwpi::internal {

namespace {

// True when `text` begins with `word`, compared case-insensitively.
bool StartsWithWord(const std::wstring& text, const std::wstring& word) {
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(text[i])) != static_cast<wint_t>(word[i]))
            return false;
    }
    return true;
}

}  // namespace

std::wstring StripTypeKeyword(const std::wstring& reported) {
    if (reported.size() < 7)
        return reported;
    for (const wchar_t* word : {L"class", L"enum"}) {
        if (StartsWithWord(reported, word))
            return reported.substr(std::wcslen(word));
    }
    return reported;
}

std::wstring ReportedTypeName(const std::type_info& type, bool isClass, bool isEnum) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    const std::string narrow = status == 0 && demangled ? demangled.get() : type.name();
    // Type names are plain ASCII.
    std::wstring name(narrow.begin(), narrow.end());
    if (isClass)
        return L"class " + name;
    return isEnum ? L"enum " + name : name;
}

}  // namespace Hwpi::internal
