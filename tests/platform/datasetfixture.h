// A small table of people for the dataset tests, and an event recorder.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>

#include "platform/datasetmem.h"

namespace hbtest {

// NAAM string(10), AANTAL integer, BEDRAG float, DATUM date, ACTIEF boolean;
// rows Ann 1, Bob 2, Cor 3, Dirk 4, Eva 5 (BEDRAG = AANTAL * 1.5, DATUM 1-1-2024 + AANTAL).
inline void DefinePeople(hb::TMemDataSet& t) {
  using hb::TFieldType;
  t.FieldDefs().Add("NAAM", TFieldType::ftString, 10);
  t.FieldDefs().Add("AANTAL", TFieldType::ftInteger);
  t.FieldDefs().Add("BEDRAG", TFieldType::ftFloat);
  t.FieldDefs().Add("DATUM", TFieldType::ftDate);
  t.FieldDefs().Add("ACTIEF", TFieldType::ftBoolean);
  const char* names[] = {"Ann", "Bob", "Cor", "Dirk", "Eva"};
  for (int i = 0; i < 5; ++i)
    t.AddRow({names[i], i + 1, (i + 1) * 1.5, 45292.0 + i + 1, i % 2 == 0});
}

// Names of all visible records in order, read by walking (moves the dataset).
inline QStringList Names(hb::TDataSet& t) {
  QStringList names;
  for (t.First(); !t.Eof(); t.Next()) names << t.FieldByName("NAAM")->AsString();
  return names;
}

// Records the dataset's events as short names ("BeforePost", "AfterScroll", ...).
class TEventLog {
 public:
  explicit TEventLog(hb::TDataSet& t) {
    auto hook = [this](hb::TDataSet::TDataSetNotifyEvent& e, const char* name) {
      e = [this, name](hb::TDataSet&) { log << name; };
    };
    hook(t.BeforeOpen, "BeforeOpen");
    hook(t.AfterOpen, "AfterOpen");
    hook(t.BeforeClose, "BeforeClose");
    hook(t.AfterClose, "AfterClose");
    hook(t.BeforeInsert, "BeforeInsert");
    hook(t.AfterInsert, "AfterInsert");
    hook(t.BeforeEdit, "BeforeEdit");
    hook(t.AfterEdit, "AfterEdit");
    hook(t.BeforePost, "BeforePost");
    hook(t.AfterPost, "AfterPost");
    hook(t.BeforeCancel, "BeforeCancel");
    hook(t.AfterCancel, "AfterCancel");
    hook(t.BeforeDelete, "BeforeDelete");
    hook(t.AfterDelete, "AfterDelete");
    hook(t.BeforeScroll, "BeforeScroll");
    hook(t.AfterScroll, "AfterScroll");
    hook(t.OnNewRecord, "OnNewRecord");
  }
  QStringList log;
};

// Runs f and expects an EDatabaseError with exactly this message.
template <typename F>
void ExpectDbError(F&& f, const QString& message) {
  try {
    f();
    ADD_FAILURE() << "no error, expected: " << message.toStdString();
  } catch (const hb::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

}  // namespace hbtest
