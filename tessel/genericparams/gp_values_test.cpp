// SPDX-License-Identifier: Apache-2.0
#include "tessel/genericparams/gp_values.h"

#include <climits>
#include <cmath>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include "tessel/genericparams/gp_archive.h"
#include "tessel/genericparams/internal/type_name.h"

namespace Hwpi {
namespace {

using Ptr = GenericParameter::Ptr;
using QuorUtility::InputArray;

// Per value type: two distinct values a, b, their printed forms, the default value's form and
// the printed type name.
template <typename T>
struct Sample;
#define SAMPLE(T, A, B, TA, TB, TD, TYPE)                                        \
    template <>                                                                  \
    struct Sample<T> {                                                           \
        static T a() { return A; }                                               \
        static T b() { return B; }                                               \
        static inline const std::wstring ta = TA, tb = TB, td = TD, type = TYPE; \
    };
SAMPLE(int, -3, 7, L"-3", L"7", L"0", L"int")
SAMPLE(long, 1L << 40, -2, L"1099511627776", L"-2", L"0", L"long")
SAMPLE(float, 1.5f, -0.25f, L"1.5", L"-0.25", L"0", L"float")
SAMPLE(double, 3.14159265, 2e-9, L"3.14159", L"2e-09", L"0", L"double")
SAMPLE(bool, true, false, L"1", L"0", L"0", L"bool")
SAMPLE(CStringT, CStringT(L"ab"), CStringT(L"x y"), L"ab", L"x y", L"", L" CStringT")
SAMPLE(std::wstring, L"port", L"P 2", L"port", L"P 2", L"",
       L" std::__cxx11::basic_string<wchar_t, std::char_traits<wchar_t>, std::allocator<wchar_t> >")
SAMPLE(InputArray, InputArray(std::vector<double>{1, 2.5}), InputArray(std::vector<double>{-4}),
       L"{1,2.5}", L"{-4}", L"{}", L" QuorUtility::InputArray")
SAMPLE(Hwif::IFMUX_PLS_FILTER_MODE, Hwif::IFMUX_PLS_FILTER_WIDE, Hwif::IFMUX_PLS_FILTER_MODE(-7),
       L"2", L"-7", L"0", L" Hwif::IFMUX_PLS_FILTER_MODE")
SAMPLE(IFSwitchMode, IFSwitchModeExternal, IFSwitchMode(INT32_MAX), L"1", L"2147483647", L"0",
       L" IFSwitchMode")
SAMPLE(Hwif::PORT1_COMBINER, Hwif::PORT1_COMBINER_COMBINED, Hwif::PORT1_COMBINER(5), L"1", L"5",
       L"0", L" Hwif::PORT1_COMBINER")
SAMPLE(Hwif::PORT2_SOURCE, Hwif::PORT2_SOURCE_SRC2, Hwif::PORT2_SOURCE(9), L"1", L"9", L"0",
       L" Hwif::PORT2_SOURCE")
SAMPLE(Hwif::PULSE_SOURCE, Hwif::PULSE_SOURCE_EXTERNAL, Hwif::PULSE_SOURCE(INT32_MIN), L"1",
       L"-2147483648", L"0", L" Hwif::PULSE_SOURCE")
SAMPLE(Hwif::SRC_PWR_MODE_ENUM, Hwif::SRC_PWR_MODE_OFF, Hwif::SRC_PWR_MODE_ON, L"2", L"1", L"0",
       L" Hwif::SRC_PWR_MODE_ENUM")
#undef SAMPLE

template <typename T>
class GPValuesTest : public ::testing::Test {
  protected:
    using S = Sample<T>;
    GPScalar<T> scalar_{L"n", S::a()};
    GPArray<T> array_{L"v", {S::a(), S::b()}};
};
using ValueTypes =
    ::testing::Types<int, long, float, double, bool, CStringT, std::wstring, InputArray,
                     Hwif::IFMUX_PLS_FILTER_MODE, IFSwitchMode, Hwif::PORT1_COMBINER,
                     Hwif::PORT2_SOURCE, Hwif::PULSE_SOURCE, Hwif::SRC_PWR_MODE_ENUM>;
TYPED_TEST_SUITE(GPValuesTest, ValueTypes);

TYPED_TEST(GPValuesTest, ClonesAndComparesByClassNameAndValue) {
    using S = Sample<TypeParam>;
    const Ptr copy = this->scalar_.clone();
    EXPECT_TRUE(this->scalar_.IsType(copy) && copy->IsEqual(this->scalar_));
    EXPECT_EQ(copy->GetName(), L"n");
    EXPECT_FALSE(this->scalar_.IsEqual(GPScalar<TypeParam>(L"m", S::a())));
    EXPECT_FALSE(this->scalar_.IsEqual(GPScalar<TypeParam>(L"n", S::b())));
    EXPECT_FALSE(this->scalar_.IsEqual(GPArray<TypeParam>(L"n", {S::a()})));
    EXPECT_FALSE(this->scalar_.IsType(this->array_.clone()) || this->scalar_.IsType(Ptr()));
    const Ptr blank = this->scalar_.clone_type();
    EXPECT_TRUE(this->scalar_.IsType(blank));
    EXPECT_EQ(blank->GetName() + blank->value_to_string(false), S::td);

    EXPECT_TRUE(this->array_.clone()->IsEqual(this->array_));
    EXPECT_FALSE(this->array_.IsEqual(GPArray<TypeParam>(L"v", {S::a(), S::a()})));
    EXPECT_FALSE(this->array_.IsEqual(GPArray<TypeParam>(L"v", {S::a()})));
    EXPECT_EQ(this->array_.clone_type()->size(), 0u);
    EXPECT_TRUE(this->array_.IsType(this->array_.clone_type()));
}

TYPED_TEST(GPValuesTest, PrintsTypeNameAndValues) {
    using S = Sample<TypeParam>;
    EXPECT_EQ(this->scalar_.value_type_to_string(), S::type);
    EXPECT_EQ(this->scalar_.to_string(false), L"GPScalar<" + S::type + L"> n " + S::ta);
    EXPECT_EQ(this->scalar_.value_to_string(true), S::ta);
    this->array_.resize(3);
    this->array_.SetAbsent(2);
    EXPECT_EQ(this->array_.to_string(true),
              L"GPArray<" + S::type + L"> v [" + S::ta + L" " + S::tb + L" (absent)] ");
}

TYPED_TEST(GPValuesTest, CollectsScalarsAndMarksOtherEntriesAbsent) {
    using S = Sample<TypeParam>;
    std::vector<Ptr> parts = {boost::make_shared<GPScalar<TypeParam>>(L"x", S::a()), Ptr(),
                              this->array_.clone(),
                              boost::make_shared<GPScalar<TypeParam>>(L"y", S::b())};
    const Ptr made = this->scalar_.FromVectorToGPPtr(parts);
    auto& array = dynamic_cast<GPArray<TypeParam>&>(*made);
    ASSERT_EQ(array.size(), 4u);
    EXPECT_EQ(array.GetName(), L"n");
    EXPECT_TRUE(array.IsAbsent(1) && array.IsAbsent(2) && !array.at(1) && !array.at(2));
    const Ptr first = array.at(0);
    ASSERT_TRUE(first && this->scalar_.IsType(first));
    EXPECT_EQ(first->GetName() + first->value_to_string(false), L"n" + S::ta);
    EXPECT_EQ(array.at(3)->value_to_string(false), S::tb);

    const Ptr copy = array.clone();
    copy->set_at(1, this->scalar_.clone());
    EXPECT_FALSE(copy->IsEqual(array) || array.IsEqual(*copy));
    copy->set_at(1, Ptr());
    EXPECT_TRUE(copy->IsEqual(array));  // absent elements compare equal whatever they store
    copy->set_at(0, this->array_.clone());
    EXPECT_EQ(copy->at(0)->value_to_string(false), S::ta);  // another class is ignored
}

TYPED_TEST(GPValuesTest, ReferencesFollowTheirArray) {
    using S = Sample<TypeParam>;
    const Ptr ref = this->array_.referenced_at(1);
    ASSERT_TRUE(ref);
    const Ptr copy = ref->clone();
    EXPECT_EQ(ref->value_to_string(false) + copy->value_to_string(false), S::tb + S::tb);
    this->array_.SetValue(1, S::a());
    EXPECT_EQ(ref->value_to_string(false) + copy->value_to_string(false), S::ta + S::ta);
    this->array_.SetAbsent(1);
    EXPECT_EQ(ref->value_to_string(false), L"");
    this->array_.set_at(1, this->scalar_.clone());
    EXPECT_EQ(ref->value_to_string(false), S::ta);
    this->array_.resize(1);
    EXPECT_EQ(ref->value_to_string(false), L"");
    EXPECT_FALSE(this->array_.referenced_at(1));
    EXPECT_TRUE(ref->IsType(copy) && !ref->IsType(this->scalar_.clone()));
    EXPECT_EQ(ref->clone_type()->value_to_string(false), L"");
}

TYPED_TEST(GPValuesTest, ResizeAndAtHoldTheLogicalSize) {
    using S = Sample<TypeParam>;
    EXPECT_FALSE(this->array_.at(2) || this->array_.at(ULONG_MAX));
    this->array_.resize(4);
    EXPECT_EQ(this->array_.size() + this->array_.total_size(), 8u);
    ASSERT_TRUE(this->array_.at(3));
    EXPECT_EQ(this->array_.at(3)->value_to_string(false), S::td);
    this->array_.resize(1);
    EXPECT_EQ(this->array_.size() * 10 + this->array_.total_size(), 14u);
    EXPECT_FALSE(this->array_.at(1));
    EXPECT_FALSE(this->array_.SetValue(1, S::a()) || this->array_.SetAbsent(1));
    this->array_.resize(2);  // within the stored elements: element 1 shows again
    EXPECT_EQ(this->array_.at(1)->value_to_string(false), S::tb);
    this->array_.resize(1UL << 32);
    EXPECT_EQ(this->array_.size(), 2u);
}

TEST(GPValuesNaNTest, NaNEqualsNothingButItsOwnObject) {
    const double nan = std::nan("");
    const GPScalar<double> s(L"x", nan);
    EXPECT_TRUE(s.IsEqual(s));
    EXPECT_FALSE(s.clone()->IsEqual(s));
    const GPArray<float> a(L"x", {1.0f, std::nanf("")});
    EXPECT_FALSE(a.clone()->IsEqual(a));
    const GPLinearArray<double> l(L"x", 0.0, nan, 2);
    EXPECT_FALSE(l.clone()->IsEqual(l));
}

TEST(GPValuesTypeNameTest, RemovesALeadingKeywordAndKeepsTheSpace) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"class Foo", L" Foo"}, {L"ENUM Color", L" Color"}, {L"Classic", L"ic"},
        {L"enum E", L"enum E"},  {L"double", L"double"},     {L"Xclass Y", L"Xclass Y"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(internal::StripTypeKeyword(in), out) << in;
}

TEST(GPRuleArrayTest, ComputesElementsAndPrintsLikeArrays) {
    GPLinearArray<double> lin(L"f", 1.0, 0.5, 3);
    GPConstArray<double> con(L"f", -0.0, 2);
    EXPECT_EQ(lin.to_string(false), L"GPLinearArray<double> f [1 1.5 2] ");
    EXPECT_EQ(con.to_string(false), L"GPConstArray<double> f [-0 -0] ");
    EXPECT_FALSE(lin.at(3));
    EXPECT_EQ(lin.at(2)->to_string(false), L"GPScalar<double> f 2");
    EXPECT_TRUE(lin.clone()->IsEqual(lin) && con.clone()->IsEqual(con));
    EXPECT_FALSE(con.IsEqual(GPLinearArray<double>(L"f", -0.0, 0.0, 2)));
    EXPECT_FALSE(lin.IsType(con.clone()) || !lin.IsType(lin.clone_type()));
    lin.resize(1);
    EXPECT_EQ(lin.value_to_string(false) + con.clone_type()->value_to_string(false), L"1");
}

TEST(GPArchiveTest, WritesTheDeletedNameAsALengthPrefixedWideString) {
    std::vector<unsigned char> bytes;
    QuorUtility::Archive out(bytes, false);
    Tessel::WriteDeletedParameter(out, GPScalar<int>(L"Freq", 1));
    ASSERT_EQ(bytes.size(), 4u + 1u + 2u * 13u);
    EXPECT_EQ(bytes[0] + bytes[4] + bytes[5] + bytes[6], 13 + 2 + 'F' + 0);
    QuorUtility::Archive in(bytes, true);
    EXPECT_EQ(in.ReadWString(), L"Freq_deleted");
}

TEST(GPValuesChangeFlagTest, SettingAValueMarksTheChange) {
    GPScalar<long> s(L"x", 1);
    GPArray<int> a(L"y", {1});
    EXPECT_FALSE(s.get_change_flag() || a.get_change_flag());
    s.SetValue(2);
    a.SetValue(0, 3);
    EXPECT_TRUE(s.get_change_flag() && a.get_change_flag());
    s.clear_change_flag();
    EXPECT_FALSE(s.get_change_flag());
}

}  // namespace
}  // namespace Hwpi
