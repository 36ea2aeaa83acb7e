#include "data/frmmetabrowse.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/vrtmetadataset.h"
#include "platform/datasetmodel.h"
#include "platform/datasource.h"
#include "platform/dialogservice.h"
#include "util/messages.h"
#include "util/textfuncs.h"

namespace hb {

TfrmMetaBrowse::TfrmMetaBrowse(TvrtMetaDataset& meta, QWidget* parent)
    : QDialog(parent), meta_(meta) {
  setObjectName("frmMetaBrowse");
  setWindowTitle("Metatabel Browser");
  source_ = new TDataSource(this);
  model_ = new TDataSetModel(this);
  model_->SetReadOnly(true);

  auto* layout = new QVBoxLayout(this);
  auto* nav = new QHBoxLayout;
  nav->addWidget(NavButton("navFirst", "|<", "Eerste record"));
  nav->addWidget(NavButton("navPrior", "<", "Vorige record"));
  nav->addWidget(NavButton("navNext", ">", "Volgende record"));
  nav->addWidget(NavButton("navLast", ">|", "Laatste record"));
  nav->addWidget(NavButton("navInsert", "+", "Record invoegen"));
  nav->addWidget(NavButton("navEdit", "^", "Record wijzigen"));
  nav->addWidget(NavButton("navDelete", "-", "Record wissen"));
  nav->addWidget(NavButton("navPost", "v", "Wijzigingen opslaan"));
  nav->addWidget(NavButton("navCancel", "x", "Wijzigingen annuleren"));
  nav->addWidget(NavButton("navRefresh", "R", "Gegevens verversen"));
  nav->addStretch();
  layout->addLayout(nav);

  grid_ = new QTableView(this);
  grid_->setObjectName("grdMeta");
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->verticalHeader()->hide();
  grid_->setModel(model_);
  layout->addWidget(grid_, 1);

  auto* form = new QFormLayout;
  edtTable_ = new QLineEdit(this);
  edtTable_->setObjectName("edtTable");
  edtTable_->setMaxLength(8);
  cbxType_ = new QComboBox(this);
  cbxType_->setObjectName("cbxType");
  cbxType_->addItems({"FLD", "TAG", "TAB", "CAP", "CAT", ""});
  edtName_ = new QLineEdit(this);
  edtName_->setObjectName("edtName");
  edtName_->setMaxLength(10);
  memParam_ = new QPlainTextEdit(this);
  memParam_->setObjectName("memParam");
  memParam_->setMaximumHeight(60);
  memComment_ = new QPlainTextEdit(this);
  memComment_->setObjectName("memComment");
  memComment_->setMaximumHeight(60);
  form->addRow("Table:", edtTable_);
  form->addRow("Type:", cbxType_);
  form->addRow("Name:", edtName_);
  form->addRow("Parameter:", memParam_);
  form->addRow("Comment:", memComment_);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const QString& name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  };
  btnMeta_ = button("btnMeta", "&Meta sluiten");
  btnEditNext_ = button("btnEditVolgende", "&Edit volgende");
  QPushButton* btnUpdate = button("btnUpdate", "Update Database");
  QPushButton* btnPack = button("btnPack", "Pack Database");
  QPushButton* btnReindex = button("btnReindex", "Reindex Database");
  QPushButton* btnImport = button("btnImport", "Tabel info importeren");
  QPushButton* btnOK = button("btnOK", "&OK");
  btnOK->setDefault(true);
  layout->addLayout(buttons);

  lbxStatus_ = new QListWidget(this);
  lbxStatus_->setObjectName("lbxStatus");
  lbxStatus_->setMaximumHeight(90);
  layout->addWidget(lbxStatus_);

  connect(btnMeta_, &QPushButton::clicked, this, &TfrmMetaBrowse::ToggleMeta);
  connect(btnEditNext_, &QPushButton::clicked, this, &TfrmMetaBrowse::EditNext);
  connect(btnUpdate, &QPushButton::clicked, this, [this] {
    Run([this] { return meta_.UpdateDatabase(false); }, "Alle tabellen zijn bijgewerkt.");
  });
  connect(btnPack, &QPushButton::clicked, this,
          [this] { Run([this] { return meta_.PackAll(); }, "Alle tabellen zijn gepacked."); });
  connect(btnReindex, &QPushButton::clicked, this, [this] {
    Run([this] { return meta_.ReindexAll(); }, "Alle tabellen zijn ge-herindexeerd.");
  });
  connect(btnImport, &QPushButton::clicked, this, &TfrmMetaBrowse::ImportTable);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

