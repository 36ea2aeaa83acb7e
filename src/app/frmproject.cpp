#include "app/frmproject.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/mainlogic.h"
#include "controls/planbox.h"
#include "data/dmdbase.h"
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
  grpboxStopwatch_ = new QGroupBox(Tr("Stopwatch:"), this);
  grpboxStopwatch_->setObjectName("grpboxStopwatch");
  auto* sw = new QVBoxLayout(grpboxStopwatch_);
  pnlTime_ = new QLabel("--:--:--", grpboxStopwatch_);
  pnlTime_->setObjectName("pnlTime");
  pnlTime_->setAlignment(Qt::AlignCenter);
  pnlTime_->setFrameShape(QFrame::Panel);
  sw->addWidget(pnlTime_);
  auto* swRow = new QHBoxLayout;
  struct Button {
    const char* name;
    const char* glyph;
    const char* hint;
    void (TfrmProject::*slot)();
  };
  const Button buttons[4] = {
      {"btnStartTimer", "\u25B6", "Start de stopwatch", &TfrmProject::StartTimer},
      {"btnPauseTimer", "\u2016", "Onderbreek de stopwatch tijdelijk", &TfrmProject::PauseTimer},
      {"btnStopTimer", "\u25A0", "Stop de stopwatch", &TfrmProject::StopTimer},
      {"btnInTray", "\u25BF", "Minimaliseer Hourbook naar de systeem tray", &TfrmProject::InTray},
  };
  for (int i = 0; i < 4; ++i) {
    swButtons_[i] = new QToolButton(grpboxStopwatch_);
    swButtons_[i]->setObjectName(buttons[i].name);
    swButtons_[i]->setText(QString::fromUtf8(buttons[i].glyph));
    swButtons_[i]->setToolTip(Tr(buttons[i].hint));
    connect(swButtons_[i], &QToolButton::clicked, this, buttons[i].slot);
    swRow->addWidget(swButtons_[i]);
  }
  sw->addLayout(swRow);
  grpboxStopwatch_->hide();
  left->addWidget(grpboxStopwatch_);
  timer_ = new QTimer(this);
  timer_->setObjectName("Timer");
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &TfrmProject::StopwatchTick);
  middle->addLayout(left);

  auto* right = new QVBoxLayout;
  auto* grpTijden = new QGroupBox(Tr("Tijden:"), this);
  grpTijden_ = grpTijden;
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
    connect(edit, &QLineEdit::textEdited, this, [this] { failedField_ = nullptr; });
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
  static const char* const kEditButtons[3] = {"btnEditKlant", "btnEditActiviteit",
                                              "btnEditProduct"};
  for (int i = 0; i < 3; ++i) {
    editButtons_[i] = new QToolButton(grpGegevens);
    editButtons_[i]->setObjectName(kEditButtons[i]);
    editButtons_[i]->setText("...");
    data->addWidget(editButtons_[i], i, 2);
    connect(editButtons_[i], &QToolButton::clicked, this, [this, i] { EditStam(i + 1); });
  }
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
  stopwatch_.clear();
  SetStopwatchButtons(false);
}

QToolButton* TfrmProject::SpinButton(bool start, bool up) const {
  if (start) return up ? spinStartUp_ : spinStartDown_;
  return up ? spinEindUp_ : spinEindDown_;
}

QLabel* TfrmProject::Label(const QString& name) const { return findChild<QLabel*>(name); }

// --- Showing -----------------------------------------------------------------------------

void TfrmProject::showEvent(QShowEvent* event) {
  cancelling_ = false;
  failedField_ = nullptr;
  timesRemembered_ = false;
  enteredField_ = nullptr;
  if (!returningFromTray_) masterDataChanged_ = false;
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
  // Back from the tray the dialog keeps what it showed.
  if (!returningFromTray_) FormActivate();
  returningFromTray_ = false;
  QDialog::showEvent(event);
}

void TfrmProject::hideEvent(QHideEvent* event) {
  if (cancelling_ && timesRemembered_) SetFields(enteredFields_);
  qDeleteAll(shortcuts_);
  shortcuts_.clear();
  QDialog::hideEvent(event);
}

