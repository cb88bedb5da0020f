// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/eterm_names.h"

#include <algorithm>
#include <climits>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace QuorUtility;

TEST(ErrorTermNames, RegisterAndReceiverForms) {
    EXPECT_EQ(eterm_name(L"LoadMatch", 1, 0), L"LoadMatch(2,1)");
    EXPECT_EQ(eterm_name(L"Directivity", 11, 9), L"Directivity(12,10)");
    EXPECT_EQ(test_rcv_eterm_name_Classic(11, L""), L"ResponseTracking(b12)");
    EXPECT_EQ(src_cal_eterm_name(2, L""), L"SourcePowerCal(3)");
    EXPECT_EQ(reference_eterm_name_Classic(99, L"_x"), L"ReferenceTracking(a__100)_x");
    // The largest index names port 2^31 without overflowing.
    EXPECT_EQ(eterm_name(L"T", INT_MAX, INT_MAX), L"T(2147483648,2147483648)");
    EXPECT_EQ(src_cal_eterm_name(INT_MAX, L""), L"SourcePowerCal(2147483648)");
    EXPECT_EQ(test_rcv_eterm_name_Classic(INT_MAX, L""), L"ResponseTracking(b2147483648)");
    EXPECT_EQ(reference_eterm_name_Classic(INT_MAX, L""),
              L"ReferenceTracking(a_________2147483648)");
}

// A match correction lists the reference tracking, source power and test receiver tracking
// names of its ports and sorts them; the reference names must come first and in port order.
// Holding for ports 1..9999 at once, this holds for every subset of them (a subset sorts in
// the order of the whole), and 9999 covers every width of port number up to four digits.
TEST(ErrorTermNames, ReferenceTrackingSortsFirstAndInPortOrder) {
    for (const std::wstring suffix : {L"", L",2"}) {
        std::vector<std::wstring> names;
        for (int p = 1; p <= 9999; ++p) {
            names.push_back(reference_eterm_name_Classic(p - 1, suffix));
            names.push_back(src_cal_eterm_name(p - 1, suffix));
            names.push_back(test_rcv_eterm_name_Classic(p - 1, suffix));
        }
        std::sort(names.begin(), names.end());
        for (int p = 1; p <= 9999; ++p)
            ASSERT_EQ(names[p - 1], reference_eterm_name_Classic(p - 1, suffix)) << p;
    }
}

}  // namespace
