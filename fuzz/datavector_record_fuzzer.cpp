// SPDX-License-Identifier: Apache-2.0
// libFuzzer target: arbitrary bytes loaded as data-vector records.
//
// The bytes are loaded from memory into a scalar and a complex vector, record after record,
// and once more from a file descriptor so that the archive's refill path sees them too.
// Loading may throw the documented QuorException (the archive's code 0xE8080882, or code 0 for
// a malformed record); anything else (another exception, a crash, a leak, a read out of
// bounds, a huge allocation) is a finding. Every record that loads must store and load again
// to the same bytes, with its valid index inside its samples.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/measutil/quor_exception.h"
#include "tessel/core/status.h"
#include "tessel/datavector/archive.h"
#include "tessel/datavector/data_vector.h"

namespace {

using Bytes = std::vector<unsigned char>;
using QuorUtility::Archive;
using Tessel::DataVector;

// At most this many records are loaded from one input.
constexpr int kMaxRecords = 8;

void Check(bool ok) {
    if (!ok)
        std::abort();
}

Bytes Store(DataVector& v) {
    Bytes bytes;
    Archive out(bytes, false);
    v.Serialize(out);
    out.Close();
    return bytes;
}

// A record that loaded stores back to bytes that load to the same record.
void CheckLoaded(DataVector& v) {
    Check(v.ValidIndex() >= 0 && v.ValidIndex() <= v.Size());
    const Bytes stored = Store(v);
    DataVector again(v.GetDataType() == DataVector::DataTypeScalar ? DataVector::DataTypeComplex
                                                                   : DataVector::DataTypeScalar);
    Bytes copy = stored;
    Archive in(copy, true);
    again.Serialize(in);
    in.Close();
    Check(copy.empty());
    Check(Store(again) == stored);
}

bool IsDocumented(const QuorException& e) {
    return e.Code() == 0 ? e.Texts().empty()
                         : e.Code() == Tessel::kArchiveError && e.Texts().size() == 1;
}

void LoadFromMemory(const std::uint8_t* data, std::size_t size, DataVector::DataType type) {
    Bytes bytes(data, data + size);
    DataVector v(type);
    for (int k = 0; k < kMaxRecords && !bytes.empty(); ++k) {
        try {
            Archive in(bytes, true);
            v.Serialize(in);
            in.Close();
        } catch (const QuorException& e) {
            Check(IsDocumented(e));
            return;
        }
        CheckLoaded(v);
    }
}

void LoadFromFile(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("record", MFD_CLOEXEC);
    if (fd < 0)
        return;
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return;
    }
    lseek(fd, 0, SEEK_SET);
    Archive in(fd, true);  // owns and closes fd
    DataVector v;
    try {
        for (int k = 0; k < kMaxRecords; ++k)
            v.Serialize(in);
    } catch (const QuorException& e) {
        Check(IsDocumented(e));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LoadFromMemory(data, size, DataVector::DataTypeScalar);
    LoadFromMemory(data, size, DataVector::DataTypeComplex);
    LoadFromFile(data, size);
    return 0;
}
