#include "dbf/cdxtag.h"

#include <algorithm>
#include <functional>

#include "dbf/cdxfile.h"
#include "dbf/indexerror.h"
#include "dbf/keysort.h"

namespace hb {
namespace {

constexpr int kMaxDepth = 32;     // deeper paths can only come from a cycle in a damaged file
constexpr int kSplitBytes = 250;  // a leaf split moves the leading keys below this size

bool LowerKey(const TCdxEntry& e, const TIndexKeyData& t) {
  return CompareKeyBytes(e.Key, t.Key) >= 0;
}
bool LowerEntry(const TCdxEntry& e, const TIndexKeyData& t) {
  return CompareKeyEntries(e.Key, e.RecNo, t.Key, t.RecNo) >= 0;
}

}  // namespace

TCdxTag::TCdxTag(TCdxFile& file, std::string name, uint32_t headerOffset, bool directory)
    : file_(file), name_(std::move(name)), headerOffset_(headerOffset), directory_(directory) {
  if (directory_) {
    header_.KeyLength = kCdxDirKeyLength;
    header_.Options = kCdxOptDirectory;
  }
}

TCdxTag::~TCdxTag() {
  try {
    ReleasePath();
  } catch (...) {
    // A node that cannot be written back while the file closes is lost with the handle.
  }
}

void TCdxTag::RaiseCorrupt(int64_t offset, const std::string& what) {
  RaiseIndexCorrupt(file_.Path(), offset, what);
}

// ---- header ---------------------------------------------------------------------------

void TCdxTag::ReadHeader() {
  int64_t size = file_.FileSize();
  if (headerOffset_ % kCdxBlock != 0 || headerOffset_ + kCdxHeaderSize > size)
    RaiseCorrupt(headerOffset_, "tag header outside the file");
  uint8_t buf[kCdxHeaderSize];
  file_.Storage().ReadAt(headerOffset_, buf, sizeof buf);
  std::string err = DecodeTagHeader(buf, size, header_);
  if (!err.empty()) RaiseCorrupt(headerOffset_, err);
  if (directory_ && header_.KeyLength != kCdxDirKeyLength)
    RaiseCorrupt(headerOffset_, "directory key length " + std::to_string(header_.KeyLength));
}

void TCdxTag::WriteHeader() {
  uint8_t buf[kCdxHeaderSize];
  if (!EncodeTagHeader(header_, buf))
    RaiseIndexError("Key expression too long for index file %s", {file_.Path()});
  file_.Storage().WriteAt(headerOffset_, buf, sizeof buf);
}

void TCdxTag::AddToCounter(uint32_t start) {
  header_.Counter = start + 1;
  WriteHeader();
}

void TCdxTag::Define(const std::string& keyExpr, const std::string& forExpr, bool unique,
                     bool descending) {
  header_ = TCdxTagHeader();
  header_.Options = kCdxOptTag | (unique ? kCdxOptUnique : 0) | (forExpr.empty() ? 0 : kCdxOptFor);
  header_.Descending = descending;
  header_.KeyExpression = keyExpr;
  header_.ForExpression = forExpr;
  if (keyExpr.size() + forExpr.size() + 2 > 512)
    RaiseIndexError("Key expression too long for index file %s", {file_.Path()});
}

void TCdxTag::Bind() {
  if (directory_) return;
  TIndexKeySource* src = file_.Source();
  if (!src) return;
  keyExpr_ = src->Compile(header_.KeyExpression);
  forExpr_.reset();
  if (header_.HasFor() && !header_.ForExpression.empty())
    forExpr_ = src->Compile(header_.ForExpression);
  TIndexValue v = keyExpr_->Evaluate(false);
  switch (v.Kind) {
    case TIndexValueKind::Text:
      type_ = TIndexKeyType::Character;
      break;
    case TIndexValueKind::Number:
      type_ = TIndexKeyType::Numeric;
      break;
    case TIndexValueKind::Date:
      type_ = TIndexKeyType::Date;
      break;
    default:
      RaiseIndexError("Index key %s must give a text, number or date", {header_.KeyExpression});
  }
}

void TCdxTag::FixKeyFormat() {
  Bind();
  if (forExpr_ && forExpr_->Evaluate(false).Kind != TIndexValueKind::Logical)
    RaiseIndexError("FOR expression must return boolean result");
  if (type_ == TIndexKeyType::Character) {
    int len = keyExpr_ ? static_cast<int>(keyExpr_->Evaluate(false).Text.size()) : 0;
    TCdxSorter check(len, false);  // raises for a length the build cannot sort
    header_.KeyLength = len;
  } else {
    header_.KeyLength = 8;
  }
}

// ---- keys of records ------------------------------------------------------------------

TIndexKeyData TCdxTag::Encode(const TIndexValue& v, uint32_t recNo) {
  switch (type_) {
    case TIndexKeyType::Character:
      if (v.Kind != TIndexValueKind::Text) break;
      return TIndexKeyData::FromText(v.Text, header_.KeyLength, recNo);
    case TIndexKeyType::Numeric:
      if (v.Kind != TIndexValueKind::Number && v.Kind != TIndexValueKind::Date) break;
      return TIndexKeyData::FromNumber(v.Number, recNo);
    case TIndexKeyType::Date:
      if (v.Kind != TIndexValueKind::Number && v.Kind != TIndexValueKind::Date) break;
      return TIndexKeyData::FromDate(v.Number, recNo);
  }
  RaiseIndexError("Variant types mismatch for compare");
}

std::optional<TIndexKeyData> TCdxTag::RecordKey(uint32_t recNo, bool beforeImage) {
  if (!keyExpr_) RaiseIndexError("Cannot find index tag %s", {name_});
  if (forExpr_) {
    TIndexValue f = forExpr_->Evaluate(beforeImage);
    if (f.Kind != TIndexValueKind::Logical)
      RaiseIndexError("FOR expression must return boolean result");
    if (!f.Logical) return std::nullopt;
  }
  return Encode(keyExpr_->Evaluate(beforeImage), recNo);
}

// ---- nodes ----------------------------------------------------------------------------

std::unique_ptr<TIndexNode> TCdxTag::ReadNode(uint32_t offset, int level) {
  if (level > kMaxDepth) RaiseCorrupt(offset, "tree deeper than " + std::to_string(kMaxDepth));
  int64_t size = file_.FileSize();
  if (offset < kCdxHeaderSize || offset % kCdxBlock != 0 || offset + kCdxBlock > size)
    RaiseCorrupt(offset, "node outside the file");
  auto node = std::make_unique<TIndexNode>();
  node->Offset = offset;
  node->Level = level;
  node->Epoch = cacheEpoch_;
  if (Caching() && cache_.Take(offset, node->Image)) return node;
  uint8_t buf[kCdxBlock];
  file_.Storage().ReadAt(offset, buf, sizeof buf);
  std::string err = DecodeNode(buf, header_.KeyLength, Fill(), size, node->Image);
  if (!err.empty()) RaiseCorrupt(offset, err);
  return node;
}

// The layout a leaf is written with; bytes (when given) receives what its entries take in
// the key area with it. The stored key bytes do not depend on the layout, so they are
// counted once.
TCdxLeafLayout TCdxTag::LayoutFor(const std::vector<TCdxEntry>& entries, int* bytes) {
  return LayoutFor(entries, LeafKeyBytes(entries, header_.KeyLength, Fill()), bytes);
}

TCdxLeafLayout TCdxTag::LayoutFor(const std::vector<TCdxEntry>& entries, int keyBytes,
                                  int* bytes) {
  uint64_t maxRec = 0;
  for (const TCdxEntry& e : entries) maxRec = std::max<uint64_t>(maxRec, e.RecNo);
  uint64_t limit = directory_ ? static_cast<uint64_t>(file_.FileSize())
                              : (file_.Source() ? file_.Source()->RecordCount() : 0);
  int n = static_cast<int>(entries.size());
  TCdxLeafLayout l = LeafLayoutFor(header_.KeyLength, std::max(limit, maxRec), 2);
  if (n * l.EntrySize + keyBytes > kCdxLeafArea) {
    // The table grew past what this node's entries need; keep the node in one block.
    l = LeafLayoutFor(header_.KeyLength, maxRec, 2);
  }
  if (bytes) *bytes = n * l.EntrySize + keyBytes;
  return l;
}

bool TCdxTag::Fits(const TIndexNode& node) {
  if (!node.IsLeaf()) return node.Count() <= InteriorCapacity(header_.KeyLength);
  int bytes = 0;
  LayoutFor(node.Image.Entries, &bytes);
  return bytes <= kCdxLeafArea;
}

void TCdxTag::WriteImage(uint32_t offset, const TCdxNodeImage& image) {
  uint8_t buf[kCdxBlock];
  if (image.Leaf)
    EncodeLeaf(
        image, header_.KeyLength, Fill(),
        [&](int keyBytes) { return LayoutFor(image.Entries, keyBytes, nullptr); }, buf);
  else
    EncodeInterior(image, header_.KeyLength, Fill(), buf);
  file_.Storage().WriteAt(offset, buf, sizeof buf);
}

void TCdxTag::WriteNode(TIndexNode& node) {
  WriteImage(node.Offset, node.Image);
  node.Changed = false;
}

// ---- node cache -----------------------------------------------------------------------

bool TCdxTag::TNodeCache::Take(uint32_t offset, TCdxNodeImage& out) {
  auto it = index_.find(offset);
  if (it == index_.end()) return false;
  out = std::move(it->second->second);
  spare_.splice(spare_.begin(), items_, it->second);
  index_.erase(it);
  return true;
}

void TCdxTag::TNodeCache::Put(uint32_t offset, TCdxNodeImage&& image) {
  auto it = index_.find(offset);
  if (it != index_.end()) {
    it->second->second = std::move(image);
    items_.splice(items_.begin(), items_, it->second);
    return;
  }
  if (index_.size() >= kCachedNodes) {
    auto last = std::prev(items_.end());
    index_.erase(last->first);
    last->second = TCdxNodeImage();
    spare_.splice(spare_.begin(), items_, last);
  }
  if (spare_.empty()) spare_.emplace_front();
  items_.splice(items_.begin(), spare_, spare_.begin());
  items_.front().first = offset;
  items_.front().second = std::move(image);
  index_.emplace(offset, items_.begin());
}

void TCdxTag::TNodeCache::Clear() {
  index_.clear();
  items_.clear();
  spare_.clear();
}

bool TCdxTag::Caching() const {
  return !file_.Storage().Shared();
}

// A node leaving the path goes to the cache when it matches its block: the caller wrote it
// if it was changed. A node read before the last DropCache may hold a change that was
// never marked (an update broken off by an error), so it is let go.
void TCdxTag::Retire(TIndexNode& node) {
  if (!node.Changed && node.Epoch == cacheEpoch_ && Caching())
    cache_.Put(node.Offset, std::move(node.Image));
}

void TCdxTag::DropCache() {
  cache_.Clear();
  ++cacheEpoch_;
}

void TCdxTag::ReleasePath() {
  while (!path_.empty()) {
    TIndexNode& node = *path_.back();
    if (node.Changed) WriteNode(node);
    Retire(node);
    path_.pop_back();
  }
}

void TCdxTag::LoadRoot() {
  ReleasePath();
  if (!directory_) file_.RefreshIfChanged();
  path_.push_back(ReadNode(header_.Root, 0));
}

void TCdxTag::PushChild(uint32_t offset) {
  TIndexNode* parent = path_.back().get();
  auto node = ReadNode(offset, parent->Level + 1);
  node->Parent = parent;
  parent->Child = node.get();
  path_.push_back(std::move(node));
}

// Drops the nodes below level; release writes back changed ones and keeps them.
static void TruncatePath(std::vector<std::unique_ptr<TIndexNode>>& path, size_t keep,
                         const std::function<void(TIndexNode&)>& release) {
  while (path.size() > keep) {
    release(*path.back());
    path.pop_back();
  }
  if (!path.empty()) path.back()->Child = nullptr;
}

void TCdxTag::DescendEdge(bool leftmost) {
  for (;;) {
    TIndexNode* node = path_.back().get();
    if (node->IsLeaf()) {
      node->Current = leftmost ? 0 : node->Count() - 1;
      return;
    }
    node->Current = leftmost ? 0 : node->Count() - 1;
    PushChild(node->Entry(node->Current).Child);
  }
}

bool TCdxTag::AdvanceLeaf() {
  for (;;) {
    int lvl = static_cast<int>(path_.size()) - 2;
    while (lvl >= 0 && path_[lvl]->Current + 1 >= path_[lvl]->Count()) --lvl;
    if (lvl < 0) {
      Leaf()->Current = Leaf()->Count();
      return false;
    }
    ++path_[lvl]->Current;
    TruncatePath(path_, lvl + 1, [this](TIndexNode& n) {
      if (n.Changed) WriteNode(n);
      Retire(n);
    });
    PushChild(path_[lvl]->Entry(path_[lvl]->Current).Child);
    DescendEdge(true);
    if (Leaf()->Count() > 0) return true;
  }
}

bool TCdxTag::RetreatLeaf() {
  for (;;) {
    int lvl = static_cast<int>(path_.size()) - 2;
    while (lvl >= 0 && path_[lvl]->Current <= 0) --lvl;
    if (lvl < 0) {
      Leaf()->Current = -1;
      return false;
    }
    --path_[lvl]->Current;
    TruncatePath(path_, lvl + 1, [this](TIndexNode& n) {
      if (n.Changed) WriteNode(n);
      Retire(n);
    });
    PushChild(path_[lvl]->Entry(path_[lvl]->Current).Child);
    DescendEdge(false);
    if (Leaf()->Count() > 0) return true;
  }
}

void TCdxTag::TakeCurrent() {
  TIndexNode* leaf = Leaf();
  const TCdxEntry& e = leaf->Entry(leaf->Current);
  current_ = TIndexKeyData(e.Key, type_, e.RecNo);
  pos_ = TPos::On;
}

// Descends from a freshly read root to the first entry for which pred holds. With
// normalize the position moves on to the next leaf when the landing leaf has no such
// entry (see invariant (2)); without, the leaf's Current is the place to insert.
void TCdxTag::Descend(TPred pred, const TIndexKeyData& target, bool, bool normalize) {
  LoadRoot();
  for (;;) {
    TIndexNode* node = path_.back().get();
    int n = node->Count(), i = 0;
    while (i < n && !pred(node->Entry(i), target, false)) ++i;
    if (node->IsLeaf()) {
      node->Current = i;
      break;
    }
    node->Current = i < n ? i : n - 1;
    PushChild(node->Entry(node->Current).Child);
  }
  if (Leaf()->Current < Leaf()->Count()) {
    TakeCurrent();
  } else if (normalize && AdvanceLeaf()) {
    TakeCurrent();
  } else {
    pos_ = TPos::AfterLast;
  }
}

bool TCdxTag::Reposition() {
  TIndexKeyData target = current_;
  Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerEntry(e, t); }, target,
          false, true);
  return pos_ == TPos::On && current_.Key == target.Key && current_.RecNo == target.RecNo;
}

