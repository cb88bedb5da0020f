// SPDX-License-Identifier: Apache-2.0
// ArrayDataProvider: the size rules of the trace setters, user ranges and refresh counts.
#include "tessel/markers/array_data_provider.h"

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace Tessel {
namespace {

TEST(ArrayDataProvider, RefusesMismatchedDataKeepsRangesOneToSixteenAndCountsRefreshes) {
    const auto axis = [](int n) { return InputArray(Segment::Linear(0.0, 1.0, n)); };
    ArrayDataProvider p(axis(4));
    EXPECT_EQ(p.SetFormattedData({1, 2, 3, 4}) + p.SetComplexData(std::vector<TsComplex>(4)), kOk);
    EXPECT_EQ(p.SetFormattedData({1, 2, 3}), kInvalidArg);
    EXPECT_EQ(p.SetTrace(axis(2), {}, {1, 2, 3}), kInvalidArg);
    EXPECT_EQ(p.GetFormattedData()->size() + p.GetStimulus().size(), 8u);  // nothing changed
    p.SetStimulus(axis(4));  // same length: data kept; another length: dropped
    EXPECT_EQ(p.FormattedData().size(), 4u);
    p.SetStimulus(axis(3));
    EXPECT_TRUE(p.FormattedData().empty() && p.ComplexData().empty());

    double lo = -1, hi = -1;
    EXPECT_FALSE(p.SetUserRange(0, 1, 2) || p.SetUserRange(17, 1, 2) || p.SetUserRangeMin(17, 1));
    EXPECT_FALSE(p.GetUserRange(16, lo, hi));
    EXPECT_TRUE(p.SetUserRange(16, 9, 2) && p.GetUserRange(16, lo, hi));
    EXPECT_EQ(lo - hi, 7.0);  // kept as given
    EXPECT_TRUE(p.SetUserRangeMax(3, 7) && p.GetUserRange(3, lo, hi));
    EXPECT_EQ(lo + hi, 14.0);  // a new range starts as the one value
    int last = -1;
    p.SetRefreshHandler([&](int reason) { last = reason; });
    p.RequestRefresh(1);
    EXPECT_EQ(last + 10 * p.GetRefreshCount(true) + 100 * p.GetRefreshCount(false), 11);
}

}  // namespace
}  // namespace Tessel
