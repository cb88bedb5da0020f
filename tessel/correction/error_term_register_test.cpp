// SPDX-License-Identifier: Apache-2.0
#include "tessel/correction/error_term_register.h"

#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Tessel::ErrorTermRegister;
using Tessel::TsComplex;
using Names = std::vector<std::wstring>;

// What reg.Dump(namesOnly) writes to the wide standard output.
std::wstring DumpText(const ErrorTermRegister& reg, bool namesOnly) {
    std::wostringstream out;
    std::wstreambuf* old = std::wcout.rdbuf(out.rdbuf());
    reg.Dump(namesOnly);
    std::wcout.rdbuf(old);
    return out.str();
}

TEST(ErrorTermRegister, NamesUsePortNumbersRowFirstAndListInIterationOrder) {
    ErrorTermRegister two(2, {2, 1}, true);
    Names names = {L"kept"};
    two.GetErrorTermList(names);
    EXPECT_EQ(names,
              (Names{L"kept", L"Directivity(1,1)", L"CrossTalk(1,2)", L"CrossTalk(2,1)",
                     L"Directivity(2,2)", L"SourceMatch(1,1)", L"LoadMatch(1,2)", L"LoadMatch(2,1)",
                     L"SourceMatch(2,2)", L"ReflectionTracking(1,1)", L"TransmissionTracking(1,2)",
                     L"TransmissionTracking(2,1)", L"ReflectionTracking(2,2)"}));
    for (const bool logical : {true, false}) {
        ErrorTermRegister reg(3, {10, 3, 7}, logical);
        const int a = logical ? 0 : 3, b = logical ? 2 : 10;
        EXPECT_EQ(reg.DirectivityName(a, a) + reg.CrossTalkName(a, b) + reg.LoadMatchName(b, a) +
                      reg.SourceMatchName(b, b) + reg.ReflectionTrackingName(a, a) +
                      reg.TransmissionTrackingName(a, b),
                  L"Directivity(3,3)CrossTalk(3,10)LoadMatch(10,3)SourceMatch(10,10)"
                  L"ReflectionTracking(3,3)TransmissionTracking(3,10)");
        EXPECT_EQ(reg.UsingLogicalPorts(), logical);
    }
    try {
        ErrorTermRegister reg(3, {1, 2}, true);
        ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Invalid argument");
    }
}

TEST(ErrorTermRegister, AccessorsMapPortsMissesGiveNullAndBothWordsShareAnElement) {
    const std::vector<TsComplex> d1(4), d3(4), x(4), l(4), t(4);
    ErrorTermRegister physical(2, {3, 1}, false), logical(2, {3, 1}, true);
    ASSERT_TRUE(physical.SetErrorTerm(L"Directivity(1,1)", d1.data()));
    ASSERT_TRUE(physical.SetErrorTerm(L"Directivity(3,3)", d3.data()));
    EXPECT_TRUE(physical.Directivity(1, 1) == d1.data() && physical.Directivity(3, 3) == d3.data());
    EXPECT_TRUE(physical.SourceMatch(5, 5) == nullptr && physical.CrossTalk(1, 2) == nullptr);
    EXPECT_EQ(physical.SourceMatchName(5, 5) + physical.CrossTalkName(1, 2), L"");
    // Read logically, ports {3, 1} sort to {1, 3}: Directivity(3,3) sits at index 1.
    ASSERT_TRUE(logical.SetErrorTerm(L"Directivity(3,3)", d3.data()));
    EXPECT_EQ(logical.Directivity(1, 1), d3.data());
    EXPECT_TRUE(logical.Directivity(2, 2) == nullptr && logical.Directivity(-1, 0) == nullptr);
    ASSERT_TRUE(logical.SetErrorTerm(L"CrossTalk(3,1)", x.data()));
    ASSERT_TRUE(logical.SetErrorTerm(L"LoadMatch(3,1)", l.data()));
    ASSERT_TRUE(logical.SetErrorTerm(L"TransmissionTracking(3,1)", t.data()));
    EXPECT_EQ(logical.Directivity(1, 0), x.data());
    EXPECT_EQ(logical.SourceMatch(1, 0), l.data());
    EXPECT_EQ(logical.ReflectionTracking(1, 0), t.data());
    EXPECT_EQ(logical.TransmissionTracking(0, 1), nullptr);
}

