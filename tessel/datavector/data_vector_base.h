// SPDX-License-Identifier: Apache-2.0
// DataVectorBase: the abstract element storage behind a data vector.
//
// The base holds the header of a stored trace: its scalar format, its valid index (how many
// leading elements hold measured data, 0 <= valid index <= Size()) and its display unit. The
// elements themselves live in a derived DataVectorRep<T>.
//
// The representation block, as Serialize writes it (all integers little-endian; the base writes
// and reads the first four fields, the representation the rest):
//   header version   signed 32-bit   1
//   valid index      signed 32-bit
//   unit             16-bit          NAUnit, the low 16 bits; read back sign-extended
//   format           16-bit          DataFormat, the low 16 bits; read back sign-extended
//   data version     signed 32-bit   1
//   element count n  signed 32-bit
//   elements         n x 4 bytes (float) or n x 8 bytes (real float, imaginary float)
// A header or data version other than 1 throws QuorException with code 0 and no text.
#pragma once

#include <vector>

#include "tessel/core/export.h"
#include "tessel/datavector/archive.h"
#include "tessel/format/data_format.h"
#include "tessel/format/na_unit.h"

namespace Tessel {

class TESSEL_EXPORT DataVectorBase {
  public:
    virtual ~DataVectorBase();

    // A pointer to element i, or null when i is outside 0..Size()-1.
    virtual const void* ElementAt(int i) const = 0;
    virtual void* ElementAt(int i) = 0;
    // The address of the element vector (a std::vector<T> for a DataVectorRep<T>).
    virtual void* Storage() = 0;
    // Sets the element count to n; see DataVectorRep::Resize.
    virtual bool Resize(int n, bool fill) = 0;
    // The element count.
    virtual int Size() const = 0;
    // Storing appends the header fields to `bytes`; loading reads them from the front of
    // `bytes` and erases them, leaving the rest for the derived representation.
    virtual void Serialize(std::vector<unsigned char>& bytes, bool loading);
    // Copies only the valid index of `other` (none when null), clamped to 0..Size().
    virtual void Copy(const DataVectorBase* other);
    // Sets the valid index to i clamped to 0..Size(); returns whether i needed no clamping.
    virtual bool SetValid(int i);
    virtual int ValidIndex() const;
    virtual void SetFormat(DataFormat format);
    virtual DataFormat GetFormat() const;
    virtual void SetUnit(NAUnit unit);
    virtual NAUnit GetUnit() const;
    // Sets every element to the missing-data value (see init_vec.h).
    virtual void FillMissing() = 0;

  protected:
    // The three header fields, as stored.
    struct Header {
        int validIndex;
        NAUnit unit;
        DataFormat format;
    };

    // A new representation: valid index 0, unit UnitNone and, so that a format is always
    // defined, FormatNone (no single scalar format) until the producer sets one.
    DataVectorBase() = default;
    DataVectorBase(const DataVectorBase&) = default;
    DataVectorBase& operator=(const DataVectorBase&) = default;

    static void StoreHeader(QuorUtility::Archive& archive, const Header& header);
    // Reads the header fields, throwing QuorException(0) for a version other than 1.
    static Header LoadHeader(QuorUtility::Archive& archive);
    Header GetHeader() const { return {validIndex_, unit_, format_}; }
    // Takes all three fields, the valid index clamped to 0..size.
    void SetHeader(const Header& header, int size);
    // Lowers the valid index to `size` when it lies beyond it (after the storage shrank).
    void ClampValid(int size);

  private:
    DataFormat format_ = FormatNone;
    int validIndex_ = 0;
    NAUnit unit_ = UnitNone;
};

}  // namespace Tessel
