// SPDX-License-Identifier: Apache-2.0
// ArrayDataProvider: the size rules of the trace setters, user ranges and refresh requests.
#include "tessel/markers/array_data_provider.h"

#include "tessel/core/status.h"

namespace Tessel {

ArrayDataProvider::ArrayDataProvider(InputArray stimulus) : stimulus_(std::move(stimulus)) {}

void ArrayDataProvider::SetStimulus(InputArray stimulus) {
    stimulus_ = std::move(stimulus);
    if (!Fits(formatted_.size()))
        formatted_.clear();
    if (!Fits(complex_.size()))
        complex_.clear();
}

long ArrayDataProvider::SetFormattedData(std::vector<float> values) {
    if (!Fits(values.size()))
        return kInvalidArg;
    formatted_ = std::move(values);
    return kOk;
}

long ArrayDataProvider::SetComplexData(std::vector<TsComplex> data) {
    if (!Fits(data.size()))
        return kInvalidArg;
    complex_ = std::move(data);
    return kOk;
}

long ArrayDataProvider::SetTrace(InputArray stimulus, std::vector<TsComplex> data,
                                 std::vector<float> values) {
    const std::size_t n = stimulus.size();
    if ((!data.empty() && data.size() != n) || (!values.empty() && values.size() != n))
        return kInvalidArg;
    stimulus_ = std::move(stimulus);
    complex_ = std::move(data);
    formatted_ = std::move(values);
    return kOk;
}

ArrayDataProvider::Range* ArrayDataProvider::Find(long range) {
    return range >= 1 && range <= kMaxUserRange ? &ranges_[range - 1] : nullptr;
}

bool ArrayDataProvider::SetUserRange(long range, double min, double max) {
    Range* r = Find(range);
    if (r == nullptr)
        return false;
    *r = {true, min, max};
    return true;
}

void ArrayDataProvider::ClearUserRange(long range) {
    if (Range* r = Find(range))
        *r = Range{};
}

void ArrayDataProvider::ClearUserRanges() {
    for (Range& r : ranges_)
        r = Range{};
}

bool ArrayDataProvider::GetUserRange(long range, double& min, double& max) {
    const Range* r = Find(range);
    if (r == nullptr || !r->defined)
        return false;
    min = r->min;
    max = r->max;
    return true;
}

bool ArrayDataProvider::SetUserRangeMin(long range, const double& value) {
    Range* r = Find(range);
    if (r == nullptr)
        return false;
    if (!r->defined)
        *r = {true, value, value};
    r->min = value;
    return true;
}

bool ArrayDataProvider::SetUserRangeMax(long range, const double& value) {
    Range* r = Find(range);
    if (r == nullptr)
        return false;
    if (!r->defined)
        *r = {true, value, value};
    r->max = value;
    return true;
}

void ArrayDataProvider::RequestRefresh(int reason) {
    ++refreshCounts_[reason != 0 ? 1 : 0];
    if (refreshHandler_)
        refreshHandler_(reason);
}

}  // namespace Tessel
