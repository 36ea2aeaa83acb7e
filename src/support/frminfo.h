// The info window: program icon, version, version date, the version history (hidden until
// Alt+V) and a close button. It serves as the splash screen during start-up and as the
// "&Info" window of the main window.
//
//   QPointer<TfrmInfo> splash = TfrmInfo::ShowSplash();   // hourglass cursor, shown at once;
//                                  // it ends itself once another window takes the focus
//   frmInfo->ShowInfo();           // modal, with the close button
//
// Every activation clears the caption and, in a developer's folder, writes "history.txt".
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace hb {

class TfrmInfo : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmInfo(QWidget* parent = nullptr);
  ~TfrmInfo() override;

  // Creates the splash window "splashfrmInfo" with the hourglass cursor and paints it.
  static TfrmInfo* ShowSplash();
  bool IsSplash() const { return splash_; }
  // The splash is done: the name goes, the cursor returns to normal and the window frees
  // itself. Nothing happens for a window that is no splash (or no longer one).
  void EndSplash();

  // Shows the window modally with its close button.
  int ShowInfo();

  // Alt+V: shows the history over the whole window with the focus, or hides it again.
  void ToggleHistory();

  QLabel* lblVersie() const { return lblVersie_; }
  QLabel* lblVersieDatum() const { return lblVersieDatum_; }
  QPlainTextEdit* memHistory() const { return memHistory_; }
  QPushButton* btnSluiten() const { return btnSluiten_; }

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void done(int result) override;

 private:
  void CenterOnScreen();
  void ReleaseCursor();

  QLabel* lblVersie_;
  QLabel* lblVersieDatum_;
  QPlainTextEdit* memHistory_;
  QPushButton* btnSluiten_;
  bool splash_ = false;
  bool holdsCursor_ = false;
};

}  // namespace hb
