// TfrmMetaBrowse: the meta table window ("Metatabel Browser") — a grid and a navigator on
// the meta table, edits for its fields, the whole-database operations and a status list.
//
//   TfrmMetaBrowse::Browse(meta);     // modal; installed as the meta dataset's browser
//
// The field edits are enabled only while the navigator inserts or edits; posting writes
// them into the row. The meta table is closed and unbound again when the window hides.
#pragma once

#include <QDialog>
#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace hb {

class TDataSetModel;
class TDataSource;
class TvrtMetaDataset;

class TfrmMetaBrowse : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmMetaBrowse(TvrtMetaDataset& meta, QWidget* parent = nullptr);
  ~TfrmMetaBrowse() override;

  // Closes the meta table, binds it to the window with automatic edit, opens it and shows
  // the window modally.
  int Execute();
  // The part of Execute before the window shows.
  void Prepare();
  static void Browse(TvrtMetaDataset& meta);

  // The file chosen for "Tabel info importeren" (a dialog "Pick a Table" in the table path;
  // tests replace it). Empty: cancelled.
  std::function<QString(const QString& folder)> PickTable;

  QTableView* Grid() const { return grid_; }
  QListWidget* StatusList() const { return lbxStatus_; }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  QToolButton* NavButton(const QString& name, const QString& text, const QString& hint);
  void Bind();
  void Unbind();
  void ShowRow();
  void StoreEdits();
  void UpdateControls();
  void ToggleMeta();
  void EditNext();
  void Navigate(const std::function<void()>& step);
  void ReportResult(bool ok, const QString& success);
  void Run(const std::function<bool()>& operation, const QString& success);
  void ImportTable();

  TvrtMetaDataset& meta_;
  TDataSource* source_;
  TDataSetModel* model_;
  QTableView* grid_;
  QLineEdit* edtTable_;
  QComboBox* cbxType_;
  QLineEdit* edtName_;
  QPlainTextEdit* memParam_;
  QPlainTextEdit* memComment_;
  QPushButton* btnMeta_;
  QPushButton* btnEditNext_;
  QListWidget* lbxStatus_;
  QList<QToolButton*> navigator_;
  bool ownEdit_ = false;  // the navigator began the edit or insert
};

}  // namespace hb
