// One tag of a compact compound index file: its header, its B-tree and the operations on
// them (navigation, seek, key ranges, insert and delete with splits). The bulk build lives
// in cdxbuild.cpp. The directory of a file is a tag too: its keys are the tag names and
// its record numbers the offsets of the tag headers.
//
// Invariants of the tree (kept by insert and delete, relied on by every descent):
//   (1) keys ascend through a node and from a leaf to its right sibling, equal keys by
//       record number;
//   (2) an interior entry's key and record number are not below any entry of its child,
//       and are below every entry of the following children (deleting a leaf's last
//       key may leave its entry above the highest key of the child, never below);
//   (3) leaves may be empty after deletes; every walk passes over empty leaves.
//
// Node cache: on a file opened exclusively nobody else writes the tag's blocks, so decoded
// nodes are kept after they leave the path (the most recently used ones, up to
// kCachedNodes) and the next descent takes them instead of reading and decoding the block
// again. A node is in the cache or on the path, never both, and goes to the cache only
// when it matches its block on disk: after it was written, or when it was not changed. A
// shared file is read from disk every time, since another handle may change it.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "dbf/cdxlayout.h"
#include "dbf/indexnode.h"
#include "dbf/indexsource.h"
#include "dbf/indextag.h"

namespace hb {

class TCdxFile;

class TCdxTag : public TIndexTag {
 public:
  // Decoded nodes kept per tag of a file opened exclusively: the upper levels and the
  // leaves where keys are being added, at most about 1.5 MB a tag.
  static constexpr size_t kCachedNodes = 512;

  // A tag whose header lies at headerOffset; ReadHeader or a build fills it in.
  TCdxTag(TCdxFile& file, std::string name, uint32_t headerOffset, bool directory = false);
  ~TCdxTag() override;

  // TIndexTag
  const std::string& Name() const override { return name_; }
  const std::string& KeyExpression() const override { return header_.KeyExpression; }
  const std::string& ForExpression() const override { return header_.ForExpression; }
  bool Unique() const override { return header_.Unique(); }
  bool Descending() const override { return header_.Descending; }
  TIndexKeyType KeyType() const override { return type_; }
  int KeyLength() const override { return header_.KeyLength; }
  uint32_t First() override;
  uint32_t Last() override;
  uint32_t Next() override;
  uint32_t Prev() override;
  uint32_t Seek(const TIndexKeyData& key, bool partial) override;
  bool FindKey(const TIndexKeyData& key) override;
  void SetRange(const TIndexKeyData& low, const TIndexKeyData& high, bool partialHigh) override;
  void ClearRange() override;
  bool HasRange() const override { return rangeSet_; }
  bool Bof() const override { return bof_; }
  bool Eof() const override { return eof_; }
  uint32_t RecNo() const override { return onKey_ ? current_.RecNo : 0; }
  const TIndexKeyData& CurrentKey() const override { return current_; }
  void ReleasePath() override;

  uint32_t HeaderOffset() const { return headerOffset_; }
  void SetHeaderOffset(uint32_t offset) { headerOffset_ = offset; }
  // Adds one to the header's change counter and writes the header.
  void AddToCounter(uint32_t start);
  const TCdxTagHeader& Header() const { return header_; }
  bool IsDirectory() const { return directory_; }

  // Reads and checks the header; raises "Index file %s is corrupted" when invalid.
  void ReadHeader();
  void WriteHeader();

  // Compiles the expressions against the key source and fixes the key type by evaluating
  // the key expression on the current record.
  void Bind();

  // Settings of a new tag; Build writes the header and the tree.
  void Define(const std::string& keyExpr, const std::string& forExpr, bool unique, bool descending);
  // Key type and length from the key expression on the current record (after Bind).
  void FixKeyFormat();
  // Bulk build from every record of the table (cdxbuild.cpp).
  void Build();
  // An empty directory: header and empty root leaf.
  void BuildEmptyDirectory();

