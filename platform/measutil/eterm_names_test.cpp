#include "platform/measutil/eterm_names.h"

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace QuorUtility;

TEST(ErrorTermNames, RegisterAndReceiverForms) {
    EXPECT_EQ(eterm_name(L"SourceMatch", 0, 0), L"SourceMatch(1,1)");
    EXPECT_EQ(eterm_name(L"LoadMatch", 1, 0), L"LoadMatch(2,1)");
    EXPECT_EQ(eterm_name(L"Directivity", 11, 9), L"Directivity(12,10)");
    EXPECT_EQ(test_rcv_eterm_name_Classic(4, L""), L"ResponseTracking(b5)");
    EXPECT_EQ(test_rcv_eterm_name_Classic(11, L""), L"ResponseTracking(b12)");
    EXPECT_EQ(src_cal_eterm_name(2, L""), L"SourcePowerCal(3)");
    EXPECT_EQ(reference_eterm_name_Classic(0, L""), L"ReferenceTracking(a1)");
    EXPECT_EQ(reference_eterm_name_Classic(9, L""), L"ReferenceTracking(a_10)");
    EXPECT_EQ(reference_eterm_name_Classic(99, L"_x"), L"ReferenceTracking(a__100)_x");
}

// The names a match correction of `ports` lists, sorted as it sorts them.
std::vector<std::wstring> SortedMatchNames(const std::vector<int>& ports,
                                           const std::wstring& suffix) {
    std::vector<std::wstring> names;
    for (int p : ports) {
        names.push_back(reference_eterm_name_Classic(p - 1, suffix));
        names.push_back(src_cal_eterm_name(p - 1, suffix));
        names.push_back(test_rcv_eterm_name_Classic(p - 1, suffix));
    }
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectReferenceNamesFirstInPortOrder(const std::vector<int>& ports,
                                          const std::wstring& suffix) {
    const std::vector<std::wstring> sorted = SortedMatchNames(ports, suffix);
    for (std::size_t k = 0; k < ports.size(); ++k) {
        ASSERT_EQ(sorted[k], reference_eterm_name_Classic(ports[k] - 1, suffix))
            << ports.size() << " ports, entry " << k;
    }
}

TEST(ErrorTermNames, ReferenceTrackingSortsFirstAndInPortOrder) {
    for (int n = 1; n <= 99; ++n) {
        std::vector<int> ports(n);
        for (int k = 0; k < n; ++k)
            ports[k] = k + 1;
        ExpectReferenceNamesFirstInPortOrder(ports, L"");
        ExpectReferenceNamesFirstInPortOrder(ports, L",2");
    }
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    for (int round = 0; round < 50; ++round) {
        std::vector<int> ports;
        for (int p = 1; p < 5000; ++p) {
            if (rng() % 97 == 0)
                ports.push_back(p);
        }
        ExpectReferenceNamesFirstInPortOrder(ports, L"");
    }
}

}  // namespace
