#include "data/stamtables.h"

#include <QCursor>
#include <QGuiApplication>

#include "data/dmdbase.h"
#include "data/stamtypes.h"
#include "dbf/dbfdataset.h"

namespace hb {

TStamTables StamTables() {
  TdmDBase* dm = DmDBase();
  if (!dm) throw EStamListError("Stamgegevens: geen database geopend");
  return TStamTables{*dm, dm->tblStam, dm->tblAutor, dm->StamFilter()};
}

QString FieldText(const TDataSet& table, const char* name) {
  return table.FieldByName(name)->AsString();
}

void SetFieldTextValue(TDataSet& table, const char* name, const QString& value) {
  table.FieldByName(name)->SetAsString(value);
}

TTagKeeper::TTagKeeper(TDbfDataSet& table, const QString& tag)
    : table_(table), previous_(table.IndexName()) {
  table.SetIndexName(tag);
}

TTagKeeper::~TTagKeeper() {
  try {
    if (table_.Active() && table_.IndexName().compare(previous_, Qt::CaseInsensitive) != 0)
      table_.SetIndexName(previous_);
  } catch (const std::exception&) {
  }
}

TControlsSuspender::TControlsSuspender(TDataSet& table) : table_(table) {
  table.DisableControls();
}

TControlsSuspender::~TControlsSuspender() {
  table_.EnableControls();
}

THourglass::THourglass() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    set_ = true;
  }
}

THourglass::~THourglass() {
  if (set_) QGuiApplication::restoreOverrideCursor();
}

void ReopenTable(TDbfDataSet& table) {
  table.Close();
  table.Open();
}

}  // namespace hb
