// SPDX-License-Identifier: Apache-2.0
// Response and ResponseIsol: tracking-only and tracking-plus-isolation correction of one raw
// buffer.
//
// Built for a raw name R (any text, typically a parameter or receiver name such as S21), an
// algorithm needs the raw buffer R and the error terms
//   Response:     ResponseTracking(R)
//   ResponseIsol: ResponseTracking(R), ResponseIsolation(R)
// and corrects point by point: raw / tracking, or (raw − isolation) / tracking.
//
// Names: error-term names match exactly (case-sensitive). A raw name is cut at its first comma
// before the exact comparison, so S21,1 and S21 address the same raw buffer.
//
// Both classes are handles over one shared ResponseImpl: copies share names, pointers and
// enumerator cursors. The reference count is atomic; everything else is for one thread at a
// time.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/correction/correction_algorithm.h"

namespace Tessel {

class ResponseImpl;

class TESSEL_EXPORT Response : public ICorrectionAlgorithm {
  public:
    explicit Response(const wchar_t* rawName);
    Response(const Response& other);
    Response& operator=(const Response& other);
    ~Response() override;

    // Corrects [start, stop) into the buffer at row 0, column 0 of output, through its data
    // pointer: the container's own samples or an array of the host's that the buffer points
    // at (which must hold stop samples). False, writing nothing, when the raw data or the
    // tracking term is not set, start is negative, output has no buffer or the buffer no
    // data, or the buffer's own samples are fewer than stop.
    bool ApplyCorrection(int start, int stop, DataMatrix& output, int) override;
    int ResultCount() override;  // 1
    void ResetErrorTermEnumerator() override;
    bool GetNextErrorTermName(std::wstring& name) override;
    bool GetErrorTermNames(std::vector<std::wstring>& names) override;
    bool SetErrorTermData(const wchar_t* name, const TsComplex* data, int pointCount) override;
    void ResetRawEnumerator() override;
    bool GetNextRawName(std::wstring& name) override;
    bool GetRawNames(std::vector<std::wstring>& names) override;
    bool SetRawData(const wchar_t* name, const TsComplex* data) override;
    bool SetAuxNameByName(const wchar_t* name, std::wstring auxName) override;
    bool SetCalType(const wchar_t* calType) override;  // false
    bool GetCalType(std::wstring& calType) override;   // false
    bool IsParameterCorrectable(const wchar_t* parameter) override;
    // A new DataMatrix with one buffer named by the raw name, for pointCount points.
    bool CreateOutputContainer(boost::shared_ptr<DataMatrix>& output, int pointCount) override;
    // Corrects [start, stop) into output's elements, which must already number at least stop
    // (the vector is not resized); false, writing nothing, otherwise.
    virtual bool ApplyCorrection(int start, int stop, std::vector<TsComplex>& output);

  private:
    boost::shared_ptr<ResponseImpl> impl_;
};

class TESSEL_EXPORT ResponseIsol : public ICorrectionAlgorithm {
  public:
    explicit ResponseIsol(const wchar_t* rawName);
    ResponseIsol(const ResponseIsol& other);
    ResponseIsol& operator=(const ResponseIsol& other);
    ~ResponseIsol() override;

    // As Response::ApplyCorrection; the isolation term must be set as well.
    bool ApplyCorrection(int start, int stop, DataMatrix& output, int) override;
    int ResultCount() override;  // 1
    void ResetErrorTermEnumerator() override;
    bool GetNextErrorTermName(std::wstring& name) override;
    bool GetErrorTermNames(std::vector<std::wstring>& names) override;
    bool SetErrorTermData(const wchar_t* name, const TsComplex* data, int pointCount) override;
    void ResetRawEnumerator() override;
    bool GetNextRawName(std::wstring& name) override;
    bool GetRawNames(std::vector<std::wstring>& names) override;
    bool SetRawData(const wchar_t* name, const TsComplex* data) override;
    bool SetAuxNameByName(const wchar_t* name, std::wstring auxName) override;
    bool SetCalType(const wchar_t* calType) override;  // false
    bool GetCalType(std::wstring& calType) override;   // false
    bool IsParameterCorrectable(const wchar_t* parameter) override;
    bool CreateOutputContainer(boost::shared_ptr<DataMatrix>& output, int pointCount) override;
    virtual bool ApplyCorrection(int start, int stop, std::vector<TsComplex>& output);

  private:
    boost::shared_ptr<ResponseImpl> impl_;
};

}  // namespace Tessel
