#include "app/frmproject.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "controls/planbox.h"
#include "data/flexfields.h"
#include "data/stamlists.h"
#include "platform/dialogservice.h"
#include "timereg/actierec.h"
#include "timereg/mainobj.h"
#include "util/formats.h"

namespace hb {

namespace {

const char* const kTitle = "Hourbook";
// The list item meaning "none".
const QString kNone = " ";

QString Tr(const char* text) { return QCoreApplication::translate("TfrmProject", text); }

// The display texts of a bookable list, an empty one shown as " ", plus the item " ".
QStringList ListTexts(const TStamList& list) {
  QStringList texts;
  for (const QString& name : list.Names()) texts << (name.isEmpty() ? kNone : name);
  texts << kNone;
  return texts;
}

void FillCombo(QComboBox* box, const QStringList& texts, const QString& selected) {
  box->blockSignals(true);
  box->clear();
  box->addItems(texts);
  const int at = box->findText(selected);
  box->setCurrentIndex(at >= 0 ? at : box->count() - 1);
  box->blockSignals(false);
}

// The item of the bookable list whose display text is selected, as the full list shares
// it; none for " ".
TStamObjPtr SelectedItem(const QComboBox* box, const TStamList& bookable, const TStamList& all) {
  const QString text = box->currentText();
  if (text.trimmed().isEmpty()) return nullptr;
  const TStamObjPtr item = bookable.FindByName(text);
  if (!item) return nullptr;
  if (TStamObjPtr shared = all.FindById(item->ID)) return shared;
  return item;
}

QString ItemText(const TStamObjPtr& item, const TStamList& bookable, const TStamList& all) {
  if (!item || item->ID == 0) return kNone;
  QString name = bookable.NameOf(item->ID);
  if (name.isEmpty()) name = all.NameOf(item->ID);
  return name.isEmpty() ? kNone : name;
}

double TimeOfText(const QString& text) { return std::max(0.0, FieldTime(text)); }

}  // namespace

TfrmProject::TfrmProject(QWidget* parent) : QDialog(parent) {
  setObjectName("frmProject");
  BuildControls();
  FormCreate();
}

TfrmProject::~TfrmProject() = default;

void TfrmProject::BuildControls() {
  setFixedSize(501, 327);
  auto* top = new QVBoxLayout(this);

  auto* header = new QHBoxLayout;
  auto* lblWeek = new QLabel(Tr("Week:"), this);
  lblWeek->setObjectName("lblWeek");
  lblWeekYr_ = new QLabel(this);
  lblWeekYr_->setObjectName("lblWeekYr");
  auto* lblSepar = new QLabel("/", this);
  lblSepar->setObjectName("lblSepar");
  lblWeekNr_ = new QLabel(this);
  lblWeekNr_->setObjectName("lblWeekNr");
  auto* lblMedewerker = new QLabel(Tr("Medewerker:"), this);
  lblMedewerker->setObjectName("lblMedewerker");
  lblMedewerkerNaam_ = new QLabel(this);
  lblMedewerkerNaam_->setObjectName("lblMedewerkerNaam");
  for (QWidget* w : {static_cast<QWidget*>(lblWeek), static_cast<QWidget*>(lblWeekYr_),
                     static_cast<QWidget*>(lblSepar), static_cast<QWidget*>(lblWeekNr_)})
    header->addWidget(w);
  header->addStretch();
  header->addWidget(lblMedewerker);
  header->addWidget(lblMedewerkerNaam_);
  top->addLayout(header);

  auto* middle = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  grpDagen_ = new QGroupBox(Tr("Dag(en):"), this);
  grpDagen_->setObjectName("grpDagen");
  auto* days = new QVBoxLayout(grpDagen_);
  days->setSpacing(0);
  static const char* const kDayBoxes[7] = {"cbxZondag",    "cbxMaandag", "cbxDinsdag",
                                           "cbxWoensdag",  "cbxDonderdag", "cbxVrijdag",
                                           "cbxZaterdag"};
  for (int i = 0; i < 7; ++i) {
    cbxDagen_[i] = new QCheckBox(grpDagen_);
    cbxDagen_[i]->setObjectName(kDayBoxes[i]);
    days->addWidget(cbxDagen_[i]);
    connect(cbxDagen_[i], &QCheckBox::toggled, this, [this, i](bool on) { DayToggled(i, on); });
  }
  left->addWidget(grpDagen_);
  middle->addLayout(left);

  auto* right = new QVBoxLayout;
  auto* grpTijden = new QGroupBox(Tr("Tijden:"), this);
  grpTijden->setObjectName("grpTijden");
  auto* times = new QGridLayout(grpTijden);
  auto timeEdit = [&](const char* name, const char* caption, int column) {
    auto* label = new QLabel(Tr(caption), grpTijden);
    auto* edit = new QLineEdit("00:00", grpTijden);
    edit->setObjectName(name);
    edit->setMaxLength(5);
    label->setBuddy(edit);
    times->addWidget(label, 0, column);
    times->addWidget(edit, 1, column);
    edit->installEventFilter(this);
    return edit;
  };
  edtStarttijd_ = timeEdit("edtStarttijd", "va&n:", 0);
  edtDuur_ = timeEdit("edtDuur", "&duur:", 2);
  edtEindtijd_ = timeEdit("edtEindtijd", "t&ot:", 4);
  auto spinPair = [&](const char* name, int column, QToolButton*& up, QToolButton*& down) {
    auto* box = new QWidget(grpTijden);
    box->setObjectName(name);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    up = new QToolButton(box);
    up->setArrowType(Qt::UpArrow);
    down = new QToolButton(box);
    down->setArrowType(Qt::DownArrow);
    up->setFocusPolicy(Qt::NoFocus);
    down->setFocusPolicy(Qt::NoFocus);
    l->addWidget(up);
    l->addWidget(down);
    times->addWidget(box, 1, column);
  };
  spinPair("spinStarttijd", 1, spinStartUp_, spinStartDown_);
  spinPair("spinEindTijd", 5, spinEindUp_, spinEindDown_);
  connect(spinStartUp_, &QToolButton::clicked, this, [this] { Spin(TSpin::StartLater); });
  connect(spinStartDown_, &QToolButton::clicked, this, [this] { Spin(TSpin::StartEarlier); });
  connect(spinEindUp_, &QToolButton::clicked, this, [this] { Spin(TSpin::EndLater); });
  connect(spinEindDown_, &QToolButton::clicked, this, [this] { Spin(TSpin::EndEarlier); });
  for (QLineEdit* e : {edtStarttijd_, edtEindtijd_}) {
    connect(e, &QLineEdit::textChanged, this, [this] {
      if (!editingTimeField_) CalcRate();
    });
  }
  right->addWidget(grpTijden);

  auto* grpGegevens = new QGroupBox(Tr("Specificatie:"), this);
  grpGegevens->setObjectName("grpboxGegevens");
  auto* data = new QGridLayout(grpGegevens);
  auto label = [&](const char* name) {
    auto* l = new QLabel(grpGegevens);
    l->setObjectName(name);
    return l;
  };
  auto combo = [&](const char* name) {
    auto* c = new QComboBox(grpGegevens);
    c->setObjectName(name);
    c->setEditable(false);
    connect(c, &QComboBox::currentIndexChanged, this, [this] { CalcRate(); });
    return c;
  };
  lblKlant_ = label("lblKlant");
  cbxKlant_ = combo("cbxKlant");
  lblActiviteit_ = label("lblActiviteit");
  cbxActiviteit_ = combo("cbxActiviteit");
  lblProduct_ = label("lblProduct");
  cbxProduct_ = combo("cbxProduct");
  lblAantal_ = label("lblAantal");
  edtAantal_ = new QLineEdit(grpGegevens);
  edtAantal_->setObjectName("edtAantal");
  connect(edtAantal_, &QLineEdit::textChanged, this, [this] { CalcRate(); });
  chkVoorlopig_ = new QCheckBox(grpGegevens);
  chkVoorlopig_->setObjectName("chkVoorlopig");
  connect(chkVoorlopig_, &QCheckBox::clicked, this, [this] { CalcRate(); });
  lblWerkzaamheden_ = label("lblWerkzaamheden");
  edtWerkzaamheden_ = new QLineEdit(grpGegevens);
  edtWerkzaamheden_->setObjectName("edtWerkzaamheden");
  edtWerkzaamheden_->setMaxLength(120);
  lblKlant_->setBuddy(cbxKlant_);
  lblActiviteit_->setBuddy(cbxActiviteit_);
  lblProduct_->setBuddy(cbxProduct_);
  lblAantal_->setBuddy(edtAantal_);
  lblWerkzaamheden_->setBuddy(edtWerkzaamheden_);
  data->addWidget(lblKlant_, 0, 0);
  data->addWidget(cbxKlant_, 0, 1);
  data->addWidget(lblActiviteit_, 1, 0);
  data->addWidget(cbxActiviteit_, 1, 1);
  data->addWidget(lblProduct_, 2, 0);
  data->addWidget(cbxProduct_, 2, 1);
  data->addWidget(lblAantal_, 3, 0);
  data->addWidget(edtAantal_, 3, 1);
  data->addWidget(chkVoorlopig_, 3, 2);
  data->addWidget(lblWerkzaamheden_, 4, 0);
  data->addWidget(edtWerkzaamheden_, 4, 1, 1, 2);
  right->addWidget(grpGegevens);
  middle->addLayout(right, 1);
  top->addLayout(middle);

  auto* bottom = new QHBoxLayout;
  lblTarief_ = new QLabel(this);
  lblTarief_->setObjectName("lblTarief");
  bottom->addWidget(lblTarief_, 1);
  btnOK_ = new QPushButton(Tr("&OK"), this);
  btnOK_->setObjectName("btnOK");
  btnOK_->setDefault(true);
  btnCancel_ = new QPushButton(Tr("Annuleren"), this);
  btnCancel_->setObjectName("btnCancel");
  connect(btnOK_, &QPushButton::clicked, this, &TfrmProject::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &TfrmProject::reject);
  bottom->addWidget(btnOK_);
  bottom->addWidget(btnCancel_);
  top->addLayout(bottom);
}

void TfrmProject::FormCreate() {
  setWindowTitle(Tr("Project"));
  klantText_.clear();
  activiteitText_.clear();
  productText_.clear();
  werkz_.clear();
  aantal_.clear();
  voorlopig_ = false;
  struct Part {
    QWidget* caption;
    QWidget* input;
    TFlexField& field;
  };
  const Part parts[] = {
      {lblKlant_, cbxKlant_, FlexFldKlant()},
      {lblActiviteit_, cbxActiviteit_, FlexFldActiviteit()},
      {lblProduct_, cbxProduct_, FlexFldProduct()},
      {lblAantal_, edtAantal_, FlexFldAantal()},
      {lblWerkzaamheden_, edtWerkzaamheden_, FlexFldWerkzaamheden()},
      {chkVoorlopig_, nullptr, FlexFldVoorlopig()},
      {lblTarief_, nullptr, FlexFldTarief()},
  };
  for (const Part& p : parts) {
    if (auto* l = qobject_cast<QLabel*>(p.caption)) l->setText(p.field.Caption);
    if (auto* c = qobject_cast<QCheckBox*>(p.caption)) c->setText(p.field.Caption);
    p.caption->setVisible(p.field.InUse);
    if (p.input) p.input->setVisible(p.field.InUse);
  }
  for (QWidget* w : {static_cast<QWidget*>(cbxKlant_), static_cast<QWidget*>(cbxActiviteit_),
                     static_cast<QWidget*>(cbxProduct_), static_cast<QWidget*>(edtAantal_),
                     static_cast<QWidget*>(chkVoorlopig_),
                     static_cast<QWidget*>(edtWerkzaamheden_)})
    w->setEnabled(true);
}

QToolButton* TfrmProject::SpinButton(bool start, bool up) const {
  if (start) return up ? spinStartUp_ : spinStartDown_;
  return up ? spinEindUp_ : spinEindDown_;
}

QLabel* TfrmProject::Label(const QString& name) const { return findChild<QLabel*>(name); }

// --- Showing -----------------------------------------------------------------------------

void TfrmProject::showEvent(QShowEvent* event) {
  cancelling_ = false;
  timesRemembered_ = false;
  enteredField_ = nullptr;
  masterDataChanged_ = false;
  struct Key {
    QKeySequence seq;
    TSpin spin;
  };
  const Key keys[] = {
      {QKeySequence(Qt::SHIFT | Qt::Key_Up), TSpin::StartLater},
      {QKeySequence(Qt::SHIFT | Qt::Key_Down), TSpin::StartEarlier},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up), TSpin::EndLater},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down), TSpin::EndEarlier},
  };
  for (const Key& k : keys) {
    auto* s = new QShortcut(k.seq, this);
    const TSpin spin = k.spin;
    connect(s, &QShortcut::activated, this, [this, spin] { Spin(spin); });
    shortcuts_ << s;
  }
  FormActivate();
  QDialog::showEvent(event);
}

