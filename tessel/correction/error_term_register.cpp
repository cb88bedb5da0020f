// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/error_term_register.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <stdexcept>

namespace Tessel {

namespace {

constexpr int kMatrixCount = 3;
const wchar_t* const kDiagonalWords[kMatrixCount] = {L"Directivity", L"SourceMatch",
                                                     L"ReflectionTracking"};
const wchar_t* const kOffDiagonalWords[kMatrixCount] = {L"CrossTalk", L"LoadMatch",
                                                        L"TransmissionTracking"};

std::wstring TermName(const wchar_t* word, int rowPort, int colPort) {
    return std::wstring(word) + L"(" + std::to_wstring(rowPort) + L"," + std::to_wstring(colPort) +
           L")";
}

}  // namespace

class ErrorTermRegisterImpl {
  public:
    // Position of the iteration: matrix, row, column; (-1, -1, -1) before the first term.
    struct Cursor {
        int matrix = -1;
        int row = -1;
        int col = -1;
    };

    ErrorTermRegisterImpl(int portCount, std::vector<int> ports, bool logical)
        : ports_(std::move(ports)), n_(portCount), logical_(logical) {
        std::sort(ports_.begin(), ports_.end());
        terms_.assign(kMatrixCount,
                      std::vector<std::vector<NamedBuffer>>(n_, std::vector<NamedBuffer>(n_)));
        for (int r = 0; r < n_; ++r) {
            for (int c = 0; c < n_; ++c) {
                const wchar_t* const* words = (r == c) ? kDiagonalWords : kOffDiagonalWords;
                for (int m = kMatrixCount - 1; m >= 0; --m) {
                    terms_[m][r][c].name = TermName(words[m], ports_[r], ports_[c]);
                }
            }
        }
        for (int k = 0; k < n_; ++k) {
            portMap_[ports_[k]] = k;
        }
    }

    bool logical() const { return logical_; }
    Cursor& cursor() { return cursor_; }

    // The term of matrix m addressed by (a, b) in the register's mode; null when out of range.
    const NamedBuffer* At(int m, int a, int b) const {
        int r = a, c = b;
        if (!logical_) {
            const auto ir = portMap_.find(a), ic = portMap_.find(b);
            if (ir == portMap_.end() || ic == portMap_.end()) {
                return nullptr;
            }
            r = ir->second;
            c = ic->second;
        }
        if (r < 0 || r >= n_ || c < 0 || c >= n_) {
            return nullptr;
        }
        return &terms_[m][r][c];
    }

    // One cursor step in iteration order; false when the pass is over.
    bool Step(Cursor& cur) const {
        if (n_ <= 0 || cur.matrix >= kMatrixCount) {
            return false;
        }
        cur.col = (cur.col + 1) % n_;
        if (cur.col == 0) {
            cur.row = (cur.row + 1) % n_;
            if (cur.row == 0) {
                ++cur.matrix;
            }
        }
        return cur.matrix < kMatrixCount;
    }

    const NamedBuffer& Term(const Cursor& cur) const {
        return terms_[cur.matrix][cur.row][cur.col];
    }

    // The first term, in iteration order, whose name contains text; null when none does.
    NamedBuffer* Find(const wchar_t* text) {
        if (text == nullptr) {
            return nullptr;
        }
        for (auto& matrix : terms_) {
            for (auto& row : matrix) {
                for (NamedBuffer& term : row) {
                    if (term.name.find(text) != std::wstring::npos) {
                        return &term;
                    }
                }
            }
        }
        return nullptr;
    }

