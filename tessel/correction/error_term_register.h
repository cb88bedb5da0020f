// SPDX-License-Identifier: Apache-2.0
// ErrorTermRegister: the named calibration error terms of a set of N test ports.
//
// For every ordered pair of ports (row r, column c) the register holds three terms in three
// N × N matrices:
//   matrix 0: Directivity(P,P) on the diagonal, CrossTalk(P,Q) off it;
//   matrix 1: SourceMatch(P,P) on the diagonal, LoadMatch(P,Q) off it;
//   matrix 2: ReflectionTracking(P,P) on the diagonal, TransmissionTracking(P,Q) off it;
// with P the port number of the row and Q that of the column (port numbers, never indices,
// whatever the addressing mode). Names are fixed at construction; only term data changes.
//
// Each term is a NamedBuffer: a data pointer to caller-owned samples (null until set; the
// register never owns them) and a sample storage of its own (filled only by the vector
// overload of SetErrorTerm, printed only by Dump).
//
// Addressing: in logical mode the two ints of an accessor are port indices 0..N−1 (indices
// outside that range give null); in physical mode they are port numbers, and a number that is
// not a port of the register gives null or an empty name.
//
// Access by name finds the first term, in iteration order, whose name contains the given text
// (plain, case-sensitive substring), so a full name such as Directivity(1,1) finds exactly that
// term. Iteration order: matrix 0, 1, 2; rows 0..N−1 within a matrix; columns 0..N−1 within a
// row.
//
// The register is a handle: copies share one implementation, including the iteration cursor.
// The reference count is atomic; everything else is for one thread at a time.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "tessel/core/export.h"
#include "tessel/core/types.h"

namespace Tessel {

class ErrorTermRegisterImpl;

class TESSEL_EXPORT ErrorTermRegister {
  public:
    // Builds the register for the given ports (sorted ascending; a port listed twice maps to
    // its later index). Throws std::invalid_argument("Invalid argument") when portCount differs
    // from ports.size().
    ErrorTermRegister(int portCount, std::vector<int> ports, bool usingLogicalPorts);
    ErrorTermRegister(const ErrorTermRegister& other);
    ErrorTermRegister& operator=(const ErrorTermRegister& other);
    ~ErrorTermRegister();

    bool UsingLogicalPorts() const;

    // Data pointers of the terms; the two words of each matrix address the same element.
    // Null when the term is not set or a port is not in the register.
    const TsComplex* Directivity(int a, int b) const;
    const TsComplex* CrossTalk(int a, int b) const;
    const TsComplex* SourceMatch(int a, int b) const;
    const TsComplex* LoadMatch(int a, int b) const;
    const TsComplex* ReflectionTracking(int a, int b) const;
    const TsComplex* TransmissionTracking(int a, int b) const;

    // Names of the terms; empty when a port is not in the register.
    std::wstring DirectivityName(int a, int b) const;
    std::wstring CrossTalkName(int a, int b) const;
    std::wstring SourceMatchName(int a, int b) const;
    std::wstring LoadMatchName(int a, int b) const;
    std::wstring ReflectionTrackingName(int a, int b) const;
    std::wstring TransmissionTrackingName(int a, int b) const;

    // Points the first term whose name contains `name` at data (the caller keeps the samples
    // alive) and empties that term's own storage. False, changing nothing, when name or data
    // is null or no term matches.
    bool SetErrorTerm(const wchar_t* name, const TsComplex* data);
    // Copies data into the own storage of the first matching term; its data pointer stays as
    // it was. False when name is null or no term matches.
    bool SetErrorTerm(const wchar_t* name, std::vector<TsComplex>& data);
    // The data pointer of the first matching term; null when none matches.
    const TsComplex* GetErrorTerm(const wchar_t* name) const;
    // Stores the data pointer of the first matching term through data (when data is not null)
    // and returns true; false when none matches.
    bool GetErrorTerm(const wchar_t* name, const TsComplex** data) const;

    // Sets the cursor before the first term.
    void ResetIterator();
    // Advances the cursor and returns the term's name and data pointer (data may be null when
    // only the name is wanted). False once all 3·N·N terms have been visited; further calls
    // keep returning false until ResetIterator.
    bool GetNextTerm(std::wstring& name, const TsComplex** data);
    // Appends the names of all terms, in iteration order. The cursor is not disturbed.
    void GetErrorTermList(std::vector<std::wstring>& names) const;
    // Writes every term to the wide standard output in iteration order: its name on one line
    // and, unless namesOnly, one line "k: re, im" per sample of its own storage (default
    // stream formatting). The cursor is not disturbed.
    void Dump(bool namesOnly) const;

  private:
    boost::shared_ptr<ErrorTermRegisterImpl> impl_;
};

}  // namespace Tessel
