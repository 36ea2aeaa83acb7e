#include "dbf/exprdbf.h"

#include <charconv>

#include "dbf/memofile.h"

namespace hb {

namespace {

std::vector<TExpFieldDef> FieldDefs(const TDbfTable& table) {
  std::vector<TExpFieldDef> defs;
  for (const TDbfFieldDef& f : table.Fields())
    defs.push_back({f.Name, f.Type, f.Offset, f.Width, f.Decimals});
  return defs;
}

}  // namespace

TExpDbfLink::TExpDbfLink(TDbfFields& table)
    : TExpRecordLink(table.Alias(), FieldDefs(table), table.FilePath()), table_(table) {}

std::string TExpDbfLink::ReadMemo(int field, std::string_view block) {
  const std::string_view digits = TrimBlanks(block);
  uint32_t number = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (ec != std::errc() || end != digits.data() + digits.size() || number == 0) return {};
  TMemoFile* memo = table_.Memo();
  return memo ? memo->Read(number) : std::string();
}

}  // namespace hb
