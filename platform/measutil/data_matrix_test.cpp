#include "platform/measutil/data_matrix.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

using QuorUtility::DataMatrix;
using QuorUtility::SParameterName;
using QuorUtility::TsComplex;

// True when every buffer's data pointer designates its own storage of `points` samples.
bool OwnsAllSamples(const DataMatrix& m, int points) {
    for (int i = 0; i < m.Size(); ++i) {
        const auto* b = m.GetBuffer(i);
        if (b->data == nullptr || b->data != b->storage.data() || int(b->storage.size()) != points)
            return false;
    }
    return true;
}

TEST(DataMatrixNaming, PortGridUsesTheSParameterRule) {
    EXPECT_EQ(SParameterName(1, 2), L"S12");
    EXPECT_EQ(SParameterName(9, 9), L"S99");
    const DataMatrix m(3, {3, 10, 1}, 4);
    ASSERT_EQ(m.Size(), 9);
    EXPECT_EQ(m(0, 0)->name, L"S33");
    EXPECT_EQ(m(0, 1)->name, L"S3_10");
    EXPECT_EQ(m(1, 0)->name, L"S10_3");
    EXPECT_EQ(m(1, 1)->name, L"S10_10");
    EXPECT_EQ(m(2, 0)->name, L"S13");
    EXPECT_EQ(m(3, 0), nullptr);
    EXPECT_EQ(m(0, -1), nullptr);
    EXPECT_EQ(m.GetDataByName(L"S13"), m(2, 0));
    EXPECT_THROW(DataMatrix(3, {1, 2}, 4), std::invalid_argument);
}

TEST(DataMatrixNaming, NameListIsOneRowAndAliasesResolve) {
    DataMatrix m(std::vector<std::wstring>{L"S21"}, 5);
    ASSERT_EQ(m.Size(), 1);
    EXPECT_EQ(m(0, 0)->name, L"S21");
    ASSERT_NE(m.AddBuffer(L"a1,1"), nullptr);
    EXPECT_EQ(m(0, 1)->name, L"a1,1");
    EXPECT_EQ(m(1, 0), nullptr);
    EXPECT_EQ(m.AddBuffer(L"S21"), nullptr);  // names stay unique
    EXPECT_TRUE(m.AddAlias(L"R1,1", L"a1,1"));
    EXPECT_TRUE(m.AddAlias(L"A,1", L"R1,1"));  // an alias of an alias names the same buffer
    EXPECT_EQ(m.GetDataByName(L"R1,1"), m.GetDataByName(L"a1,1"));
    EXPECT_EQ(m.GetDataByName(L"A,1"), m.GetDataByName(L"a1,1"));
    EXPECT_FALSE(m.AddAlias(L"R1,1", L"S21"));
    EXPECT_FALSE(m.AddAlias(L"x", L"nothing"));
    EXPECT_EQ(m.GetDataByName(L"nothing"), nullptr);
    EXPECT_EQ(m.AddBuffer(L"A,1"), nullptr);
    EXPECT_EQ(m.Size(), 2);
}

TEST(DataMatrixOwnership, WritesThroughOwnedDataSurviveGrowthAndCopies) {
    DataMatrix m(2, {1, 2}, 3);
    ASSERT_TRUE(OwnsAllSamples(m, 3));
    m(1, 0)->OwnedData()[2] = TsComplex(7, 8);
    for (int k = 0; k < 50; ++k)
        m.AddBuffer(L"b" + std::to_wstring(k));  // forces regrowth
    m.AddAlias(L"B,1", L"b1");
    ASSERT_TRUE(OwnsAllSamples(m, 3));
    EXPECT_EQ(m.GetDataByName(L"S21")->data[2], TsComplex(7, 8));

    DataMatrix copy(m);
    ASSERT_TRUE(OwnsAllSamples(copy, 3));
    EXPECT_EQ(copy.GetDataByName(L"S21")->data[2], TsComplex(7, 8));
    copy.GetDataByName(L"B,1")->OwnedData()[0] = TsComplex(1, 1);
    EXPECT_EQ(m.GetDataByName(L"b1")->data[0], TsComplex());
    DataMatrix assigned(std::vector<std::wstring>{L"x"}, 1);
    assigned = copy;
    EXPECT_TRUE(OwnsAllSamples(assigned, 3));
    EXPECT_EQ(assigned.GetDataByName(L"B,1")->data[0], TsComplex(1, 1));

    // A buffer pointed at a caller's array keeps pointing there in copies and is never owned.
    const TsComplex callers[3] = {{1, 0}, {2, 0}, {3, 0}};
    m(0, 0)->data = callers;
    EXPECT_EQ(DataMatrix(m)(0, 0)->data, callers);
    EXPECT_EQ(m(0, 0)->OwnedData(), nullptr);
}

TEST(DataMatrixPorts, PhysicalPortCopiesTouchOnlyTheRange) {
    DataMatrix m(2, {2, 4}, 6);
    const std::vector<TsComplex> in = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    ASSERT_TRUE(m.SetDataByPhysicalPort(4, 2, in, 1, 4));
    const TsComplex* s42 = m.GetDataByName(L"S42")->data;
    EXPECT_EQ(std::vector<TsComplex>(s42, s42 + 6),
              (std::vector<TsComplex>{{}, {2, 2}, {3, 3}, {4, 4}, {}, {}}));
    EXPECT_EQ(m.GetDataByName(L"S24")->data[2], TsComplex());

    std::vector<TsComplex> out(2, TsComplex(-1, -1));
    ASSERT_TRUE(m.GetDataByPhysicalPort(4, 2, out, 2, 4));
    EXPECT_EQ(out, (std::vector<TsComplex>{{-1, -1}, {-1, -1}, {3, 3}, {4, 4}}));  // grown
}

TEST(DataMatrixPorts, RejectsUnknownPortsBadRangesAndForeignArrays) {
    DataMatrix m(2, {1, 2}, 4);
    std::vector<TsComplex> v(4, TsComplex(9, 9));
    EXPECT_FALSE(m.GetDataByPhysicalPort(1, 3, v, 0, 4));
    EXPECT_FALSE(m.GetDataByPhysicalPort(1, 2, v, 0, 5));
    EXPECT_FALSE(m.GetDataByPhysicalPort(1, 2, v, 3, 2));
    EXPECT_FALSE(m.GetDataByPhysicalPort(1, 2, v, -1, 2));
    EXPECT_FALSE(m.SetDataByPhysicalPort(1, 2, std::vector<TsComplex>(3), 0, 4));
    const TsComplex callers[4] = {};
    m(0, 1)->data = callers;
    EXPECT_FALSE(m.SetDataByPhysicalPort(1, 2, v, 0, 4));
    EXPECT_TRUE(m.GetDataByPhysicalPort(1, 2, v, 0, 4));
    EXPECT_EQ(v[3], TsComplex());
    DataMatrix names(std::vector<std::wstring>{L"S11"}, 4);
    EXPECT_FALSE(names.GetDataByPhysicalPort(1, 1, v, 0, 4));
}

TEST(DataMatrixValidIndex, IsClampedToThePointCount) {
    DataMatrix m(1, {1}, 10);
    for (const auto& [set, valid] : {std::pair{7, 7}, {70, 10}, {-3, 0}}) {
        m.SetValidIndex(set);
        EXPECT_EQ(m.GetValidIndex(), valid) << set;
    }
}

}  // namespace