TEST(ErrorTermRegister, NameAccessMatchesTheFirstSubstringInIterationOrder) {
    ErrorTermRegister reg(2, {1, 2}, true);
    std::vector<TsComplex> a(3, TsComplex(1)), b(3, TsComplex(2));
    EXPECT_TRUE(reg.SetErrorTerm(L"LoadMatch", a.data()));
    EXPECT_EQ(reg.LoadMatch(0, 1), a.data());  // LoadMatch(1,2) comes first
    EXPECT_EQ(reg.LoadMatch(1, 0), nullptr);
    EXPECT_EQ(reg.GetErrorTerm(L"LoadMatch(1,2)"), a.data());
    EXPECT_FALSE(reg.SetErrorTerm(L"Directivity(1,1)", static_cast<const TsComplex*>(nullptr)));
    EXPECT_FALSE(reg.SetErrorTerm(L"loadmatch", b.data()));
    EXPECT_FALSE(reg.SetErrorTerm(nullptr, b.data()));
    EXPECT_EQ(reg.GetErrorTerm(L"Nothing"), nullptr);
    EXPECT_EQ(reg.GetErrorTerm(nullptr), nullptr);
    const TsComplex* out = b.data();
    EXPECT_FALSE(reg.GetErrorTerm(L"Nothing", &out));
    EXPECT_EQ(out, b.data());
    EXPECT_TRUE(reg.GetErrorTerm(L"Directivity(2,2)", &out));
    EXPECT_EQ(out, nullptr);
}

TEST(ErrorTermRegister, VectorOverloadFillsStorageOnlyAndPointerOverloadEmptiesIt) {
    ErrorTermRegister reg(1, {1}, true);
    const std::vector<TsComplex> caller(2, TsComplex(9));
    ASSERT_TRUE(reg.SetErrorTerm(L"SourceMatch(1,1)", caller.data()));
    std::vector<TsComplex> samples = {TsComplex(0.5f, -1), TsComplex(2, 0.25f)}, none;
    ASSERT_TRUE(reg.SetErrorTerm(L"SourceMatch(1,1)", samples));
    EXPECT_EQ(reg.SourceMatch(0, 0), caller.data());  // pointer unchanged
    EXPECT_FALSE(reg.SetErrorTerm(L"Bogus", none));
    EXPECT_EQ(
        DumpText(reg, false),
        L"Directivity(1,1)\nSourceMatch(1,1)\n0: 0.5, -1\n1: 2, 0.25\nReflectionTracking(1,1)\n");
    ASSERT_TRUE(reg.SetErrorTerm(L"SourceMatch(1,1)", caller.data()));
    EXPECT_EQ(DumpText(reg, false),
              L"Directivity(1,1)\nSourceMatch(1,1)\nReflectionTracking(1,1)\n");
}

TEST(ErrorTermRegister, CursorVisitsEveryTermOnceAndIsSharedByCopies) {
    ErrorTermRegister reg(3, {1, 2, 3}, true);
    const std::vector<TsComplex> d(1);
    ASSERT_TRUE(reg.SetErrorTerm(L"CrossTalk(1,2)", d.data()));
    ErrorTermRegister copy = reg;
    reg.ResetIterator();
    std::wstring name;
    const TsComplex* data = nullptr;
    ASSERT_TRUE(reg.GetNextTerm(name, &data));
    EXPECT_EQ(name, L"Directivity(1,1)");
    ASSERT_TRUE(copy.GetNextTerm(name, &data));  // the copy continues the same pass
    EXPECT_EQ(name, L"CrossTalk(1,2)");
    EXPECT_EQ(data, d.data());
    // Listing and dumping in the middle of the pass leave it where it was.
    Names list;
    reg.GetErrorTermList(list);
    EXPECT_EQ(list.size(), 27u);
    EXPECT_EQ(DumpText(copy, true).substr(0, 32), L"Directivity(1,1)\nCrossTalk(1,2)\n");
    int steps = 2;
    for (; reg.GetNextTerm(name, nullptr); ++steps)
        ASSERT_EQ(name, list.at(steps));
    EXPECT_EQ(steps, 27);
    EXPECT_FALSE(reg.GetNextTerm(name, &data));
    reg.ResetIterator();
    EXPECT_TRUE(copy.GetNextTerm(name, &data));
    EXPECT_EQ(name, L"Directivity(1,1)");
    EXPECT_FALSE(ErrorTermRegister(0, {}, true).GetNextTerm(name, nullptr));
}

}  // namespace
