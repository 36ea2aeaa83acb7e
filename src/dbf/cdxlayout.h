// Byte layout of compact compound index (.CDX) files, and the codecs for its parts.
//
// The file is a sequence of 512-byte blocks; every offset stored in the file is a byte
// offset and a multiple of 512. New blocks are taken at the end of the file and never
// reused. All integers are little-endian unless marked BE.
//
// The file starts with the directory tag: a tag header at offset 0 and a compact B-tree
// whose keys are the tag names (character keys of length 10, upper case, space-filled) and
// whose record number field holds the offset of that tag's header.
//
// Tag header, 1024 bytes (two blocks):
//
//   Offset  Size  Content
//   ------  ----  ------------------------------------------------------------------
//      0      4   offset of the root node
//      4      4   free-list pointer, written as 0
//      8      4   change counter; in the directory header: +1 after every tag update
//     12      2   key length in bytes (at most 240)
//     14      1   options: 0x60 tag, 0xE0 directory; +0x01 unique, +0x08 FOR expression
//     15      1   signature: 1, or 2 for a GENERAL collation tag
//     16    478   zero
//    494      8   collation name: "GENERAL" zero-terminated, otherwise zero
//    502      2   order: 1 descending, 0 ascending
//    504      2   length of the key expression + 1
//    506      2   length of the FOR expression + 1, or 1 when there is none
//    508      2   zero
//    510      2   length of the key expression + 1, or 1 when there is none (directory)
//    512    512   key expression text, 0, FOR expression text, 0
//
// Interior node, 512 bytes:
//
//   Offset  Size  Content
//   ------  ----  ------------------------------------------------------------------
//      0      2   attributes: 0 interior, 1 interior root
//      2      2   number of entries
//      4      4   left sibling offset, -1 for none
//      8      4   right sibling offset, -1 for none
//     12    500   entries of key length + 8 bytes: the key (padded with the fill),
//                 record number (4, BE), child node offset (4, BE); unused space is
//                 spaces in a character tag, zeros otherwise
//
// An interior entry's key is the highest key of its child; at most
// 500 / (key length + 8) entries fit.
//
// Leaf node, 512 bytes:
//
//   Offset  Size  Content
//   ------  ----  ------------------------------------------------------------------
//      0      2   attributes: 2 leaf, 3 leaf that is also the root
//      2      2   number of keys
//      4      4   left sibling, -1 for none
//      8      4   right sibling, -1 for none
//     12      2   free bytes in the 488-byte key area
//     14      4   record number mask
//     18      1   duplicate-count mask
//     19      1   trailing-count mask
//     20      1   record number bits
//     21      1   duplicate-count bits
//     22      1   trailing-count bits
//     23      1   bytes per key entry
//     24    488   key entries growing up from 24; key bytes growing down from 512
//
// A leaf entry, read as a little-endian integer of the entry size:
//
//   bits [0, recbits)                       record number
//   bits [recbits, recbits + dupbits)       duplicate count: leading bytes shared with
//                                           the previous key of the node (0 for the first)
//   bits [recbits + dupbits, 8 * size)      trailing count: fill bytes dropped at the end
//
// Only key length - duplicate - trailing bytes of a key are stored, packed from the end of
// the node toward the entries, the node's first key nearest the end.
//
// Entry sizes: with e = the number of bits needed for the key length, duplicate and
// trailing counts take e bits each (masks 2^e - 1); the entry is the smallest number of
// bytes from a minimum (2 for updates, 3 for bulk builds) whose record part
// (8 * size - 2e bits) holds the largest record number (for the directory: the file size).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hb {

constexpr int kCdxBlock = 512;
constexpr int kCdxHeaderSize = 1024;
constexpr int kCdxMaxKeyLength = 240;
constexpr int kCdxLeafArea = 488;
constexpr int kCdxInteriorArea = 500;
constexpr int kCdxDirKeyLength = 10;
constexpr int32_t kCdxNoNode = -1;

