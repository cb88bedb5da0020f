// SPDX-License-Identifier: Apache-2.0
// The stored data-vector record: golden bytes, round trips through memory and files, and
// truncated or corrupt records.
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/measutil/quor_exception.h"
#include "tessel/datavector/archive.h"
#include "tessel/datavector/data_vector.h"
#include "tessel/datavector/data_vector_rep.h"

namespace {

using Bytes = std::vector<unsigned char>;
using QuorUtility::Archive;
using Tessel::DataVector;
using Tessel::TsComplex;

Bytes Hex(const std::string& text) {
    std::istringstream in(text);
    Bytes out;
    unsigned v;
    while (in >> std::hex >> v)
        out.push_back(static_cast<unsigned char>(v));
    return out;
}

// "S11", scalar {1, -2.5}, valid index 2, unit dB (5), format log magnitude (1).
const Bytes kScalarRecord =
    Hex("01 00  04 00 00 00  02  53 00 31 00 31 00 00 00  00  1C 00 00 00"
        "  01 00 00 00  02 00 00 00  05 00  01 00  01 00 00 00  02 00 00 00"
        "  00 00 80 3F  00 00 20 C0");
// Unnamed complex {0.5 - 1j} with the unit (UnitUnits, 18) and format (FormatNone, 21) of a
// new vector.
const Bytes kComplexRecord = Hex(
    "01 00  01 00 00 00  02  00 00  01  1C 00 00 00"
    "  01 00 00 00  00 00 00 00  12 00  15 00  01 00 00 00  01 00 00 00  00 00 00 3F  00 00 80 BF");
const long kArchiveCode = static_cast<long>(static_cast<std::int32_t>(0xE8080882u));

Bytes Store(DataVector& v) {
    Bytes bytes;
    Archive out(bytes, false);
    v.Serialize(out);
    out.Close();
    return bytes;
}

void Load(DataVector& v, Bytes bytes) {
    Archive in(bytes, true);
    v.Serialize(in);
}

DataVector ScalarS11() {
    DataVector v(std::vector<float>{1.0f, -2.5f});
    v.SetName(L"S11");
    v.SetValid(2);
    v.SetUnit(Tessel::UnitDB);
    v.SetFormat(Tessel::FormatLogMag);
    return v;
}

TEST(DataVectorRecord, StoresAndLoadsTheGoldenBytesForEveryElementType) {
    DataVector scalar = ScalarS11();
    EXPECT_EQ(Store(scalar), kScalarRecord);
    DataVector complex(std::vector<TsComplex>{{0.5f, -1.0f}});
    EXPECT_EQ(Store(complex), kComplexRecord);
    DataVector v;  // complex, sharing its storage with `sharer`
    DataVector sharer = v;
    Load(v, kScalarRecord);  // loading the other type replaces only this handle's storage
    EXPECT_EQ(v.GetDataType(), DataVector::DataTypeScalar);
    EXPECT_EQ(Store(v), kScalarRecord);
    EXPECT_EQ(std::make_tuple(sharer.GetDataType(), sharer.Size()),
              std::make_tuple(DataVector::DataTypeComplex, 0));
    // The element block is the same for the utility and the global complex types.
    Tessel::DataVectorRep<TsComplex> utility;
    Tessel::DataVectorRep<::TsComplex> global;
    utility.Elements() = {{0.5f, -1.0f}};
    global.Elements() = {{0.5f, -1.0f}};
    for (Tessel::DataVectorBase* rep : {static_cast<Tessel::DataVectorBase*>(&utility),
                                        static_cast<Tessel::DataVectorBase*>(&global)}) {
        rep->SetUnit(Tessel::UnitUnits);
        Bytes block;
        rep->Serialize(block, false);
        EXPECT_EQ(block, Bytes(kComplexRecord.end() - 28, kComplexRecord.end()));
        rep->Serialize(block, true);  // loading consumes the block
        EXPECT_TRUE(block.empty());
    }
    EXPECT_EQ(global.Elements()[0].im, -1.0f);
}

TEST(DataVectorRecord, RoundTripsNamesUnitsAndSamples) {
    std::mt19937 rng(::testing::UnitTest::GetInstance()->random_seed());
    std::normal_distribution<float> g;
    std::vector<TsComplex> samples(1001);
    for (auto& z : samples)
        z = {g(rng), g(rng)};
    DataVector v(samples);
    v.SetName(L"b2,1 \u03A9 \U0001F600 \xD800");  // includes an unpaired surrogate
    v.SetValid(700);
    v.SetUnit(static_cast<Tessel::NAUnit>(-3));           // stored as FD FF, sign-extended
    v.SetFormat(static_cast<Tessel::DataFormat>(70000));  // only the low 16 bits are kept
    DataVector w;
    Load(w, Store(v));
    std::vector<TsComplex> loaded;
    ASSERT_TRUE(w.GetComplexVec(loaded));
    EXPECT_EQ(loaded, samples);
    EXPECT_EQ(std::make_tuple(w.GetName(), w.ValidIndex(), int(w.GetUnit()), int(w.GetFormat())),
              std::make_tuple(v.GetName(), 700, -3, 70000 - 65536));
}

// Loads `bytes` into a copy of ScalarS11, expecting a QuorException of `code` (or no exception
// for code 1) and the vector unchanged.
void ExpectRejected(const Bytes& bytes, long code) {
    DataVector v = ScalarS11();
    try {
        // A vector built from a range has no spare capacity, so a read past its end is caught
        // by AddressSanitizer.
        Load(v, Bytes(bytes.begin(), bytes.end()));
        EXPECT_EQ(code, 1) << "accepted " << bytes.size() << " bytes";
    } catch (const QuorException& e) {
        EXPECT_EQ(e.Code(), code) << bytes.size() << " bytes";
    }
    EXPECT_EQ(Store(v), kScalarRecord);
}

TEST(DataVectorRecord, TruncatedOrCorruptRecordsThrowAndChangeNothing) {
    for (std::size_t cut = 0; cut < kScalarRecord.size(); ++cut) {
        Bytes bytes(kScalarRecord.begin(), kScalarRecord.begin() + cut);
        ExpectRejected(bytes, kArchiveCode);
        // Cutting inside the block, with the block length made to fit, fails inside the block.
        if (cut >= 20) {
            bytes[16] = static_cast<unsigned char>(cut - 20);
            ExpectRejected(bytes, kArchiveCode);
        }
    }
    auto with = [](std::size_t at, std::initializer_list<unsigned char> b) {
        Bytes bytes = kScalarRecord;
        std::copy(b.begin(), b.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return bytes;
    };
    ExpectRejected(with(2, {0xFF, 0xFF, 0xFF, 0x7F}), kArchiveCode);   // name length 2^31 - 1
    ExpectRejected(with(2, {0xFF, 0xFF, 0xFF, 0xFF}), kArchiveCode);   // name length -1
    ExpectRejected(with(6, {0x03}), 0);                                // character size 3
    ExpectRejected(with(15, {0x02}), 0);                               // data type 2
    ExpectRejected(with(16, {0xFF, 0xFF, 0xFF, 0x7F}), kArchiveCode);  // block length
    ExpectRejected(with(16, {0xFF, 0xFF, 0xFF, 0xFF}), kArchiveCode);  // block length -1
    ExpectRejected(with(20, {0x02}), 0);                               // header version
    ExpectRejected(with(32, {0x00}), 0);                               // data version
    ExpectRejected(with(36, {0xFF, 0xFF, 0xFF, 0x7F}), kArchiveCode);  // element count
    ExpectRejected(with(36, {0xFF, 0xFF, 0xFF, 0xFF}), kArchiveCode);  // element count -1
    ExpectRejected(with(36, {0x03}), kArchiveCode);                    // one element too many
    // Another record version is skipped after the version; a valid index beyond the elements
    // is clamped.
    Bytes other = kComplexRecord;
    other[0] = 2;
    ExpectRejected(other, 1);
    DataVector v(DataVector::DataTypeScalar);
    Load(v, with(24, {9}));
    EXPECT_EQ(v.ValidIndex(), 2);
}

}  // namespace