void TfrmProject::hideEvent(QHideEvent* event) {
  if (cancelling_ && timesRemembered_) SetFields(enteredFields_);
  qDeleteAll(shortcuts_);
  shortcuts_.clear();
  QDialog::hideEvent(event);
}

void TfrmProject::FormActivate() {
  TMainObj& m = MainObj();
  lblWeekYr_->setText(QString::number(m.DisplayedYear()));
  lblWeekNr_->setText(QString::number(m.DisplayedWeek()));
  lblMedewerkerNaam_->setText(CurrentMedewerker().Naam);
  FillLists();
  chkVoorlopig_->setChecked(voorlopig_);
  if (CopyWerkz) edtWerkzaamheden_->setText(werkz_);
  QWidget* focus = nullptr;
  if (listViewMode_) {
    focus = edtStarttijd_;
  } else {
    for (QWidget* w : {static_cast<QWidget*>(cbxKlant_), static_cast<QWidget*>(cbxActiviteit_),
                       static_cast<QWidget*>(cbxProduct_), static_cast<QWidget*>(edtAantal_),
                       static_cast<QWidget*>(edtWerkzaamheden_),
                       static_cast<QWidget*>(chkVoorlopig_)}) {
      if (!w->isHidden()) {
        focus = w;
        break;
      }
    }
  }
  if (focus) focus->setFocus();
  CalcRate();
}