// Every step must move strictly forward (or backward) in key and record order; anything
// else means the links of the tree are damaged (a child reached twice, a cycle), and going
// on could walk the same keys forever.
void TCdxTag::CheckStep(const TIndexKeyData& from, bool forward) {
  int c = CompareKeyEntries(current_.Key, current_.RecNo, from.Key, from.RecNo);
  if (forward ? c <= 0 : c >= 0) RaiseCorrupt(Leaf()->Offset, "keys out of order");
}

bool TCdxTag::TreeFirst() {
  LoadRoot();
  DescendEdge(true);
  if (Leaf()->Count() > 0 || AdvanceLeaf()) {
    TakeCurrent();
    return true;
  }
  pos_ = TPos::AfterLast;
  return false;
}

bool TCdxTag::TreeLast() {
  LoadRoot();
  DescendEdge(false);
  if (Leaf()->Count() > 0 || RetreatLeaf()) {
    TakeCurrent();
    return true;
  }
  pos_ = TPos::BeforeFirst;
  return false;
}

bool TCdxTag::TreeNext() {
  if (pos_ == TPos::None || pos_ == TPos::BeforeFirst) return TreeFirst();
  if (pos_ == TPos::AfterLast) return false;
  if (path_.empty() && !Reposition()) return pos_ == TPos::On;
  TIndexKeyData from = current_;
  TIndexNode* leaf = Leaf();
  if (++leaf->Current < leaf->Count() || AdvanceLeaf()) {
    TakeCurrent();
    CheckStep(from, true);
    return true;
  }
  pos_ = TPos::AfterLast;
  return false;
}

