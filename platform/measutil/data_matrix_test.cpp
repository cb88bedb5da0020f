// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/data_matrix.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

using QuorUtility::DataMatrix;
using QuorUtility::SParameterName;
using QuorUtility::TsComplex;
using Samples = std::vector<TsComplex>;

// True when every buffer's data pointer designates its own storage of `points` samples.
bool OwnsAllSamples(const DataMatrix& m, int points) {
    for (int i = 0; i < m.Size(); ++i) {
        const auto* b = m.GetBuffer(i);
        if (b->data == nullptr || b->data != b->storage.data() || int(b->storage.size()) != points)
            return false;
    }
    return true;
}

TEST(DataMatrix, NamesGridsByTheSParameterRuleAndListsAsOneRowWithAliases) {
    EXPECT_EQ(SParameterName(9, 9), L"S99");
    const DataMatrix m(3, {3, 10, 1}, 4);
    ASSERT_EQ(m.Size(), 9);
    for (const auto& [r, c, name] : {std::tuple{0, 0, L"S33"},
                                     {0, 1, L"S3_10"},
                                     {1, 0, L"S10_3"},
                                     {1, 1, L"S10_10"},
                                     {2, 0, L"S13"}})
        EXPECT_EQ(m(r, c)->name, name);
    EXPECT_TRUE(m(3, 0) == nullptr && m(0, -1) == nullptr);
    EXPECT_EQ(m.GetDataByName(L"S13"), m(2, 0));
    EXPECT_THROW(DataMatrix(3, {1, 2}, 4), std::invalid_argument);

    DataMatrix list(std::vector<std::wstring>{L"S21"}, 5);
    ASSERT_NE(list.AddBuffer(L"a1,1"), nullptr);
    EXPECT_EQ(list(0, 1)->name, L"a1,1");
    EXPECT_EQ(list(1, 0), nullptr);
    EXPECT_EQ(list.AddBuffer(L"S21"), nullptr);  // names stay unique
    EXPECT_TRUE(list.AddAlias(L"R1,1", L"a1,1"));
    EXPECT_TRUE(list.AddAlias(L"A,1", L"R1,1"));  // an alias of an alias names the same buffer
    EXPECT_EQ(list.GetDataByName(L"A,1"), list.GetDataByName(L"a1,1"));
    EXPECT_FALSE(list.AddAlias(L"R1,1", L"S21"));
    EXPECT_FALSE(list.AddAlias(L"x", L"nothing"));
    EXPECT_EQ(list.AddBuffer(L"A,1"), nullptr);
    EXPECT_EQ(list.Size(), 2);
}

TEST(DataMatrix, WritesThroughOwnedDataSurviveGrowthAndCopies) {
    DataMatrix m(2, {1, 2}, 3);
    m(1, 0)->OwnedData()[2] = TsComplex(7, 8);
    for (int k = 0; k < 50; ++k)
        m.AddBuffer(L"b" + std::to_wstring(k));  // forces regrowth
    m.AddAlias(L"B,1", L"b1");
    ASSERT_TRUE(OwnsAllSamples(m, 3));
    EXPECT_EQ(m.GetDataByName(L"S21")->data[2], TsComplex(7, 8));
    DataMatrix copy(m), assigned(std::vector<std::wstring>{L"x"}, 1);
    copy.GetDataByName(L"B,1")->OwnedData()[0] = TsComplex(1, 1);
    EXPECT_EQ(m.GetDataByName(L"b1")->data[0], TsComplex());
    assigned = copy;
    EXPECT_TRUE(OwnsAllSamples(copy, 3) && OwnsAllSamples(assigned, 3));
    EXPECT_EQ(assigned.GetDataByName(L"B,1")->data[0], TsComplex(1, 1));
    EXPECT_EQ(assigned.GetDataByName(L"S21")->data[2], TsComplex(7, 8));
    // A buffer pointed at a caller's array keeps pointing there in copies and is never owned.
    const TsComplex callers[3] = {{1, 0}, {2, 0}, {3, 0}};
    m(0, 0)->data = callers;
    EXPECT_EQ(DataMatrix(m)(0, 0)->data, callers);
    EXPECT_EQ(m(0, 0)->OwnedData(), nullptr);
}

// Port-pair copies touch only the range, in owned samples and in a caller's array alike, and
// refuse unknown ports, bad ranges, short inputs and short owned storage without writing.
TEST(DataMatrix, PhysicalPortCopiesTouchOnlyTheRange) {
    DataMatrix m(2, {2, 4}, 6);
    const Samples in = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    Samples callers(6, TsComplex(9, 9));
    m(0, 0)->data = callers.data();  // S22 at the caller's array
    ASSERT_TRUE(m.SetDataByPhysicalPort(4, 2, in, 1, 4));
    ASSERT_TRUE(m.SetDataByPhysicalPort(2, 2, in, 3, 5));
    const TsComplex* s42 = m.GetDataByName(L"S42")->data;
    EXPECT_EQ(Samples(s42, s42 + 6), (Samples{{}, {2, 2}, {3, 3}, {4, 4}, {}, {}}));
    EXPECT_EQ(callers, (Samples{{9, 9}, {9, 9}, {9, 9}, {4, 4}, {5, 5}, {9, 9}}));
    Samples out(2, TsComplex(-1, -1));
    ASSERT_TRUE(m.GetDataByPhysicalPort(4, 2, out, 2, 4));
    EXPECT_EQ(out, (Samples{{-1, -1}, {-1, -1}, {3, 3}, {4, 4}}));  // grown

    Samples v(6, TsComplex(9, 9));
    for (const auto& [col, first, last] : {std::tuple{3, 0, 4}, {4, 0, 7}, {4, 3, 2}, {4, -1, 2}}) {
        EXPECT_FALSE(m.GetDataByPhysicalPort(2, col, v, first, last)) << last;
        EXPECT_FALSE(m.SetDataByPhysicalPort(2, col, Samples(7), first, last)) << last;
    }
    EXPECT_FALSE(m.SetDataByPhysicalPort(2, 4, Samples(3), 0, 4));  // input too short
    m.GetDataByName(L"S24")->storage.resize(3);  // owned storage now shorter than the range
    EXPECT_FALSE(m.SetDataByPhysicalPort(2, 4, Samples(7, TsComplex(1)), 0, 4));
    EXPECT_EQ(v, Samples(6, TsComplex(9, 9)));
    EXPECT_EQ(m.GetDataByName(L"S24")->storage, Samples(3));
    EXPECT_FALSE(
        DataMatrix(std::vector<std::wstring>{L"S11"}, 4).GetDataByPhysicalPort(1, 1, v, 0, 4));
    for (const auto& [set, valid] : {std::pair{5, 5}, {70, 6}, {-3, 0}}) {
        m.SetValidIndex(set);
        EXPECT_EQ(m.GetValidIndex(), valid) << set;
    }
}

}  // namespace
