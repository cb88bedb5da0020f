// SPDX-License-Identifier: Apache-2.0
// Tessel::IDataProvider: the trace a marker set works on, implemented by the host.
//
// The set reads the formatted and complex trace data, the stimulus, units and formats through
// it, asks it for user ranges, and asks it to refresh the display after a marker setting
// changes. The operations are declared in the order the host's implementation expects; the
// eight `Extension` operations are the host's own and are never called by the set.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/format/data_format.h"
#include "tessel/format/na_unit.h"
#include "tessel/format/trace_format.h"
#include "tessel/markers/marker_types.h"

namespace Tessel {

class TESSEL_EXPORT IDataProvider {
  public:
    IDataProvider() = default;
    IDataProvider(const IDataProvider&) = default;
    IDataProvider& operator=(const IDataProvider&) = default;
    virtual ~IDataProvider() = default;

    // The formatted (scalar) trace data; null or empty when there is none.
    virtual const std::vector<float>* GetFormattedData() = 0;
    virtual Interface::TraceFormat GetTraceFormat() = 0;
    // The format of the formatted data.
    virtual DataFormat GetDataFormat() = 0;
    // The unit of the complex data.
    virtual NAUnit GetDataUnit() = 0;
    // The unit of the formatted data.
    virtual NAUnit GetFormattedUnit() = 0;
    virtual DomainEnum GetDomain() = 0;
    // The complex trace data; null or empty when there is none.
    virtual const std::vector<TsComplex>* GetComplexData() = 0;
    virtual const InputArray& GetStimulus() = 0;
    virtual long Extension1() = 0;
    virtual long Extension2() = 0;
    // True: the set uses domain kind 3 instead of GetDomain.
    virtual bool UseDomainKind3() = 0;
    // The fixed stimulus value used when the domain kind is not 0.
    virtual double GetAuxStimulusValue() = 0;
    virtual TsComplex GetSystemImpedance() = 0;
    // The bounds of user range `range`; false when there is no such range.
    virtual bool GetUserRange(long range, double& min, double& max) = 0;
    virtual bool SetUserRangeMin(long range, const double& value) = 0;
    virtual bool SetUserRangeMax(long range, const double& value) = 0;
    // Asks the host to refresh: 1 after a marker was created, 0 otherwise.
    virtual void RequestRefresh(int reason) = 0;
    virtual long Extension3() = 0;
    virtual long Extension4() = 0;
    virtual long Extension5() = 0;
    virtual long Extension6() = 0;
    virtual long Extension7() = 0;
    virtual long Extension8() = 0;
};

}  // namespace Tessel
