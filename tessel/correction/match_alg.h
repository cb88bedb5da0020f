// SPDX-License-Identifier: Apache-2.0
// MatchAlg: correction of unratioed receiver measurements with optional match correction.
//
// Besides the corrected S-parameters of N ports (done by an embedded NPort), the algorithm
// delivers the corrected reference receiver of every port p ("a<p>,<p>": the wave incident on
// p while p is the source) and the corrected test receiver of every pair of receiving port p
// and source port q ("b<p>,<q>": the wave leaving p while q drives).
//
// With match correction on for a port, its reference receiver is corrected for the source
// match of the port, raw / (tracking·(1 − sourceMatch·Γ)) with Γ the port's corrected
// reflection, and its test receivers are rebuilt as S(p,q)·a(q) from the corrected
// S-parameters and reference receivers. With match correction off, each receiver is divided
// by its own tracking term: the reference tracking "ReferenceTracking(a<p>)" for the
// reference receiver, "ResponseTracking(b<p>)" for the test receivers of p.
//
// Error-term names of its own (besides those of the NPort): per port the reference tracking,
// the source power calibration and the test receiver tracking names of the measurement
// utility library, sorted ascending. The reference tracking term of the i-th port is taken as
// the i-th sorted name, which holds because those names sort first and in port order.
//
// Ports are expected in ascending order: the rebuilt test receivers address the corrected
// S-parameters by position in the port list, while the NPort orders its ports ascending, and
// the reference tracking is taken by sorted position. Another order gives mixed-up receivers
// (it is not refused, since nothing is read out of bounds).
//
// Copies share the embedded NPort's state and copy names, buffer maps and match states.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tessel/core/export.h"
#include "tessel/correction/n_port.h"

namespace Tessel {

class TESSEL_EXPORT MatchAlg : public ICorrectionAlgorithm {
  public:
    // Builds the names for portCount ports (ports[0 .. portCount-1]); match correction starts
    // on for every port. The embedded NPort is built for max(portCount, 1) ports and for {1}
    // when ports is empty. With portCount 0 the algorithm has no receivers at all: the NPort
    // corrects one port and every receiver list and the match-state map stay empty.
    // Throws std::invalid_argument("Invalid argument") (from the NPort) when the port count
    // and the list disagree, so that no port is read beyond the list.
    MatchAlg(int portCount, const std::vector<int>& ports);

    // Corrects [start, stop): S-parameters first (an NPort failure ends the call, receivers
    // untouched), then the reference receivers, then the test receivers; always true.
    // Two ports with match correction on for both and both sources on use the two-source
    // test receiver correction: each port's test receivers become a·Γ, with Γ the one-port
    // correction of raw b(p,p) / raw a(p). That, and the reflection used for the reference
    // receivers (the one-port correction of the raw S(p,p) buffer), describe the state in
    // which both ports drive at once only if the raw S(p,p) buffers hold the b/a ratio of
    // that state: the host must supply them so when both sources are on.
    // Refusals (nothing is written for what they concern): a range with start < 0 or
    // start >= stop skips the receivers; a receiver whose raw data, tracking, source-match or
    // output array is missing is skipped, and so is a reference receiver whose reflection
    // cannot be corrected (a missing directivity, source match, reflection tracking or raw
    // S(p,p)). Every array the host passes must hold stop samples.
    bool ApplyCorrection(int start, int stop, DataMatrix& output, int) override;
    int ResultCount() override;
    void ResetErrorTermEnumerator() override;
    // The NPort's names, then the own names in sorted order. After the last name it returns
    // false and stays at its end, like the NPort's enumerators, until the next reset.
    bool GetNextErrorTermName(std::wstring& name) override;
    bool GetErrorTermNames(std::vector<std::wstring>& names) override;
    // Passes the term to the NPort and keeps it under its exact name; true. A null name is
    // refused (false).
    bool SetErrorTermData(const wchar_t* name, const TsComplex* data, int pointCount) override;
    void SetBothSourcesAreOn(bool on) override;
    bool GetBothSourcesAreOn() override;
    void ResetRawEnumerator() override;
    // The NPort's raw names, then the reference and the test receiver names; false after the
    // last, staying at its end until the next reset (as GetNextErrorTermName).
    bool GetNextRawName(std::wstring& name) override;
    bool GetRawNames(std::vector<std::wstring>& names) override;
    // True when the NPort takes the name, else kept under its exact name; true. A null name
    // is refused (false).
    bool SetRawData(const wchar_t* name, const TsComplex* data) override;
    bool SetAuxNameByName(const wchar_t* name, std::wstring auxName) override;
    bool SetCalType(const wchar_t* calType) override;
    bool GetCalType(std::wstring& calType) override;
    // port >= 0 sets that port's state, throwing a long holding kNoMatchCorrectionState
    // (0xE8080852, sign-extended) for a port without one; port < 0 sets every port's state.
    void SetMatchCorrectionState(int port, bool on) override;
    // Throws like SetMatchCorrectionState for a port without a state.
    bool GetMatchCorrectionState(int port) override;
    bool IsParameterCorrectable(const wchar_t* parameter) override;
    // The NPort's S-parameter container plus one buffer per reference and test receiver, with
    // the aliases R<p>,<p> (and, with both sources on, R<p>,<q> and a<p>,<q> for the other
    // ports q) for the reference receivers, and <letter>,<q> ("A,1" for b1,1 .. "D,q" for
    // port 4) for the test receivers of ports 1 to 4.
    bool CreateOutputContainer(boost::shared_ptr<DataMatrix>& output, int pointCount) override;

    // The number of samples the process-wide reflection scratch array holds (see
    // match_alg.cpp): 201 before any correction, growing to the largest stop, never shrinking.
    static std::size_t ReflectionScratchSize();

  private:
    void CorrectReferenceReceivers(int start, int stop, DataMatrix& output);
    void CorrectTestReceivers(int start, int stop, DataMatrix& output);
    void CorrectTestReceiversBothSources(int start, int stop, DataMatrix& output);
    const TsComplex* Raw(const std::wstring& name) const;
    const TsComplex* Term(const std::wstring& name) const;
    const TsComplex* Register(const wchar_t* word, int port);

    NPort nport_;
    std::vector<std::wstring> etermNames_;  // sorted
    int etermCursor_ = -1;                  // -1: in the NPort's names
    std::vector<std::wstring> testNames_;   // b<p>,<q>, construction order
    std::vector<std::wstring> refNames_;    // a<p>,<p>, port order
    int rawCursor_ = -1;
    std::map<std::wstring, NamedBuffer> raw_;
    std::map<std::wstring, NamedBuffer> terms_;
    std::vector<int> ports_;
    std::map<int, bool> matchState_;
};

}  // namespace Tessel
