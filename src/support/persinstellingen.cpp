#include "support/persinstellingen.h"

#include "platform/inifile.h"

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

TPersInstellingen::TPersInstellingen(TIniFile& ini) : ini_(ini) {}

void TPersInstellingen::SetDefaultColors() {
  ActionColor = clWhite;
  FontColor = clBlack;
  TempColor = clSilver;
  WorkColor = clBlue;
  RestColor = clNavy;
  GridColor = clSilver;
}

void TPersInstellingen::Load() {
  ActionColor = ini_.ReadInteger("Colors", "action", clWhite);
  FontColor = ini_.ReadInteger("Colors", "font", clBlack);
  TempColor = ini_.ReadInteger("Colors", "temp", clSilver);
  WorkColor = ini_.ReadInteger("Colors", "work", clBlue);
  RestColor = ini_.ReadInteger("Colors", "rest", clNavy);
  GridColor = ini_.ReadInteger("Colors", "grid", clSilver);
  Hints = ini_.ReadBool("Grid", "Hints", true);
  LongNames = ini_.ReadBool("Grid", "longnames", true);
  Toolbar = ini_.ReadBool("Grid", "toolbar", true);
  FontSize = ini_.ReadInteger("Grid", "fontsize", 8);
  // A size the planner cannot draw is taken as the default.
  if (FontSize < 1 || FontSize > 200) FontSize = 8;
  FontName = ini_.ReadString("Grid", "fontname", "Arial");
  if (FontName.isEmpty()) FontName = "Arial";
  WarnOverlap = ini_.ReadBool("Options", "warnoverlap", true);
  WarnDelete = ini_.ReadBool("Options", "warndelete", true);
  CopyWerkz = ini_.ReadBool("Options", "copywerkz", false);
  RightClickEdit = ini_.ReadBool("Options", "rightclickedit", false);
}

void TPersInstellingen::Save() {
  // Every write ignores its result: a read-only personal ini keeps the values of this run.
  ini_.WriteInteger("Colors", "action", ActionColor);
  ini_.WriteInteger("Colors", "font", FontColor);
  ini_.WriteInteger("Colors", "temp", TempColor);
  ini_.WriteInteger("Colors", "work", WorkColor);
  ini_.WriteInteger("Colors", "rest", RestColor);
  ini_.WriteInteger("Colors", "grid", GridColor);
  ini_.WriteBool("Options", "warnoverlap", WarnOverlap);
  ini_.WriteBool("Options", "warndelete", WarnDelete);
  ini_.WriteBool("Options", "copywerkz", CopyWerkz);
  ini_.WriteBool("Options", "rightclickedit", RightClickEdit);
  ini_.WriteBool("Grid", "longnames", LongNames);
  ini_.WriteInteger("Grid", "fontsize", FontSize);
  ini_.WriteString("Grid", "fontname", FontName);
}

void TPersInstellingen::SetHints(bool value) {
  if (value == Hints) return;
  Hints = value;
  ini_.WriteBool("Grid", "Hints", value);
}

void TPersInstellingen::SetLongNames(bool value) {
  if (value == LongNames) return;
  LongNames = value;
  ini_.WriteBool("Grid", "longnames", value);
}

void TPersInstellingen::SetToolbar(bool value) {
  if (value == Toolbar) return;
  Toolbar = value;
  ini_.WriteBool("Grid", "toolbar", value);
}

}  // namespace hb