bool TCdxTag::TreePrev() {
  if (pos_ == TPos::None || pos_ == TPos::AfterLast) return TreeLast();
  if (pos_ == TPos::BeforeFirst) return false;
  TIndexKeyData from = current_;
  if (path_.empty()) Reposition();  // on the entry, on its successor, or past the end
  TIndexNode* leaf = Leaf();
  if (--leaf->Current >= 0 || RetreatLeaf()) {
    TakeCurrent();
    CheckStep(from, false);
    return true;
  }
  pos_ = TPos::BeforeFirst;
  return false;
}

// ---- navigation in tag order ----------------------------------------------------------

bool TCdxTag::AboveHigh(const std::string& key) const {
  if (!rangeSet_ || high_.empty() || CompareKeyBytes(key, high_) <= 0) return false;
  return !(partialHigh_ && KeyMatches(key, high_, true));
}

bool TCdxTag::BelowLow(const std::string& key) const {
  return rangeSet_ && !low_.empty() && CompareKeyBytes(key, low_) < 0;
}

uint32_t TCdxTag::Result(bool on) {
  onKey_ = on;
  if (!on) return 0;
  bof_ = eof_ = false;
  return current_.RecNo;
}

uint32_t TCdxTag::First() {
  bool on;
  if (Descending() == flip_) {
    if (rangeSet_ && !low_.empty()) {
      Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerKey(e, t); },
              TIndexKeyData(low_, type_), false, true);
      on = pos_ == TPos::On;
    } else {
      on = TreeFirst();
    }
    on = on && !AboveHigh(current_.Key);
  } else {
    if (rangeSet_ && !high_.empty()) {
      // The first entry above the high key, then one back.
      LoadRoot();
      std::string high = high_;
      bool partial = partialHigh_;
      for (;;) {
        TIndexNode* node = path_.back().get();
        int n = node->Count(), i = 0;
        auto above = [&](const TCdxEntry& e) {
          return CompareKeyBytes(e.Key, high) > 0 && !(partial && KeyMatches(e.Key, high, true));
        };
        while (i < n && !above(node->Entry(i))) ++i;
        node->Current = node->IsLeaf() ? i : (i < n ? i : n - 1);
        if (node->IsLeaf()) break;
        PushChild(node->Entry(node->Current).Child);
      }
      if (Leaf()->Current < Leaf()->Count()) {
        TakeCurrent();
      } else if (AdvanceLeaf()) {
        TakeCurrent();
      } else {
        pos_ = TPos::AfterLast;
      }
      on = TreePrev();
    } else {
      on = TreeLast();
    }
    on = on && !BelowLow(current_.Key);
  }
  if (!on) {
    bof_ = eof_ = true;
    onKey_ = false;
    return 0;
  }
  return Result(true);
}