  connect(source_, &TDataSource::dataSetChanged, this, [this] {
    ShowRow();
    UpdateControls();
  });
  connect(source_, &TDataSource::scrolled, this, &TfrmMetaBrowse::ShowRow);
  connect(source_, &TDataSource::stateChanged, this, [this] {
    if (source_->State() != TDataSetState::dsEdit && source_->State() != TDataSetState::dsInsert)
      ownEdit_ = false;
    UpdateControls();
    if (source_->State() == TDataSetState::dsBrowse || source_->State() == TDataSetState::dsInsert)
      ShowRow();
  });
  connect(source_, &TDataSource::updateData, this, &TfrmMetaBrowse::StoreEdits);
  connect(model_, &TDataSetModel::currentRowChanged, this, [this](int row) {
    if (row >= 0) grid_->selectRow(row);
  });
  connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
    Navigate([this, index] { model_->SetCurrentRow(index.row()); });
  });

  PickTable = [this](const QString& folder) {
    return QFileDialog::getOpenFileName(this, "Pick a Table", folder, "Tabellen (*.dbf *.DBF)");
  };
  resize(640, 520);
  UpdateControls();
}

TfrmMetaBrowse::~TfrmMetaBrowse() {
  Unbind();
}

QToolButton* TfrmMetaBrowse::NavButton(const QString& name, const QString& text,
                                       const QString& hint) {
  auto* b = new QToolButton(this);
  b->setObjectName(name);
  b->setText(text);
  b->setToolTip(hint);
  navigator_ << b;
  connect(b, &QToolButton::clicked, this, [this, name] {
    TDataSet* ds = source_->DataSet();
    if (!ds || !ds->Active()) return;
    Navigate([this, ds, name] {
      if (name == "navFirst")
        ds->First();
      else if (name == "navPrior")
        ds->Prior();
      else if (name == "navNext")
        ds->Next();
      else if (name == "navLast")
        ds->Last();
      else if (name == "navInsert") {
        ownEdit_ = true;
        ds->Insert();
      } else if (name == "navEdit") {
        ownEdit_ = true;
        ds->Edit();
      } else if (name == "navDelete") {
        if (!ds->IsEmpty() && Dialogs().Question(windowTitle(), "Delete record?", false))
          ds->Delete();
      } else if (name == "navPost")
        ds->Post();
      else if (name == "navCancel")
        ds->Cancel();
      else if (name == "navRefresh")
        ds->Refresh();
    });
  });
  return b;
}

void TfrmMetaBrowse::Prepare() {
  meta_.Close();
  Bind();
  if (!meta_.OpenMeta()) ReportResult(false, QString());
  btnMeta_->setText("&Meta sluiten");
  UpdateControls();
}

int TfrmMetaBrowse::Execute() {
  Prepare();
  return exec();
}

void TfrmMetaBrowse::Browse(TvrtMetaDataset& meta) {
  TfrmMetaBrowse window(meta);
  window.Execute();
}

void TfrmMetaBrowse::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  try {
    meta_.Close();
  } catch (const std::exception&) {
  }
  Unbind();
}

void TfrmMetaBrowse::Bind() {
  source_->SetAutoEdit(true);
  source_->SetDataSet(&meta_);
  model_->SetDataSet(&meta_);
  model_->SetColumns({{"TABLE", "Table"}, {"TYPE", "Type"}, {"NAME", "Name"}});
  UpdateControls();
}

void TfrmMetaBrowse::Unbind() {
  model_->SetDataSet(nullptr);
  source_->SetDataSet(nullptr);
  UpdateControls();
}

