// TvrtMetaDataset: the meta table — the definitions of the data tables' fields and index
// tags — and the structure check that compares the data tables with it.
//
//   TvrtMetaDataset meta(vrt);
//   meta.SetDatabaseName(programFolder);
//   meta.SetTableName(TvrtMetaDataset::MetaTableName(programFolder, "hblite"));
//   meta.SetTablePath(dataFolder);
//   meta.Arguments = commandLineArguments;
//   meta.CheckAndUpdate(false);              // asks before every change
//
// The meta table (FoxPro 2, with memo and compound index):
//
//   TABLE C8    data table name without extension, upper case
//   TYPE  C3    "FLD" field, "TAG" index tag, "TAB" table description ("CAP", "CAT" offered
//               by the editing window)
//   NAME  C10   field or tag name
//   PARAM M     first line: FLD "type;length;decimals" (C D F L M N, or E: an expression
//               field, never created and never compared), TAG the key expression
//   COMMENT M   free text
//
// One tag NAME on "Upper(TABLE)+Upper(TYPE)+Upper(NAME)"; rows are sought with the table
// name padded to 8, the type, and the name padded to 10.
//
// Every operation first needs the meta memo file; without it the operation does nothing
// and reports failure (CheckAndUpdate then reports success, so that a start goes on).
// Operations leave the meta table open or closed as they found it. Failures are texts in
// Status; the comparisons leave their texts in the dataset layer's Messages.
//
// Settings in [Meta] of IniFileName: Updated (the check stamp, a moment as number text,
// default 34700) and ForceMetaCheck (boolean, default false).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

#include "data/vrtdbfdataset.h"
#include "dbf/dbfdataset.h"

namespace hb {

// A definition missing in the meta table.
class EMetaDefNotFound : public std::runtime_error {
 public:
  explicit EMetaDefNotFound(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// The meta table or its index cannot be created.
class EMetaTableIO : public std::runtime_error {
 public:
  explicit EMetaTableIO(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

class TvrtMetaDataset : public TDbfDataSet {
 public:
  explicit TvrtMetaDataset(TVrtDbfDataSet& vrt);
  ~TvrtMetaDataset() override;

  // The meta table's file name in folder for a program name: program name + ".DBF" when
  // that file exists, else the name with its trailing digits removed + ".DBF".
  static QString MetaTableName(const QString& folder, const QString& programName);

  // The window that /METAEDIT and ShowBrowser open (installed by the program).
  static void SetBrowser(std::function<void(TvrtMetaDataset&)> browser);

  TVrtDbfDataSet& Vrt() const { return vrt_; }

  // The folder of the data tables (with a trailing separator); default the program folder.
  // (This hides the dataset's TablePath, the meta file's own path: see MetaFilePath.)
  QString TablePath() const { return tablePath_; }
  void SetTablePath(const QString& folder);
  // The meta table file as it exists (or as it would be created).
  QString MetaFilePath() const;
  // The program ini: holds [Meta].
  QString IniFileName;
  bool CacheMetaParams = true;  // kept for the settings; no effect
  // The command-line arguments of the program (for /NOMETACHECK, /METACHECK, /METAEDIT).
  QStringList Arguments;
  // What went wrong, for the window and the log.
  QStringList Status;
  // Now, as a moment (replaced by tests).
  std::function<double()> Clock;

  bool OpenMeta();
  bool CheckDatabase();
  bool UpdateDatabase(bool applyWithoutAsking);
  bool CheckAndUpdate(bool applyWithoutAsking);
  // The force flag and an empty [Meta] Updated: the next check runs whatever the stamp.
  void ForceCheck();
  bool ForceFlag() const { return force_; }

  int ListTables(QStringList& list);
  int FieldDefinitions(const QString& table, QStringList& list);
  int TagDefinitions(const QString& table, QStringList& list);
  bool HasTableDefinition(const QString& table);
  // An empty tag asks for any tag row of the table.
  bool HasTagDefinition(const QString& table, const QString& tag);

  bool CompareStructure(const QString& table);
  bool CompareTags(const QString& table);
  bool CreateTable(const QString& table);
  // Raises EMetaDefNotFound when the table has no rows in the meta table.
  bool RestructureTable(const QString& table);
  // Raises EMetaDefNotFound when the table has no tag rows.
  bool ReindexTable(const QString& table);
  bool PackTable(const QString& table);
  bool ReindexAll();
  bool PackAll();
  bool ReindexMeta();
  bool PackMetaTable();
  bool ImportTableToMeta(const QString& file, const QString& remark, const QString& extraTag);
  bool DeleteTableFromMeta(const QString& table);
  void ShowBrowser();

  // The memo file of the meta table exists (every operation needs it).
  bool MemoPresent() const;

  // Row access for the window and tests: PARAM and COMMENT of the current row.
  QString RowParam();
  QString RowComment();
  void SetRowMemo(const QString& field, const QString& text);  // edit or insert state

 private:
  class TStateSaver;
  friend class TStateSaver;

  bool EnsureOpen();
  QString Key(const QString& table, const QString& type = QString(),
              const QString& name = QString()) const;
  QString RowKey();
  // Calls visit for every row whose key starts with prefix, in key order.
  void ForRows(const QString& prefix, const std::function<void()>& visit);
  QString DataFile(const QString& table, const QString& ext) const;
  void CopyMessagesSince(int count);
  void AppendRow(const QString& table, const QString& type, const QString& name,
                 const QString& param, const QString& comment);
  bool HasArgument(const QString& sw) const;
  double Now() const;

  TVrtDbfDataSet& vrt_;
  QString tablePath_;
  bool force_ = false;
};

}  // namespace hb
