// SPDX-License-Identifier: Apache-2.0
// NPort: full N-port calibration correction of the S-matrix, point by point.
//
// The algorithm holds one raw buffer per measured S-parameter of N ports, named "S" + row port
// + column port ("S21"), or with an underscore between the numbers when either is 10 or more
// ("S3_10"), ports sorted ascending; and an ErrorTermRegister of the 3·N·N error terms in
// logical mode. For receiving port r and source port c the terms are Directivity(r,r) /
// CrossTalk(r,c), SourceMatch(r,r) / LoadMatch(r,c) and ReflectionTracking(r,r) /
// TransmissionTracking(r,c).
//
// Correction:
//   N = 1: the three-term one-port kernel.
//   N = 2: the twelve-term kernel Correct2Port. With both sources on, the non-driven port is
//     terminated by its source match, so that match takes the load-match place and the
//     transmission tracking is adjusted to T21 = ET21·ER22 / (ER22 + ED22·(EL21 − ES22)) (and
//     T12 likewise with the port-1 terms).
//   N > 2: per point, A(r,c) = (M − D) / T, B = I + E∘A (element-wise), S = A·B⁻¹, found by
//     substitution through the LU decomposition of B. The work matrices live in the implementation:
//     no allocation per point. Where B is singular at a point, every output of that point
//     receives the missing-data value TsComplex::m_minus200dB.
//
// Names: error terms and raw buffers are found by substring (the first match in register or
// row-major order); IsParameterCorrectable compares exactly.
//
// NPort is a handle over one shared implementation; the reference count is atomic, everything
// else is for one thread at a time.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/correction/correction_algorithm.h"

namespace Tessel {

class NPortImpl;

// Process-wide debug switch, on when the library is loaded. While on, the N > 2 correction
// first checks that every raw and error-term array holds at least `stop` samples, as far as the
// host heap can tell the size of the array's block; an array whose size cannot be known passes.
// A failed check makes ApplyCorrection return false without writing anything.
TESSEL_EXPORT void SetEnableDebugSizeChecks(bool enable);
TESSEL_EXPORT bool GetEnableDebugSizeChecks();

class TESSEL_EXPORT NPort : public ICorrectionAlgorithm {
  public:
    // Builds the algorithm for portCount ports. Throws std::invalid_argument("Invalid
    // argument") when portCount differs from ports.size().
    NPort(int portCount, const std::vector<int>& ports);
    NPort(const NPort& other);
    NPort& operator=(const NPort& other);
    ~NPort() override;

    // Corrects [start, stop) into the output buffers (r, c) and sets the output's valid index
    // to stop; for N > 2 it also copies each raw buffer's auxiliary name to its output buffer
    // (the one- and two-port paths leave output names alone). Results are written through each
    // output buffer's data pointer: the container's own samples, or an array of the host's
    // that the buffer points at (the host's array must hold stop samples).
    // N = 1 always returns true and sets the valid index; it writes nothing when an input or
    // the output buffer is missing, start is negative, or the container's own samples are
    // fewer than stop. N >= 2 returns false, writing nothing, when output holds fewer than
    // N·N buffers, a needed raw, error-term or output array is missing (crosstalk may be
    // missing: it counts as zero), a container's own output samples are fewer than stop,
    // start is negative, or the debug size check fails. The last argument is not used.
    bool ApplyCorrection(int start, int stop, DataMatrix& output, int) override;
    int ResultCount() override;  // N·N
    void ResetErrorTermEnumerator() override;
    bool GetNextErrorTermName(std::wstring& name) override;
    bool GetErrorTermNames(std::vector<std::wstring>& names) override;
    // Points the first register term whose name contains name at data; null data is refused.
    bool SetErrorTermData(const wchar_t* name, const TsComplex* data, int pointCount) override;
    void SetBothSourcesAreOn(bool on) override;
    bool GetBothSourcesAreOn() override;
    void ResetRawEnumerator() override;
    bool GetNextRawName(std::wstring& name) override;
    bool GetRawNames(std::vector<std::wstring>& names) override;
    // Points the first raw buffer whose name contains name at data.
    bool SetRawData(const wchar_t* name, const TsComplex* data) override;
    bool SetAuxNameByName(const wchar_t* name, std::wstring auxName) override;
    bool SetCalType(const wchar_t* calType) override;  // false
    // N followed by "-Port" ("3-Port"); false when N is 0.
    bool GetCalType(std::wstring& calType) override;
    bool IsParameterCorrectable(const wchar_t* parameter) override;
    // A new DataMatrix(N, ports, pointCount).
    bool CreateOutputContainer(boost::shared_ptr<DataMatrix>& output, int pointCount) override;

    // The data pointer of the first raw buffer whose name contains name, or null.
    const TsComplex* GetRawData(const wchar_t* name);
    // The register's GetErrorTerm.
    const TsComplex* GetErrorTerm(const wchar_t* name);
    // The register's Dump(false).
    void DumpData();

  private:
    boost::shared_ptr<NPortImpl> impl_;
};

}  // namespace Tessel
