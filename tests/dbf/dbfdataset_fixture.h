// A small people table for the dataset tests: PEOPLE.DBF (FoxPro, with memo) and PEOPLE.CDX
// with the tags NAME (NAME) and TYPENAME (TYPE+NAME), in a temporary folder.
//
//   rec  NAME   TYPE AGE  DAYS        PRICE  BORN       ACTIVE NOTE
//   1    Cor    K    40   1000        1.50   1984-03-01 T      "eerste"
//   2    Anna   M    30   2000        2.50   (blank)    F      (none)
//   3    Bert   K    50   3000        3.50   "00000000" T      (none)
//   4    Dirk   M    20   (blank)     (blank) 2001-12-31 (blank) (none)
//   5    Els    K    60   5000        5.50   1970-01-01 F      "laatste"
#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <stdexcept>
#include <string>

#include "dbf/dbfbuilder.h"
#include "dbf/dbfhandler.h"
#include "platform/field.h"

namespace hbtest {

// The message of what f raises: a dataset error's text, an engine error's, or empty.
inline QString ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const hb::EDatabaseError& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return QString::fromStdString(e.what());
  }
  return QString();
}

struct TPeopleTable {
  QTemporaryDir dir;
  QString folder;  // with a trailing separator
  std::string dbf, cdx;

  TPeopleTable() {
    folder = dir.path() + "/";
    dbf = (folder + "PEOPLE.DBF").toStdString();
    cdx = (folder + "PEOPLE.CDX").toStdString();
    auto b = hb::MakeDbfBuilder(dbf, hb::TDbfTypes::FoxPro2);
    b->AddField("NAME", 'C', 0, 10);
    b->AddField("TYPE", 'C', 0, 1);
    b->AddField("AGE", 'N', 0, 3);
    b->AddField("DAYS", 'N', 0, 10);
    b->AddField("PRICE", 'N', 2, 10);
    b->AddField("BORN", 'D', 0, 8);
    b->AddField("ACTIVE", 'L', 0, 1);
    b->AddField("NOTE", 'M', 0, 10);
    b->Finish();
    hb::TDbfHandler h;
    h.Open(dbf, false, true);
    struct TRow {
      const char *name, *type, *age, *days, *price, *born, *active, *note;
    };
    const TRow rows[] = {
        {"Cor", "K", "40", "1000", "1.50", "19840301", "T", "eerste"},
        {"Anna", "M", "30", "2000", "2.50", "", "F", ""},
        {"Bert", "K", "50", "3000", "3.50", "00000000", "T", ""},
        {"Dirk", "M", "20", "", "", "20011231", "", ""},
        {"Els", "K", "60", "5000", "5.50", "19700101", "F", "laatste"},
    };
    for (const TRow& r : rows) {
      h.BlankRecord();
      h.WriteRawByName("NAME", r.name);
      h.WriteRawByName("TYPE", r.type);
      h.WriteRawByName("AGE", r.age);
      h.WriteRawByName("DAYS", r.days);
      h.WriteRawByName("PRICE", r.price);
      h.WriteRawByName("BORN", r.born);
      h.WriteRawByName("ACTIVE", r.active);
      if (*r.note) h.WriteMemo(h.FindField("NOTE"), r.note);
      h.AppendRecord();
    }
    h.CreateIndexTag(cdx, "NAME", 0, true, "", "NAME");
    h.CreateIndexTag(cdx, "TYPENAME", 0, true, "", "TYPE+NAME");
  }
};

}  // namespace hbtest