constexpr uint8_t kCdxOptTag = 0x60;
constexpr uint8_t kCdxOptDirectory = 0xE0;
constexpr uint8_t kCdxOptUnique = 0x01;
constexpr uint8_t kCdxOptFor = 0x08;

enum class TCdxCollation { None, Machine, General };

// The decoded tag header.
struct TCdxTagHeader {
  uint32_t Root = 0;
  uint32_t Counter = 0;
  int KeyLength = 0;
  uint8_t Options = kCdxOptTag;
  uint8_t Signature = 1;
  TCdxCollation Collation = TCdxCollation::None;
  bool Descending = false;
  std::string KeyExpression;
  std::string ForExpression;

  bool Unique() const { return Options & kCdxOptUnique; }
  bool HasFor() const { return Options & kCdxOptFor; }
};

// Writes a header into 1024 bytes. Returns false when the expressions do not fit.
bool EncodeTagHeader(const TCdxTagHeader& header, uint8_t* out);

// Reads a header. Returns an empty text when it is valid, otherwise what is wrong with it.
// The root must be non-zero, a multiple of 512 and a whole block inside fileSize.
std::string DecodeTagHeader(const uint8_t* in, int64_t fileSize, TCdxTagHeader& header);

// Bit layout of the entries of one leaf.
struct TCdxLeafLayout {
  int EntrySize = 0;
  int RecBits = 0;
  int DupBits = 0;
  int TrailBits = 0;
  uint32_t RecMask = 0;
  uint8_t DupMask = 0;
  uint8_t TrailMask = 0;
};

// Bits needed to hold a value (0 for 0).
int BitsFor(uint64_t value);

// The smallest layout from minEntrySize bytes whose record part holds maxRecNo.
TCdxLeafLayout LeafLayoutFor(int keyLength, uint64_t maxRecNo, int minEntrySize);

// One entry of a node in memory. The key is in short form (no trailing fill); Child is
// used by interior entries only.
struct TCdxEntry {
  std::string Key;
  uint32_t RecNo = 0;
  uint32_t Child = 0;
};

// A node as read from or written to its 512 bytes.
struct TCdxNodeImage {
  bool Leaf = true;
  bool Root = false;
  int32_t Left = kCdxNoNode;
  int32_t Right = kCdxNoNode;
  std::vector<TCdxEntry> Entries;
};

// Key bytes a leaf stores for its entries (after dropping shared prefixes and fill); the
// same for every layout.
int LeafKeyBytes(const std::vector<TCdxEntry>& entries, int keyLength, char fill);

// Bytes the entries of a leaf take in its key area with the given layout (entries plus
// stored key bytes).
int LeafBytesNeeded(const std::vector<TCdxEntry>& entries, int keyLength, char fill,
                    const TCdxLeafLayout& layout);

// Stored bytes of one key after the previous one (both short form).
int LeafStoredBytes(const std::string& prev, const std::string& key, int keyLength, char fill,
                    bool first);

// Writes a leaf; the entries must fit (LeafBytesNeeded <= 488).
void EncodeLeaf(const TCdxNodeImage& node, int keyLength, char fill, const TCdxLeafLayout& layout,
                uint8_t* out);
// The same with the layout chosen from the leaf's stored key bytes (LeafKeyBytes), which the
// encoding counts anyway.
void EncodeLeaf(const TCdxNodeImage& node, int keyLength, char fill,
                const std::function<TCdxLeafLayout(int keyBytes)>& choose, uint8_t* out);

// Writes an interior node; at most 500 / (keyLength + 8) entries.
void EncodeInterior(const TCdxNodeImage& node, int keyLength, char fill, uint8_t* out);

// Reads a node of either kind. Returns an empty text when valid, otherwise what is wrong.
// Nothing read is trusted: counts are checked against the node size, the masks against the
// key length, child offsets against fileSize.
std::string DecodeNode(const uint8_t* in, int keyLength, char fill, int64_t fileSize,
                       TCdxNodeImage& node);

// Largest number of entries of an interior node.
inline int InteriorCapacity(int keyLength) {
  return kCdxInteriorArea / (keyLength + 8);
}

}  // namespace hb
