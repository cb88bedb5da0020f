// SPDX-License-Identifier: Apache-2.0
#include "platform/archive/c_archive.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/measutil/quor_exception.h"

namespace {

const long kArchiveCode = static_cast<long>(static_cast<std::int32_t>(0xE8080882u));

TEST(CArchive, StoresIntegersAndDoublesLittleEndianInOrder) {
    std::vector<unsigned char> bytes;
    {
        CArchive out(bytes, CArchive::store);
        out << std::int32_t{-2} << 1.0;
        EXPECT_TRUE(out.IsStoring());
    }
    EXPECT_EQ(bytes,
              (std::vector<unsigned char>{0xfe, 0xff, 0xff, 0xff, 0, 0, 0, 0, 0, 0, 0xf0, 0x3f}));
    CArchive in(bytes, CArchive::load);
    std::int32_t i = 0;
    double d = 0.0;
    in >> i >> d;
    EXPECT_EQ(i, -2);
    EXPECT_EQ(d, 1.0);
    // Reading past the end, or against the archive's direction, throws the archive code.
    const auto expectThrow = [](auto&& f, const std::wstring& text) {
        try {
            f();
            ADD_FAILURE() << "no exception";
        } catch (const QuorException& e) {
            EXPECT_EQ(e.Code(), kArchiveCode);
            EXPECT_EQ(e.Texts(), std::vector<std::wstring>{text});
        }
    };
    expectThrow([&] { in >> i; }, L"Archive Exception: Attempt to read beyond end of buffer.");
    expectThrow([&] { in << i; }, L"Archive Exception: Writing to read-only archive.");
    CArchive out(bytes, CArchive::store);
    expectThrow([&] { out >> d; }, L"Archive Exception: Reading from write-only archive.");
}

TEST(CArchive, RoundTripsThroughAFile) {
    const std::string path = ::testing::TempDir() + "c_archive_test.bin";
    {
        CArchive out(path, CArchive::store);
        out << std::int32_t{7} << -0.5;
        out.Close();
    }
    CArchive in(path, CArchive::load);
    std::int32_t i = 0;
    double d = 0.0;
    in >> i >> d;
    EXPECT_EQ(i, 7);
    EXPECT_EQ(d, -0.5);
    std::remove(path.c_str());
    EXPECT_THROW(CArchive(path, CArchive::load), QuorException);
}

}  // namespace
