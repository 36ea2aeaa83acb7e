// One index tag: an ordering of a table's records by a key expression.
//
// Navigation is in tag order: a descending tag walks its (always ascending) tree from the
// end. Every move returns the record number it arrived at, or 0 with Bof or Eof set.
//
// Key range: a key is inside when it is not below the low key and not above the high key
// (either may be empty). The high key is compared strictly: a key that merely begins with
// the high key lies above it, so high key "A" admits "A" but not "AB"; with partialHigh it
// admits every key that begins with it.
#pragma once

#include <cstdint>
#include <string>

#include "dbf/indexkey.h"

namespace hb {

class TIndexTag {
 public:
  virtual ~TIndexTag() = default;

  virtual const std::string& Name() const = 0;
  virtual const std::string& KeyExpression() const = 0;
  virtual const std::string& ForExpression() const = 0;
  virtual bool Unique() const = 0;
  virtual bool Descending() const = 0;
  virtual TIndexKeyType KeyType() const = 0;
  virtual int KeyLength() const = 0;

  virtual uint32_t First() = 0;
  virtual uint32_t Last() = 0;
  virtual uint32_t Next() = 0;
  virtual uint32_t Prev() = 0;

  // Seeks the first key not below the search key (trailing spaces of a character search
  // key removed). Returns the record number when that key equals the search key, or in
  // partial mode begins with it (character tags); otherwise 0, with Eof set when the search
  // key is above every key. The tag stays on the key found, so a caller may go on from
  // the next higher key.
  virtual uint32_t Seek(const TIndexKeyData& key, bool partial) = 0;

  // Positions on the entry of this key and record number; false when there is none.
  virtual bool FindKey(const TIndexKeyData& key) = 0;

  // Sets a key range and positions on its first key (a range equal to the present one
  // keeps the position); both keys empty remove the range.
  virtual void SetRange(const TIndexKeyData& low, const TIndexKeyData& high,
                        bool partialHigh = false) = 0;
  virtual void ClearRange() = 0;
  virtual bool HasRange() const = 0;

  virtual bool Bof() const = 0;
  virtual bool Eof() const = 0;
  // Record number and key of the current entry (0 and empty when not on one).
  virtual uint32_t RecNo() const = 0;
  virtual const TIndexKeyData& CurrentKey() const = 0;

  // Writes back and drops the nodes held in memory; the position is kept as a key.
  virtual void ReleasePath() = 0;
};

}  // namespace hb