void TfrmProject::FillLists() {
  FillCombo(cbxKlant_, ListTexts(AutorKlanten()), klantText_);
  FillCombo(cbxActiviteit_, ListTexts(AutorActiviteiten()), activiteitText_);
  FillCombo(cbxProduct_, ListTexts(AutorProducten()), productText_);
}

void TfrmProject::SetDaysAndTimes(const TXRect& rect) {
  TMainObj& m = MainObj();
  fillingDays_ = true;
  for (int i = 0; i < 7; ++i) {
    const double day = m.WeekStart() - 1 + i;
    cbxDagen_[i]->setText(DateText(day) + " " + DayName(i + 1, false));
    cbxDagen_[i]->setChecked(rect.Left <= i && i <= rect.Right);
  }
  fillingDays_ = false;
  editingTimeField_ = true;  // no rate update for each of the three texts
  edtStarttijd_->setText(m.RowToTimeStr(rect.Top));
  edtEindtijd_->setText(m.RowToTimeStr(rect.Bottom + 1));
  edtDuur_->setText(m.RowToTimeStr(rect.Bottom - rect.Top + 1));
  editingTimeField_ = false;
}

void TfrmProject::DayToggled(int i, bool checked) {
  if (!editing_ || fillingDays_) return;
  fillingDays_ = true;
  if (checked) {
    for (int j = 0; j < 7; ++j)
      if (j != i) cbxDagen_[j]->setChecked(false);
  } else {
    bool any = false;
    for (QCheckBox* box : cbxDagen_) any = any || box->isChecked();
    if (!any) cbxDagen_[i]->setChecked(true);
  }
  fillingDays_ = false;
}

