#include "timereg/actielist.h"

#include <QCoreApplication>
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "data/dmdbase.h"
#include "data/stamlists.h"
#include "data/vrtdbfdataset.h"
#include "dbf/dbfcommon.h"
#include "dbf/dbfdataset.h"
#include "timereg/mainobj.h"
#include "util/conversions.h"
#include "util/formats.h"
#include "util/log.h"
#include "util/messages.h"
#include "util/textfuncs.h"

namespace hb {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("TActieList", text); }

// Epoch seconds of a moment as START and STOP store them.
qint64 EpochSeconds(double moment) { return DateTimeToStamp(moment).trimmed().toLongLong(); }

// The errors that the week load answers with reopening the table: the table layer's and the
// engine's errors, and range errors.
template <class F>
bool CatchLoadError(F&& work, QString& error) {
  try {
    work();
    return true;
  } catch (const EDatabaseError& e) {
    error = e.Message();
  } catch (const EDbfError& e) {
    error = QString::fromLocal8Bit(e.what());
  } catch (const std::range_error& e) {
    error = QString::fromLocal8Bit(e.what());
  } catch (const std::out_of_range& e) {
    error = QString::fromLocal8Bit(e.what());
  }
  return false;
}

}  // namespace

TActieList::~TActieList() = default;

int TActieList::Add(std::unique_ptr<TActieRec> record) {
  items_.push_back(std::move(record));
  return Count() - 1;
}

int TActieList::IndexOf(const TActieRec* record) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == record) return static_cast<int>(i);
  return -1;
}

std::unique_ptr<TActieRec> TActieList::Extract(const TActieRec* record) {
  const int i = IndexOf(record);
  if (i < 0) return nullptr;
  std::unique_ptr<TActieRec> out = std::move(items_[static_cast<size_t>(i)]);
  items_.erase(items_.begin() + i);
  return out;
}

void TActieList::Delete(int index) { items_.erase(items_.begin() + index); }

void TActieList::Clear() { items_.clear(); }

// ---- loading

void TActieList::GetActieList(double from, double to) {
  TdmDBase* dm = DmDBase();
  if (!dm) {
    Clear();
    return;
  }
  GetActieList(dm->tblUren, CurrentMedewerker(), from, to);
}

void TActieList::GetActieList(TDbfDataSet& table, const TStamObj& employee, double from,
                              double to) {
  ReadActieDebugSettings();
  // The list never keeps another week's records, also not for a week before 1995 that
  // cannot hold any.
  Clear();
  const qint64 fromSec = EpochSeconds(from);
  const qint64 toSec = EpochSeconds(to);
  if (fromSec < 0 || toSec < 0) return;

  const QString idText = TdmDBase::IdText(employee.ID);
  QString error;
  const bool ok = CatchLoadError(
      [&] {
        try {
          if (table.IndexName().compare("TIJD", Qt::CaseInsensitive) != 0)
            table.SetIndexName("TIJD");
          table.Find(idText + DateTimeToStamp(from), false, true);
        } catch (const EDatabaseError&) {
          throw;
        } catch (const EDbfError&) {
          throw;
        } catch (const std::range_error&) {
          throw;
        } catch (const std::out_of_range&) {
          throw;
        } catch (const std::exception&) {
          // Other errors of positioning leave the table where it stands; the stop rules
          // below keep the load to this employee and week.
        }
        // The fields are found once; a deletion or a question may reopen the table, after
        // which they are found again.
        std::optional<TActieFields> fields;
        while (!table.Eof()) {
          if (!fields) fields.emplace(table);
          if (fields->Medewerker->AsString().trimmed() != idText) break;
          const qint64 start = fields->Start->AsString().trimmed().toLongLong();
          if (start < fromSec || start > toSec) break;
          if (table.RecordIsDeleted()) {
            table.Next();
            continue;
          }
          auto record = std::make_unique<TActieRec>();
          // An invalid row has been deleted; the table stands on the row after it.
          if (!record->GetActieRec(table, *fields)) {
            fields.reset();
            continue;
          }
          if (!HasNoOverlap(*record)) {
            fields.reset();
            if (record->AskDeleteConflict()) {
              DeleteHourRow(table);
              continue;
            }
          }
          Add(std::move(record));
          table.Next();
        }
      },
      error);
  if (ok) return;

  try {
    table.Close();
    table.Open();
    table.SetKeyRange(QString(), QString());
  } catch (const std::exception& e) {
    Log("GetActieList: " + ExceptionText(e));
  }
  Log(SafeFormat("GetActieList: Exception \"%s\" (Medewerker=%s, Begindatum=%s)",
                 {error, employee.Naam, DateText(from)}));
  ShowWarning(Tr("Er is iets fout gegaan tijdens het ophalen van de uren boekingen.") + "\n" +
              Tr("Dit is op te lossen door ") + "\"" +
              Tr("Beheer; Bestandsonderhoud; Optimaliseren") + "\"" + Tr(" uit te voeren."));
}

// ---- periods

TPeriodList TActieList::Periods() const {
  TPeriodList periods;
  periods.reserve(Count());
  for (const auto& r : items_) periods << r->Period();
  return periods;
}

bool TActieList::HasNoOverlap(const TActieRec& record) const {
  return std::none_of(items_.begin(), items_.end(), [&](const auto& r) {
    return r.get() != &record && record.Overlaps(*r);
  });
}

double TActieList::LatestStop() const { return hb::LatestStop(Periods()); }

QStringList TActieList::SortedKeys() const { return hb::SortedKeys(Periods()); }

bool TActieList::IsPeriodFree(int ignore, double stop, double start) const {
  return hb::IsPeriodFree(Periods(), ignore, stop, start);
}

double TActieList::NextFreeMoment(double moment) const {
  return hb::NextFreeMoment(Periods(), MainObj(), moment);
}

}  // namespace hb
