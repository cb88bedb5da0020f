// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/enhanced_response.h"

#include <algorithm>
#include <stdexcept>

namespace Tessel {

namespace {

const std::vector<int>& CheckedPair(const std::vector<int>& ports) {
    if (ports.size() != 2 || ports[0] == ports[1]) {
        throw std::invalid_argument("Invalid argument");
    }
    return ports;
}

// word + "(a,b)".
std::wstring Term(const wchar_t* word, int a, int b) {
    return std::wstring(word) + L"(" + std::to_wstring(a) + L"," + std::to_wstring(b) + L")";
}

// "S%d%d", or "S%d_%d" when a number is 10 or more.
std::wstring SName(int a, int b) {
    return L"S" + std::to_wstring(a) + ((a < 10 && b < 10) ? L"" : L"_") + std::to_wstring(b);
}

}  // namespace

EnhancedResponse::EnhancedResponse(const std::vector<int>& ports)
    : NPort(2, CheckedPair(ports)),
      sourcePort_(ports[1]),
      receivingPort_(ports[0]),
      ideal_(new IdealArrays) {
    const int s = sourcePort_, r = receivingPort_;
    termNames_ = {Term(L"Directivity", s, s),        Term(L"SourceMatch", s, s),
                  Term(L"ReflectionTracking", s, s), Term(L"CrossTalk", r, s),
                  Term(L"LoadMatch", r, s),          Term(L"TransmissionTracking", r, s)};
    rawNames_ = {SName(s, s), SName(r, s)};
}

bool EnhancedResponse::ApplyCorrection(int start, int stop, DataMatrix& output, int unused) {
    const bool beyondIdeals = static_cast<std::size_t>(std::max(stop, 0)) > ideal_->ones.size();
    if (start < stop && beyondIdeals) {
        return false;
    }
    return NPort::ApplyCorrection(start, stop, output, unused);
}

int EnhancedResponse::ResultCount() {
    return 2;
}

bool EnhancedResponse::IsOwnTerm(const std::wstring& name) const {
    return std::find(termNames_.begin(), termNames_.end(), name) != termNames_.end();
}

bool EnhancedResponse::IsOwnRaw(const std::wstring& name) const {
    return std::find(rawNames_.begin(), rawNames_.end(), name) != rawNames_.end();
}

bool EnhancedResponse::GetNextErrorTermName(std::wstring& name) {
    std::wstring next;
    while (NPort::GetNextErrorTermName(next)) {
        if (IsOwnTerm(next)) {
            name = next;
            return true;
        }
    }
    return false;
}

bool EnhancedResponse::GetErrorTermNames(std::vector<std::wstring>& names) {
    ResetErrorTermEnumerator();
    names.insert(names.end(), termNames_.begin(), termNames_.end());
    return true;
}

bool EnhancedResponse::GetNextRawName(std::wstring& name) {
    std::wstring next;
    while (NPort::GetNextRawName(next)) {
        if (IsOwnRaw(next)) {
            name = next;
            return true;
        }
    }
    return false;
}

bool EnhancedResponse::GetRawNames(std::vector<std::wstring>& names) {
    ResetRawEnumerator();
    names.insert(names.end(), rawNames_.begin(), rawNames_.end());
    return true;
}

// The reverse direction (S receiving, R driving) becomes a perfect one: no directivity,
// match or crosstalk, unit tracking, and zero raw data. The ideal arrays grow to pointCount but
// never shrink, so a later term set with fewer points cannot leave the reverse direction
// shorter than a range the host already corrects.
void EnhancedResponse::PointReverseDirectionAtIdeals(int pointCount) {
    const std::size_t n = static_cast<std::size_t>(std::max(pointCount, 0));
    if (n > ideal_->ones.size()) {
        ideal_->ones.resize(n, TsComplex(1.0f, 0.0f));
        ideal_->zeros.resize(n, TsComplex(0.0f, 0.0f));
    }
    const TsComplex* ones = ideal_->ones.data();
    const TsComplex* zeros = ideal_->zeros.data();
    const int s = sourcePort_, r = receivingPort_;
    NPort::SetErrorTermData(Term(L"Directivity", r, r).c_str(), zeros, pointCount);
    NPort::SetErrorTermData(Term(L"ReflectionTracking", r, r).c_str(), ones, pointCount);
    NPort::SetErrorTermData(Term(L"SourceMatch", r, r).c_str(), zeros, pointCount);
    NPort::SetErrorTermData(Term(L"LoadMatch", s, r).c_str(), zeros, pointCount);
    NPort::SetErrorTermData(Term(L"TransmissionTracking", s, r).c_str(), ones, pointCount);
    NPort::SetErrorTermData(Term(L"CrossTalk", s, r).c_str(), zeros, pointCount);
    NPort::SetRawData(SName(r, r).c_str(), zeros);
    NPort::SetRawData(SName(s, r).c_str(), zeros);
}

bool EnhancedResponse::SetErrorTermData(const wchar_t* name, const TsComplex* data,
                                        int pointCount) {
    if (name != nullptr && std::wstring(name).find(L"Directivity") != std::wstring::npos) {
        PointReverseDirectionAtIdeals(pointCount);
    }
    return NPort::SetErrorTermData(name, data, pointCount);
}

}  // namespace Tessel
