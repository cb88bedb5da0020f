// SPDX-License-Identifier: Apache-2.0
// Writes the seed corpus of the data-vector record fuzzer into the folder given as argument:
// valid records of both data types (including UTF-16 names with surrogate pairs, a Latin-1
// name, an empty vector and two records back to back), a record of another version, and
// truncated records. Run by `scripts/fuzz.sh --regenerate-seeds`; the output is kept in
// fuzz/corpus/datavector_record/.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tessel/datavector/archive.h"
#include "tessel/datavector/data_vector.h"

namespace {

using Bytes = std::vector<unsigned char>;
using QuorUtility::Archive;
using Tessel::DataVector;
using Tessel::TsComplex;

Bytes Store(const std::vector<DataVector*>& vectors) {
    Bytes bytes;
    Archive out(bytes, false);
    for (DataVector* v : vectors)
        v->Serialize(out);
    out.Close();
    return bytes;
}

bool Put(const std::string& dir, const std::string& name, const Bytes& bytes) {
    FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];

    DataVector scalar(std::vector<float>{1.0f, -2.5f, -200.0f});
    scalar.SetName(L"S11");
    scalar.SetValid(2);
    scalar.SetUnit(Tessel::UnitDB);
    scalar.SetFormat(Tessel::FormatLogMag);

    std::vector<TsComplex> samples(16);
    for (int i = 0; i < 16; ++i)
        samples[i] = TsComplex::FromMagPhase(1.0 / (1 + i), 0.3 * i);
    DataVector complex(samples);
    complex.SetName(L"b2,1 \u03A9 \U0001F600");
    complex.SetValid(16);
    complex.SetFormat(Tessel::FormatNone);

    DataVector empty(DataVector::DataTypeScalar);

    // A Latin-1 name (character size 1) around the scalar vector's data-type byte and block.
    const Bytes s11 = Store({&scalar});
    Bytes latin1 = {0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 'd', 0xE9, 'g', 0x00};
    latin1.insert(latin1.end(), s11.begin() + 15, s11.end());

    Bytes version2 = s11;
    version2[0] = 2;

    bool ok = Put(dir, "scalar_s11.bin", s11) &&
              Put(dir, "complex_unicode_name.bin", Store({&complex})) &&
              Put(dir, "scalar_empty.bin", Store({&empty})) &&
              Put(dir, "two_records.bin", Store({&scalar, &complex})) &&
              Put(dir, "latin1_name.bin", latin1) && Put(dir, "version2.bin", version2);
    for (std::size_t cut : {1, 9, 18, 30, 44}) {
        ok = ok && Put(dir, "truncated_" + std::to_string(cut) + ".bin",
                       Bytes(s11.begin(), s11.begin() + static_cast<std::ptrdiff_t>(cut)));
    }
    return ok ? 0 : 1;
}
