// SPDX-License-Identifier: Apache-2.0
// EnhancedResponse: one-path two-port correction (enhanced response).
//
// Built for ports {R, S}, receiving port R and source port S, it is an NPort over the two ports
// whose reverse direction (S receiving, R driving) is filled with ideal terms and zero raw data,
// so that the twelve-term kernel reduces to the enhanced-response result: with a and b the
// normalised reflection at S and transmission into R,
//   S(S,S) = a / (1 + ES·a),   S(R,S) = b / (1 + ES·a)   (ES the source match of S).
// The load match of R is not corrected.
//
// The host sees only the six forward terms Directivity(S,S), SourceMatch(S,S),
// ReflectionTracking(S,S), CrossTalk(R,S), LoadMatch(R,S), TransmissionTracking(R,S) and the
// two raw names S(S,S) and S(R,S). Setting a directivity term (re)builds the ideal arrays for
// its point count and points the reverse terms and raw data at them, so the host sets a
// directivity term with the full point count before applying.
//
// Copies share the N-port state and also the ideal arrays, which therefore live as long as
// the last copy.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/correction/n_port.h"

namespace Tessel {

class TESSEL_EXPORT EnhancedResponse : public NPort {
  public:
    // ports = {R, S}. Throws std::invalid_argument("Invalid argument") unless ports holds two
    // different port numbers.
    explicit EnhancedResponse(const std::vector<int>& ports);

    // NPort's correction, refused (false, nothing written) when the range is not empty and
    // stop exceeds the point count of the ideal reverse-direction arrays, that is the largest
    // point count a directivity term was set with: the kernel would read past them.
    bool ApplyCorrection(int start, int stop, DataMatrix& output, int) override;
    int ResultCount() override;  // 2
    bool GetNextErrorTermName(std::wstring& name) override;
    bool GetErrorTermNames(std::vector<std::wstring>& names) override;
    bool SetErrorTermData(const wchar_t* name, const TsComplex* data, int pointCount) override;
    bool GetNextRawName(std::wstring& name) override;
    bool GetRawNames(std::vector<std::wstring>& names) override;

  private:
    struct IdealArrays {
        std::vector<TsComplex> ones;
        std::vector<TsComplex> zeros;
    };
    bool IsOwnTerm(const std::wstring& name) const;
    bool IsOwnRaw(const std::wstring& name) const;
    void PointReverseDirectionAtIdeals(int pointCount);

    int sourcePort_;
    int receivingPort_;
    std::vector<std::wstring> termNames_;
    std::vector<std::wstring> rawNames_;
    boost::shared_ptr<IdealArrays> ideal_;
};

}  // namespace Tessel
