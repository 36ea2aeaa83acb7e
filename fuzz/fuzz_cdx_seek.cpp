// Fuzz target: seeking in a compound index file (.CDX), with key ranges and key updates.
//
// Input: byte 0 is the length n of a script, the next n bytes the script, the rest the
// index file. The script is a list of operations, each an operation byte (low four bits
// the operation, high four bits the tag it works on) and a length byte followed by that
// many key bytes (at most 15). Keys are made for the tag's key type: character keys from
// the bytes, numeric and date keys from the bytes read as a number.
//
// Operations: exact seek, partial seek, find key and record, key range (the bytes split
// into low and high key), clear range, steps forward and backward, first, last, insert and
// delete of a key, release of the path (nodes written back) and flush of the file. Every
// tag is walked at the end, so that nodes written by the updates are read again.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzzcdx.h"

namespace {

constexpr int kMaxSteps = 4000;

hb::TIndexKeyData MakeKey(const hb::TCdxTag& tag, const std::string& bytes, uint32_t recNo) {
  if (tag.KeyType() == hb::TIndexKeyType::Character)
    return hb::TIndexKeyData::FromText(bytes, tag.KeyLength(), recNo);
  double v = 0;
  if (bytes.size() >= sizeof v) {
    std::memcpy(&v, bytes.data(), sizeof v);
  } else {
    int64_t n = 0;
    for (unsigned char c : bytes) n = n * 256 + c;
    v = static_cast<double>(n) - 1000;
  }
  if (tag.KeyType() == hb::TIndexKeyType::Date) return hb::TIndexKeyData::FromDate(v, recNo);
  return hb::TIndexKeyData::FromNumber(v, recNo);
}

void Run(hb::TCdxFile& file, const uint8_t* script, size_t length) {
  size_t i = 0;
  while (i + 2 <= length && file.TagCount() > 0) {
    uint8_t op = script[i];
    size_t n = script[i + 1] % 16;
    i += 2;
    n = std::min(n, length - i);
    std::string bytes(reinterpret_cast<const char*>(script + i), n);
    i += n;
    auto& tag = *static_cast<hb::TCdxTag*>(file.Tag((op >> 4) % file.TagCount()));
    uint32_t recNo = 1 + (n > 0 ? static_cast<uint8_t>(bytes[0]) : 0u);
    try {
      switch (op & 15) {
        case 0:
          tag.Seek(MakeKey(tag, bytes, 0), false);
          break;
        case 1:
          tag.Seek(MakeKey(tag, bytes, 0), true);
          break;
        case 2:
          tag.FindKey(MakeKey(tag, bytes, recNo));
          break;
        case 3:
          tag.SetRange(MakeKey(tag, bytes.substr(0, n / 2), 0), MakeKey(tag, bytes.substr(n / 2), 0),
                       n % 2 == 1);
          break;
        case 4:
          tag.ClearRange();
          break;
        case 5:
          for (int k = 0; k < 3; ++k) tag.Next();
          break;
        case 6:
          for (int k = 0; k < 3; ++k) tag.Prev();
          break;
        case 7:
          tag.First();
          break;
        case 8:
          tag.Last();
          break;
        case 9:
        case 13:
          tag.Insert(MakeKey(tag, bytes, recNo));
          break;
        case 10:
          tag.Delete(MakeKey(tag, bytes, recNo));
          break;
        case 11:
          tag.ReleasePath();
          break;
        case 12:
          file.Flush();
          break;
        default:
          tag.Seek(MakeKey(tag, bytes, 0), true);
          tag.Next();
      }
    } catch (const hb::EDbfError&) {
    }
  }
  for (int t = 0; t < file.TagCount(); ++t) {
    try {
      auto& tag = *static_cast<hb::TCdxTag*>(file.Tag(t));
      tag.ClearRange();
      int k = 0;
      for (uint32_t r = tag.First(); r != 0 && k < kMaxSteps; r = tag.Next()) ++k;
    } catch (const hb::EDbfError&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  hbfuzz::KeyTable();
  size_t script = std::min<size_t>(data[0], size - 1);
  try {
    auto file = hbfuzz::OpenCdx(data + 1 + script, size - 1 - script);
    Run(*file, data + 1, script);
    file->Flush();
  } catch (const hb::EDbfError&) {
  } catch (const hb::EMathError&) {
  }
  return 0;
}