uint32_t TCdxTag::Last() {
  // Last in tag order is first in the reversed order.
  flip_ = true;
  uint32_t r;
  try {
    r = First();
  } catch (...) {
    flip_ = false;
    throw;
  }
  flip_ = false;
  return r;
}

uint32_t TCdxTag::Next() {
  if (pos_ == TPos::None) return First();
  bool on = Descending() ? TreePrev() : TreeNext();
  if (on) on = Descending() ? !BelowLow(current_.Key) : !AboveHigh(current_.Key);
  if (!on) {
    eof_ = true;
    bof_ = false;
    onKey_ = false;
    return 0;
  }
  return Result(true);
}

uint32_t TCdxTag::Prev() {
  if (pos_ == TPos::None) return Last();
  bool on = Descending() ? TreeNext() : TreePrev();
  if (on) on = Descending() ? !AboveHigh(current_.Key) : !BelowLow(current_.Key);
  if (!on) {
    bof_ = true;
    eof_ = false;
    onKey_ = false;
    return 0;
  }
  return Result(true);
}

uint32_t TCdxTag::Seek(const TIndexKeyData& key, bool partial) {
  CheckKeyTypes(type_, key.Type);
  TIndexKeyData search(TrimKey(key.Key, Fill()), type_);
  Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerKey(e, t); }, search,
          false, true);
  bof_ = eof_ = false;
  if (pos_ != TPos::On || AboveHigh(current_.Key)) {
    eof_ = true;
    onKey_ = false;
    return 0;
  }
  onKey_ = true;
  bool match = KeyMatches(current_.Key, search.Key, partial && type_ == TIndexKeyType::Character);
  return match && !BelowLow(current_.Key) ? current_.RecNo : 0;
}