// --- Records -----------------------------------------------------------------------------

void TfrmProject::FillRecord(TActieRec& rec, const TXRect& rect) const {
  const QString name = lblMedewerkerNaam_->text().isEmpty() ? CurrentMedewerker().Naam
                                                            : lblMedewerkerNaam_->text();
  if (TStamObjPtr employee = StamMedewerkers().FindByName(name)) {
    rec.Medewerker = employee;
  } else if (TStamObjPtr byId = StamMedewerkers().FindById(CurrentMedewerker().ID)) {
    rec.Medewerker = byId;
  }
  auto item = [](TStamObjPtr& target, const QComboBox* box, const TStamList& bookable,
                 const TStamList& all) {
    if (TStamObjPtr selected = SelectedItem(box, bookable, all)) {
      target = selected;
    } else if (target && target->ID != 0) {
      // None chosen: the record gets an empty item of its own.
      target = std::make_shared<TStamObj>(nullptr, static_cast<TStamType>(target->Type));
    }
  };
  item(rec.Klant, cbxKlant_, AutorKlanten(), StamKlanten());
  item(rec.Activiteit, cbxActiviteit_, AutorActiviteiten(), StamActiviteiten());
  item(rec.Product, cbxProduct_, AutorProducten(), StamProducten());
  rec.Werkz = edtWerkzaamheden_->text();
  bool ok = false;
  const int aantal = edtAantal_->text().trimmed().toInt(&ok);
  rec.Aantal = ok ? aantal : 0;
  TMainObj& m = MainObj();
  rec.Start = m.CellToDateTime(rect.Top, rect.Left);
  rec.Stop = m.CellToDateTime(rect.Bottom + 1, rect.Right);
  rec.Voorlopig = chkVoorlopig_->isChecked();
}

