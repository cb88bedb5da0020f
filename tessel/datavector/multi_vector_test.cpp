// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/multi_vector.h"

#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/measutil/quor_exception.h"

namespace {

using Tessel::DataVector;
using Tessel::MultiVector;
using Tessel::TsComplex;

const TsComplex kMissing(1.0e-10f, 0.0f);

// A complex 2 x 3 multi-vector whose elements are numbered 0 .. 5 in storage order.
MultiVector Numbered2x3() {
    MultiVector m(DataVector::DataTypeComplex, 2, 3);
    for (int i = 0; i < m.TotalSize(); ++i)
        m.GetComplexBuf()[i] = TsComplex(float(i), 0);
    return m;
}

std::vector<TsComplex> All(MultiVector& m) {
    return std::vector<TsComplex>(m.GetComplexBuf(), m.GetComplexBuf() + m.TotalSize());
}

TEST(MultiVector, LayoutIsRowMajorWithStridesOfTheLaterDimensions) {
    MultiVector m(DataVector::DataTypeComplex, 2, 3);
    EXPECT_EQ(std::make_tuple(m.GetRank(), m.Size(), m.TotalSize(), m.GetUnit(), m.GetName()),
              std::make_tuple(2, 3, 6, Tessel::UnitNone, std::wstring()));
    EXPECT_EQ(m.GetDimensions(), (std::vector<int>{2, 3}));
    EXPECT_EQ(All(m), std::vector<TsComplex>(6, kMissing));
    const TsComplex* base = m.GetComplexBuf();
    // Strides 3 and 1; too many indices, outside, or the other type give null.
    EXPECT_EQ(
        std::make_tuple(m.GetComplexBuf(1, 0) - base, m.GetComplexBuf(0, 1) - base,
                        m.GetComplexBuf(1, 2) - base, m.GetComplexBuf(std::vector<int>{1}) - base),
        std::make_tuple(3, 1, 5, 3));
    for (const TsComplex* p :
         {m.GetComplexBuf(1, 2, 0), m.GetComplexBuf(2, 0), m.GetComplexBuf(0, -1)})
        EXPECT_EQ(p, nullptr);
    EXPECT_TRUE(m.GetScalarBuf() == nullptr && m.GetScalarBuf(0, 0) == nullptr);

    MultiVector cube(DataVector::DataTypeScalar, 2, 3, 4);
    const float* start = cube.GetScalarBuf();
    EXPECT_EQ(std::make_tuple(cube.TotalSize(), cube.GetScalarBuf(1, 0, 0) - start,
                              cube.GetScalarBuf(1, 2, 3) - start,
                              cube.GetScalarBuf(std::vector<int>{0, 1}) - start, start[23]),
              std::make_tuple(24, 12, 23, 4, -200.0f));
    for (const std::vector<int>& dims : {std::vector<int>{}, {2, 0}, {-1}, {65536, 65536}}) {
        try {
            MultiVector bad(DataVector::DataTypeScalar, dims);
            ADD_FAILURE() << "accepted";
        } catch (int e) {
            EXPECT_EQ(e, 1);
        }
    }
}

TEST(MultiVector, ResizeKeepsRowPrefixesAndReshapeFillsEverything) {
    MultiVector m = Numbered2x3();
    m.SetName(L"S");
    m.SetUnit(Tessel::UnitDB);
    m.SetValid(3);
    MultiVector old = m;
    ASSERT_TRUE(m.Resize(5, false));
    const TsComplex x = kMissing;
    EXPECT_EQ(All(m),
              (std::vector<TsComplex>{{0, 0}, {1, 0}, {2, 0}, x, x, {3, 0}, {4, 0}, {5, 0}, x, x}));
    EXPECT_EQ(std::make_tuple(m.GetName(), m.GetUnit(), m.ValidIndex()),
              std::make_tuple(std::wstring(L"S"), Tessel::UnitDB, 3));
    EXPECT_EQ(old.Size(), 3);  // the copy keeps the old record
    EXPECT_EQ(*old.GetComplexBuf(1, 2), TsComplex(5, 0));
    ASSERT_TRUE(m.Resize(2, false));  // shrinking keeps the first two of each row
    EXPECT_EQ(std::make_tuple(*m.GetComplexBuf(1, 1), m.ValidIndex()),
              std::make_tuple(TsComplex(4, 0), 2));
    EXPECT_FALSE(m.Resize(0, false));
    EXPECT_EQ(m.Size(), 2);

    DataVector& asVector = old;  // in place, through DataVector, seen by every copy
    MultiVector copy = old;
    ASSERT_TRUE(asVector.Resize(4, true));
    EXPECT_EQ(All(copy), std::vector<TsComplex>(8, kMissing));
    copy.GetComplexBuf()[5] = TsComplex(1, 0);
    ASSERT_TRUE(copy.Resize(4, true));  // the same length still fills every element
    EXPECT_EQ(copy.GetComplexBuf()[5], kMissing);
}

TEST(MultiVector, RecordFieldsAndElementsAreSharedWithDataVectorViews) {
    MultiVector s(DataVector::DataTypeScalar, 3, 2);
    DataVector& v = s;
    v.SetName(L"ports");
    v.SetFormat(Tessel::FormatPhase);
    EXPECT_FALSE(v.SetValid(3));  // clamped to the last dimension
    EXPECT_EQ(std::make_tuple(s.GetName(), s.GetFormat(), s.ValidIndex(), v.Size()),
              std::make_tuple(std::wstring(L"ports"), Tessel::FormatPhase, 2, 2));
    EXPECT_EQ(v.GetScalarBuf(), s.GetScalarBuf(0, 0));

    MultiVector m = Numbered2x3();
    DataVector flat = m;  // a plain data vector over all six elements
    EXPECT_EQ(std::make_pair(flat.GetRank(), flat.Size()), std::make_pair(1, 6));
    flat.GetComplexBuf()[4] = TsComplex(40, 0);
    EXPECT_EQ(*m.GetComplexBuf(1, 1), TsComplex(40, 0));
    EXPECT_EQ(m.GetSubRange(4, 2)[1], TsComplex(5, 0));  // inherited operations see all elements
    flat.Resize(2, false);  // the multi-vector now holds fewer elements than its layout
    EXPECT_EQ(m.GetComplexBuf(1, 1), nullptr);
    ASSERT_TRUE(m.Resize(3, false));  // copies only what is there
    EXPECT_EQ(std::make_pair(*m.GetComplexBuf(0, 1), *m.GetComplexBuf(1, 0)),
              std::make_pair(TsComplex(1, 0), kMissing));
}

TEST(MultiVector, StoresAFlatRecordAndRefusesToLoad) {
    MultiVector m(DataVector::DataTypeScalar, 2, 2);
    std::vector<unsigned char> bytes;
    QuorUtility::Archive out(bytes, false);
    m.Serialize(out);
    DataVector v(DataVector::DataTypeScalar);
    QuorUtility::Archive in(bytes, true);
    v.Serialize(in);
    EXPECT_EQ(std::make_pair(v.Size(), v.GetUnit()), std::make_pair(4, Tessel::UnitNone));
    QuorUtility::Archive again(bytes, true);
    EXPECT_THROW(m.Serialize(again), QuorException);
}

}  // namespace
