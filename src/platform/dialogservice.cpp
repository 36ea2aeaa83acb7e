#include "platform/dialogservice.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <cstdio>
#include <memory>

namespace hb {

namespace {

TDialogService* g_installed = nullptr;

QString Tr(const char* text) {
  return QCoreApplication::translate("TDialogService", text);
}

// No screen to show a dialog on: nobody can answer, so the default answer is taken.
bool Headless() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

void ReportHeadless(TDialogKind kind, const QString& title, const QString& text) {
  std::fprintf(stderr, "[%s] %s: %s\n", qPrintable(DialogKindName(kind)), qPrintable(title),
               qPrintable(text));
}

void CenterOnScreen(QWidget* w) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  QSize size = w->frameGeometry().size();
  w->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

// The program's confirmation dialog: a question above "&Ja" and "&Nee", sized to the text.
class TfrmJaNee : public QDialog {
 public:
  TfrmJaNee() : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(Tr("Bevestiging"));
    QFont f("Arial");
    f.setPointSize(8);
    f.setBold(true);
    setFont(f);
    label_ = new QLabel(this);
    label_->move(8, 16);
    btnJa_ = new QPushButton(Tr("&Ja"), this);
    btnNee_ = new QPushButton(Tr("&Nee"), this);
    btnJa_->resize(77, 27);
    btnNee_->resize(77, 27);
    connect(btnJa_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnNee_, &QPushButton::clicked, this, &QDialog::reject);  // Esc rejects too
  }

  bool Ask(const QString& question, bool defaultYes) {
    Layout(question, defaultYes);
    CenterOnScreen(this);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    int result = exec();
    QApplication::restoreOverrideCursor();
    return result == QDialog::Accepted;
  }

  // Sizes the dialog to the question and places the buttons at the right.
  void Layout(const QString& question, bool defaultYes) {
    label_->setText(question);
    label_->adjustSize();
    int width = ConfirmClientWidth(label_->x(), label_->width(), btnJa_->width(), btnNee_->width());
    setFixedSize(width, 93);
    btnNee_->move(width - 10 - btnNee_->width(), 63);
    btnJa_->move(btnNee_->x() - 10 - btnJa_->width(), 63);
    QPushButton* def = defaultYes ? btnJa_ : btnNee_;
    btnJa_->setDefault(defaultYes);
    btnNee_->setDefault(!defaultYes);
    def->setFocus();
  }

 private:
  QLabel* label_;
  QPushButton* btnJa_;
  QPushButton* btnNee_;
};

// The four-answer question: Ja, Nee, Altijd Ja, Altijd Nee; closing the window cancels.
class TdlgVrtYesNoPlus : public QDialog {
 public:
  TdlgVrtYesNoPlus(const QString& title, const QString& prompt)
      : QDialog(QApplication::activeWindow(), Qt::Dialog | Qt::WindowSystemMenuHint |
                                                  Qt::WindowMinimizeButtonHint |
                                                  Qt::WindowCloseButtonHint) {
    setWindowTitle(title);
    setFixedSize(345, 182);
    auto* label = new QLabel(prompt, this);
    QFont f("MS Sans Serif");
    f.setPixelSize(13);
    label->setFont(f);
    label->setGeometry(8, 8, 329, 129);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(8, 136, 329, 2);
    const struct {
      const char* caption;
      TDialogAnswer answer;
      int left;
    } buttons[] = {{"&Ja", TDialogAnswer::Yes, 16},
                   {"&Nee", TDialogAnswer::No, 96},
                   {"&Altijd Ja", TDialogAnswer::Always, 176},
                   {"Altijd N&ee", TDialogAnswer::Never, 256}};
    for (const auto& b : buttons) {
      auto* button = new QPushButton(Tr(b.caption), this);
      button->setGeometry(b.left, 152, 75, 25);
      button->setAutoDefault(false);
      TDialogAnswer answer = b.answer;
      connect(button, &QPushButton::clicked, this, [this, answer] {
        answer_ = answer;
        accept();
      });
    }
  }
  TDialogAnswer answer_ = TDialogAnswer::Cancel;
};

class TScreenDialogs : public TDialogService {
 public:
  void Warning(const QString& title, const QString& text) override {
    Box(TDialogKind::Warning, QMessageBox::Warning, title, text);
  }
  void Information(const QString& title, const QString& text) override {
    Box(TDialogKind::Information, QMessageBox::Information, title, text);
  }
  void Error(const QString& title, const QString& text) override {
    Box(TDialogKind::Error, QMessageBox::Critical, title, text);
  }

