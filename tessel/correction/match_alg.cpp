// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/match_alg.h"

#include <algorithm>

#include "platform/measutil/eterm_names.h"
#include "tessel/correction/correction_kernels.h"
#include "tessel/correction/internal/output_buffer.h"

namespace Tessel {

namespace {

using QuorUtility::eterm_name;

// The corrected reflection coefficients of the reference receiver correction. One array is
// shared by every MatchAlg of the process: created on first use with 201 zero samples, grown
// to `stop` samples when a correction needs more, never shrunk, and kept until unload.
// Process-wide and not locked: not safe for concurrent use, so match corrections must not run
// concurrently, even on different objects.
std::vector<TsComplex>& ReflectionScratch() {
    static std::vector<TsComplex> scratch(201);
    return scratch;
}

std::wstring PortPair(const wchar_t* letter, int p, int q) {
    return letter + std::to_wstring(p) + L"," + std::to_wstring(q);
}
std::wstring RefName(int p) {
    return PortPair(L"a", p, p);
}
std::wstring TestName(int p, int q) {
    return PortPair(L"b", p, q);
}

std::vector<int> NPortPorts(const std::vector<int>& ports) {
    return ports.empty() ? std::vector<int>{1} : ports;
}

// Steps an enumerator over a list of names after the NPort's: cursor -1 while the NPort still
// has names, then the list position; at the end it stays there (returns false) until reset.
template <class Next>
bool NextAfter(int& cursor, const std::vector<const std::vector<std::wstring>*>& lists,
               Next nportNext, std::wstring& name) {
    if (cursor < 0) {
        if (nportNext(name)) {
            return true;
        }
        cursor = 0;
    }
    std::size_t k = static_cast<std::size_t>(cursor);
    for (const auto* list : lists) {
        if (k < list->size()) {
            name = (*list)[k];
            ++cursor;
            return true;
        }
        k -= list->size();
    }
    return false;
}

}  // namespace

MatchAlg::MatchAlg(int portCount, const std::vector<int>& ports)
    : nport_(std::max(portCount, 1), NPortPorts(ports)), ports_(ports) {
    for (int k = 0; k < portCount; ++k) {
        const int p = ports[k];
        etermNames_.push_back(QuorUtility::reference_eterm_name_Classic(p - 1, L""));
        etermNames_.push_back(QuorUtility::src_cal_eterm_name(p - 1, L""));
        refNames_.push_back(RefName(p));
        for (int j = 0; j < portCount; ++j) {
            testNames_.push_back(TestName(p, ports[j]));
        }
        etermNames_.push_back(QuorUtility::test_rcv_eterm_name_Classic(p - 1, L""));
        matchState_[p] = true;
    }
    std::sort(etermNames_.begin(), etermNames_.end());
}

int MatchAlg::ResultCount() {
    return nport_.ResultCount();
}

void MatchAlg::ResetErrorTermEnumerator() {
    etermCursor_ = -1;
    nport_.ResetErrorTermEnumerator();
}

bool MatchAlg::GetNextErrorTermName(std::wstring& name) {
    return NextAfter(
        etermCursor_, {&etermNames_},
        [this](std::wstring& n) { return nport_.GetNextErrorTermName(n); }, name);
}

bool MatchAlg::GetErrorTermNames(std::vector<std::wstring>& names) {
    names.clear();
    nport_.GetErrorTermNames(names);
    names.insert(names.end(), etermNames_.begin(), etermNames_.end());
    return true;
}

bool MatchAlg::SetErrorTermData(const wchar_t* name, const TsComplex* data, int pointCount) {
    if (name == nullptr) {
        return false;
    }
    nport_.SetErrorTermData(name, data, pointCount);
    terms_[name] = NamedBuffer(name, data);
    return true;
}

void MatchAlg::SetBothSourcesAreOn(bool on) {
    nport_.SetBothSourcesAreOn(on);
}
bool MatchAlg::GetBothSourcesAreOn() {
    return nport_.GetBothSourcesAreOn();
}

void MatchAlg::ResetRawEnumerator() {
    rawCursor_ = -1;
    nport_.ResetRawEnumerator();
}

bool MatchAlg::GetNextRawName(std::wstring& name) {
    return NextAfter(
        rawCursor_, {&refNames_, &testNames_},
        [this](std::wstring& n) { return nport_.GetNextRawName(n); }, name);
}

bool MatchAlg::GetRawNames(std::vector<std::wstring>& names) {
    nport_.GetRawNames(names);
    names.insert(names.end(), refNames_.begin(), refNames_.end());
    names.insert(names.end(), testNames_.begin(), testNames_.end());
    return true;
}

bool MatchAlg::SetRawData(const wchar_t* name, const TsComplex* data) {
    if (name == nullptr) {
        return false;
    }
    if (!nport_.SetRawData(name, data)) {
        raw_[name] = NamedBuffer(name, data);
    }
    return true;
}

bool MatchAlg::SetAuxNameByName(const wchar_t* name, std::wstring auxName) {
    return nport_.SetAuxNameByName(name, std::move(auxName));
}

bool MatchAlg::SetCalType(const wchar_t* calType) {
    return nport_.SetCalType(calType);
}
bool MatchAlg::GetCalType(std::wstring& calType) {
    return nport_.GetCalType(calType);
}

void MatchAlg::SetMatchCorrectionState(int port, bool on) {
    if (port < 0) {
        for (auto& state : matchState_) {
            state.second = on;
        }
        return;
    }
    const auto it = matchState_.find(port);
    if (it == matchState_.end()) {
        throw kNoMatchCorrectionState;
    }
    it->second = on;
}

bool MatchAlg::GetMatchCorrectionState(int port) {
    const auto it = matchState_.find(port);
    if (it == matchState_.end()) {
        throw kNoMatchCorrectionState;
    }
    return it->second;
}

bool MatchAlg::IsParameterCorrectable(const wchar_t* parameter) {
    if (parameter != nullptr &&
        (std::count(refNames_.begin(), refNames_.end(), parameter) != 0 ||
         std::count(testNames_.begin(), testNames_.end(), parameter) != 0)) {
        return true;
    }
    return nport_.IsParameterCorrectable(parameter);
}

bool MatchAlg::CreateOutputContainer(boost::shared_ptr<DataMatrix>& output, int pointCount) {
    if (!nport_.CreateOutputContainer(output, pointCount)) {
        return false;
    }
    const bool both = GetBothSourcesAreOn();
    for (std::size_t k = 0; k < refNames_.size(); ++k) {
        const int p = ports_[k];
        output->AddBuffer(refNames_[k]);
        output->AddAlias(PortPair(L"R", p, p), refNames_[k]);
        for (std::size_t j = 0; both && j < ports_.size(); ++j) {
            if (j != k) {
                output->AddAlias(PortPair(L"R", p, ports_[j]), refNames_[k]);
                output->AddAlias(PortPair(L"a", p, ports_[j]), refNames_[k]);
            }
        }
    }
    for (const std::wstring& name : testNames_) {
        output->AddBuffer(name);
    }
    for (std::size_t k = 0; k < refNames_.size(); ++k) {
        for (std::size_t j = 0; j < ports_.size(); ++j) {
            const int q = ports_[j];
            if (q < 5) {
                const wchar_t letter[2] = {wchar_t(L'A' + (q - 1)), L'\0'};
                output->AddAlias(letter + (L"," + std::to_wstring(ports_[k])),
                                 TestName(q, ports_[k]));
            }
        }
    }
    return true;
}

std::size_t MatchAlg::ReflectionScratchSize() {
    return ReflectionScratch().size();
}

const TsComplex* MatchAlg::Raw(const std::wstring& name) const {
    const auto it = raw_.find(name);
    return it != raw_.end() ? it->second.data : nullptr;
}

const TsComplex* MatchAlg::Term(const std::wstring& name) const {
    const auto it = terms_.find(name);
    return it != terms_.end() ? it->second.data : nullptr;
}

const TsComplex* MatchAlg::Register(const wchar_t* word, int port) {
    return nport_.GetErrorTerm(eterm_name(word, port - 1, port - 1).c_str());
}

bool MatchAlg::ApplyCorrection(int start, int stop, DataMatrix& output, int) {
    if (!nport_.ApplyCorrection(start, stop, output, 0)) {
        return true;
    }
    if (start < 0 || start >= stop) {
        return true;
    }
    CorrectReferenceReceivers(start, stop, output);
    if (ports_.size() == 2 && matchState_[ports_[0]] && matchState_[ports_[1]] &&
        GetBothSourcesAreOn()) {
        CorrectTestReceiversBothSources(start, stop, output);
    } else {
        CorrectTestReceivers(start, stop, output);
    }
    return true;
}

void MatchAlg::CorrectReferenceReceivers(int start, int stop, DataMatrix& output) {
    std::vector<TsComplex>& reflection = ReflectionScratch();
    for (std::size_t i = 0; i < refNames_.size(); ++i) {
        const int p = ports_[i];
        const TsComplex* sourceMatch = Register(L"SourceMatch", p);
        const TsComplex* raw = Raw(refNames_[i]);
        const TsComplex* tracking = Term(etermNames_[i]);
        TsComplex* out = internal::WritableSamples(output.GetDataByName(refNames_[i]), stop);
        if (raw == nullptr || tracking == nullptr || out == nullptr) {
            continue;
        }
        if (!matchState_[p]) {
            CorrectResponse(raw, tracking, out, start, stop);
            continue;
        }
        if (reflection.size() < static_cast<std::size_t>(stop)) {
            reflection.resize(stop);
        }
        const TsComplex* rawReflection =
            nport_.GetRawData(QuorUtility::SParameterName(p, p).c_str());
        if (Correct1Port(rawReflection, Register(L"Directivity", p), sourceMatch,
                         Register(L"ReflectionTracking", p), start, stop, reflection.data()) < 0) {
            continue;
        }
        CorrectRefReceiver(reflection.data(), raw, sourceMatch, tracking, start, stop, out);
    }
}

void MatchAlg::CorrectTestReceivers(int start, int stop, DataMatrix& output) {
    const std::size_t n = refNames_.size();
    for (std::size_t k = 0; k < n; ++k) {
        const int p = ports_[k];
        const TsComplex* tracking = Term(QuorUtility::test_rcv_eterm_name_Classic(p - 1, L""));
        for (std::size_t j = 0; j < n; ++j) {
            const std::wstring name = TestName(p, ports_[j]);
            TsComplex* out = internal::WritableSamples(output.GetDataByName(name), stop);
            if (out == nullptr) {
                continue;
            }
            if (matchState_[p]) {
                const TsComplex* s = internal::WritableSamples(output(int(k), int(j)), stop);
                const TsComplex* a =
                    internal::WritableSamples(output.GetDataByName(refNames_[j]), stop);
                if (s == nullptr || a == nullptr) {
                    continue;
                }
                for (int i = start; i < stop; ++i) {
                    out[i] = s[i] * a[i];
                }
            } else if (Raw(name) != nullptr && tracking != nullptr) {
                CorrectResponse(Raw(name), tracking, out, start, stop);
            }
        }
    }
}

void MatchAlg::CorrectTestReceiversBothSources(int start, int stop, DataMatrix& output) {
    struct PortArrays {
        const TsComplex *ed, *es, *er, *a, *b, *corrA;
        TsComplex *own, *other;
    } arrays[2];
    for (int n = 0; n < 2; ++n) {
        const int p = ports_[n], o = ports_[1 - n];
        PortArrays& x = arrays[n];
        x = {Register(L"Directivity", p),
             Register(L"SourceMatch", p),
             Register(L"ReflectionTracking", p),
             Raw(refNames_[n]),
             Raw(TestName(p, p)),
             internal::WritableSamples(output.GetDataByName(refNames_[n]), stop),
             internal::WritableSamples(output.GetDataByName(TestName(p, p)), stop),
             internal::WritableSamples(output.GetDataByName(TestName(p, o)), stop)};
        if (!x.ed || !x.es || !x.er || !x.a || !x.b || !x.corrA || !x.own || !x.other) {
            x.own = nullptr;  // this port's pair is skipped
        }
    }
    for (int i = start; i < stop; ++i) {
        for (const PortArrays& x : arrays) {
            if (x.own == nullptr) {
                continue;
            }
            const TsComplex u = x.b[i] - x.ed[i] * x.a[i];
            const TsComplex wave = x.corrA[i] * (u / (x.es[i] * u + x.er[i] * x.a[i]));
            x.own[i] = wave;
            x.other[i] = wave;
        }
    }
}

}  // namespace Tessel