void TfrmProject::RememberValues() {
  klantText_ = cbxKlant_->currentText();
  activiteitText_ = cbxActiviteit_->currentText();
  productText_ = cbxProduct_->currentText();
  voorlopig_ = chkVoorlopig_->isChecked();
  werkz_ = edtWerkzaamheden_->text();
  aantal_ = edtAantal_->text();
}

void TfrmProject::CalcRate() {
  if (!lblTarief_) return;
  try {
    TMainObj& m = MainObj();
    const int top = m.TimeToRow(false, TimeOfText(edtStarttijd_->text()));
    const int bottom = m.TimeToRow(true, TimeOfText(edtEindtijd_->text()));
    TActieRec rec;
    FillRecord(rec, {1, top, 1, bottom});
    lblTarief_->setText(FlexFldTarief().CaptionNoAmp() + ": " + rec.RateText());
    lblTarief_->setToolTip(Tr("Berekening: %1").arg(rec.CalcText()));
  } catch (...) {
    lblTarief_->clear();
    lblTarief_->setToolTip(QString());
  }
}

bool TfrmProject::NewFromSelection(const TXRect& rect, TXPlanbox* planner, bool& split,
                                   TXActionList& blocks, bool insert) {
  split = false;
  planner_ = planner;
  editing_ = false;
  editBlock_ = nullptr;
  SetDaysAndTimes(rect);
  edtWerkzaamheden_->clear();
  edtAantal_->clear();
  lblTarief_->setText(FlexFldTarief().Caption);
  if (exec() != QDialog::Accepted) return false;
  RememberValues();
  TMainObj& m = MainObj();
  const int top = m.TimeToRow(false, TimeOfText(edtStarttijd_->text()));
  const int bottom = m.TimeToRow(true, TimeOfText(edtEindtijd_->text()));
  TXActionList made;
  for (int i = 0; i < 7; ++i) {
    if (!cbxDagen_[i]->isChecked()) continue;
    const qsizetype before = made.size();
    const TXRect day{i, top, i, bottom};
    if (insert) {
      planner->CarveCells(day, made);
    } else {
      planner->FillFreeCells(day, made);
    }
    if (made.size() - before != 1) split = true;
  }
  for (TXAction* block : made) {
    auto rec = std::make_unique<TActieRec>();
    FillRecord(*rec, block->ActionRect);
    if (OnNewRecord) {
      block->ActionObj = OnNewRecord(std::move(rec));
    } else {
      block->ActionObj = rec.get();
      ownRecords_.push_back(std::move(rec));
    }
    planner->AddAction(block);
    block->show();
    blocks << block;
  }
  return true;
}

