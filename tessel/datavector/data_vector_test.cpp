// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/data_vector.h"

#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tessel/datavector/data_vector_rep.h"

namespace {

using Tessel::DataVector;
using Tessel::TsComplex;

const TsComplex kMissing(1.0e-10f, 0.0f);

auto Key(const SYSTEMTIME& t) {
    return std::make_tuple(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                           t.wMilliseconds);
}

TEST(DataVector, NewVectorsAreStampedNowAndCopiesShareAllButNameAndTime) {
    SYSTEMTIME before{}, after{};
    GetSystemTime(&before);
    DataVector v;
    GetSystemTime(&after);
    EXPECT_EQ(std::make_tuple(v.GetDataType(), v.GetUnit(), v.GetFormat(), v.ValidIndex(),
                              v.GetRank(), v.GetComplexBuf()),
              std::make_tuple(DataVector::DataTypeComplex, Tessel::UnitUnits, Tessel::FormatNone, 0,
                              1, static_cast<TsComplex*>(nullptr)));
    EXPECT_LE(Key(before), Key(v.GetTime()));
    EXPECT_LE(Key(v.GetTime()), Key(after));

    DataVector a(std::vector<float>{1, 2, 3});
    a.SetName(L"a");
    DataVector b = a, c(DataVector::DataTypeComplex);
    c = a;
    b.GetScalarBuf()[1] = 20.0f;
    c.SetValid(3);
    c.SetUnit(Tessel::UnitDB);
    b.SetName(L"b");
    SYSTEMTIME t{2001, 2, 0, 3, 4, 5, 6, 7};
    b.SetTime(t);
    EXPECT_EQ(std::make_tuple(a.GetScalarBuf()[1], a.ValidIndex(), a.GetUnit(), c.GetDataType()),
              std::make_tuple(20.0f, 3, Tessel::UnitDB, DataVector::DataTypeScalar));
    EXPECT_EQ(std::make_tuple(a.GetName(), c.GetName(), b.GetTime().wMilliseconds),
              std::make_tuple(L"a", L"a", 7));
    EXPECT_NE(a.GetTime().wYear, 2001);
    b.Resize(5, true);  // fills every element, seen through all copies
    EXPECT_EQ(std::make_pair(a.Size(), a.GetScalarBuf()[0]), std::make_pair(5, -200.0f));
}

TEST(DataVector, ValidIndexTypedAccessAndSubRangesStayInside) {
    DataVector v(std::vector<float>{0, 1, 2, 3, 4});
    EXPECT_FALSE(v.SetValid(-5));
    EXPECT_EQ(v.ValidIndex(), 0);
    EXPECT_FALSE(v.SetValid(6));
    EXPECT_EQ(v.ValidIndex(), 5);
    EXPECT_TRUE(v.SetValid(5));
    v.SetName(L"v");
    v.SetUnit(Tessel::UnitDB);
    DataVector sub = v.GetSubRange(1, 3);  // a fresh vector with default fields
    std::vector<float> f;
    ASSERT_TRUE(sub.GetScalarVec(f));
    EXPECT_EQ(f, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(std::make_tuple(sub.GetName(), sub.GetUnit(), sub.ValidIndex()),
              std::make_tuple(std::wstring(), Tessel::UnitUnits, 0));
    sub.GetScalarBuf()[0] = 7;
    EXPECT_EQ(v.GetScalarBuf()[1], 1);  // not shared
    EXPECT_EQ(std::make_tuple(v.GetSubRange(3, 3).Size(), v.GetSubRange(-1, 2).Size(),
                              v.GetSubRange(2, -1).GetDataType()),
              std::make_tuple(0, 0, DataVector::DataTypeScalar));
    v.Resize(2, false);  // shrinking below the valid index lowers it
    EXPECT_EQ(v.ValidIndex(), 2);
    EXPECT_TRUE(v.Resize(-1, false));
    EXPECT_EQ(v.Size(), 2);

    DataVector complex(std::vector<TsComplex>{{1, 2}});
    std::vector<TsComplex> z{{9, 9}};
    EXPECT_TRUE(v.GetComplexBuf() == nullptr && complex.GetScalarBuf() == nullptr);
    EXPECT_FALSE(v.GetComplexVec(z) || complex.GetScalarVec(f));
    EXPECT_EQ(std::make_pair(z, f), std::make_pair(std::vector<TsComplex>{{9, 9}},
                                                   std::vector<float>{1, 2, 3}));  // untouched
    EXPECT_EQ(std::make_tuple(complex[0], complex[1], v[0]),
              std::make_tuple(TsComplex(1, 2), kMissing, kMissing));

    DataVector a(std::vector<TsComplex>{{1, 1}}), b(std::vector<TsComplex>{{2, 2}, {3, 3}});
    ASSERT_TRUE(DataVector::Concatenate(a, b).GetComplexVec(z));
    EXPECT_EQ(z, (std::vector<TsComplex>{{1, 1}, {2, 2}, {3, 3}}));
    const DataVector mixed = DataVector::Concatenate(v, b);
    EXPECT_EQ(std::make_pair(mixed.GetDataType(), mixed.Size()),
              std::make_pair(DataVector::DataTypeComplex, 0));
}

TEST(DataVectorRep, ResizeReportsEnlargementAndFillsOnlyOnChange) {
    Tessel::DataVectorRep<::TsComplex> rep;
    EXPECT_EQ(rep.GetUnit(), Tessel::UnitNone);
    EXPECT_FALSE(rep.Resize(3, false));  // had to grow
    EXPECT_EQ(rep.Elements()[2].re, 0.0f);
    EXPECT_TRUE(rep.Resize(2, true));
    EXPECT_EQ(rep.Elements()[1].re, 1.0e-10f);
    rep.Elements()[0].re = 5;
    EXPECT_TRUE(rep.Resize(2, true));  // same count: nothing is filled
    EXPECT_EQ(rep.Elements()[0].re, 5.0f);
    EXPECT_FALSE(rep.Resize(-1, true));
    EXPECT_EQ(rep.Size(), 2);
    EXPECT_TRUE(rep.ElementAt(2) == nullptr && rep.ElementAt(-1) == nullptr);
    Tessel::DataVectorRep<float> other;
    other.Resize(10, false);
    other.SetValid(8);
    rep.Copy(&other);  // only the valid index, clamped to this size
    EXPECT_EQ(std::make_pair(rep.ValidIndex(), rep.Elements()[0].re), std::make_pair(2, 5.0f));
}

}  // namespace