bool TCdxTag::FindKey(const TIndexKeyData& key) {
  CheckKeyTypes(type_, key.Type);
  TIndexKeyData target(TrimKey(key.Key, Fill()), type_, key.RecNo);
  Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerEntry(e, t); }, target,
          false, true);
  bool found = pos_ == TPos::On && current_.Key == target.Key && current_.RecNo == target.RecNo;
  onKey_ = pos_ == TPos::On;
  bof_ = false;
  eof_ = pos_ != TPos::On;
  return found;
}

void TCdxTag::SetRange(const TIndexKeyData& low, const TIndexKeyData& high, bool partialHigh) {
  if (low.Key.empty() && high.Key.empty()) {
    ClearRange();
    return;
  }
  if (!low.Key.empty()) CheckKeyTypes(type_, low.Type);
  if (!high.Key.empty()) CheckKeyTypes(type_, high.Type);
  std::string lo = TrimKey(low.Key, Fill()), hi = TrimKey(high.Key, Fill());
  if (rangeSet_ && lo == low_ && hi == high_ && partialHigh == partialHigh_) return;
  rangeSet_ = true;
  low_ = lo;
  high_ = hi;
  partialHigh_ = partialHigh;
  First();
}

void TCdxTag::ClearRange() {
  rangeSet_ = false;
  low_.clear();
  high_.clear();
}

