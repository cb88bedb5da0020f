// SPDX-License-Identifier: Apache-2.0
// Tessel::ArrayDataProvider: a ready-made IDataProvider over arrays that it holds.
//
// A host that keeps a trace in plain arrays can give this provider to a CMarkerSet instead of
// implementing IDataProvider itself. It holds one trace: the stimulus axis, the formatted
// (scalar) values and the complex data, the formats, units and domain the set asks for, the
// auxiliary stimulus value, the system impedance and the user ranges 1..16 as stimulus spans.
// Refresh requests from the set are counted by kind and passed to an optional handler.
//
// Size rules: the formatted values and the complex data are each either empty (the trace has
// none) or hold exactly one value per stimulus point. A data setter given another length
// refuses with kInvalidArg and keeps what it had; a new stimulus of another length drops the
// data that no longer fits. So a set reading this provider never sees data and stimulus of
// different lengths.
//
// Defaults: no points, log-magnitude trace and data format, formatted unit dB, complex data
// without unit, frequency domain, auxiliary stimulus 0, system impedance 50 ohm, no user range.
// The eight extension operations the set never calls return 0.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/markers/data_provider.h"

namespace Tessel {

class TESSEL_EXPORT ArrayDataProvider : public IDataProvider {
  public:
    // User ranges are numbered 1..kMaxUserRange; 0 means the whole trace and is not stored.
    static constexpr long kMaxUserRange = 16;

    ArrayDataProvider() = default;
    // An axis without data.
    explicit ArrayDataProvider(InputArray stimulus);

    // ---- The trace ----
    // Replaces the axis. Formatted values and complex data whose length differs from the new
    // axis are dropped (left empty); data of the same length is kept.
    void SetStimulus(InputArray stimulus);
    // Empty or one value per stimulus point, else kInvalidArg and nothing changes; kOk.
    long SetFormattedData(std::vector<float> values);
    long SetComplexData(std::vector<TsComplex> data);
    // The whole trace at once; kInvalidArg (nothing changes) when either data is neither empty
    // nor of the axis' length.
    long SetTrace(InputArray stimulus, std::vector<TsComplex> data, std::vector<float> values);
    const InputArray& Stimulus() const { return stimulus_; }
    const std::vector<float>& FormattedData() const { return formatted_; }
    const std::vector<TsComplex>& ComplexData() const { return complex_; }

    // ---- What the set asks about the trace (stored as given) ----
    void SetTraceFormat(Interface::TraceFormat format) { traceFormat_ = format; }
    void SetDataFormat(DataFormat format) { dataFormat_ = format; }
    void SetDataUnit(NAUnit unit) { dataUnit_ = unit; }
    void SetFormattedUnit(NAUnit unit) { formattedUnit_ = unit; }
    void SetDomain(DomainEnum domain) { domain_ = domain; }
    void SetUseDomainKind3(bool on) { domainKind3_ = on; }
    void SetAuxStimulusValue(double value) { auxStimulus_ = value; }
    void SetSystemImpedance(TsComplex z0) { z0_ = z0; }

    // ---- User ranges ----
    // Defines range 1..16 as the stimulus span min..max, kept as given (the set orders the
    // bounds itself); false for another range number.
    bool SetUserRange(long range, double min, double max);
    // Forgets one range (no effect on an undefined one) or all of them.
    void ClearUserRange(long range);
    void ClearUserRanges();

    // ---- Refresh requests ----
    // Called with the reason of every request (1 after a marker was created, 0 otherwise);
    // an empty handler is allowed.
    void SetRefreshHandler(std::function<void(int)> handler) {
        refreshHandler_ = std::move(handler);
    }
    // How many requests arrived: reason 0, or (created = true) any other reason.
    long GetRefreshCount(bool created) const { return refreshCounts_[created ? 1 : 0]; }

    // ---- IDataProvider ----
    // The data getters never give null: a trace without such data gives an empty vector.
    const std::vector<float>* GetFormattedData() override { return &formatted_; }
    Interface::TraceFormat GetTraceFormat() override { return traceFormat_; }
    DataFormat GetDataFormat() override { return dataFormat_; }
    NAUnit GetDataUnit() override { return dataUnit_; }
    NAUnit GetFormattedUnit() override { return formattedUnit_; }
    DomainEnum GetDomain() override { return domain_; }
    const std::vector<TsComplex>* GetComplexData() override { return &complex_; }
    const InputArray& GetStimulus() override { return stimulus_; }
    long Extension1() override { return 0; }
    long Extension2() override { return 0; }
    bool UseDomainKind3() override { return domainKind3_; }
    double GetAuxStimulusValue() override { return auxStimulus_; }
    TsComplex GetSystemImpedance() override { return z0_; }
    // False for a range number outside 1..16 or a range not defined.
    bool GetUserRange(long range, double& min, double& max) override;
    // Set one bound of range 1..16 (false for another number). A range not yet defined gets
    // the value as both bounds, so it never reaches out to an arbitrary stimulus value.
    bool SetUserRangeMin(long range, const double& value) override;
    bool SetUserRangeMax(long range, const double& value) override;
    void RequestRefresh(int reason) override;
    long Extension3() override { return 0; }
    long Extension4() override { return 0; }
    long Extension5() override { return 0; }
    long Extension6() override { return 0; }
    long Extension7() override { return 0; }
    long Extension8() override { return 0; }

  private:
    struct Range {
        bool defined = false;
        double min = 0.0;
        double max = 0.0;
    };
    // The range `range` when its number is valid, else null.
    Range* Find(long range);
    bool Fits(std::size_t length) const { return length == 0 || length == stimulus_.size(); }

    InputArray stimulus_;
    std::vector<float> formatted_;
    std::vector<TsComplex> complex_;
    Interface::TraceFormat traceFormat_ = Interface::TraceLogMag;
    DataFormat dataFormat_ = FormatLogMag;
    NAUnit dataUnit_ = UnitNone;
    NAUnit formattedUnit_ = UnitDB;
    DomainEnum domain_ = DomainFrequency;
    bool domainKind3_ = false;
    double auxStimulus_ = 0.0;
    TsComplex z0_{50.0f, 0.0f};
    Range ranges_[kMaxUserRange];
    std::function<void(int)> refreshHandler_;
    long refreshCounts_[2] = {0, 0};
};

}  // namespace Tessel