bool TfrmProject::EditBlock(TXAction* block, TXPlanbox* planner) {
  auto* rec = block ? static_cast<TActieRec*>(block->ActionObj) : nullptr;
  if (!rec) return false;
  planner_ = planner;
  editBlock_ = block;
  editDate_ = std::floor(rec->Start);
  klantText_ = ItemText(rec->Klant, AutorKlanten(), StamKlanten());
  activiteitText_ = ItemText(rec->Activiteit, AutorActiviteiten(), StamActiviteiten());
  productText_ = ItemText(rec->Product, AutorProducten(), StamProducten());
  voorlopig_ = rec->Voorlopig;
  werkz_ = rec->Werkz;
  editing_ = true;
  edtWerkzaamheden_->setText(rec->Werkz);
  edtAantal_->setText(QString::number(rec->Aantal));
  SetDaysAndTimes(block->ActionRect);
  const bool ok = exec() == QDialog::Accepted;
  editing_ = false;
  if (!ok) return false;
  RememberValues();
  TMainObj& m = MainObj();
  int day = -1;
  for (int i = 0; i < 7 && day < 0; ++i)
    if (cbxDagen_[i]->isChecked()) day = i;
  // The rows come from the time fields as accepted, so that changed times are kept.
  TXRect r = block->ActionRect;
  if (day >= 0) {
    r.Left = r.Right = day;
  } else {
    r.Left = TMainObj::DayColumn(rec->Start);
    r.Right = TMainObj::DayColumn(rec->Stop);
  }
  r.Top = m.TimeToRow(false, TimeOfText(edtStarttijd_->text()));
  r.Bottom = m.TimeToRow(true, TimeOfText(edtEindtijd_->text()));
  block->ActionRect = r;
  return true;
}

// --- Buttons -----------------------------------------------------------------------------

bool TfrmProject::CheckMandatory() {
  struct Field {
    TFlexField& field;
    QWidget* input;
    QString text;
  };
  const Field fields[] = {
      {FlexFldKlant(), cbxKlant_, cbxKlant_->currentText().trimmed()},
      {FlexFldActiviteit(), cbxActiviteit_, cbxActiviteit_->currentText().trimmed()},
      {FlexFldProduct(), cbxProduct_, cbxProduct_->currentText().trimmed()},
      {FlexFldAantal(), edtAantal_, edtAantal_->text()},
      {FlexFldWerkzaamheden(), edtWerkzaamheden_, edtWerkzaamheden_->text()},
  };
  for (const Field& f : fields) {
    if (f.field.Mandatory && f.text.isEmpty()) {
      Dialogs().Warning(kTitle, Tr("Veld '%1' invullen s.v.p.").arg(f.field.CaptionStr()));
      f.input->setFocus();
      return false;
    }
  }
  return true;
}

void TfrmProject::accept() {
  // A time field left by Enter (or still in error) is handled before anything is taken.
  QWidget* focused = focusWidget();
  for (QLineEdit* e : {edtStarttijd_, edtDuur_, edtEindtijd_}) {
    if ((focused == e && editingTimeField_) || (enteredField_ == e && editingTimeField_)) {
      if (!LeaveTimeField(e)) {
        e->setFocus();
        return;
      }
    }
  }
  if (!CheckMandatory()) return;
  QDialog::accept();
}

void TfrmProject::reject() {
  cancelling_ = true;
  QDialog::reject();
}

// --- Time fields ---------------------------------------------------------------------------

