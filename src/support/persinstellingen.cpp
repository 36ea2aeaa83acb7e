#include "support/persinstellingen.h"

#include "platform/inifile.h"
#include "util/pathcontext.h"

namespace hb {

namespace {

TPersInstellingen*& Instance() {
  static TPersInstellingen* instance = nullptr;
  return instance;
}

}  // namespace

TPersInstellingen* PersInstellingen() {
  return Instance();
}
void SetPersInstellingen(TPersInstellingen* instance) {
  Instance() = instance;
}

TPersInstellingen::TPersInstellingen() = default;
TPersInstellingen::TPersInstellingen(TIniFile& ini) : ini_(&ini) {}

TIniFile& TPersInstellingen::Ini() {
  return ini_ ? *ini_ : SecondIni();
}

void TPersInstellingen::SetDefaultColors() {
  ActionColor = clWhite;
  FontColor = clBlack;
  TempColor = clSilver;
  WorkColor = clBlue;
  RestColor = clNavy;
  GridColor = clSilver;
}

void TPersInstellingen::Load() {
  ActionColor = Ini().ReadInteger("Colors", "action", clWhite);
  FontColor = Ini().ReadInteger("Colors", "font", clBlack);
  TempColor = Ini().ReadInteger("Colors", "temp", clSilver);
  WorkColor = Ini().ReadInteger("Colors", "work", clBlue);
  RestColor = Ini().ReadInteger("Colors", "rest", clNavy);
  GridColor = Ini().ReadInteger("Colors", "grid", clSilver);
  Hints = Ini().ReadBool("Grid", "Hints", true);
  LongNames = Ini().ReadBool("Grid", "longnames", true);
  Toolbar = Ini().ReadBool("Grid", "toolbar", true);
  FontSize = Ini().ReadInteger("Grid", "fontsize", 8);
  // A size the planner cannot draw is taken as the default.
  if (FontSize < 1 || FontSize > 200) FontSize = 8;
  FontName = Ini().ReadString("Grid", "fontname", "Arial");
  if (FontName.isEmpty()) FontName = "Arial";
  WarnOverlap = Ini().ReadBool("Options", "warnoverlap", true);
  WarnDelete = Ini().ReadBool("Options", "warndelete", true);
  CopyWerkz = Ini().ReadBool("Options", "copywerkz", false);
  RightClickEdit = Ini().ReadBool("Options", "rightclickedit", false);
}

void TPersInstellingen::Save() {
  // Every write ignores its result: a read-only personal ini keeps the values of this run.
  Ini().WriteInteger("Colors", "action", ActionColor);
  Ini().WriteInteger("Colors", "font", FontColor);
  Ini().WriteInteger("Colors", "temp", TempColor);
  Ini().WriteInteger("Colors", "work", WorkColor);
  Ini().WriteInteger("Colors", "rest", RestColor);
  Ini().WriteInteger("Colors", "grid", GridColor);
  Ini().WriteBool("Options", "warnoverlap", WarnOverlap);
  Ini().WriteBool("Options", "warndelete", WarnDelete);
  Ini().WriteBool("Options", "copywerkz", CopyWerkz);
  Ini().WriteBool("Options", "rightclickedit", RightClickEdit);
  Ini().WriteBool("Grid", "longnames", LongNames);
  Ini().WriteInteger("Grid", "fontsize", FontSize);
  Ini().WriteString("Grid", "fontname", FontName);
}

void TPersInstellingen::SetHints(bool value) {
  if (value == Hints) return;
  Hints = value;
  Ini().WriteBool("Grid", "Hints", value);
}

void TPersInstellingen::SetLongNames(bool value) {
  if (value == LongNames) return;
  LongNames = value;
  Ini().WriteBool("Grid", "longnames", value);
}

void TPersInstellingen::SetToolbar(bool value) {
  if (value == Toolbar) return;
  Toolbar = value;
  Ini().WriteBool("Grid", "toolbar", value);
}

}  // namespace hb