void TfrmProject::FormActivate() {
  TFlexField* const editFields[3] = {&FlexFldKlant(), &FlexFldActiviteit(), &FlexFldProduct()};
  for (int i = 0; i < 3; ++i) editButtons_[i]->setVisible(OnEditStam && editFields[i]->InUse);
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
  if (failedField_) {
    // The click that brought us here has just judged the field it left: answered already.
    QLineEdit* failed = failedField_;
    failedField_ = nullptr;
    failed->setFocus();
    return;
  }
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
  // Closing while the stopwatch runs books the running period first, as Pause does.
  if (stopwatchMode_ && running_) PauseTimer();
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
        failedField_ = field;
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

void TfrmProject::EditStam(int page) {
  if (!OnEditStam) return;
  ReloadAll();
  OnEditStam(page);
  // The shown employee's bookable lists again; the selected texts stay selected.
  CurrentMedewerker().LoadAuthorisations();
  FillCombo(cbxKlant_, ListTexts(AutorKlanten()), cbxKlant_->currentText());
  FillCombo(cbxActiviteit_, ListTexts(AutorActiviteiten()), cbxActiviteit_->currentText());
  FillCombo(cbxProduct_, ListTexts(AutorProducten()), cbxProduct_->currentText());
  masterDataChanged_ = true;
  CalcRate();
}

// --- Stopwatch -----------------------------------------------------------------------------

namespace {

// "hh:mm:ss" of a duration; hours are not limited to 24.
QString ElapsedText(double days) {
  const qint64 seconds = std::max<qint64>(0, std::llround(days * 86400.0));
  auto two = [](qint64 v) { return QString::number(v).rightJustified(2, '0'); };
  return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

QString HourMinute(double moment) {
  const TDayTime t = SplitMoment(moment);
  return QString::number(t.Hour) + ":" + QString::number(t.Minute).rightJustified(2, '0');
}

double TimeOfDay(double moment) { return moment - std::floor(moment + 1e-9); }

}  // namespace

QList<QWidget*> TfrmProject::Inputs() const {
  return {cbxKlant_, cbxActiviteit_, cbxProduct_, edtAantal_, chkVoorlopig_, edtWerkzaamheden_};
}

void TfrmProject::SetInputsEnabled(bool on) {
  for (QWidget* w : Inputs()) w->setEnabled(on);
}

void TfrmProject::SetStopwatchButtons(bool running) {
  swButtons_[0]->setEnabled(!running);
  swButtons_[1]->setEnabled(running);
  swButtons_[2]->setEnabled(running);
  const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
  swButtons_[3]->setEnabled(running && tray);
  swButtons_[3]->setToolTip(tray ? Tr("Minimaliseer Hourbook naar de systeem tray")
                                 : Tr("Geen systeem tray beschikbaar"));
}

bool TfrmProject::RunStopwatch(TXPlanbox* planner) {
  planner_ = planner;
  editing_ = false;
  stopwatchMode_ = true;
  setWindowTitle(Tr("Real-time boeken"));
  grpDagen_->hide();
  grpboxStopwatch_->show();
  btnOK_->hide();
  btnCancel_->setText(Tr("Sluiten"));
  SetInputsEnabled(true);
  grpTijden_->setEnabled(false);
  edtWerkzaamheden_->clear();
  edtAantal_->clear();
  SetStopwatchButtons(running_);
  for (;;) {
    exec();
    if (!inTray_) break;
    // Hidden to the tray (which ends the modal loop): wait for the tray icon to be clicked,
    // then show the dialog again as it was.
    QEventLoop wait;
    connect(trayIcon_, &QSystemTrayIcon::activated, &wait, &QEventLoop::quit);
    wait.exec();
    returningFromTray_ = true;
  }
  CloseStopwatch();
  return false;
}

void TfrmProject::CloseStopwatch() {
  setWindowTitle(Tr("Project"));
  grpTijden_->setEnabled(true);
  btnOK_->show();
  btnCancel_->setText(Tr("Annuleren"));
  stopwatchMode_ = false;
  grpboxStopwatch_->hide();
  grpDagen_->show();
  SetInputsEnabled(true);
}

void TfrmProject::StartTimer() {
  if (!stopwatchMode_ || running_) return;
  const double now = NowMoment();
  TTimeInfo* last = stopwatch_.isEmpty() ? nullptr : &stopwatch_.last();
  if (last && last->KlantText == cbxKlant_->currentText() &&
      last->ActiviteitText == cbxActiviteit_->currentText() &&
      last->ProductText == cbxProduct_->currentText() &&
      last->AantalText == edtAantal_->text() && last->Voorlopig == chkVoorlopig_->isChecked() &&
      last->Werkz == edtWerkzaamheden_->text()) {
    last->Start = last->Stop = now;
  } else {
    struct Required {
      TFlexField& field;
      QString text;
    };
    const Required required[] = {
        {FlexFldKlant(), cbxKlant_->currentText().trimmed()},
        {FlexFldActiviteit(), cbxActiviteit_->currentText().trimmed()},
        {FlexFldProduct(), cbxProduct_->currentText().trimmed()},
        {FlexFldWerkzaamheden(), edtWerkzaamheden_->text()},
        {FlexFldAantal(), edtAantal_->text()},
    };
    QStringList missing;
    for (const Required& r : required)
      if (r.field.Mandatory && r.text.isEmpty()) missing << r.field.CaptionStr();
    if (!missing.isEmpty()) {
      Dialogs().Warning(kTitle, Tr("De volgende velden zijn verplicht:") + "\n\n" +
                                    missing.join('\n'));
      return;
    }
    TTimeInfo entry;
    entry.Start = entry.Stop = now;
    entry.KlantText = cbxKlant_->currentText();
    entry.ActiviteitText = cbxActiviteit_->currentText();
    entry.ProductText = cbxProduct_->currentText();
    entry.AantalText = edtAantal_->text();
    entry.Voorlopig = chkVoorlopig_->isChecked();
    entry.Werkz = edtWerkzaamheden_->text();
    QStringList abbreviations;
    auto abbreviation = [&](TFlexField& field, const QComboBox* box, const TStamList& bookable,
                            const TStamList& all) {
      if (!field.InUse) return;
      const TStamObjPtr item = SelectedItem(box, bookable, all);
      abbreviations << (item ? item->Afkorting.trimmed() : QString());
    };
    abbreviation(FlexFldKlant(), cbxKlant_, AutorKlanten(), StamKlanten());
    abbreviation(FlexFldActiviteit(), cbxActiviteit_, AutorActiviteiten(), StamActiviteiten());
    abbreviation(FlexFldProduct(), cbxProduct_, AutorProducten(), StamProducten());
    entry.ShortDescr = ShortDescription(abbreviations);
    stopwatch_.append(entry);
  }
  edtStarttijd_->setText(TimeFieldText(TimeOfDay(MainObj().RoundToTimeblock(0, now))));
  SetInputsEnabled(false);
  running_ = true;
  SetStopwatchButtons(true);
  trayTicks_ = 0;
  timer_->start();
  if (QSystemTrayIcon::isSystemTrayAvailable()) InTray();
}

void TfrmProject::StopwatchTick() {
  if (stopwatch_.isEmpty()) {
    pnlTime_->setText("--:--:--");
    return;
  }
  const TTimeInfo& entry = stopwatch_.last();
  TMainObj& m = MainObj();
  const double now = NowMoment();
  const double start = m.RoundToTimeblock(0, entry.Start);
  const double end = m.RoundToTimeblock(0, now);
  SetFields({TimeFieldText(TimeOfDay(start)), TimeFieldText(end - start),
             TimeFieldText(TimeOfDay(end))});
  const QString elapsed = ElapsedText(now - entry.Start);
  pnlTime_->setText(elapsed);
  if (trayIcon_) {
    trayIcon_->setToolTip(entry.ShortDescr + " " + elapsed);
    if (inTray_ && ++trayTicks_ % 10 == 0) {
      // Some notification areas drop an icon that is not refreshed now and then.
      trayIcon_->hide();
      trayIcon_->show();
    }
  }
}

void TfrmProject::PauseTimer() {
  if (!running_) return;
  timer_->stop();
  running_ = false;
  if (!stopwatch_.isEmpty()) BookEntry(stopwatch_.last());
  SetInputsEnabled(true);
  SetStopwatchButtons(false);
}

void TfrmProject::StopTimer() {
  PauseTimer();
  if (stopwatch_.isEmpty()) return;
  stopwatch_.removeLast();
  if (stopwatch_.isEmpty()) return;
  const TTimeInfo earlier = stopwatch_.takeLast();
  FillCombo(cbxKlant_, ListTexts(AutorKlanten()), earlier.KlantText);
  FillCombo(cbxActiviteit_, ListTexts(AutorActiviteiten()), earlier.ActiviteitText);
  FillCombo(cbxProduct_, ListTexts(AutorProducten()), earlier.ProductText);
  edtAantal_->setText(earlier.AantalText);
  chkVoorlopig_->setChecked(earlier.Voorlopig);
  edtWerkzaamheden_->setText(earlier.Werkz);
  CalcRate();
}

void TfrmProject::InTray() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (!trayIcon_) {
    trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
    trayIcon_->setObjectName("TrayIcon");
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this] {
      trayIcon_->hide();
      inTray_ = false;
      if (MainWindow) MainWindow->show();
    });
  }
  inTray_ = true;
  trayTicks_ = 0;
  if (MainWindow) MainWindow->hide();
  hide();
  trayIcon_->show();
}

