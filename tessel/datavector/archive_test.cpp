// SPDX-License-Identifier: Apache-2.0
#include "tessel/datavector/archive.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/measutil/quor_exception.h"

namespace {

using Bytes = std::vector<unsigned char>;
using QuorUtility::Archive;

const long kArchiveCode = static_cast<long>(static_cast<std::int32_t>(0xE8080882u));
const std::wstring kBeyondEnd = L"Archive Exception: Attempt to read beyond end of buffer.";
const std::wstring kInvalidHandle = L"Archive Exception: Invalid file handle";

// Runs `f`, expecting QuorException with `code` and exactly the texts `texts`.
void ExpectThrows(const std::function<void()>& f, const std::vector<std::wstring>& texts,
                  long code = kArchiveCode) {
    try {
        f();
        ADD_FAILURE() << "no exception";
    } catch (const QuorException& e) {
        EXPECT_EQ(e.Code(), code);
        EXPECT_EQ(e.Texts(), texts);
    }
}

TEST(ArchiveMemory, WritesAndReadsIntegersAndWideStringsLittleEndian) {
    Bytes bytes;
    Archive out(bytes, false);
    out.Write8(0xA5);
    out.Write16(0x1234);
    out.Write32(0xDEADBEEF);
    out.WriteWString(L"A\U0001F600");  // 3 code units plus the terminator
    const Bytes golden = {0xA5, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE, 0x04, 0x00, 0x00,
                          0x00, 0x02, 0x41, 0x00, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0x00};
    EXPECT_EQ(bytes, golden);
    ExpectThrows([&] { out.Read8(); }, {L"Archive Exception: Reading from write-only archive."});
    // Strings of other character sizes are read up to their first zero; size 3 is refused.
    // clang-format off
    bytes.insert(bytes.end(), {
        0x03, 0, 0, 0, 0x01, 'h', 0xE9, 0,                                         // Latin-1 "hé"
        0x03, 0, 0, 0, 0x04, 0x00, 0xF6, 0x01, 0x00, 0x41, 0, 0, 0, 0, 0, 0, 0,  // UTF-32
        0x03, 0, 0, 0, 0x02, 'x', 0, 0, 0, 'y', 0,  // stops at the inner zero
        0x01, 0, 0, 0, 0x03, 0, 0, 0});             // character size 3
    // clang-format on
    Archive in(bytes, true);
    EXPECT_EQ(in.Read8(), 0xA5);
    EXPECT_EQ(in.Read16(), 0x1234);
    EXPECT_EQ(in.Read32(), 0xDEADBEEFu);
    for (const std::wstring text : {L"A\U0001F600", L"h\u00E9", L"\U0001F600A", L"x"})
        EXPECT_EQ(in.ReadWString(), text);
    ExpectThrows([&] { in.ReadWString(); }, {}, 0);
    ExpectThrows([&] { in.Write8(1); }, {L"Archive Exception: Writing to read-only archive."});
}

TEST(ArchiveMemory, RefusesReadsBeyondTheEndAndCloseDropsTheConsumedBytes) {
    Bytes bytes = {1, 2, 3, 4, 5};
    Archive first(bytes, true);
    std::uint8_t b[8];
    ExpectThrows([&] { first.Read(b, -1); }, {kBeyondEnd});
    ExpectThrows([&] { first.Read(b, 6); }, {kBeyondEnd});
    EXPECT_EQ(first.Read16(), 0x0201);
    first.Close();
    first.Close();
    EXPECT_EQ(bytes, (Bytes{3, 4, 5}));
    Archive second(bytes, true);
    EXPECT_EQ(second.Read8(), 3);
    ExpectThrows([&] { second.ReadWString(); }, {kBeyondEnd});  // no room for the length
}

class ArchiveFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "archive_testXXXXXX";
        ASSERT_NE(mkdtemp(dir_.data()), nullptr);
        path_ = dir_ + "/record.bin";
    }
    void TearDown() override {
        unlink(path_.c_str());
        rmdir(dir_.c_str());
    }
    int Open(int flags) { return open(path_.c_str(), flags | O_CLOEXEC, 0600); }
    Bytes Get() {
        std::ifstream file(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::string dir_, path_;
};

TEST_F(ArchiveFile, StoresAtCloseAndLoadsWithRefillsNeverPastTheFile) {
    Archive out(Open(O_WRONLY | O_CREAT | O_TRUNC), false);
    out.Write32(0x04030201);
    out.Write16(0x0605);
    EXPECT_TRUE(Get().empty());  // nothing is written before Close
    out.Close();
    EXPECT_EQ(out.FileHandle(), Archive::kInvalidHandle);
    EXPECT_EQ(Get(), (Bytes{1, 2, 3, 4, 5, 6}));

    Archive in(Open(O_RDONLY), true);
    EXPECT_EQ(in.Read32(), 0x04030201u);  // the refill got all four bytes: the file stays open
    EXPECT_NE(in.FileHandle(), Archive::kInvalidHandle);
    ExpectThrows([&] { in.Read32(); }, {kBeyondEnd});  // two bytes left: the file is closed
    EXPECT_EQ(in.FileHandle(), Archive::kInvalidHandle);
    EXPECT_EQ(in.Read8(), 5);                              // buffered bytes still read
    ExpectThrows([&] { in.Read16(); }, {kInvalidHandle});  // a refill needs the file

    Archive lying(Open(O_WRONLY | O_TRUNC), false);  // a string claiming 2^31 - 1 characters
    lying.Write32(0x7FFFFFFF);
    lying.Write8(2);
    lying.Write16('a');
    lying.Close();
    Archive claim(Open(O_RDONLY), true);
    ExpectThrows([&] { claim.ReadWString(); }, {kBeyondEnd});

    const int fd = Open(O_WRONLY | O_TRUNC);
    Archive(fd, false).Write8(7);  // destroyed unclosed: the file is closed, nothing written
    EXPECT_EQ(fcntl(fd, F_GETFD), -1);
    EXPECT_TRUE(Get().empty());
}

TEST_F(ArchiveFile, ReportsFileFailures) {
    Archive full(open("/dev/full", O_WRONLY | O_CLOEXEC), false);
    full.Write8(1);
    ExpectThrows([&] { full.Close(); }, {L"Archive exception: WriteFile failed"});
    Archive directory(open(dir_.c_str(), O_RDONLY | O_CLOEXEC), true);
    ExpectThrows([&] { directory.Read8(); }, {L"Archive exception: ReadFile failed"});
    Archive noFile(-1, false);
    noFile.Write8(1);
    ExpectThrows([&] { noFile.Close(); }, {kInvalidHandle});
    Archive noFileIn(-1, true);
    ExpectThrows([&] { noFileIn.Read8(); }, {kInvalidHandle});
}

}  // namespace