void TfrmMetaBrowse::ShowRow() {
  TDataSet* ds = source_->DataSet();
  const bool has = ds && ds->Active() && !ds->IsEmpty();
  edtTable_->setText(has ? ds->FieldByName("TABLE")->AsString() : QString());
  cbxType_->setCurrentText(has ? ds->FieldByName("TYPE")->AsString() : QString());
  const int type = cbxType_->findText(has ? ds->FieldByName("TYPE")->AsString() : QString());
  cbxType_->setCurrentIndex(type < 0 ? cbxType_->count() - 1 : type);
  edtName_->setText(has ? ds->FieldByName("NAME")->AsString() : QString());
  memParam_->setPlainText(has ? meta_.RowParam() : QString());
  memComment_->setPlainText(has ? meta_.RowComment() : QString());
  if (has && model_->CurrentRow() >= 0) grid_->selectRow(model_->CurrentRow());
}

void TfrmMetaBrowse::StoreEdits() {
  // Only an edit begun in this window takes the edits; the operations of the buttons
  // write rows of their own.
  TDataSet* ds = source_->DataSet();
  if (!ownEdit_ || !ds ||
      (ds->State() != TDataSetState::dsEdit && ds->State() != TDataSetState::dsInsert))
    return;
  ds->FieldByName("TABLE")->SetAsString(edtTable_->text().trimmed().toUpper());
  ds->FieldByName("TYPE")->SetAsString(cbxType_->currentText());
  ds->FieldByName("NAME")->SetAsString(edtName_->text().trimmed());
  if (memParam_->toPlainText() != meta_.RowParam())
    meta_.SetRowMemo("PARAM", memParam_->toPlainText());
  if (memComment_->toPlainText() != meta_.RowComment())
    meta_.SetRowMemo("COMMENT", memComment_->toPlainText());
}

void TfrmMetaBrowse::UpdateControls() {
  const TDataSetState state = source_->State();
  const bool editing =
      ownEdit_ && (state == TDataSetState::dsEdit || state == TDataSetState::dsInsert);
  for (QWidget* w :
       std::initializer_list<QWidget*>{edtTable_, cbxType_, edtName_, memParam_, memComment_})
    w->setEnabled(editing);
  const bool active = state != TDataSetState::dsInactive;
  for (QToolButton* b : navigator_) b->setEnabled(active);
  btnEditNext_->setEnabled(active);
  grid_->setEnabled(!editing);
}

void TfrmMetaBrowse::Navigate(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& e) {
    Dialogs().Error(windowTitle(), ExceptionText(e));
  }
}

void TfrmMetaBrowse::ToggleMeta() {
  if (meta_.Active()) {
    try {
      meta_.Close();
      btnMeta_->setText("&Meta openen");
    } catch (const std::exception&) {
      ShowWarning("Fout tijdens sluiten van metatabel!");
    }
  } else if (meta_.OpenMeta()) {
    btnMeta_->setText("&Meta sluiten");
  } else {
    ShowWarning("Fout tijdens openen van metatabel!");
  }
  UpdateControls();
}

void TfrmMetaBrowse::EditNext() {
  Navigate([this] {
    if (!meta_.Active()) return;
    meta_.Post();
    meta_.Next();
    if (!meta_.Eof() || !meta_.IsEmpty()) {
      ownEdit_ = true;
      meta_.Edit();
    }
  });
}

void TfrmMetaBrowse::ReportResult(bool ok, const QString& success) {
  if (ok) {
    if (!success.isEmpty()) Dialogs().Information(ProgramTitle(), success);
    return;
  }
  for (const QString& text : meta_.Status) lbxStatus_->addItem(text);
  meta_.Status.clear();
}

void TfrmMetaBrowse::Run(const std::function<bool()>& operation, const QString& success) {
  bool ok = false;
  meta_.Status.clear();
  try {
    ok = operation();
  } catch (const std::exception& e) {
    meta_.Status << ExceptionText(e);
  }
  ReportResult(ok, success);
  ShowRow();
  UpdateControls();
}

void TfrmMetaBrowse::ImportTable() {
  const QString file = PickTable ? PickTable(meta_.TablePath()) : QString();
  if (file.isEmpty()) return;
  Run(
      [this, file] {
        return meta_.ImportTableToMeta(file, QFileInfo(file).completeBaseName(), QString());
      },
      FormatText("\"%s\" is ingelezen.", {file}));
}

}  // namespace hb