void TfrmProject::BookEntry(TTimeInfo& entry) {
  entry.Stop = NowMoment();
  const QList<TBookPeriod> periods = StopwatchPeriods(MainObj(), entry.Start, entry.Stop);
  TMainObj& m = MainObj();
  SetFields({m.RowToTimeStr(m.TimeToRow(false, entry.Start)),
             TimeFieldText(entry.Stop - entry.Start),
             m.RowToTimeStr(m.TimeToRow(true, entry.Stop) + 1)});
  for (const TBookPeriod& p : periods) BookPeriod(p);
}

void TfrmProject::BookPeriod(const TBookPeriod& period) {
  TMainObj& m = MainObj();
  auto rec = std::make_unique<TActieRec>();
  TXRect rect{TMainObj::DayColumn(period.Start), m.TimeToRow(false, period.Start),
              TMainObj::DayColumn(period.Stop), m.TimeToRow(true, period.Stop)};
  FillRecord(*rec, rect);
  // The moments themselves: a period outside the displayed week keeps its own date.
  rec->Start = period.Start;
  rec->Stop = period.Stop;
  const QString conflict =
      Tr("Conflict: overlappende perioden") + "\n" + (rec->Klant ? rec->Klant->Naam : "") +
      "/" + (rec->Activiteit ? rec->Activiteit->Naam : "") + "/" +
      (rec->Product ? rec->Product->Naam : "") + ": " + DateText(period.Start) + " " +
      HourMinute(period.Start) + "-" + HourMinute(period.Stop);
  const bool inWeek = period.Start >= m.PeriodStart() && period.Start < m.PeriodEnd();
  if (!planner_ || !inWeek) {
    // Not on the planner: stored directly, so that no counted time is lost.
    TdmDBase* dm = DmDBase();
    if (dm && rec->PutActieRec(dm->tblUren)) {
      ownRecords_.push_back(std::move(rec));
    } else {
      Dialogs().Warning(kTitle, conflict);
    }
    return;
  }
  auto* block = new TXAction;
  block->ActionRect = rect;
  while (planner_->OverlapsOther(block) && rec->Start <= rec->Stop &&
         block->ActionRect.Top <= block->ActionRect.Bottom) {
    ++block->ActionRect.Top;
    rec->Start = m.AddTimeblocks(1, rec->Start);
  }
  if (planner_->OverlapsOther(block) || rec->Start >= rec->Stop ||
      block->ActionRect.Top > block->ActionRect.Bottom) {
    delete block;
    Dialogs().Warning(kTitle, conflict);
    return;
  }
  if (OnNewRecord) {
    block->ActionObj = OnNewRecord(std::move(rec));
  } else {
    block->ActionObj = rec.get();
    ownRecords_.push_back(std::move(rec));
  }
  planner_->AddAction(block);
  block->show();
  if (OnStopwatchBlock) OnStopwatchBlock(block);
}

}  // namespace hb
