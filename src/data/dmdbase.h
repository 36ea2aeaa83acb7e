// TdmDBase: the data module. It owns the three data tables for the whole run — URSTAM
// (master data and the MaxID row), URAUTOR (authorisations and memberships) and URUREN
// (hour records) — in the data folder, each with its ".CDX":
//
//   TdmDBase dm(vrt);
//   dm.Start(arguments, loginName);   // structure check, open, daily reindex; on failure the
//                                     // forced check, one retry, else termination
//   dm.tblUren.Append(); ...
//
// The tables are opened exclusively, so one program at a time works on a data folder.
// Opening a table attaches its ".CDX" and selects its order: URSTAM TYPEID, URAUTOR
// TYPMEDEW, URUREN TIJD. A new master data item gets the type letter of the stam filter and
// the next ID: IDs are unique over all types, kept as the highest ID handed out in the MaxID
// row (TYPE "I", OBJECT "MAXID", AFKORTING "MXID") and written as ten digits ("0000000042").
//
// Stam type numbers used here: 1 employee (MEDEWERKER / TIJD), 2 customer (KLANT / TIJDK),
// 3 activity (ACTIVITEIT / TIJDA), 4 product (PRODUCT / TIJDP).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "data/stamfilter.h"
#include "data/vrtdbfdataset.h"
#include "dbf/dbfdataset.h"
#include "platform/datasource.h"
#include "platform/inifile.h"

namespace hb {

class TvrtMetaDataset;

// The program's ini file class: a plain ini file.
using THBIniFile = TIniFile;

class TdmDBase {
 public:
  explicit TdmDBase(TVrtDbfDataSet& vrt);
  ~TdmDBase();
  TdmDBase(const TdmDBase&) = delete;
  TdmDBase& operator=(const TdmDBase&) = delete;

  TDbfDataSet tblStam;
  TDbfDataSet tblAutor;
  TDbfDataSet tblDummy;  // no table of its own; opens "OKUREN.DBF"
  TDbfDataSet tblUren;
  TDataSource dsStam;
  TDataSource dsAutor;
  TDataSource dsUren;

  // The creation steps: data folder rule, structure check (asking before each change),
  // OpenTables with the daily reindex, and on an error the forced check and one retry.
  // Does nothing when the program is terminating; requests termination when the database
  // cannot be opened.
  void Start(const QStringList& arguments, const QString& loginName);

  // Opens URSTAM, URAUTOR and URUREN exclusively in the data folder; fills a new database
  // with sample data; identifies the logged-in employee. Raises on an open error.
  void OpenTables();
  void CloseTables();
  void FlushTables();
  static bool IsEditing(const TDataSet& table);

  void AllocateId();
  void RecalcMaxId();
  bool RenumberDoubleIds();
  void CheckMultipleMaxID();
  int NextId() const { return nextId_; }

  // Whether the table's file can be opened with exclusive sharing; if so the table is
  // reopened exclusively (shared when that fails). A table held exclusively already: true.
  bool TryExclusive(TDbfDataSet& table);
  bool IsStamUsed(int type, const QString& idText);
  void DeleteHoursOfStam(int type, const QString& idText);
  // Whether the current hour record's field of the type letter (M, K, A, P) holds id.
  bool ItemMatches(QChar typeLetter, int id);

  // Rebuilds all index files from the meta table (tables closed and reopened).
  bool Reindex(bool quiet);
  // Whether the daily reindex is due by [Options] of ini at this run's now.
  bool DailyReindexDue(const TIniFile& ini) const;
  void ForceStructureCheck();
  void ShowMetaBrowser();

  void SetProgressHandler(TProgressHandler handler, const void* owner);
  void Progress(int minimum, int position, const QString& caption, int maximum);

  TvrtMetaDataset& Meta() const { return *meta_; }
  TStamFilter& StamFilter() { return filter_; }
  TVrtDbfDataSet& Vrt() const { return vrt_; }

  // The employee of the login name, found (or added) when the tables opened.
  qint64 LoginEmployeeId() const { return loginId_; }
  QString LoginEmployeeName() const { return loginEmployee_; }

  // Now as a moment (tests replace it).
  std::function<double()> Clock;

  // An item ID as stored: ten digits, left-padded with "0".
  static QString IdText(qint64 id);
  // An ID text as a number; def when it is empty or not a number.
  static qint64 IdValue(const QString& text, qint64 def);

 private:
  void AfterOpenTable(TDbfDataSet& table, const QString& tag, const QString& error);
  void BeforeCloseTable(TDbfDataSet& table, const QString& error);
  void AfterDeleteRow(TDbfDataSet& table);
  void CreateSampleData();
  void IdentifyLoginEmployee();
  void LogStatus();
  double Now() const;

  TVrtDbfDataSet& vrt_;
  std::unique_ptr<TvrtMetaDataset> meta_;
  TStamFilter filter_;
  TProgressHandler progress_;
  qint64 nextId_ = 1;
  QString loginName_;
  qint64 loginId_ = 0;
  QString loginEmployee_;
  bool reopening_ = false;
};

// The data module of this run (nullptr while none exists).
TdmDBase* DmDBase();

}  // namespace hb
