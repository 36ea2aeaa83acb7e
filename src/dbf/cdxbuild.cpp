// Bulk build of a tag: every record's key through the sorter, then the tree written
// bottom-up in one pass, left to right, each node written once.
//
//   1. Keys of all records (deleted ones included) whose FOR expression holds go to the
//      sorter with their record numbers.
//   2. Sorted keys fill leaves left to right (entries of 3 bytes and up). When a leaf's free
//      space falls below twice (entry size + key length + 8) it is written with a right
//      sibling taken at the end of the file (-1 after the last key), and its last key goes
//      to the level above.
//   3. Interior nodes fill the same way and are written at 500 / (key length + 8) entries.
//   4. At the end each level's open node is written, lowest first; the single node of the
//      top level becomes the root. No keys at all give one empty root leaf.
#include <vector>

#include "dbf/cdxfile.h"
#include "dbf/cdxtag.h"
#include "dbf/indexerror.h"
#include "dbf/keysort.h"

namespace hb {
namespace {

class TCdxTreeWriter {
 public:
  TCdxTreeWriter(TCdxFile& file, int keyLength, char fill, uint32_t recordCount)
      : file_(file),
        keyLength_(keyLength),
        fill_(fill),
        layout_(LeafLayoutFor(keyLength, recordCount, 3)) {}

  void Add(const std::string& key, uint32_t recNo, bool more) {
    Push(0, TCdxEntry{key, recNo, 0}, more);
  }

  // Writes the open nodes and returns the root offset.
  uint32_t Finish() {
    if (levels_.empty()) {
      TLevel& lv = Level(0);
      lv.Offset = file_.Allocate(kCdxBlock);
      Write(0, lv, kCdxNoNode, true);
      return lv.Offset;
    }
    for (size_t l = 0; l < levels_.size(); ++l) {
      TLevel& lv = levels_[l];
      if (lv.Node.Entries.empty()) continue;
      bool top = l + 1 == levels_.size() && lv.Left == kCdxNoNode;
      if (top) {
        Write(l, lv, kCdxNoNode, true);
        return lv.Offset;
      }
      TCdxEntry up{lv.Node.Entries.back().Key, lv.Node.Entries.back().RecNo, lv.Offset};
      Write(l, lv, kCdxNoNode, false);
      lv.Node.Entries.clear();
      Push(l + 1, up, false);
    }
    RaiseIndexError("Index file %s is corrupted", {file_.Path()});  // not reached
  }

 private:
  struct TLevel {
    TCdxNodeImage Node;
    uint32_t Offset = 0;
    int32_t Left = kCdxNoNode;
    int Used = 0;  // leaf bytes in use
  };

  TLevel& Level(size_t l) {
    if (levels_.size() <= l) levels_.resize(l + 1);
    levels_[l].Node.Leaf = l == 0;
    return levels_[l];
  }

  void Push(size_t l, const TCdxEntry& entry, bool more) {
    TLevel& lv = Level(l);
    if (lv.Offset == 0) lv.Offset = file_.Allocate(kCdxBlock);
    std::vector<TCdxEntry>& entries = lv.Node.Entries;
    bool full;
    if (l == 0) {
      static const std::string none;  // an lvalue, so that the previous key is not copied
      lv.Used += layout_.EntrySize + LeafStoredBytes(entries.empty() ? none : entries.back().Key,
                                                     entry.Key, keyLength_, fill_, entries.empty());
      entries.push_back(entry);
      full = kCdxLeafArea - lv.Used < 2 * (layout_.EntrySize + keyLength_ + 8);
    } else {
      entries.push_back(entry);
      full = static_cast<int>(entries.size()) >= InteriorCapacity(keyLength_);
    }
    if (!full) return;
    int32_t right = more ? static_cast<int32_t>(file_.Allocate(kCdxBlock)) : kCdxNoNode;
    TCdxEntry up{entries.back().Key, entries.back().RecNo, lv.Offset};
    Write(l, lv, right, false);
    lv.Left = static_cast<int32_t>(lv.Offset);
    lv.Offset = more ? static_cast<uint32_t>(right) : 0;
    entries.clear();
    lv.Used = 0;
    Push(l + 1, up, more);
    if (!more) {
      // Nothing follows on this level: the node just written closes it.
      TLevel& again = levels_[l];
      again.Offset = 0;
    }
  }

  void Write(size_t l, TLevel& lv, int32_t right, bool root) {
    lv.Node.Left = lv.Left;
    lv.Node.Right = right;
    lv.Node.Root = root;
    lv.Node.Leaf = l == 0;
    uint8_t buf[kCdxBlock];
    if (l == 0)
      EncodeLeaf(lv.Node, keyLength_, fill_, layout_, buf);
    else
      EncodeInterior(lv.Node, keyLength_, fill_, buf);
    file_.Storage().WriteAt(lv.Offset, buf, sizeof buf);
  }

  TCdxFile& file_;
  int keyLength_;
  char fill_;
  TCdxLeafLayout layout_;
  std::vector<TLevel> levels_;
};

}  // namespace

void TCdxTag::Build() {
  DropCache();
  TIndexKeySource* src = file_.Source();
  if (!src) RaiseIndexError("Cannot find index tag %s", {name_});
  uint32_t count = src->RecordCount();
  TCdxSorter sorter(header_.KeyLength, Unique());
  src->ReportStatus(-1, 1, static_cast<int>(count));
  for (uint32_t r = 1; r <= count; ++r) {
    src->LoadRecord(r);
    std::optional<TIndexKeyData> key = RecordKey(r, false);
    if (key) sorter.Add(key->Key, r);
    src->ReportStatus(1, static_cast<int>(r), 0);
  }
  src->ReportStatus(0, static_cast<int>(count), 0);
  sorter.Sort();

  ReleasePath();
  pos_ = TPos::None;
  header_.Root = 0;
  WriteHeader();  // zeroed root until the tree exists
  TCdxTreeWriter writer(file_, header_.KeyLength, Fill(), count);
  src->ReportStatus(-1, 2, static_cast<int>(sorter.Count()));
  std::string key, nextKey;
  uint32_t recNo = 0, nextRec = 0;
  int done = 0;
  bool have = sorter.Next(key, recNo);
  while (have) {
    bool more = sorter.Next(nextKey, nextRec);
    writer.Add(key, recNo, more);
    src->ReportStatus(2, ++done, 0);
    key.swap(nextKey);
    recNo = nextRec;
    have = more;
  }
  src->ReportStatus(0, done, 0);
  header_.Root = writer.Finish();
  WriteHeader();
}

void TCdxTag::BuildEmptyDirectory() {
  DropCache();
  header_ = TCdxTagHeader();
  header_.KeyLength = kCdxDirKeyLength;
  header_.Options = kCdxOptDirectory;
  TCdxTreeWriter writer(file_, kCdxDirKeyLength, ' ', 0);
  file_.Allocate(kCdxHeaderSize);
  header_.Root = writer.Finish();
  WriteHeader();
  ReleasePath();
  pos_ = TPos::None;
}

}  // namespace hb