std::vector<TIndexKeyData> TCdxTag::AllKeys() {
  std::vector<TIndexKeyData> out;
  TPos pos = pos_;
  TIndexKeyData cur = current_;
  for (bool on = TreeFirst(); on; on = TreeNext()) out.push_back(current_);
  ReleasePath();
  pos_ = pos;
  current_ = cur;
  return out;
}

// ---- updates --------------------------------------------------------------------------

// An update broken off by an error may leave nodes on the path changed but not marked, or
// the cache ahead of the file; the cache starts again from the file.
bool TCdxTag::Insert(const TIndexKeyData& key) {
  try {
    return InsertKey(key);
  } catch (...) {
    DropCache();
    throw;
  }
}

bool TCdxTag::Delete(const TIndexKeyData& key) {
  try {
    return DeleteKey(key);
  } catch (...) {
    DropCache();
    throw;
  }
}

bool TCdxTag::InsertKey(const TIndexKeyData& key) {
  TPos pos = pos_;
  TIndexKeyData cur = current_;
  auto restore = [&] {
    ReleasePath();
    pos_ = pos;
    current_ = cur;
  };
  if (Unique()) {
    Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerKey(e, t); }, key,
            false, true);
    if (pos_ == TPos::On && current_.Key == key.Key) {
      restore();
      return false;
    }
  }
  Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerEntry(e, t); }, key,
          false, false);
  TIndexNode* leaf = Leaf();
  int at = leaf->Current;
  if (at < leaf->Count() && leaf->Entry(at).Key == key.Key && leaf->Entry(at).RecNo == key.RecNo) {
    restore();
    return false;
  }
  leaf->Image.Entries.insert(leaf->Image.Entries.begin() + at, TCdxEntry{key.Key, key.RecNo, 0});
  leaf->Changed = true;
  if (at == leaf->Count() - 1) {
    // A new highest key of the leaf raises the entries above it that it now exceeds.
    for (int lvl = static_cast<int>(path_.size()) - 2; lvl >= 0; --lvl) {
      TIndexNode& p = *path_[lvl];
      TCdxEntry& sep = p.Entry(p.Current);
      if (CompareKeyEntries(key.Key, key.RecNo, sep.Key, sep.RecNo) <= 0) break;
      sep.Key = key.Key;
      sep.RecNo = key.RecNo;
      p.Changed = true;
      if (p.Current != p.Count() - 1) break;
    }
  }
  if (!Fits(*leaf)) SplitNode(static_cast<int>(path_.size()) - 1);
  restore();
  return true;
}

bool TCdxTag::DeleteKey(const TIndexKeyData& key) {
  TPos pos = pos_;
  TIndexKeyData cur = current_;
  Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerEntry(e, t); }, key,
          false, false);
  TIndexNode* leaf = Leaf();
  int at = leaf->Current;
  bool found =
      at < leaf->Count() && leaf->Entry(at).Key == key.Key && leaf->Entry(at).RecNo == key.RecNo;
  if (found) {
    leaf->Image.Entries.erase(leaf->Image.Entries.begin() + at);
    leaf->Changed = true;
    if (!Fits(*leaf)) SplitNode(static_cast<int>(path_.size()) - 1);
  }
  ReleasePath();
  pos_ = pos;
  current_ = cur;
  return found;
}

