// Index keys: how values become the bytes that an index compares and stores.
//
// A key is held in its canonical short form: the key bytes without their trailing fill.
// The fill is a space for character keys and a zero byte for numeric and date keys; the
// trailing-count field of a leaf entry drops exactly these bytes, so the short form is
// what a leaf stores, and padding it with the fill to the key length gives the full key.
//
// Encodings:
//   character  the text, cut to the key length; trailing spaces never take part.
//   numeric    the value as an 8-byte IEEE double written big-endian; when the sign bit is
//              set all eight bytes are inverted, otherwise only the sign bit is set. The
//              byte order then equals the numeric order (-0 is taken as 0).
//   date       the julian day number encoded as a numeric key (the empty date, 0 or the
//              sentinel 1E100, as 0).
//
// Comparison is unsigned bytewise over the shorter length; when that part is equal the
// shorter key sorts first. Equal keys are ordered by record number. In partial matching a
// search key that is a prefix of a stored key counts as equal; that only applies to
// character keys (a prefix of a number's bytes says nothing about the number).
#pragma once

#include <cstdint>
#include <string>

namespace hb {

enum class TIndexKeyType : char { Character = 'C', Numeric = 'N', Date = 'D' };

// One key: its bytes (short form), its type and the record number it belongs to.
class TIndexKeyData {
 public:
  std::string Key;
  TIndexKeyType Type = TIndexKeyType::Character;
  uint32_t RecNo = 0;

  TIndexKeyData() = default;
  TIndexKeyData(std::string key, TIndexKeyType type, uint32_t recNo = 0)
      : Key(std::move(key)), Type(type), RecNo(recNo) {}

  // A character key from text; keyLength > 0 cuts it to that length first.
  static TIndexKeyData FromText(const std::string& text, int keyLength = 0, uint32_t recNo = 0);
  static TIndexKeyData FromNumber(double value, uint32_t recNo = 0);
  static TIndexKeyData FromDate(double julian, uint32_t recNo = 0);

  // Reads a numeric or date key back into its value.
  double Number() const;
};

// The fill byte of a key type: space for character keys, zero otherwise.
inline char KeyFill(TIndexKeyType type) {
  return type == TIndexKeyType::Character ? ' ' : '\0';
}

// Removes trailing fill bytes.
std::string TrimKey(std::string key, char fill);

// The full 8 bytes of a numeric key.
std::string EncodeNumberKey(double value);
double DecodeNumberKey(const std::string& key);

// Bytewise comparison with the shorter key first: <0, 0, >0.
int CompareKeyBytes(const std::string& a, const std::string& b);

// Key, then record number.
int CompareKeyEntries(const std::string& keyA, uint32_t recA, const std::string& keyB,
                      uint32_t recB);

// Whether a stored key matches a search key: equal, or in partial mode (character keys
// only) beginning with it.
bool KeyMatches(const std::string& stored, const std::string& search, bool partial);

// Raises "Variant types mismatch for compare" unless the two key types agree.
void CheckKeyTypes(TIndexKeyType a, TIndexKeyType b);

}  // namespace hb
