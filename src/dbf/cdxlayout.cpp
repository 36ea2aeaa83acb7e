#include "dbf/cdxlayout.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

namespace hb {
namespace {

void Put16(uint8_t* p, uint32_t v) {
  p[0] = v & 0xFF;
  p[1] = (v >> 8) & 0xFF;
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
void Put32BE(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (24 - 8 * i)) & 0xFF;
}
uint32_t Get16(const uint8_t* p) {
  return p[0] | (p[1] << 8);
}
uint32_t Get32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint32_t Get32BE(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Length of the common prefix of a and b within their first n bytes. Neighbouring keys of
// a leaf often share most of their bytes, so eight are compared at a time.
int CommonPrefix(const char* a, const char* b, int n) {
  int i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= n; i += 8) {
      uint64_t x, y;
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      if (uint64_t d = x ^ y) return i + std::countr_zero(d) / 8;
    }
  }
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Duplicate and trailing counts of a key after the previous one of the node. The shared
// prefix runs over the previous key's bytes, then over its fill (its padding).
void LeafCounts(const std::string& prev, const std::string& key, int keyLength, char fill,
                bool first, int& dup, int& trail) {
  int limit = static_cast<int>(key.size());
  trail = keyLength - limit;
  dup = 0;
  if (first) return;
  const char* k = key.data();
  const char* p = prev.data();
  int common = std::min(limit, static_cast<int>(prev.size()));
  dup = CommonPrefix(p, k, common);
  if (dup == common)
    while (dup < limit && k[dup] == fill) ++dup;
}

bool ValidNodeOffset(int64_t offset, int64_t fileSize) {
  return offset > 0 && offset % kCdxBlock == 0 && offset + kCdxBlock <= fileSize;
}

bool ValidSibling(int32_t link, int64_t fileSize) {
  return link == kCdxNoNode || ValidNodeOffset(static_cast<uint32_t>(link), fileSize);
}

}  // namespace

bool EncodeTagHeader(const TCdxTagHeader& header, uint8_t* out) {
  size_t keyLen = header.KeyExpression.size(), forLen = header.ForExpression.size();
  if (keyLen + forLen + 2 > 512) return false;
  std::memset(out, 0, kCdxHeaderSize);
  Put32(out + 0, header.Root);
  Put32(out + 4, 0);
  Put32(out + 8, header.Counter);
  Put16(out + 12, header.KeyLength);
  out[14] = header.Options;
  out[15] = header.Signature;
  if (header.Collation == TCdxCollation::General) std::memcpy(out + 494, "GENERAL", 8);
  Put16(out + 502, header.Descending ? 1 : 0);
  Put16(out + 504, keyLen + 1);
  Put16(out + 506, header.HasFor() ? forLen + 1 : 1);
  Put16(out + 510, keyLen + 1);
  std::memcpy(out + 512, header.KeyExpression.data(), keyLen);
  if (header.HasFor()) std::memcpy(out + 512 + keyLen + 1, header.ForExpression.data(), forLen);
  return true;
}

std::string DecodeTagHeader(const uint8_t* in, int64_t fileSize, TCdxTagHeader& header) {
  header = TCdxTagHeader();
  header.Root = Get32(in + 0);
  if (!ValidNodeOffset(header.Root, fileSize))
    return "root offset " + std::to_string(header.Root) + " outside the file";
  header.Counter = Get32(in + 8);
  header.KeyLength = Get16(in + 12);
  if (header.KeyLength < 1 || header.KeyLength > kCdxMaxKeyLength)
    return "key length " + std::to_string(header.KeyLength);
  header.Options = in[14];
  header.Signature = in[15];
  char name[9] = {};
  std::memcpy(name, in + 494, 8);
  if (std::strcmp(name, "GENERAL") == 0)
    header.Collation = TCdxCollation::General;
  else if (std::strcmp(name, "MACHINE") == 0)
    header.Collation = TCdxCollation::Machine;
  header.Descending = Get16(in + 502) != 0;
  const char* text = reinterpret_cast<const char*>(in + 512);
  const void* end = std::memchr(text, 0, 512);
  if (!end) return "key expression not terminated";
  size_t keyLen = static_cast<const char*>(end) - text;
  header.KeyExpression.assign(text, keyLen);
  if (header.HasFor()) {
    const char* forText = text + keyLen + 1;
    size_t room = 512 - keyLen - 1;
    const void* forEnd = room ? std::memchr(forText, 0, room) : nullptr;
    if (!forEnd) return "FOR expression not terminated";
    header.ForExpression.assign(forText, static_cast<const char*>(forEnd) - forText);
  }
  return {};
}

int BitsFor(uint64_t value) {
  int bits = 0;
  while (value) {
    ++bits;
    value >>= 1;
  }
  return bits;
}

TCdxLeafLayout LeafLayoutFor(int keyLength, uint64_t maxRecNo, int minEntrySize) {
  TCdxLeafLayout l;
  int e = BitsFor(keyLength);
  int need = BitsFor(maxRecNo);
  l.DupBits = l.TrailBits = e;
  l.DupMask = l.TrailMask = static_cast<uint8_t>((1u << e) - 1);
  for (l.EntrySize = minEntrySize < 2 ? 2 : minEntrySize; l.EntrySize < 8; ++l.EntrySize) {
    if (8 * l.EntrySize - 2 * e >= need && 8 * l.EntrySize - 2 * e > 0) break;
  }
  l.RecBits = 8 * l.EntrySize - 2 * e;
  l.RecMask = l.RecBits >= 32 ? 0xFFFFFFFFu : ((1u << l.RecBits) - 1);
  return l;
}

int LeafStoredBytes(const std::string& prev, const std::string& key, int keyLength, char fill,
                    bool first) {
  int dup, trail;
  LeafCounts(prev, key, keyLength, fill, first, dup, trail);
  return keyLength - dup - trail;
}

int LeafKeyBytes(const std::vector<TCdxEntry>& entries, int keyLength, char fill) {
  static const std::string none;  // an lvalue, so that the previous key is not copied
  int total = 0;
  for (size_t i = 0; i < entries.size(); ++i)
    total += LeafStoredBytes(i ? entries[i - 1].Key : none, entries[i].Key, keyLength, fill, i == 0);
  return total;
}

int LeafBytesNeeded(const std::vector<TCdxEntry>& entries, int keyLength, char fill,
                    const TCdxLeafLayout& layout) {
  return static_cast<int>(entries.size()) * layout.EntrySize +
         LeafKeyBytes(entries, keyLength, fill);
}

void EncodeLeaf(const TCdxNodeImage& node, int keyLength, char fill, const TCdxLeafLayout& layout,
                uint8_t* out) {
  EncodeLeaf(node, keyLength, fill, [&](int) { return layout; }, out);
}

void EncodeLeaf(const TCdxNodeImage& node, int keyLength, char fill,
                const std::function<TCdxLeafLayout(int keyBytes)>& choose, uint8_t* out) {
  // The counts of every entry first: their sum decides the layout, which places the entries.
  struct TCounts {
    int Dup, Trail;
  };
  constexpr size_t kMost = kCdxLeafArea / 2;  // entries of at least two bytes
  const size_t n = node.Entries.size();
  TCounts local[kMost];
  std::vector<TCounts> spill;
  TCounts* counts = local;
  if (n > kMost) {
    spill.resize(n);
    counts = spill.data();
  }
  static const std::string none;  // an lvalue, so that the previous key is not copied
  int keyBytes = 0;
  for (size_t i = 0; i < n; ++i) {
    LeafCounts(i ? node.Entries[i - 1].Key : none, node.Entries[i].Key, keyLength, fill, i == 0,
               counts[i].Dup, counts[i].Trail);
    keyBytes += keyLength - counts[i].Dup - counts[i].Trail;
  }
  const TCdxLeafLayout l = choose(keyBytes);
  std::memset(out, 0, kCdxBlock);
  Put16(out + 0, node.Root ? 3 : 2);
  Put16(out + 2, node.Entries.size());
  Put32(out + 4, static_cast<uint32_t>(node.Left));
  Put32(out + 8, static_cast<uint32_t>(node.Right));
  Put32(out + 14, l.RecMask);
  out[18] = l.DupMask;
  out[19] = l.TrailMask;
  out[20] = l.RecBits;
  out[21] = l.DupBits;
  out[22] = l.TrailBits;
  out[23] = l.EntrySize;
  int pos = kCdxBlock;
  for (size_t i = 0; i < n; ++i) {
    const TCdxEntry& e = node.Entries[i];
    int dup = counts[i].Dup, trail = counts[i].Trail;
    int stored = keyLength - dup - trail;
    pos -= stored;
    std::memcpy(out + pos, e.Key.data() + dup, stored);
    uint64_t v = (uint64_t(e.RecNo) & l.RecMask) |
                 (uint64_t(dup) << (8 * l.EntrySize - l.TrailBits - l.DupBits)) |
                 (uint64_t(trail) << (8 * l.EntrySize - l.TrailBits));
    uint8_t* p = out + 24 + i * l.EntrySize;
    for (int b = 0; b < l.EntrySize; ++b) p[b] = (v >> (8 * b)) & 0xFF;
  }
  // The free bytes: the key area less the entries and the key bytes stored above.
  int used = static_cast<int>(node.Entries.size()) * l.EntrySize + (kCdxBlock - pos);
  Put16(out + 12, kCdxLeafArea - used);
}

void EncodeInterior(const TCdxNodeImage& node, int keyLength, char fill, uint8_t* out) {
  std::memset(out, 0, kCdxBlock);
  Put16(out + 0, node.Root ? 1 : 0);
  Put16(out + 2, node.Entries.size());
  Put32(out + 4, static_cast<uint32_t>(node.Left));
  Put32(out + 8, static_cast<uint32_t>(node.Right));
  std::memset(out + 12, fill, kCdxInteriorArea);
  uint8_t* p = out + 12;
  for (const TCdxEntry& e : node.Entries) {
    std::memset(p, fill, keyLength);
    std::memcpy(p, e.Key.data(), e.Key.size());
    Put32BE(p + keyLength, e.RecNo);
    Put32BE(p + keyLength + 4, e.Child);
    p += keyLength + 8;
  }
}

std::string DecodeNode(const uint8_t* in, int keyLength, char fill, int64_t fileSize,
                       TCdxNodeImage& node) {
  node = TCdxNodeImage();
  uint32_t attr = Get16(in + 0);
  if (attr > 3) return "node attributes " + std::to_string(attr);
  node.Leaf = attr >= 2;
  node.Root = attr & 1;
  int count = Get16(in + 2);
  node.Left = static_cast<int32_t>(Get32(in + 4));
  node.Right = static_cast<int32_t>(Get32(in + 8));
  if (!ValidSibling(node.Left, fileSize) || !ValidSibling(node.Right, fileSize))
    return "sibling link outside the file";
  if (!node.Leaf) {
    if (count < 1 || count > InteriorCapacity(keyLength))
      return "interior entry count " + std::to_string(count);
    node.Entries.resize(count);
    const uint8_t* p = in + 12;
    for (TCdxEntry& e : node.Entries) {
      std::string key(reinterpret_cast<const char*>(p), keyLength);
      size_t n = key.size();
      while (n > 0 && key[n - 1] == fill) --n;
      key.resize(n);
      e.Key = std::move(key);
      e.RecNo = Get32BE(p + keyLength);
      e.Child = Get32BE(p + keyLength + 4);
      if (!ValidNodeOffset(e.Child, fileSize))
        return "child offset " + std::to_string(e.Child) + " outside the file";
      p += keyLength + 8;
    }
    return {};
  }
  int size = in[23], recBits = in[20], dupBits = in[21], trailBits = in[22];
  uint32_t recMask = Get32(in + 14);
  uint8_t dupMask = in[18], trailMask = in[19];
  if (size < 2 || size > 8 || dupBits + trailBits > 16 || recBits + dupBits + trailBits > 8 * size)
    return "leaf entry layout " + std::to_string(size) + "/" + std::to_string(recBits) + "/" +
           std::to_string(dupBits) + "/" + std::to_string(trailBits);
  if (count * size > kCdxLeafArea) return "leaf key count " + std::to_string(count);
  if (recBits < 32) recMask &= (1u << recBits) - 1;
  node.Entries.resize(count);
  int pos = kCdxBlock;
  int floor = 24 + count * size;
  std::string prev(keyLength, fill);
  for (int i = 0; i < count; ++i) {
    const uint8_t* p = in + 24 + i * size;
    // The record number lies in the entry's first bytes (at most four are read, so the
    // last entry of a full node of 2-byte entries reads nothing past the node).
    uint32_t recNo = 0;
    for (int b = 0; b < size && b < 4; ++b) recNo |= uint32_t(p[b]) << (8 * b);
    recNo &= recMask;
    uint32_t last16 = Get16(p + size - 2);
    int trail = (last16 >> (16 - trailBits)) & trailMask;
    int dup = (last16 >> (16 - trailBits - dupBits)) & dupMask;
    if (trailBits == 0) trail = 0;
    if (dupBits == 0) dup = 0;
    if (dup + trail > keyLength || (i == 0 && dup != 0))
      return "leaf key " + std::to_string(i) + " counts " + std::to_string(dup) + "/" +
             std::to_string(trail);
    int stored = keyLength - dup - trail;
    pos -= stored;
    if (pos < floor) return "leaf key bytes overlap the entries";
    std::string key = prev.substr(0, dup);
    key.append(reinterpret_cast<const char*>(in + pos), stored);
    key.append(trail, fill);
    prev = key;
    size_t n = key.size();
    while (n > 0 && key[n - 1] == fill) --n;
    key.resize(n);
    node.Entries[i].Key = std::move(key);
    node.Entries[i].RecNo = recNo;
  }
  return {};
}

}  // namespace hb
