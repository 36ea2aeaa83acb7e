// The dialog service: every message box and question of the program goes through it.
//
// Logic code never shows a window itself; it asks the current service:
//
//   hb::Dialogs().Warning("Hourbook", "Bestand ontbreekt");
//   if (hb::Dialogs().Question("Hourbook", "Map aanmaken?", true)) ...
//   switch (hb::Dialogs().YesNoAlways("Tabel", "Herstructureren?")) { ... }
//
// On screen the service shows Qt message boxes and the program's own question dialogs.
// Tests install a TScriptedDialogs, which answers from a queue and records every shown text:
//
//   hb::TScriptedDialogs dlg;                 // installed while it lives
//   dlg.Queue(hb::TDialogAnswer::Yes);
//   RunSomething();
//   EXPECT_EQ(dlg.Shown().at(0).text, "...");
//
// Without a screen (the offscreen or minimal platform, as in the test programs) the on-screen
// service answers every question with its default and shows nothing, so nothing ever waits on
// a modal loop. The environment variables HOURBOOK_DIALOG_ANSWERS (comma-separated answers:
// yes, no, always, never, cancel, ok, or text:<value>) and HOURBOOK_DIALOG_LOG (a file that
// receives one line "kind|title|text" per dialog) make the program use a scripted service,
// so whole-program runs can be steered and checked.
#pragma once

#include <QList>
#include <QSize>
#include <QString>

namespace hb {

enum class TDialogAnswer { Ok, Yes, No, Always, Never, Cancel };

enum class TDialogKind {
  Warning,         // exclamation icon, OK
  Information,     // information icon, OK
  Error,           // error icon, OK
  Question,        // Yes / No message box
  QuestionCancel,  // Yes / No / Cancel message box
  Confirm,         // the program's confirmation dialog (title "Bevestiging"), Ja / Nee
  YesNoAlways,     // Ja / Nee / Altijd Ja / Altijd Nee; closing the window cancels
  InputText        // one line of text, OK / Cancel
};

class TDialogService {
 public:
  virtual ~TDialogService() = default;

  virtual void Warning(const QString& title, const QString& text) = 0;
  virtual void Information(const QString& title, const QString& text) = 0;
  virtual void Error(const QString& title, const QString& text) = 0;
  // Yes / No; the default button is Yes when defaultYes. True for Yes.
  virtual bool Question(const QString& title, const QString& text, bool defaultYes) = 0;
  // Yes, No or Cancel (Esc and closing the window give Cancel).
  virtual TDialogAnswer QuestionCancel(const QString& title, const QString& text) = 0;
  // The confirmation dialog "Bevestiging" with "&Ja" / "&Nee" (Esc is No). True for Ja.
  virtual bool Confirm(const QString& text, bool defaultYes) = 0;
  // Yes, No, Always, Never, or Cancel when the window is closed otherwise.
  virtual TDialogAnswer YesNoAlways(const QString& title, const QString& text) = 0;
  // Asks for one line of text, starting from value; true and the new value on OK.
  virtual bool InputText(const QString& title, const QString& prompt, QString& value) = 0;
};

// The current service: the installed one, else the on-screen service (or the scripted one
// that the environment variables above ask for).
TDialogService& Dialogs();

// Installs a service (not owned) and returns the previous one; nullptr restores the default.
TDialogService* SetDialogService(TDialogService* service);

// The width of the confirmation dialog's client area: the widths of both buttons + 30, or
// twice the label's left plus the label's width when that is larger.
int ConfirmClientWidth(int labelLeft, int labelWidth, int yesWidth, int noWidth);
// The client size the confirmation dialog takes for a question (needs a QApplication).
QSize ConfirmDialogSize(const QString& question);

// A service for tests: answers from a queue, records every dialog. Installs itself on
// construction and restores the previous service on destruction.
class TScriptedDialogs : public TDialogService {
 public:
  struct TShown {
    TDialogKind kind;
    QString title;
    QString text;
    bool defaultYes = false;  // for Question and Confirm
  };

  // install = false leaves the current service alone (for services built from the environment).
  explicit TScriptedDialogs(bool install = true);
  ~TScriptedDialogs() override;

  // Answers are used in order. An OK box takes no answer. When the queue is empty a question
  // gets its default (the default button; Cancel for YesNoAlways, QuestionCancel and
  // InputText). Always / Never given to a Yes/No question count as Yes / No, Cancel as No.
  void Queue(TDialogAnswer answer);
  void QueueText(const QString& text);  // an OK answer to InputText with this value
  // Queues a comma-separated list: yes (ja), no (nee), always, never, ok, cancel, text:<value>.
  // An unknown word queues Cancel.
  void QueueScript(const QString& answers);

  const QList<TShown>& Shown() const { return shown_; }
  QStringList Texts() const;
  QString LastText() const { return shown_.isEmpty() ? QString() : shown_.back().text; }
  int PendingAnswers() const { return int(answers_.size()); }
  void Clear();

  // When set, every dialog also appends "kind|title|text" (line breaks as "\n") to this file.
  void SetLogFile(const QString& path) { logFile_ = path; }

  void Warning(const QString& title, const QString& text) override;
  void Information(const QString& title, const QString& text) override;
  void Error(const QString& title, const QString& text) override;
  bool Question(const QString& title, const QString& text, bool defaultYes) override;
  TDialogAnswer QuestionCancel(const QString& title, const QString& text) override;
  bool Confirm(const QString& text, bool defaultYes) override;
  TDialogAnswer YesNoAlways(const QString& title, const QString& text) override;
  bool InputText(const QString& title, const QString& prompt, QString& value) override;

 private:
  struct TQueued {
    TDialogAnswer answer;
    QString text;
    bool hasText = false;
  };
  void Record(TDialogKind kind, const QString& title, const QString& text, bool defaultYes);
  bool Take(TQueued& answer);

  QList<TShown> shown_;
  QList<TQueued> answers_;
  QString logFile_;
  bool installed_ = false;
  TDialogService* previous_ = nullptr;
};

// Name of a dialog kind as written to the dialog log ("warning", "question", ...).
QString DialogKindName(TDialogKind kind);

}  // namespace hb
