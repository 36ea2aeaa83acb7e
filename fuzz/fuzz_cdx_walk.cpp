// Fuzz target: opening and walking a compound index file (.CDX).
//
// The input is the whole index file. It is opened (directory, tag headers, key and FOR
// expressions compiled against the key table), and every tag is walked from the first key
// forward and from the last key backward, each for a bounded number of steps, and its
// entries listed as the check of the table tool lists them.
#include <cstdint>

#include "fuzzcdx.h"

namespace {

constexpr int kMaxSteps = 4000;

void Walk(hb::TCdxTag& tag) {
  int n = 0;
  for (uint32_t r = tag.First(); r != 0 && n < kMaxSteps; r = tag.Next()) ++n;
  n = 0;
  for (uint32_t r = tag.Last(); r != 0 && n < kMaxSteps; r = tag.Prev()) ++n;
  tag.First();
  tag.Prev();
  tag.Last();
  tag.Next();
  tag.AllKeys();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hbfuzz::KeyTable();
  try {
    auto file = hbfuzz::OpenCdx(data, size);
    for (int i = 0; i < file->TagCount(); ++i) {
      try {
        Walk(*static_cast<hb::TCdxTag*>(file->Tag(i)));
      } catch (const hb::EDbfError&) {
      }
    }
    file->Directory().AllKeys();
    file->Flush();
  } catch (const hb::EDbfError&) {
  } catch (const hb::EMathError&) {
  }
  return 0;
}
