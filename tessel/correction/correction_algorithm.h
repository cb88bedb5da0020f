// SPDX-License-Identifier: Apache-2.0
// ICorrectionAlgorithm: the interface through which the host drives every calibration
// error-correction algorithm.
//
// The host asks an algorithm which raw buffers and which error terms it needs (by name), hands
// it pointers to those buffers, asks it for an output container, and then calls
// ApplyCorrection once per range [start, stop) of points. Algorithms keep only the pointers
// they are given; the caller keeps the arrays alive meanwhile. Names are wide strings.
//
// The virtual operations below are in the order of the interface's table of virtual functions;
// operations with a body here are the interface's default behaviour.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/core/status.h"
#include "tessel/core/types.h"

namespace Tessel {

class TESSEL_EXPORT ICorrectionAlgorithm {
  public:
    // Error-term range of a term name. No algorithm of the library distinguishes ranges, so
    // every algorithm answers ETERM_RANGE_DEFAULT; other enumerators belong to the host.
    enum ETERM_RANGE_INDEX { ETERM_RANGE_DEFAULT = 0 };

    // Corrects points [start, stop) into output; the last argument is not used.
    virtual bool ApplyCorrection(int start, int stop, DataMatrix& output, int) = 0;
    // The number of corrected buffers the algorithm produces.
    virtual int ResultCount() = 0;
    virtual void ResetErrorTermEnumerator() = 0;
    virtual bool GetNextErrorTermName(std::wstring& name) = 0;
    virtual bool GetErrorTermNames(std::vector<std::wstring>& names) = 0;
    virtual bool SetErrorTermData(const wchar_t* name, const TsComplex* data, int pointCount) = 0;
    // Throws a long holding kNotImplemented (0x80004001) unless an algorithm supports it.
    virtual void SetBothSourcesAreOn(bool) { throw kNotImplemented; }
    virtual bool GetBothSourcesAreOn() { return false; }
    virtual void ResetRawEnumerator() = 0;
    virtual bool GetNextRawName(std::wstring& name) = 0;
    virtual bool GetRawNames(std::vector<std::wstring>& names) = 0;
    virtual bool SetRawData(const wchar_t* name, const TsComplex* data) = 0;
    virtual bool SetAuxNameByName(const wchar_t* name, std::wstring auxName) = 0;
    virtual void GetCorrectableParameters(std::vector<std::wstring>& names) { GetRawNames(names); }
    // The hint is ignored by default.
    virtual bool GetHintedRawNames(int, std::vector<std::wstring>& names) {
        return GetRawNames(names);
    }
    virtual void GetHintedCorrectableParameters(int, std::vector<std::wstring>& names) {
        GetCorrectableParameters(names);
    }
    virtual bool SetCalType(const wchar_t* calType) = 0;
    virtual bool GetCalType(std::wstring& calType) = 0;
    virtual void SetMatchCorrectionState(int, bool) {}
    virtual bool GetMatchCorrectionState(int) { return true; }
    virtual ETERM_RANGE_INDEX GetErrorTermRangeIndex(const wchar_t*) { return ETERM_RANGE_DEFAULT; }
    virtual bool IsParameterCorrectable(const wchar_t* parameter) = 0;
    // Creates the algorithm's output container for pointCount points. The interface creates
    // nothing: it returns false and leaves output untouched.
    virtual bool CreateOutputContainer(boost::shared_ptr<DataMatrix>&, int) { return false; }
    virtual ~ICorrectionAlgorithm() = default;

  protected:
    ICorrectionAlgorithm() = default;
    ICorrectionAlgorithm(const ICorrectionAlgorithm&) = default;
    ICorrectionAlgorithm& operator=(const ICorrectionAlgorithm&) = default;
};

}  // namespace Tessel