  // The key of the current record (or its before-image); none when the FOR expression
  // does not hold.
  std::optional<TIndexKeyData> RecordKey(uint32_t recNo, bool beforeImage);

  // Tree updates; each returns whether the tree changed. Insert refuses a key that a
  // unique tag holds already.
  bool Insert(const TIndexKeyData& key);
  bool Delete(const TIndexKeyData& key);
  bool UpdateAfterAppend(uint32_t recNo);
  bool UpdateAfterRewrite(uint32_t recNo);

  // Every entry in tree order (directory reading, checks).
  std::vector<TIndexKeyData> AllKeys();

 private:
  // Decoded node images by block offset, least recently used dropped first. Taking an
  // image removes it; the list elements of taken images are kept for the next Put.
  class TNodeCache {
   public:
    bool Take(uint32_t offset, TCdxNodeImage& out);
    void Put(uint32_t offset, TCdxNodeImage&& image);
    void Clear();

   private:
    using TItem = std::pair<uint32_t, TCdxNodeImage>;
    std::list<TItem> items_;  // most recently used first
    std::list<TItem> spare_;
    std::unordered_map<uint32_t, std::list<TItem>::iterator> index_;
  };

  enum class TPos { None, BeforeFirst, On, AfterLast };
  using TPred = bool (*)(const TCdxEntry&, const TIndexKeyData&, bool);

  char Fill() const { return KeyFill(type_); }
  TIndexNode* Leaf() { return path_.empty() ? nullptr : path_.back().get(); }
  std::unique_ptr<TIndexNode> ReadNode(uint32_t offset, int level);
  void WriteNode(TIndexNode& node);
  void Retire(TIndexNode& node);
  bool Caching() const;
  void DropCache();
  bool InsertKey(const TIndexKeyData& key);
  bool DeleteKey(const TIndexKeyData& key);
  void WriteImage(uint32_t offset, const TCdxNodeImage& image);
  TCdxLeafLayout LayoutFor(const std::vector<TCdxEntry>& entries, int* bytes = nullptr);
  TCdxLeafLayout LayoutFor(const std::vector<TCdxEntry>& entries, int keyBytes, int* bytes);
  bool Fits(const TIndexNode& node);
  void PushChild(uint32_t offset);
  void LoadRoot();
  void Descend(TPred pred, const TIndexKeyData& target, bool partial, bool normalize);
  void DescendEdge(bool leftmost);
  bool AdvanceLeaf();
  bool RetreatLeaf();
  void TakeCurrent();
  bool Reposition();
  void CheckStep(const TIndexKeyData& from, bool forward);
  bool TreeFirst();
  bool TreeLast();
  bool TreeNext();
  bool TreePrev();
  bool AboveHigh(const std::string& key) const;
  bool BelowLow(const std::string& key) const;
  uint32_t Result(bool on);
  void SplitNode(int level);
  void RaiseCorrupt(int64_t offset, const std::string& what);
  TIndexKeyData Encode(const TIndexValue& value, uint32_t recNo);

  TCdxFile& file_;
  std::string name_;
  uint32_t headerOffset_;
  bool directory_;
  TCdxTagHeader header_;
  TIndexKeyType type_ = TIndexKeyType::Character;
  std::unique_ptr<TIndexExpression> keyExpr_;
  std::unique_ptr<TIndexExpression> forExpr_;

  std::vector<std::unique_ptr<TIndexNode>> path_;
  TNodeCache cache_;
  uint32_t cacheEpoch_ = 0;  // nodes read before the last DropCache stay out of the cache
  TPos pos_ = TPos::None;
  bool onKey_ = false;
  bool bof_ = false;
  bool eof_ = false;
  TIndexKeyData current_;

  bool flip_ = false;  // First works as Last
  bool rangeSet_ = false;
  bool partialHigh_ = false;
  std::string low_, high_;
};

}  // namespace hb
