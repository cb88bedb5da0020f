// SPDX-License-Identifier: Apache-2.0
#include "platform/genericparams/gp_collection.h"

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include "tessel/genericparams/gp_values.h"

namespace Hwpi {
namespace {

using Ptr = GenericParameter::Ptr;

Ptr Scalar(const wchar_t* name, double value) {
    return boost::make_shared<GPScalar<double>>(name, value);
}

// Member names in order, joined.
std::wstring Names(const GenericParameter& c) {
    std::wstring names;
    for (unsigned long i = 0; i < c.size(); ++i)
        names += c.at(i)->GetName();
    return names;
}

TEST(GPCollectionTest, EditsMembersByPositionAndRefusesBadPositions) {
    GPCollection c(L"c");
    EXPECT_TRUE(c.append(Scalar(L"a", 1)) && c.append(Scalar(L"c", 3)));
    EXPECT_TRUE(c.insert(1, Scalar(L"b", 2)));
    EXPECT_FALSE(c.insert(4, Scalar(L"x", 0)) || c.append(Ptr()) || c.insert(0, Ptr()));
    EXPECT_EQ(Names(c), L"abc");
    c.set_at(3, Scalar(L"x", 0));
    c.set_at(0, Ptr());
    c.set_at(2, Scalar(L"d", 4));
    EXPECT_EQ(Names(c), L"abd");
    EXPECT_FALSE(c.at(3) || c.remove(3));
    EXPECT_EQ(c.remove(1)->GetName(), L"b");
    EXPECT_EQ(c.referenced_at(1), c.at(1));  // shared members, not copies
    c.resize(5);
    EXPECT_EQ(Names(c), L"ad");
    c.resize(1);
    EXPECT_EQ(Names(c), L"a");
}

TEST(GPCollectionTest, FindsTheFirstOfRepeatedNamesAfterEveryChange) {
    GPCollection c;
    c.append(Scalar(L"Freq", 1));
    c.append(Scalar(L"Power", 2));
    c.append(Scalar(L"Freq", 3));
    unsigned long pos = 99;
    EXPECT_TRUE(c.pos_find(L"Freq", pos));
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(c.ptr_find(L"Freq"), c.at(0));
    EXPECT_EQ(c.ptr_quick_search(L"Freq"), c.at(0));
    c.remove(0);
    EXPECT_EQ(c.ptr_quick_search(L"Freq"), c.at(1));
    EXPECT_EQ(c.ptr_quick_search(L"Power"), c.at(0));
    EXPECT_FALSE(c.ptr_find(L"Avg") || c.ptr_quick_search(L"Avg") || c.pos_find(L"Avg", pos));
    EXPECT_EQ(pos, 0u);
}

TEST(GPCollectionTest, NestsClonesDeeplyAndCompares) {
    auto inner = boost::make_shared<GPCollection>(L"RFSrc");
    inner->append(Scalar(L"Freq", 1e9));
    GPCollection c(L"top");
    c.append(inner);
    c.append(Scalar(L"Avg", 4));
    EXPECT_EQ(c.size() * 10 + c.total_size(), 23u);
    EXPECT_EQ(c.to_string(false), L"GPCollection top (2)");
    EXPECT_EQ(c.to_string(true),
              L"GPCollection top (2)\nGPCollection RFSrc (1)\nGPScalar<double> Freq 1e+09\n"
              L"GPScalar<double> Avg 4");
    EXPECT_EQ(c.value_to_string(false), L"RFSrc=Freq=1e+09, Avg=4");
    const Ptr copy = c.clone();
    EXPECT_TRUE(c.IsType(copy) && copy->IsEqual(c));
    dynamic_cast<GPScalar<double>&>(*copy->at(0)->at(0)).SetValue(2e9);
    EXPECT_FALSE(copy->IsEqual(c));  // the nested member was copied, not shared
    EXPECT_EQ(c.clone_type()->size() + c.clone_type()->GetName().size(), 0u);
}

TEST(GPCollectionTest, ValuesKeepTheBaseAnswersForMemberOperations) {
    GPScalar<double> s(L"x", 1);
    unsigned long pos = 7;
    EXPECT_FALSE(s.at(0) || s.referenced_at(0) || s.ptr_find(L"x") || s.ptr_quick_search(L"x") ||
                 s.remove(0) || s.append(Scalar(L"y", 2)) || s.insert(0, Scalar(L"y", 2)) ||
                 s.pos_find(L"x", pos));
    EXPECT_EQ(s.size() + s.total_size() + pos, 7u);
    std::vector<Ptr> one(1, Scalar(L"y", 2));
    EXPECT_FALSE(GPArray<double>().FromVectorToGPPtr(one));
}

}  // namespace
}  // namespace Hwpi
