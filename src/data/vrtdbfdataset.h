// TVrtDbfDataSet: a table component for work on whole tables — listing fields and tags,
// creating a table from field lines, renaming a table with its companion files, copying all
// rows into a table of another structure, packing and reindexing with exclusive access.
//
//   TVrtDbfDataSet vrt;
//   vrt.Messages.clear();
//   if (!vrt.CopyTable("/data/URUREN~20240101_120000.DBF", "/data/URUREN.DBF"))
//     status << vrt.Messages;
//
// Operations do not raise: each returns false (or a count) and adds a text to Messages,
// which the caller clears before and reads after. Only CreateTable raises, with
// EFieldTypeInvalid, for a field line of an unknown type. The instance is closed between
// operations.
//
// A table is named by folder and base name; its files are base + ".DBF", ".FPT" (memo) and
// ".CDX" (index), found without regard to letter case.
//
// Progress goes to the handler set with SetProgressHandler, otherwise to the default display:
// one made on first use by the factory that the program installs (a small window); without a
// factory there is none. (0, 0, "", 0) ends a display.
//
// Renames never replace an existing file and refuse a table that is open elsewhere (as the
// file system of the original platform does), so that no data is lost by a rename.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>

#include "dbf/dbfdataset.h"

namespace hb {

struct TDbfFieldDef;

// A field line with a type a table cannot be created with.
class EFieldTypeInvalid : public std::runtime_error {
 public:
  explicit EFieldTypeInvalid(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// The text of an exception for messages: database errors as they are, engine errors
// (Windows-1252 bytes) converted.
QString ExceptionText(const std::exception& e);

// (minimum, position, caption, maximum); (0, 0, "", 0) ends the display.
using TProgressHandler =
    std::function<void(int minimum, int position, const QString& caption, int maximum)>;

// A progress display: shows the caption and the position between minimum and maximum; hides
// when minimum equals maximum.
class TProgressDisplay {
 public:
  virtual ~TProgressDisplay() = default;
  virtual void Progress(int minimum, int position, const QString& caption, int maximum) = 0;
};

// The factory of the default display (the program installs its window); empty: none.
void SetProgressDisplayFactory(std::function<std::unique_ptr<TProgressDisplay>()> factory);


class TVrtDbfDataSet : public TDbfDataSet {
 public:
  TVrtDbfDataSet();
  ~TVrtDbfDataSet() override;

  QStringList Messages;

  void Progress(int minimum, int position, const QString& caption, int maximum);
  // An empty handler leaves the default display in place. owner: who set it (informative).
  void SetProgressHandler(TProgressHandler handler, const void* owner = nullptr);
  const void* ProgressOwner() const { return owner_; }

  // Reopens this table exclusively: false when its file cannot be opened with exclusive
  // sharing (another program holds it, or it is missing) or the reopen fails (the previous
  // state is restored then).
  bool TryExclusive();
  // Renames old ".DBF" to new ".DBF" with the ".FPT" and ".CDX" that exist; undone on failure.
  bool RenameTable(const QString& oldFile, const QString& newFile);
  // Copies every row of source (deleted rows too, kept deleted) into the target table,
  // field by field by name.
  bool CopyTable(const QString& sourceFile, const QString& targetFile);
  // Lines NAME=T;L;D (type letter, length, decimals); returns the count.
  int GetFieldList(const QString& folder, const QString& table, QStringList& list);
  // Lines TAG=EXPRESSION of the table's ".CDX"; returns the count.
  int GetTagList(const QString& folder, const QString& table, QStringList& list);
  // Creates an empty FoxPro 2 table from lines NAME;T;L;D (or NAME=T;L;D). Raises
  // EFieldTypeInvalid before anything is created when a line has an invalid type.
  bool CreateTable(const QString& folder, const QString& table, const QStringList& lines);
  bool PackTable(const QString& folder, const QString& table);
  // Builds a new ".CDX" with the tags of lines TAG=EXPRESSION.
  bool ReindexTable(const QString& folder, const QString& table, const QStringList& tags);

  // By the first letter of the trimmed, upper-cased text.
  static bool IsValidFieldType(const QString& type);  // C D F L M N
  static bool TypeHasLength(const QString& type);     // C F N
  static bool TypeHasDecimals(const QString& type);   // F N

  // Of the open table; type ' ' and 0 when no table is open or the field is unknown.
  QChar FieldType(const QString& fieldName) const;
  int FieldLength(const QString& fieldName) const;
  int FieldDecimals(const QString& fieldName) const;

 private:
  void SetTable(const QString& folder, const QString& table);
  const TDbfFieldDef* Def(const QString& fieldName) const;
  void CopyRows(TDbfDataSet& source);

  TProgressHandler handler_;
  const void* owner_ = nullptr;
  std::unique_ptr<TProgressDisplay> display_;
  QString lastOpenError_;  // why the reopen of TryExclusive failed
};

}  // namespace hb
