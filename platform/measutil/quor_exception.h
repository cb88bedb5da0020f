// SPDX-License-Identifier: Apache-2.0
// QuorException: the typed exception of the host application framework.
//
// It carries a 32-bit status code (sign-extended in a `long`, see tessel/core/status.h) and
// zero or more message texts. tessel throws it for archive failures, unsupported saved-record
// versions and ports without match-correction state.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "tessel/core/export.h"

class TESSEL_EXPORT QuorException : public std::exception {
  public:
    explicit QuorException(long code) : code_(code) {}
    QuorException(long code, std::wstring text) : code_(code), texts_{std::move(text)} {}
    QuorException(long code, std::vector<std::wstring> texts)
        : code_(code), texts_(std::move(texts)) {}

    long Code() const noexcept { return code_; }
    const std::vector<std::wstring>& Texts() const noexcept { return texts_; }

    // A narrow rendering of the code and the first text, for diagnostics.
    const char* what() const noexcept override;

  private:
    long code_;
    std::vector<std::wstring> texts_;
    mutable std::string what_;
};
