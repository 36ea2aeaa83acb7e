// The personal preferences of the user: planner colours and font, and behaviour switches.
//
//   TPersInstellingen prefs;                // on the personal ini (the second ini)
//   prefs.Load();
//   if (prefs.WarnDelete && !AskYesNo("Actie(s) wissen?", false)) return;
//   prefs.SetHints(false);                  // writes [Grid] Hints at once
//
// Colours are stored as decimal integers with red in the low byte, then green, then blue.
// Write errors are ignored: the values in memory stay in force for the run.
#pragma once

#include <QString>
#include <cstdint>

namespace hb {

class TIniFile;

// A colour as stored: 0x00BBGGRR (the planner's colour type).
using TColor = std::uint32_t;

constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;

class TPersInstellingen {
 public:
  // Works on the second ini of the path context as it is at each access, so that a personal
  // ini chosen again during the run is followed.
  TPersInstellingen();
  // Works on the given ini file (tests, tools).
  explicit TPersInstellingen(TIniFile& ini);

  // Reads every field from the personal ini, with the defaults for missing keys.
  void Load();
  // Writes the colours, the four [Options] switches, long names, font size and font name.
  // Hints and toolbar are written by their setters only.
  void Save();
  // The default colours, in memory only.
  void SetDefaultColors();

  // These store a changed value and write that key at once.
  void SetHints(bool value);
  void SetLongNames(bool value);
  void SetToolbar(bool value);

  TIniFile& Ini();

  TColor ActionColor = clWhite;  // [Colors] action: fill of time blocks
  TColor FontColor = clBlack;    // [Colors] font: text in time blocks
  TColor TempColor = clSilver;   // [Colors] temp: fill of provisional blocks
  TColor WorkColor = clBlue;     // [Colors] work: background inside working hours
  TColor RestColor = clNavy;     // [Colors] rest: background outside working hours
  TColor GridColor = clSilver;   // [Colors] grid: grid lines
  bool Hints = true;             // [Grid] Hints
  bool LongNames = true;         // [Grid] longnames
  bool Toolbar = true;           // [Grid] toolbar
  int FontSize = 8;              // [Grid] fontsize
  QString FontName = "Arial";    // [Grid] fontname
  bool WarnOverlap = true;       // [Options] warnoverlap
  bool WarnDelete = true;        // [Options] warndelete
  bool CopyWerkz = false;        // [Options] copywerkz
  bool RightClickEdit = false;   // [Options] rightclickedit

 private:
  TIniFile* ini_ = nullptr;
};

// The process-wide preferences, installed by the start-up for the run; nullptr before.
TPersInstellingen* PersInstellingen();
void SetPersInstellingen(TPersInstellingen* instance);

}  // namespace hb
