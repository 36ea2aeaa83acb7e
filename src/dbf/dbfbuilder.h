// Builders of new, empty tables in the three creation flavours.
//
//   Flavour             Builder       version (no memo / memo)  memo file
//   Clipper, DBaseIII   TDbfBuilder   0x03 / 0x83               ".DBT", dBase III layout
//   DBaseIV             TDb4Builder   0x03 / 0x8B               ".DBT", dBase IV layout
//   FoxPro2             TFoxBuilder   0x03 / 0xF5               ".fpt", FoxPro layout
//
// Fields are added as (name, type letter, decimals, width): the name is upper-cased and cut
// to 10 characters (an empty name is skipped), the type upper-cased; B, G and M get width
// 10 and make the table a memo table; C keeps its full width (low byte in the width byte,
// high byte in the decimals byte); D gets width 8 and L width 1. Finish writes the header
// (today's date, count 0, header and record length), the descriptors, 0x0D and 0x1A, and
// the empty memo file when the table has memo fields. An existing file is replaced.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbf/dbfcommon.h"
#include "dbf/dbftable.h"

namespace hb {

class TMemoFile;

class TDbfBuilder {
 public:
  // path: ".DBF" is added when it has no extension.
  explicit TDbfBuilder(const std::string& path);
  virtual ~TDbfBuilder() = default;

  void AddField(const std::string& name, char type, int decimals, int width);
  // Writes the table (and memo) files. Raises "Could not create file %s".
  void Finish();

  const std::string& Path() const { return path_; }
  const std::vector<TDbfFieldDef>& Fields() const { return fields_; }
  bool HasMemo() const { return hasMemo_; }

 protected:
  virtual uint8_t MemoVersion() const { return 0x83; }
  virtual std::string MemoExtension() const { return ".DBT"; }
  virtual std::unique_ptr<TMemoFile> NewMemo() const;

 private:
  std::string path_;
  std::vector<TDbfFieldDef> fields_;
  bool hasMemo_ = false;
};

class TDb4Builder : public TDbfBuilder {
 public:
  using TDbfBuilder::TDbfBuilder;

 protected:
  uint8_t MemoVersion() const override { return 0x8B; }
  std::unique_ptr<TMemoFile> NewMemo() const override;
};

class TFoxBuilder : public TDbfBuilder {
 public:
  using TDbfBuilder::TDbfBuilder;

 protected:
  uint8_t MemoVersion() const override { return 0xF5; }
  std::string MemoExtension() const override { return ".fpt"; }
  std::unique_ptr<TMemoFile> NewMemo() const override;
};

// The builder of a flavour.
std::unique_ptr<TDbfBuilder> MakeDbfBuilder(const std::string& path, TDbfTypes flavour);

}  // namespace hb
