// One node of an index tree held in memory.
//
// A tag keeps only the nodes on the path from its root to the current key, one node per
// level; each node knows its place in the file, its level on the path (0 is the root), the
// entry the path goes through, and its neighbours on the path. A node that was changed is
// written back before it is released (and may then go to the tag's node cache).
#pragma once

#include <cstdint>

#include "dbf/cdxlayout.h"

namespace hb {

class TIndexNode {
 public:
  uint32_t Offset = 0;
  int Level = 0;
  TCdxNodeImage Image;
  int Current = 0;  // entry on the path; Count() when past the node's last entry
  bool Changed = false;
  uint32_t Epoch = 0;  // the tag's cache generation when the node was read
  TIndexNode* Parent = nullptr;
  TIndexNode* Child = nullptr;

  bool IsLeaf() const { return Image.Leaf; }
  int Count() const { return static_cast<int>(Image.Entries.size()); }
  TCdxEntry& Entry(int i) { return Image.Entries[static_cast<size_t>(i)]; }
  const TCdxEntry& Entry(int i) const { return Image.Entries[static_cast<size_t>(i)]; }
};

}  // namespace hb
