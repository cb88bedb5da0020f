// SPDX-License-Identifier: Apache-2.0
// DataVector: a named, time-stamped trace of scalar (float) or complex (TsComplex) samples.
//
// A DataVector is a handle: its representation (the samples, valid index, unit and format) is
// held by a boost::shared_ptr, so copying a handle copies the name, data type and time stamp
// and shares the representation. There is no copy-on-write: samples written through one
// copy's buffer are seen by every copy. Missing samples hold the -200 dB value (init_vec.h).
//
// The stored record, written and read by Serialize (integers little-endian):
//   version          unsigned 16-bit  1
//   name length L    signed 32-bit    UTF-16 code units of the name plus one
//   character size   unsigned 8-bit   2
//   name             L x 2 bytes      UTF-16, with a terminating zero
//   data type        unsigned 8-bit   0 scalar, 1 complex
//   block length N   signed 32-bit
//   representation   N bytes          the block of data_vector_base.h
// The time stamp is not stored.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "platform/os/system_time.h"
#include "tessel/core/export.h"
#include "tessel/core/types.h"
#include "tessel/datavector/archive.h"
#include "tessel/datavector/data_vector_base.h"

namespace Tessel {

class TESSEL_EXPORT DataVector {
  public:
    enum DataType { DataTypeScalar = 0, DataTypeComplex = 1 };

    // An empty vector of the given type, unit UnitUnits, stamped with the current UTC time.
    explicit DataVector(DataType type = DataTypeComplex);
    // A complex vector holding a copy of `samples`.
    explicit DataVector(const std::vector<TsComplex>& samples);
    // A scalar vector holding a copy of `values`.
    explicit DataVector(const std::vector<float>& values);
    // Copies name, type and time, and shares the representation. Copying a MultiVector into a
    // DataVector gives a flat vector over all of its elements, sharing them.
    DataVector(const DataVector& other);
    DataVector& operator=(const DataVector& other);
    virtual ~DataVector();

    // 1 for a data vector.
    virtual int GetRank() const;
    // Sets the element count (see DataVectorRep::Resize; a negative n changes nothing).
    // Always returns true.
    virtual bool Resize(int n, bool fill);
    virtual int Size() const;
    // Sets the valid index to i clamped to 0..Size(); returns whether i needed no clamping.
    virtual bool SetValid(int i);
    virtual int ValidIndex() const;
    // The samples of a scalar vector, else null; null for an empty vector.
    virtual const float* GetScalarBuf() const;
    virtual float* GetScalarBuf();
    // The samples of a complex vector, else null; null for an empty vector.
    virtual const TsComplex* GetComplexBuf() const;
    virtual TsComplex* GetComplexBuf();
    // Complex sample i. A scalar vector or an index outside the samples gives the missing-data
    // sample TsComplex::m_minus200dB instead of reading outside the storage.
    virtual TsComplex operator[](int i) const;
    // Copy every sample into `out` and return true; return false, leaving `out` untouched,
    // when the vector holds the other data type.
    virtual bool GetScalarVec(std::vector<float>& out) const;
    virtual bool GetComplexVec(std::vector<TsComplex>& out) const;
    // A new vector of the same type holding samples first .. first + count - 1, with an empty
    // name, unit UnitUnits, the current time and the format and valid index of a new vector.
    // A range not inside the samples gives an empty vector of the same type.
    virtual DataVector GetSubRange(int first, int count) const;
    virtual void SetUnit(NAUnit unit);
    virtual NAUnit GetUnit() const;
    virtual void SetFormat(DataFormat format);
    virtual DataFormat GetFormat() const;
    // A null name is taken as the empty name.
    virtual void SetName(const wchar_t* name);
    virtual std::wstring GetName() const;
    virtual void SetTime(SYSTEMTIME& time);
    virtual SYSTEMTIME GetTime() const;
    virtual DataType GetDataType() const;
    // Stores the record above, or loads one, by the archive's mode. Loading a record whose
    // version is not 1 reads just the version and changes nothing. Otherwise loading is all or
    // nothing: a truncated or corrupt record throws (QuorException: the archive's codes and
    // texts, or code 0 for a bad block version, a data type other than 0 or 1, or an unknown
    // character size) and leaves the vector as it was. A record of the other data type than
    // the vector's loads into a new representation of the stored type, which replaces this
    // handle's; other handles keep sharing the old one.
    virtual void Serialize(QuorUtility::Archive& archive);

    // The samples of a followed by those of b, in a new vector (unit UnitUnits, current time),
    // when both have the same data type; otherwise an empty complex vector.
    static DataVector Concatenate(const DataVector& a, const DataVector& b);

  protected:
    struct NoRepresentation {};
    // A handle without a representation of its own, for derived handles that keep the
    // storage elsewhere and override Rep() and SharedRep().
    DataVector(DataType type, NoRepresentation);
    // Copies only the time stamp, for derived copy operations.
    void CopyTime(const DataVector& other) { time_ = other.time_; }

    // The storage that the generic operations act on, and a shared reference to it.
    virtual DataVectorBase* Rep() const;
    virtual boost::shared_ptr<DataVectorBase> SharedRep() const;
    // A new, empty representation of the element type of `type`.
    static std::unique_ptr<DataVectorBase> NewRepresentation(DataType type);

  private:
    void Store(QuorUtility::Archive& archive) const;

    std::wstring name_;
    DataType type_;
    SYSTEMTIME time_;
    boost::shared_ptr<DataVectorBase> rep_;
};

}  // namespace Tessel
