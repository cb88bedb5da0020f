// SPDX-License-Identifier: Apache-2.0
// ArrayDataProvider: the size rules of the trace setters, user-range numbers and bounds, and
// refresh counting.
#include "tessel/markers/array_data_provider.h"

#include <vector>

#include <gtest/gtest.h>

#include "tessel/core/status.h"

namespace Tessel {
namespace {

TEST(ArrayDataProvider, RefusesDataOfAnotherLengthAndDropsItWhenTheAxisChanges) {
    ArrayDataProvider p(InputArray(Segment::Linear(0.0, 3.0, 4)));
    const std::vector<float> four = {1, 2, 3, 4};
    EXPECT_EQ(p.SetFormattedData(four), kOk);
    EXPECT_EQ(p.SetComplexData(std::vector<TsComplex>(4)), kOk);
    EXPECT_EQ(p.SetFormattedData({1, 2, 3}), kInvalidArg);
    EXPECT_EQ(p.SetComplexData(std::vector<TsComplex>(5)), kInvalidArg);
    EXPECT_EQ(*p.GetFormattedData(), four);  // kept after a refusal
    EXPECT_EQ(p.GetComplexData()->size(), 4u);
    EXPECT_EQ(p.SetTrace(InputArray(Segment::Linear(0.0, 1.0, 2)), {}, {1, 2, 3}), kInvalidArg);
    EXPECT_EQ(p.GetStimulus().size(), 4u);
    p.SetStimulus(InputArray(Segment::Linear(5.0, 8.0, 4)));  // same length: data kept
    EXPECT_EQ(p.FormattedData().size(), 4u);
    p.SetStimulus(InputArray(Segment::Linear(0.0, 2.0, 3)));
    EXPECT_TRUE(p.FormattedData().empty() && p.ComplexData().empty());
    EXPECT_EQ(p.SetTrace(InputArray(Segment::Linear(0.0, 1.0, 2)), std::vector<TsComplex>(2), {}),
              kOk);
    EXPECT_EQ(p.ComplexData().size(), 2u);
}

TEST(ArrayDataProvider, KeepsUserRangesOneToSixteenAndCountsRefreshes) {
    ArrayDataProvider p;
    double lo = -1, hi = -1;
    EXPECT_FALSE(p.SetUserRange(0, 1.0, 2.0));
    EXPECT_FALSE(p.SetUserRange(17, 1.0, 2.0));
    EXPECT_FALSE(p.SetUserRangeMin(17, 1.0));
    EXPECT_FALSE(p.GetUserRange(16, lo, hi));
    EXPECT_TRUE(p.SetUserRange(16, 9.0, 2.0));
    EXPECT_TRUE(p.GetUserRange(16, lo, hi));
    EXPECT_EQ(lo, 9.0);  // bounds kept as given
    EXPECT_EQ(hi, 2.0);
    EXPECT_TRUE(p.SetUserRangeMax(3, 7.0));  // a new range starts as the one value
    EXPECT_TRUE(p.GetUserRange(3, lo, hi));
    EXPECT_EQ(lo, 7.0);
    EXPECT_EQ(hi, 7.0);
    p.ClearUserRange(16);
    EXPECT_FALSE(p.GetUserRange(16, lo, hi));
    EXPECT_TRUE(p.GetUserRange(3, lo, hi));
    int last = -1;
    p.SetRefreshHandler([&](int reason) { last = reason; });
    p.RequestRefresh(1);
    p.RequestRefresh(0);
    p.RequestRefresh(0);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(p.GetRefreshCount(true), 1);
    EXPECT_EQ(p.GetRefreshCount(false), 2);
}

}  // namespace
}  // namespace Tessel
