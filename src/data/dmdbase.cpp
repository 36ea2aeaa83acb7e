#include "data/dmdbase.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSet>

#include "data/autorisatie.h"
#include "data/stamlists.h"
#include "data/termination.h"
#include "data/vrtmetadataset.h"
#include "platform/dialogservice.h"
#include "platform/folders.h"
#include "platform/osfile.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"
#include "util/log.h"
#include "util/messages.h"
#include "util/pathcontext.h"
#include "util/paths.h"
#include "util/textfuncs.h"

namespace hb {

namespace {

TdmDBase* current = nullptr;

// The hour record field and tag of a stam type number (1..4); empty for others.
struct TTypeUse {
  QChar letter;
  const char* field;
  const char* tag;
};
TTypeUse TypeUse(int type) {
  switch (type) {
    case 1:
      return {'M', "MEDEWERKER", "TIJD"};
    case 2:
      return {'K', "KLANT", "TIJDK"};
    case 3:
      return {'A', "ACTIVITEIT", "TIJDA"};
    case 4:
      return {'P', "PRODUCT", "TIJDP"};
    default:
      return {' ', "", ""};
  }
}

const char* FieldOfLetter(QChar letter) {
  switch (letter.toUpper().unicode()) {
    case 'M':
      return "MEDEWERKER";
    case 'K':
      return "KLANT";
    case 'A':
      return "ACTIVITEIT";
    case 'P':
      return "PRODUCT";
    default:
      return "";
  }
}

QString Text(const TDataSet& table, const char* field) {
  return table.FieldByName(field)->AsString();
}

void SetText(TDataSet& table, const char* field, const QString& value) {
  table.FieldByName(field)->SetAsString(value);
}

// Remembers a table's order and row and puts both back.
class TPlaceSaver {
 public:
  explicit TPlaceSaver(TDbfDataSet& table) : table_(table) {
    tag_ = table.IndexName();
    if (table.Active() && !table.IsEmpty()) recNo_ = table.RecNo();
  }
  ~TPlaceSaver() {
    try {
      if (!table_.Active()) return;
      table_.SetIndexName(tag_);
      if (recNo_ > 0) table_.SetRecNo(recNo_);
    } catch (const std::exception&) {
    }
  }