TTimeFields TfrmProject::Fields() const {
  return {edtStarttijd_->text(), edtDuur_->text(), edtEindtijd_->text()};
}

void TfrmProject::SetFields(const TTimeFields& f) {
  const bool was = editingTimeField_;
  editingTimeField_ = true;
  edtStarttijd_->setText(f.Start);
  edtDuur_->setText(f.Duration);
  edtEindtijd_->setText(f.End);
  editingTimeField_ = was;
}

bool TfrmProject::eventFilter(QObject* watched, QEvent* event) {
  auto* field = qobject_cast<QLineEdit*>(watched);
  if (field && (field == edtStarttijd_ || field == edtDuur_ || field == edtEindtijd_)) {
    if (event->type() == QEvent::FocusIn) {
      EnterTimeField(field);
    } else if (event->type() == QEvent::FocusOut && editingTimeField_ && !cancelling_ &&
               enteredField_ == field) {
      // Clicking Cancel leaves the field without judging it.
      if (btnCancel_->underMouse() || btnCancel_->isDown()) return false;
      if (!LeaveTimeField(field)) {
        QTimer::singleShot(0, field, [field] { field->setFocus(); });
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmProject::EnterTimeField(QLineEdit* field) {
  enteredFields_ = Fields();
  enteredText_ = field->text();
  enteredField_ = field;
  timesRemembered_ = true;
  editingTimeField_ = true;
}

bool TfrmProject::LeaveTimeField(QLineEdit* field) {
  editingTimeField_ = false;
  TMainObj& m = MainObj();
  TTimeFields f = Fields();
  const QString typed = field->text();
  auto restore = [this] { SetFields(enteredFields_); };
  auto stay = [this, field] {
    editingTimeField_ = true;  // still being edited: judged again when left
    enteredField_ = field;
    return false;
  };
  auto belowText = [&](const TTimeFields& g) {
    return Tr("Tussen %1 en %2 ligt niet de minimale tijdseenheid %3")
        .arg(g.Start, g.End, m.ResolutionText());
  };
  if (field == edtDuur_) {
    switch (hb::LeaveDurationField(m, f)) {
      case TTimeCheck::Invalid:
        field->setText(enteredText_);
        if (Dialogs().Question(kTitle, Tr("%1 is geen geldige tijdsduur").arg(typed), true))
          return stay();
        restore();
        return true;
      case TTimeCheck::BelowResolution:
        if (Dialogs().Question(kTitle, belowText(f), true)) {
          field->setText(enteredText_);
          return stay();
        }
        restore();
        return true;
      case TTimeCheck::Ok:
        SetFields(f);
        break;
    }
  } else {
    switch (hb::LeaveTimeField(m, f, field == edtEindtijd_)) {
      case TTimeCheck::Invalid:
        Dialogs().Warning(kTitle, Tr("%1 is geen geldige tijd").arg(typed));
        field->setText(enteredText_);
        return stay();
      case TTimeCheck::BelowResolution:
        SetFields(f);
        if (Dialogs().Question(kTitle, belowText(f), true)) return stay();
        restore();
        return true;
      case TTimeCheck::Ok:
        SetFields(f);
        break;
    }
  }
  CalcRate();
  enteredFields_ = Fields();
  return true;
}

bool TfrmProject::SpinAllowed(double time) const {
  if (!editing_ || !planner_) return true;
  TMainObj& m = MainObj();
  const double moment = editDate_ + time;
  const int column = TMainObj::DayColumn(moment);
  const int row = m.TimeToRow(false, moment);
  TXAction* there = planner_->ActionAt(column, row);
  return !there || there == editBlock_;
}

void TfrmProject::Spin(TSpin which) {
  if (!edtStarttijd_->isEnabled()) return;
  TTimeFields f = Fields();
  if (!SpinStep(MainObj(), f, which, [this](double t) { return SpinAllowed(t); })) return;
  SetFields(f);
  if (timesRemembered_) enteredFields_ = f;
  CalcRate();
}

}  // namespace hb