void TCdxTag::SplitNode(int level) {
  TIndexNode& node = *path_[level];
  std::vector<TCdxEntry>& entries = node.Image.Entries;
  int n = node.Count(), k = 0;
  const int kl = header_.KeyLength;
  if (node.IsLeaf()) {
    TCdxLeafLayout l = LayoutFor(entries);
    static const std::string none;  // an lvalue, so that the previous key is not copied
    int run = 0;
    for (int i = 0; i < n; ++i) {
      int size = l.EntrySize +
                 LeafStoredBytes(i ? entries[i - 1].Key : none, entries[i].Key, kl, Fill(), i == 0);
      if (run + size >= kSplitBytes) break;
      run += size;
      ++k;
    }
    if (n < 2) return;  // one key always fits a leaf; nothing to split
    k = std::clamp(k, 1, n - 1);
    auto fits = [&](int from, int to) {
      std::vector<TCdxEntry> part(entries.begin() + from, entries.begin() + to);
      int bytes = 0;
      LayoutFor(part, &bytes);
      return bytes <= kCdxLeafArea;
    };
    while (k < n - 1 && !fits(k, n)) ++k;  // the remainder must fit in the old block
    while (k > 1 && !fits(0, k)) --k;
  } else {
    k = n - n / 2;
  }
  uint32_t newOffset = file_.Allocate(kCdxBlock);
  TCdxNodeImage left;
  left.Leaf = node.IsLeaf();
  left.Left = node.Image.Left;
  left.Right = static_cast<int32_t>(node.Offset);
  left.Entries.assign(entries.begin(), entries.begin() + k);
  entries.erase(entries.begin(), entries.begin() + k);
  if (node.Image.Left != kCdxNoNode) {
    auto neighbour = ReadNode(static_cast<uint32_t>(node.Image.Left), node.Level);
    neighbour->Image.Right = static_cast<int32_t>(newOffset);
    WriteNode(*neighbour);
    Retire(*neighbour);
  }
  node.Image.Left = static_cast<int32_t>(newOffset);
  node.Changed = true;
  TCdxEntry up{left.Entries.back().Key, left.Entries.back().RecNo, newOffset};
  WriteImage(newOffset, left);
  if (Caching()) cache_.Put(newOffset, std::move(left));
  if (level == 0) {
    uint32_t rootOffset = file_.Allocate(kCdxBlock);
    TCdxNodeImage root;
    root.Leaf = false;
    root.Root = true;
    root.Entries = {up, TCdxEntry{entries.back().Key, entries.back().RecNo, node.Offset}};
    node.Image.Root = false;
    WriteImage(rootOffset, root);
    if (Caching()) cache_.Put(rootOffset, std::move(root));
    header_.Root = rootOffset;
    WriteHeader();
    return;
  }
  TIndexNode& parent = *path_[level - 1];
  parent.Image.Entries.insert(parent.Image.Entries.begin() + parent.Current, up);
  ++parent.Current;
  parent.Changed = true;
  if (!Fits(parent)) SplitNode(level - 1);
}

bool TCdxTag::UpdateAfterAppend(uint32_t recNo) {
  std::optional<TIndexKeyData> key = RecordKey(recNo, false);
  return key && Insert(*key);
}

bool TCdxTag::UpdateAfterRewrite(uint32_t recNo) {
  if (!keyExpr_) RaiseIndexError("Cannot find index tag %s", {name_});
  bool holds = true;
  if (forExpr_) {
    TIndexValue f = forExpr_->Evaluate(false);
    if (f.Kind != TIndexValueKind::Logical)
      RaiseIndexError("FOR expression must return boolean result");
    holds = f.Logical;
  }
  TIndexKeyData now = Encode(keyExpr_->Evaluate(false), recNo);
  TIndexKeyData before = Encode(keyExpr_->Evaluate(true), recNo);
  bool changed = now.Key != before.Key;
  bool removed = false, inserted = false;
  if (changed || !holds) removed = Delete(before);
  if (holds && (changed || removed == false)) {
    // Without a key change the entry is only missing when it was not found: Delete above
    // ran only for a changed key or a lost FOR condition, so look it up when needed.
    if (changed) {
      inserted = Insert(now);
    } else {
      TPos pos = pos_;
      TIndexKeyData cur = current_;
      Descend([](const TCdxEntry& e, const TIndexKeyData& t, bool) { return LowerEntry(e, t); },
              now, false, true);
      bool present = pos_ == TPos::On && current_.Key == now.Key && current_.RecNo == recNo;
      ReleasePath();
      pos_ = pos;
      current_ = cur;
      if (!present) inserted = Insert(now);
    }
  }
  return removed || inserted;
}

}  // namespace hb