  bool Question(const QString& title, const QString& text, bool defaultYes) override {
    if (Headless()) {
      ReportHeadless(TDialogKind::Question, title, text);
      return defaultYes;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* yes = box.addButton(Tr("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Tr("&Nee"), QMessageBox::NoRole);
    box.setDefaultButton(defaultYes ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
  }

  TDialogAnswer QuestionCancel(const QString& title, const QString& text) override {
    if (Headless()) {
      ReportHeadless(TDialogKind::QuestionCancel, title, text);
      return TDialogAnswer::Cancel;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* yes = box.addButton(Tr("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(Tr("&Nee"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(Tr("Annuleren"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return TDialogAnswer::Yes;
    if (box.clickedButton() == no) return TDialogAnswer::No;
    return TDialogAnswer::Cancel;
  }

  bool Confirm(const QString& text, bool defaultYes) override {
    if (Headless()) {
      ReportHeadless(TDialogKind::Confirm, Tr("Bevestiging"), text);
      return defaultYes;
    }
    // Made at the first question and kept for the run.
    if (!janee_) janee_ = new TfrmJaNee();
    return janee_->Ask(text, defaultYes);
  }

  TDialogAnswer YesNoAlways(const QString& title, const QString& text) override {
    if (Headless()) {
      ReportHeadless(TDialogKind::YesNoAlways, title, text);
      return TDialogAnswer::Cancel;
    }
    TdlgVrtYesNoPlus dlg(title, text);
    CenterOnScreen(&dlg);
    dlg.exec();
    return dlg.answer_;
  }

  bool InputText(const QString& title, const QString& prompt, QString& value) override {
    if (Headless()) {
      ReportHeadless(TDialogKind::InputText, title, prompt);
      return false;
    }
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), title, prompt,
                                         QLineEdit::Normal, value, &ok);
    if (ok) value = text;
    return ok;
  }

 private:
  void Box(TDialogKind kind, QMessageBox::Icon icon, const QString& title, const QString& text) {
    if (Headless()) {
      ReportHeadless(kind, title, text);
      return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
  }

  QPointer<TfrmJaNee> janee_;
};

// The service the program uses when none is installed.
TDialogService& DefaultService() {
  static std::unique_ptr<TDialogService> service = [] {
    const QString answers = qEnvironmentVariable("HOURBOOK_DIALOG_ANSWERS");
    const QString log = qEnvironmentVariable("HOURBOOK_DIALOG_LOG");
    if (answers.isEmpty() && log.isEmpty()) {
      return std::unique_ptr<TDialogService>(new TScreenDialogs());
    }
    auto scripted = std::make_unique<TScriptedDialogs>(false);
    scripted->SetLogFile(log);
    scripted->QueueScript(answers);
    return std::unique_ptr<TDialogService>(std::move(scripted));
  }();
  return *service;
}

}  // namespace

QString DialogKindName(TDialogKind kind) {
  switch (kind) {
    case TDialogKind::Warning:
      return "warning";
    case TDialogKind::Information:
      return "information";
    case TDialogKind::Error:
      return "error";
    case TDialogKind::Question:
      return "question";
    case TDialogKind::QuestionCancel:
      return "questioncancel";
    case TDialogKind::Confirm:
      return "confirm";
    case TDialogKind::YesNoAlways:
      return "yesnoalways";
    case TDialogKind::InputText:
      return "input";
  }
  return "dialog";
}

TDialogService& Dialogs() {
  return g_installed ? *g_installed : DefaultService();
}

TDialogService* SetDialogService(TDialogService* service) {
  TDialogService* previous = g_installed;
  g_installed = service;
  return previous;
}

QSize ConfirmDialogSize(const QString& question) {
  TfrmJaNee dlg;
  dlg.Layout(question, true);
  return dlg.size();
}

int ConfirmClientWidth(int labelLeft, int labelWidth, int yesWidth, int noWidth) {
  int width = yesWidth + noWidth + 30;
  int byLabel = 2 * labelLeft + labelWidth;
  return byLabel > width ? byLabel : width;
}

// ---- TScriptedDialogs ----

TScriptedDialogs::TScriptedDialogs(bool install) : installed_(install) {
  if (installed_) previous_ = SetDialogService(this);
}

TScriptedDialogs::~TScriptedDialogs() {
  if (installed_ && g_installed == this) SetDialogService(previous_);
}

void TScriptedDialogs::Queue(TDialogAnswer answer) {
  answers_.append({answer, {}, false});
}

void TScriptedDialogs::QueueText(const QString& text) {
  answers_.append({TDialogAnswer::Ok, text, true});
}

void TScriptedDialogs::QueueScript(const QString& answers) {
  for (const QString& raw : answers.split(',', Qt::SkipEmptyParts)) {
    const QString item = raw.trimmed();
    const QString word = item.toLower();
    if (word.startsWith("text:")) {
      QueueText(item.mid(5));
    } else if (word == "yes" || word == "ja") {
      Queue(TDialogAnswer::Yes);
    } else if (word == "no" || word == "nee") {
      Queue(TDialogAnswer::No);
    } else if (word == "always") {
      Queue(TDialogAnswer::Always);
    } else if (word == "never") {
      Queue(TDialogAnswer::Never);
    } else if (word == "ok") {
      Queue(TDialogAnswer::Ok);
    } else {
      Queue(TDialogAnswer::Cancel);
    }
  }
}

QStringList TScriptedDialogs::Texts() const {
  QStringList texts;
  for (const TShown& s : shown_) texts.append(s.text);
  return texts;
}

void TScriptedDialogs::Clear() {
  shown_.clear();
  answers_.clear();
}

void TScriptedDialogs::Record(TDialogKind kind, const QString& title, const QString& text,
                              bool defaultYes) {
  shown_.append({kind, title, text, defaultYes});
  if (logFile_.isEmpty()) return;
  QFile file(logFile_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  QString line = DialogKindName(kind) + "|" + title + "|" + text;
  line.replace("\r\n", "\\n").replace('\n', "\\n").replace('\r', "\\n");
  file.write((line + "\n").toUtf8());
}

bool TScriptedDialogs::Take(TQueued& answer) {
  if (answers_.isEmpty()) return false;
  answer = answers_.takeFirst();
  return true;
}

void TScriptedDialogs::Warning(const QString& title, const QString& text) {
  Record(TDialogKind::Warning, title, text, false);
}

void TScriptedDialogs::Information(const QString& title, const QString& text) {
  Record(TDialogKind::Information, title, text, false);
}

void TScriptedDialogs::Error(const QString& title, const QString& text) {
  Record(TDialogKind::Error, title, text, false);
}

bool TScriptedDialogs::Question(const QString& title, const QString& text, bool defaultYes) {
  Record(TDialogKind::Question, title, text, defaultYes);
  TQueued a;
  if (!Take(a)) return defaultYes;
  return a.answer == TDialogAnswer::Yes || a.answer == TDialogAnswer::Always ||
         a.answer == TDialogAnswer::Ok;
}

TDialogAnswer TScriptedDialogs::QuestionCancel(const QString& title, const QString& text) {
  Record(TDialogKind::QuestionCancel, title, text, true);
  TQueued a;
  if (!Take(a)) return TDialogAnswer::Cancel;
  switch (a.answer) {
    case TDialogAnswer::Yes:
    case TDialogAnswer::Always:
    case TDialogAnswer::Ok:
      return TDialogAnswer::Yes;
    case TDialogAnswer::No:
    case TDialogAnswer::Never:
      return TDialogAnswer::No;
    default:
      return TDialogAnswer::Cancel;
  }
}

bool TScriptedDialogs::Confirm(const QString& text, bool defaultYes) {
  Record(TDialogKind::Confirm, QCoreApplication::translate("TDialogService", "Bevestiging"), text,
         defaultYes);
  TQueued a;
  if (!Take(a)) return defaultYes;
  return a.answer == TDialogAnswer::Yes || a.answer == TDialogAnswer::Always ||
         a.answer == TDialogAnswer::Ok;
}

TDialogAnswer TScriptedDialogs::YesNoAlways(const QString& title, const QString& text) {
  Record(TDialogKind::YesNoAlways, title, text, false);
  TQueued a;
  if (!Take(a)) return TDialogAnswer::Cancel;
  return a.answer == TDialogAnswer::Ok ? TDialogAnswer::Yes : a.answer;
}

bool TScriptedDialogs::InputText(const QString& title, const QString& prompt, QString& value) {
  Record(TDialogKind::InputText, title, prompt, false);
  TQueued a;
  if (!Take(a)) return false;
  if (a.answer != TDialogAnswer::Ok && a.answer != TDialogAnswer::Yes) return false;
  if (a.hasText) value = a.text;
  return true;
}

}  // namespace hb
