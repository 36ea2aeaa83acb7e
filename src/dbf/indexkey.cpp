#include "dbf/indexkey.h"

#include <bit>
#include <cstring>

#include "dbf/indexerror.h"

namespace hb {

std::string TrimKey(std::string key, char fill) {
  size_t n = key.size();
  while (n > 0 && key[n - 1] == fill) --n;
  key.resize(n);
  return key;
}

std::string EncodeNumberKey(double value) {
  if (value == 0) value = 0;  // -0 and +0 get the same bytes
  uint64_t bits = std::bit_cast<uint64_t>(value);
  if (bits & 0x8000000000000000ull)
    bits = ~bits;
  else
    bits |= 0x8000000000000000ull;
  std::string out(8, '\0');
  for (int i = 0; i < 8; ++i) out[i] = static_cast<char>((bits >> (56 - 8 * i)) & 0xFF);
  return out;
}

double DecodeNumberKey(const std::string& key) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) {
    uint8_t b = i < static_cast<int>(key.size()) ? static_cast<uint8_t>(key[i]) : 0;
    bits = (bits << 8) | b;
  }
  if (bits & 0x8000000000000000ull)
    bits &= ~0x8000000000000000ull;
  else
    bits = ~bits;
  return std::bit_cast<double>(bits);
}

TIndexKeyData TIndexKeyData::FromText(const std::string& text, int keyLength, uint32_t recNo) {
  std::string key = text;
  if (keyLength > 0 && static_cast<int>(key.size()) > keyLength) key.resize(keyLength);
  return TIndexKeyData(TrimKey(std::move(key), ' '), TIndexKeyType::Character, recNo);
}

TIndexKeyData TIndexKeyData::FromNumber(double value, uint32_t recNo) {
  return TIndexKeyData(TrimKey(EncodeNumberKey(value), '\0'), TIndexKeyType::Numeric, recNo);
}

TIndexKeyData TIndexKeyData::FromDate(double julian, uint32_t recNo) {
  if (julian == 1E100) julian = 0;
  return TIndexKeyData(TrimKey(EncodeNumberKey(julian), '\0'), TIndexKeyType::Date, recNo);
}

double TIndexKeyData::Number() const {
  return DecodeNumberKey(Key);
}

int CompareKeyBytes(const std::string& a, const std::string& b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CompareKeyEntries(const std::string& keyA, uint32_t recA, const std::string& keyB,
                      uint32_t recB) {
  int c = CompareKeyBytes(keyA, keyB);
  if (c != 0) return c;
  return recA < recB ? -1 : (recA > recB ? 1 : 0);
}

bool KeyMatches(const std::string& stored, const std::string& search, bool partial) {
  if (stored == search) return true;
  return partial && stored.size() > search.size() &&
         std::memcmp(stored.data(), search.data(), search.size()) == 0;
}

void CheckKeyTypes(TIndexKeyType a, TIndexKeyType b) {
  bool numA = a != TIndexKeyType::Character, numB = b != TIndexKeyType::Character;
  if (numA != numB) RaiseIndexError("Variant types mismatch for compare");
}

}  // namespace hb