 private:
  TDbfDataSet& table_;
  QString tag_;
  int recNo_ = -1;
};

}  // namespace

TdmDBase* DmDBase() {
  return current;
}

QString TdmDBase::IdText(qint64 id) {
  return QString::number(id).rightJustified(10, '0');
}

qint64 TdmDBase::IdValue(const QString& text, qint64 def) {
  bool ok = false;
  const qint64 v = text.trimmed().toLongLong(&ok);
  return ok ? v : def;
}

TdmDBase::TdmDBase(TVrtDbfDataSet& vrt)
    : dsStam(&tblStam),
      dsAutor(&tblAutor),
      dsUren(&tblUren),
      vrt_(vrt),
      meta_(std::make_unique<TvrtMetaDataset>(vrt)),
      filter_(tblStam) {
  current = this;
  Clock = [] { return DateTimeToMoment(QDateTime::currentDateTime()); };
  tblStam.Name = "tblStam";
  tblStam.SetTableName("URSTAM.DBF");
  tblStam.SetTranslateASCII(false);
  tblAutor.Name = "tblAutor";
  tblAutor.SetTableName("URAUTOR.DBF");
  tblAutor.SetTranslateASCII(false);
  tblDummy.Name = "tblDummy";
  tblDummy.SetTranslateASCII(false);
  tblUren.Name = "tblUren";
  tblUren.SetTableName("URUREN.DBF");
  tblUren.SetTranslateASCII(true);

  tblStam.AfterOpen = [this](TDataSet&) {
    AfterOpenTable(tblStam, "TYPEID", "Fout tijdens openen index op stamtabel: ");
  };
  tblAutor.AfterOpen = [this](TDataSet&) {
    AfterOpenTable(tblAutor, "TYPMEDEW", "Fout tijdens openen index op autorisatietabel: ");
  };
  tblUren.AfterOpen = [this](TDataSet&) {
    AfterOpenTable(tblUren, "TIJD", "Fout tijdens openen index op urentabel: ");
  };
  tblStam.BeforeClose = [this](TDataSet&) {
    BeforeCloseTable(tblStam, "Fout bij sluiten tblStam: ");
  };
  tblAutor.BeforeClose = [this](TDataSet&) {
    BeforeCloseTable(tblAutor, "Fout bij sluiten tblAutor: ");
  };
  tblUren.BeforeClose = [this](TDataSet&) {
    BeforeCloseTable(tblUren, "Fout bij sluiten tblUren: ");
  };
  tblStam.AfterDelete = [this](TDataSet&) { AfterDeleteRow(tblStam); };
  tblAutor.AfterDelete = [this](TDataSet&) { AfterDeleteRow(tblAutor); };
  tblUren.AfterDelete = [this](TDataSet&) { AfterDeleteRow(tblUren); };
  tblStam.BeforeDelete = [](TDataSet& t) { t.Refresh(); };
  tblStam.BeforeInsert = [this](TDataSet& t) {
    t.DisableControls();
    try {
      AllocateId();
    } catch (...) {
      t.EnableControls();
      throw;
    }
    t.EnableControls();
  };
  tblStam.AfterInsert = [this](TDataSet& t) {
    SetText(t, "TYPE", QString(filter_.Letter()));
    if (Text(t, "ID").trimmed().isEmpty()) SetText(t, "ID", IdText(nextId_));
    if (Text(t, "OVERHEAD").trimmed().isEmpty()) SetText(t, "OVERHEAD", "F");
    if (Text(t, "TOEGANG").trimmed().isEmpty()) SetText(t, "TOEGANG", "F");
  };
}

TdmDBase::~TdmDBase() {
  // Shutdown: a pending master data edit is saved or dropped on the user's word.
  try {
    if (IsEditing(tblStam)) {
      if (Dialogs().Question(ProgramTitle(), " Huidige record Opslaan ?", true))
        tblStam.Post();
      else
        tblStam.Cancel();
    }
  } catch (const std::exception& e) {
    Log(ExceptionText(e));
    try {
      tblStam.Cancel();
    } catch (const std::exception&) {
    }
  }
  try {
    filter_.Reset();
    CloseTables();
  } catch (const std::exception& e) {
    Log(ExceptionText(e));
  }
  if (current == this) current = nullptr;
}

double TdmDBase::Now() const {
  return Clock ? Clock() : DateTimeToMoment(QDateTime::currentDateTime());
}

void TdmDBase::LogStatus() {
  for (const QString& text : meta_->Status) Log(text);
  meta_->Status.clear();
}

// ---- start

void TdmDBase::Start(const QStringList& arguments, const QString& loginName) {
  if (ApplicationTerminating()) return;
  loginName_ = loginName.trimmed().toUpper();
  meta_->SetDatabaseName(Paths().ProgramFolder);
  meta_->SetTableName(TvrtMetaDataset::MetaTableName(Paths().ProgramFolder, Paths().ProgramName));
  meta_->IniFileName = ProgramIni().FileName();
  meta_->Arguments = arguments;
  progress_ = nullptr;
  nextId_ = 1;

  // A first start puts the tables in "data" below the program folder.
  if (ProgramIni().ReadString("Paths", "Data").isEmpty()) {
    ProgramIni().WriteString("Paths", "Data", "data\\");
    if (!LookupPaths()) {
      RequestApplicationTermination();
      return;
    }
  }

  meta_->SetTablePath(Paths().DataFolder);
  CloseTables();
  meta_->CheckAndUpdate(false);
  LogStatus();

  try {
    OpenTables();
    if (ApplicationTerminating()) return;
    THBIniFile ini(ProgramIni().FileName());
    if (DailyReindexDue(ini) && Reindex(true)) {
      const QString now = DateTimeToStamp(Now()).trimmed();
      if (ini.ReadString("Options", "LastReindexStamp").trimmed() != now)
        ini.WriteString("Options", "LastReindexStamp", now);
      Log("Data reindexed");
    }
  } catch (const std::exception& e) {
    Log("Fout tijdens openen database: " + ExceptionText(e));
    Log("Geforceerde databasecontrole gestart");
    CloseTables();
    try {
      ForceStructureCheck();
    } catch (const std::exception& check) {
      LogAndShow(ExceptionText(check));
    }
    try {
      OpenTables();
    } catch (const std::exception& again) {
      Log(ExceptionText(again));
      LogAndShow(QCoreApplication::translate("dmDBase", "Database niet te openen (zie log)") +
                 "\n" + QCoreApplication::translate("dmDBase", "Programma gestopt."));
      CloseTables();
      RequestApplicationTermination();
    }
  }
}

bool TdmDBase::DailyReindexDue(const TIniFile& ini) const {
  if (!ini.ReadBool("Options", "ReindexOnFirstStartup", false)) return false;
  bool ok = false;
  qint64 last = ini.ReadString("Options", "LastReindexStamp").trimmed().toLongLong(&ok);
  if (!ok) last = 0;
  const qint64 now = DateTimeToStamp(Now()).trimmed().toLongLong();
  return now - last > 86399;
}

void TdmDBase::ForceStructureCheck() {
  meta_->ForceCheck();
  meta_->CheckAndUpdate(false);
  LogStatus();
}

void TdmDBase::ShowMetaBrowser() {
  meta_->ShowBrowser();
}

// ---- tables

void TdmDBase::OpenTables() {
  for (TDbfDataSet* table : {&tblStam, &tblAutor, &tblUren}) {
    table->Close();
    table->SetExclusive(true);
    table->SetDatabaseName(Paths().DataFolder);
    table->Open();
  }
  if (tblStam.RecordCount() == 0) CreateSampleData();
  IdentifyLoginEmployee();
}

void TdmDBase::CloseTables() {
  tblStam.Close();
  tblAutor.Close();
  tblUren.Close();
}

void TdmDBase::FlushTables() {
  for (TDbfDataSet* table : {&tblAutor, &tblStam, &tblUren})
    if (table->Active()) table->FlushTable();
}

bool TdmDBase::IsEditing(const TDataSet& table) {
  return table.State() == TDataSetState::dsEdit || table.State() == TDataSetState::dsInsert;
}

void TdmDBase::AfterOpenTable(TDbfDataSet& table, const QString& tag, const QString& error) {
  try {
    const QString base = QFileInfo(table.TableName()).completeBaseName();
    table.AddIndexFile(FindExistingFile(Paths().DataFolder + base + ".CDX"));
    table.SetIndexName(tag);
  } catch (const std::exception& e) {
    ShowWarning(error + ExceptionText(e));
  }
}

void TdmDBase::BeforeCloseTable(TDbfDataSet& table, const QString& error) {
  try {
    if (table.Active()) table.SetIndexFiles({});
  } catch (const std::exception& e) {
    Log(error + ExceptionText(e));
  }
}

void TdmDBase::AfterDeleteRow(TDbfDataSet& table) {
  // The table is reopened on its order and row, so that the deleted row is gone from view.
  const QString tag = table.IndexName();
  const int recNo = table.IsEmpty() ? -1 : table.RecNo();
  table.Close();
  table.Open();
  table.SetIndexName(tag);
  try {
    if (recNo > 0) table.SetRecNo(recNo);
  } catch (const std::exception&) {
  }
}

// ---- IDs

void TdmDBase::AllocateId() {
  const int recNo = tblStam.IsEmpty() ? -1 : tblStam.RecNo();
  filter_.Save();
  filter_.Reset();
  auto beforePost = tblStam.BeforePost;
  auto beforeInsert = tblStam.BeforeInsert;
  tblStam.BeforePost = nullptr;
  tblStam.BeforeInsert = nullptr;
  auto restore = [&] {
    tblStam.BeforePost = beforePost;
    tblStam.BeforeInsert = beforeInsert;
    filter_.Restore();
    try {
      if (recNo > 0) tblStam.SetRecNo(recNo);
    } catch (const std::exception&) {
    }
  };
  try {
    if (tblStam.Locate("TYPE", "I", loPartialKey)) {
      nextId_ = IdValue(Text(tblStam, "ID"), 0) + 1;
      tblStam.Edit();
      SetText(tblStam, "ID", IdText(nextId_));
      tblStam.Post();
    } else {
      Log("MaxID niet gevonden, wordt aangemaakt...");
      const int rows = qMax(1, tblStam.RecordCount());
      tblStam.Append();
      SetText(tblStam, "TYPE", "I");
      SetText(tblStam, "ID", IdText(rows));
      SetText(tblStam, "OBJECT", "MAXID");
      SetText(tblStam, "AFKORTING", "MXID");
      tblStam.Post();
      RecalcMaxId();
      qint64 highest = 0;
      bool items = false;
      for (tblStam.First(); !tblStam.Eof(); tblStam.Next()) {
        if (Text(tblStam, "TYPE") == "I") continue;
        items = true;
        highest = qMax(highest, IdValue(Text(tblStam, "ID"), 0));
      }
      if (items) {
        nextId_ = highest + 1;
        if (tblStam.Locate("TYPE", "I", loPartialKey)) {
          tblStam.Edit();
          SetText(tblStam, "ID", IdText(nextId_));
          tblStam.Post();
        }
      }
    }
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TdmDBase::RecalcMaxId() {
  filter_.Reset();
  nextId_ = 1;
  tblStam.DisableControls();
  try {
    for (tblStam.First(); !tblStam.Eof(); tblStam.Next()) {
      if (Text(tblStam, "TYPE") == "I") continue;
      nextId_ = qMax(nextId_, IdValue(Text(tblStam, "ID"), 0));
    }
  } catch (...) {
    tblStam.EnableControls();
    throw;
  }
  tblStam.EnableControls();
  if (!tblStam.Locate("TYPE", "I", loPartialKey)) {
    LogAndShow("MaxID niet gevonden!");
    return;
  }
  const qint64 stored = IdValue(Text(tblStam, "ID"), 0);
  if (stored < nextId_)
    LogAndShow(FormatText("foutief MaxID: %d, omgezet naar: %d", {stored, nextId_}));
  tblStam.Edit();
  SetText(tblStam, "ID", IdText(nextId_));
  SetText(tblStam, "OBJECT", "MAXID");
  SetText(tblStam, "AFKORTING", "MXID");
  tblStam.Post();
}

bool TdmDBase::RenumberDoubleIds() {
  filter_.Reset();
  bool any = false;
  bool again = true;
  while (again) {
    again = false;
    QSet<QString> seen;
    for (tblStam.First(); !tblStam.Eof(); tblStam.Next()) {
      if (Text(tblStam, "TYPE") == "I") continue;
      const QString id = Text(tblStam, "ID").trimmed();
      if (!seen.contains(id)) {
        seen.insert(id);
        continue;
      }
      const TBookmark row = tblStam.GetBookmark();
      const QString type = Text(tblStam, "TYPE"), object = Text(tblStam, "OBJECT");
      AllocateId();
      tblStam.GotoBookmark(row);
      tblStam.Edit();
      SetText(tblStam, "ID", IdText(nextId_));
      tblStam.Post();
      LogAndShow(FormatText("dubbel ID: %s %s %s, hernummerd naar: %s",
                            {id, type, object, IdText(nextId_)}));
      any = true;
      again = true;  // from the first row again, with an empty list
      break;
    }
  }
  return any;
}

void TdmDBase::CheckMultipleMaxID() {
  filter_.Reset();
  for (;;) {
    if (!tblStam.Locate("TYPE", "I", loPartialKey)) return;
    // Every MaxID row after the first one goes.
    bool found = false;
    for (tblStam.Next(); !tblStam.Eof(); tblStam.Next()) {
      if (Text(tblStam, "TYPE") == "I") {
        found = true;
        break;
      }
    }
    if (!found) return;
    LogAndShow("Meervoudige MaxID records gevonden! Controleer ook de stamgegevens!");
    tblStam.Delete();
  }
}

// ---- exclusive use and hour records of an item

bool TdmDBase::TryExclusive(TDbfDataSet& table) {
  // Held exclusively already: nothing to test. Held shared: closed for the test, which
  // the table's own handle would refuse otherwise, and reopened shared when refused.
  if (table.Active() && table.Exclusive()) return true;
  const bool wasActive = table.Active();
  table.Close();
  const QString path = AddBackslash(NativePath(table.DatabaseName().trimmed())) +
                       QFileInfo(table.TableName().trimmed()).completeBaseName() + ".DBF";
  TOsFile test;
  if (!test.Open(FindExistingFile(path).toStdString(), TShareMode::Exclusive, true)) {
    if (wasActive) {
      try {
        table.Open();
      } catch (const std::exception&) {
      }
    }
    return false;
  }
  test.Close();
  table.SetExclusive(true);
  try {
    table.Open();
  } catch (const std::exception&) {
    table.SetExclusive(false);
    try {
      table.Open();
    } catch (const std::exception&) {
    }
  }
  return true;
}

bool TdmDBase::IsStamUsed(int type, const QString& idText) {
  const TTypeUse use = TypeUse(type);
  if (use.letter == ' ') return false;
  try {
    TPlaceSaver place(tblUren);
    tblUren.SetIndexName(use.tag);
    if (tblUren.IsEmpty()) return false;
    tblUren.Find(idText, false, true);
    return !tblUren.Eof() && Text(tblUren, use.field) == idText.trimmed();
  } catch (const std::exception&) {
    return false;
  }
}

void TdmDBase::DeleteHoursOfStam(int type, const QString& idText) {
  const TTypeUse use = TypeUse(type);
  if (use.letter == ' ') return;
  try {
    Log(FormatText("Wissen uren met stamtype \"%s\"=%s", {QString(use.letter), idText}));
    int count = 0;
    {
      TPlaceSaver place(tblUren);
      for (;;) {
        // Sought afresh after every delete: the table is reopened by it.
        tblUren.SetIndexName(use.tag);
        if (tblUren.IsEmpty()) break;
        tblUren.Find(idText, false, true);
        if (tblUren.Eof() || Text(tblUren, use.field) != idText.trimmed()) break;
        tblUren.Delete();
        ++count;
      }
      tblUren.FlushTable();
    }
    Log(FormatText("Stamtype \"%s\", ID=%s: %d records verwijderd",
                   {QString(use.letter), idText, count}));
  } catch (const std::exception&) {
  }
}

bool TdmDBase::ItemMatches(QChar typeLetter, int id) {
  const char* field = FieldOfLetter(typeLetter);
  if (!*field || !tblUren.Active() || tblUren.IsEmpty()) return false;
  return IdValue(Text(tblUren, field), -1) == id;
}

// ---- maintenance used at start

bool TdmDBase::Reindex(bool quiet) {
  CloseTables();
  if (TryExclusive(tblUren)) {
    CloseTables();
    const bool ok = meta_->ReindexAll();
    LogStatus();
    OpenTables();
    return ok;
  }
  const QString text = FormatText("Voor herindexeren moet bestand %s exclusief geopend zijn!",
                                  {tblUren.TableName()});
  if (quiet)
    Log(text);
  else
    LogAndShow(text);
  OpenTables();
  return false;
}

// ---- progress

void TdmDBase::SetProgressHandler(TProgressHandler handler, const void* owner) {
  progress_ = handler;
  if (handler) vrt_.SetProgressHandler(std::move(handler), owner);
}

void TdmDBase::Progress(int minimum, int position, const QString& caption, int maximum) {
  if (progress_) progress_(minimum, position, caption, maximum);
}

// ---- a new database and the logged-in employee

void TdmDBase::CreateSampleData() {
  struct TKind {
    const char* letter;
    QString name;
    const char* abbreviation;
  };
  const TKind kinds[] = {
      {"M", QCoreApplication::translate("dmDBase", "Medewerker"), "med"},
      {"K", QCoreApplication::translate("dmDBase", "Klant"), "kl"},
      {"A", QCoreApplication::translate("dmDBase", "Activiteit"), "act"},
      {"P", QCoreApplication::translate("dmDBase", "Product"), "prd"},
  };
  QStringList ids[4];
  for (int k = 0; k < 4; ++k) {
    for (int n = 1; n <= 3; ++n) {
      tblStam.Append();
      SetText(tblStam, "TYPE", kinds[k].letter);
      SetText(tblStam, "OBJECT", kinds[k].name + QString::number(n));
      SetText(tblStam, "AFKORTING", kinds[k].abbreviation + QString::number(n));
      ids[k] << Text(tblStam, "ID");
      tblStam.Post();
    }
  }
  auto authorise = [this](const char* type, const QString& employee, const QString& item) {
    tblAutor.Append();
    SetText(tblAutor, "TYPE", type);
    SetText(tblAutor, "MEDEWERKER", employee);
    SetText(tblAutor, "VALUE", item);
    tblAutor.Post();
  };
  for (int n = 0; n < 3; ++n) {
    authorise("K", ids[0][n], ids[1][n]);
    authorise("A", ids[0][n], ids[2][n]);
    authorise("P", ids[0][n], ids[3][n]);
  }
  // The employee that the first login adds gets the next ID and the same rights.
  const QString next = IdText(nextId_ + 1);
  for (int n = 0; n < 3; ++n) {
    authorise("K", next, ids[1][n]);
    authorise("A", next, ids[2][n]);
    authorise("P", next, ids[3][n]);
  }
  FlushTables();
  tblStam.First();
  tblAutor.First();
}

void TdmDBase::IdentifyLoginEmployee() {
  // The employee list, then the logged-in employee of the login name (added when unknown,
  // the password checked) and the master data lists he is authorised for.
  StamMedewerkers().LoadFromTable();
  // Once per run: maintenance reopens the tables, and the shown employee must stay the one
  // whose week is on screen.
  if (loginId_ != 0) return;
  if (!loginName_.isEmpty()) LoginObject().SetUserName(loginName_);
  IdentifyUser();
  loginId_ = LoginMedewerker().ID;
  loginEmployee_ = LoginMedewerker().Naam;
}

}  // namespace hb