  private:
    std::map<int, int> portMap_;
    std::vector<std::vector<std::vector<NamedBuffer>>> terms_;  // [matrix][row][column]
    std::vector<int> ports_;
    int n_;
    Cursor cursor_;
    bool logical_;
};

ErrorTermRegister::ErrorTermRegister(int portCount, std::vector<int> ports,
                                     bool usingLogicalPorts) {
    if (portCount < 0 || static_cast<size_t>(portCount) != ports.size()) {
        throw std::invalid_argument("Invalid argument");
    }
    impl_.reset(new ErrorTermRegisterImpl(portCount, std::move(ports), usingLogicalPorts));
}

ErrorTermRegister::ErrorTermRegister(const ErrorTermRegister& other) = default;
ErrorTermRegister& ErrorTermRegister::operator=(const ErrorTermRegister& other) = default;
ErrorTermRegister::~ErrorTermRegister() = default;

bool ErrorTermRegister::UsingLogicalPorts() const {
    return impl_->logical();
}

namespace {
const TsComplex* DataOf(const NamedBuffer* term) {
    return term ? term->data : nullptr;
}
std::wstring NameOf(const NamedBuffer* term) {
    return term ? term->name : std::wstring();
}
}  // namespace

const TsComplex* ErrorTermRegister::Directivity(int a, int b) const {
    return DataOf(impl_->At(0, a, b));
}
const TsComplex* ErrorTermRegister::CrossTalk(int a, int b) const {
    return DataOf(impl_->At(0, a, b));
}
const TsComplex* ErrorTermRegister::SourceMatch(int a, int b) const {
    return DataOf(impl_->At(1, a, b));
}
const TsComplex* ErrorTermRegister::LoadMatch(int a, int b) const {
    return DataOf(impl_->At(1, a, b));
}
const TsComplex* ErrorTermRegister::ReflectionTracking(int a, int b) const {
    return DataOf(impl_->At(2, a, b));
}
const TsComplex* ErrorTermRegister::TransmissionTracking(int a, int b) const {
    return DataOf(impl_->At(2, a, b));
}

std::wstring ErrorTermRegister::DirectivityName(int a, int b) const {
    return NameOf(impl_->At(0, a, b));
}
std::wstring ErrorTermRegister::CrossTalkName(int a, int b) const {
    return NameOf(impl_->At(0, a, b));
}
std::wstring ErrorTermRegister::SourceMatchName(int a, int b) const {
    return NameOf(impl_->At(1, a, b));
}
std::wstring ErrorTermRegister::LoadMatchName(int a, int b) const {
    return NameOf(impl_->At(1, a, b));
}
std::wstring ErrorTermRegister::ReflectionTrackingName(int a, int b) const {
    return NameOf(impl_->At(2, a, b));
}
std::wstring ErrorTermRegister::TransmissionTrackingName(int a, int b) const {
    return NameOf(impl_->At(2, a, b));
}

bool ErrorTermRegister::SetErrorTerm(const wchar_t* name, const TsComplex* data) {
    NamedBuffer* term = data ? impl_->Find(name) : nullptr;
    if (term == nullptr) {
        return false;
    }
    term->storage.clear();
    term->data = data;
    return true;
}

bool ErrorTermRegister::SetErrorTerm(const wchar_t* name, std::vector<TsComplex>& data) {
    NamedBuffer* term = impl_->Find(name);
    if (term == nullptr) {
        return false;
    }
    term->storage = data;
    return true;
}

const TsComplex* ErrorTermRegister::GetErrorTerm(const wchar_t* name) const {
    return DataOf(impl_->Find(name));
}

bool ErrorTermRegister::GetErrorTerm(const wchar_t* name, const TsComplex** data) const {
    const NamedBuffer* term = impl_->Find(name);
    if (term == nullptr) {
        return false;
    }
    if (data != nullptr) {
        *data = term->data;
    }
    return true;
}

void ErrorTermRegister::ResetIterator() {
    impl_->cursor() = ErrorTermRegisterImpl::Cursor();
}

bool ErrorTermRegister::GetNextTerm(std::wstring& name, const TsComplex** data) {
    ErrorTermRegisterImpl::Cursor& cur = impl_->cursor();
    if (!impl_->Step(cur)) {
        return false;
    }
    const NamedBuffer& term = impl_->Term(cur);
    name = term.name;
    if (data != nullptr) {
        *data = term.data;
    }
    return true;
}

// Listing and dumping walk a cursor of their own, so a pass of GetNextTerm in progress on the
// shared cursor is left exactly where it was.
void ErrorTermRegister::GetErrorTermList(std::vector<std::wstring>& names) const {
    ErrorTermRegisterImpl::Cursor cur;
    while (impl_->Step(cur)) {
        names.push_back(impl_->Term(cur).name);
    }
}

void ErrorTermRegister::Dump(bool namesOnly) const {
    ErrorTermRegisterImpl::Cursor cur;
    while (impl_->Step(cur)) {
        const NamedBuffer& term = impl_->Term(cur);
        std::wcout << term.name << L'\n';
        if (namesOnly) {
            continue;
        }
        for (size_t k = 0; k < term.storage.size(); ++k) {
            std::wcout << k << L": " << term.storage[k].re << L", " << term.storage[k].im << L'\n';
        }
    }
    std::wcout.flush();
}

}  // namespace Tessel
