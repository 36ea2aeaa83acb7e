// The windows of the login and the authorisation upkeep, driven with mouse and keys while
// the logic that opens them waits for their answer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "data/frmanderegebruiker.h"
#include "data/frmgebruikersnaam.h"
#include "data/frmmedewautor.h"
#include "data/frmnotauthor.h"
#include "stamdb_fixture.h"
#include "util/paths.h"

namespace {

// Runs the steps on the next modal dialog as soon as it is up; a dialog the steps leave open
// is cancelled after a while, so that no test waits forever.
void WhenModal(std::function<void(QDialog*)> steps) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, steps] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    QPointer<QDialog> guard(dialog);
    QTimer::singleShot(5000, [guard] {
      if (guard && guard->isVisible()) guard->reject();
    });
    steps(dialog);
  });
  timer->start();
}

template <class T>
T* Child(QWidget* parent, const char* name) {
  T* child = parent->findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void ClickItem(QListWidget* list, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
  const auto items = list->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(items.isEmpty()) << text.toStdString();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                    list->visualItemRect(items.first()).center());
}

void DoubleClickItem(QListWidget* list, const QString& text) {
  const auto items = list->findItems(text, Qt::MatchExactly);
  ASSERT_FALSE(items.isEmpty()) << text.toStdString();
  const QPoint pos = list->visualItemRect(items.first()).center();
  // An item view takes a double click only on the entry the button went down on.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pos);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, pos);
}

QStringList Entries(const QListWidget* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
  return entries;
}

class LoginWindowsTest : public hbtest::StamDbTest {
 protected:
  void TearDown() override {
    qunsetenv("HB_TEST_NOT_SET");
    StamDbTest::TearDown();
  }
  void OpenCompany() {
    AddStam("M", 1, "Jan", {{"PASSWORD", "geheim"}});
    AddStam("M", 2, "Piet");
    AddStam("M", 3, "Anna", {{"TOEGANG", "B"}});
    AddStam("K", 20, "Shop");
    AddStam("K", 21, "Garage");
    AddStam("K", 22, "Bakker");
    AddStam("K", 23, "Zadelmaker");
    AddStam("A", 30, "Bouwen");
    AddAutor("K", 1, 20);
    AddAutor("K", 2, 21);
    AddAutor("K", 2, 22);
    AddAutor("K", 2, 23);
    Open();
    hb::StamMedewerkers().LoadFromTable();
  }
};

TEST_F(LoginWindowsTest, LoginDialogWithAnUnsetVariableTakesThePasswordAndRemembersWinUser) {
  qunsetenv("HB_TEST_NOT_SET");
  Ini("Environment", "UserEnv", "HB_TEST_NOT_SET");
  Ini("Environment", "Passwords", "1");
  hb::SetLoginDialog(&hb::TfrmGebruikersnaam::Run);
  bool checked = false;
  WhenModal([&](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Hourbook login");
    auto* name = Child<QLineEdit>(dialog, "edtGebruikersnaam");
    auto* password = Child<QLineEdit>(dialog, "edtPassword");
    EXPECT_FALSE(name->isEnabled());
    EXPECT_EQ(name->text(), hb::WindowsUserName().toUpper());
    EXPECT_TRUE(password->isEnabled());
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    EXPECT_EQ(QApplication::focusWidget(), password);
    QTest::keyClicks(password, " Geheim ");
    QTest::mouseClick(Child<QCheckBox>(dialog, "chkWinUser"), Qt::LeftButton);
    checked = Child<QCheckBox>(dialog, "chkWinUser")->isChecked();
    QTest::keyClick(password, Qt::Key_Return);
  });
  hb::LoginObject().SetArguments({});
  EXPECT_TRUE(hb::LoginObject().Login(false));
  EXPECT_TRUE(checked);
  EXPECT_EQ(hb::LoginObject().UserName(), hb::WindowsUserName().toUpper());
  EXPECT_EQ(hb::LoginObject().Password(), "GEHEIM");
  EXPECT_EQ(hb::ProgramIni().ReadString("Environment", "UserEnv"), "WINUSER");
}

TEST_F(LoginWindowsTest, LoginDialogNameFieldWhenNoVariableIsSetAndCancel) {
  hb::TfrmGebruikersnaam dialog;
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_TRUE(dialog.edtGebruikersnaam->isEnabled());
  EXPECT_FALSE(dialog.edtPassword->isEnabled());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  EXPECT_EQ(QApplication::focusWidget(), dialog.edtGebruikersnaam);
  dialog.edtGebruikersnaam->clear();
  QTest::keyClicks(dialog.edtGebruikersnaam, "kees");
  EXPECT_EQ(dialog.UserName(), "kees");
  QTest::keyClick(dialog.edtGebruikersnaam, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(hb::ProgramIni().ReadString("Environment", "UserEnv"), "");
}

TEST_F(LoginWindowsTest, OtherEmployeeIsChosenByDoubleClickOrKeys) {
  OpenCompany();
  hb::LoginMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(3));
  hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(1));
  hb::SetOtherEmployeeWindow(&hb::TfrmAndereGebruiker::Run);

  WhenModal([](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Andere medewerker");
    EXPECT_EQ(Child<QLabel>(dialog, "lblAfdeling")->text(), "Alle afdelingen");
    auto* users = Child<QListWidget>(dialog, "lbxUsers");
    EXPECT_EQ(Entries(users), QStringList({"Anna", "Jan", "Piet"}));
    EXPECT_EQ(users->currentItem()->text(), "Jan");
    DoubleClickItem(users, "Piet");
  });
  EXPECT_EQ(hb::ChooseOtherEmployee(), "Piet");

  WhenModal([](QDialog* dialog) {
    auto* users = Child<QListWidget>(dialog, "lbxUsers");
    users->setFocus();
    QTest::keyClick(users, Qt::Key_Up);
    QTest::keyClick(users, Qt::Key_Return);
  });
  EXPECT_EQ(hb::ChooseOtherEmployee(), "Anna");

  WhenModal([](QDialog* dialog) {
    QTest::mouseClick(Child<QPushButton>(dialog, "btnAnnuleren"), Qt::LeftButton);
  });
  EXPECT_EQ(hb::ChooseOtherEmployee(), "");
}

TEST_F(LoginWindowsTest, MissingAuthorisationsWindowOkAndCancel) {
  OpenCompany();
  hb::SetNotAuthorWindow(&hb::TfrmNotAuthor::Run);
  QStringList listed;
  WhenModal([&](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Ontbrekende autorisaties");
    listed = Entries(Child<QListWidget>(dialog, "lbxNotAuthor"));
    QTest::mouseClick(Child<QPushButton>(dialog, "btnAnnuleren"), Qt::LeftButton);
  });
  EXPECT_FALSE(hb::CheckMissingAuthorisations());
  EXPECT_EQ(listed, QStringList({"A - Bouwen"}));

  WhenModal([](QDialog* dialog) {
    QTest::keyClick(Child<QListWidget>(dialog, "lbxNotAuthor"), Qt::Key_Return);
  });
  EXPECT_TRUE(hb::CheckMissingAuthorisations());
}

TEST_F(LoginWindowsTest, AuthorisationEditorMovesByButtonsDoubleClickAndDrag) {
  OpenCompany();
  hb::SetMedewAutorWindow(&hb::TfrmMedewAutor::Run);
  WhenModal([](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Autoriseren van Piet voor stamtype Klant");
    EXPECT_EQ(Child<QLabel>(dialog, "lblGeautoriseerd")->text(), "Geautoriseerd voor type Klant:");
    auto* authorised = Child<hb::TAutorListBox>(dialog, "lbxGeautoriseerd");
    auto* other = Child<hb::TAutorListBox>(dialog, "lbxOverig");
    EXPECT_EQ(Entries(authorised), QStringList({"Bakker", "Garage", "Zadelmaker"}));
    EXPECT_EQ(Entries(other), QStringList({"Shop"}));
    EXPECT_EQ(authorised->selectionMode(), QAbstractItemView::ExtendedSelection);

    // Two entries selected, moved by the button.
    ClickItem(authorised, "Bakker");
    ClickItem(authorised, "Zadelmaker", Qt::ControlModifier);
    QTest::mouseClick(Child<QToolButton>(dialog, "btnClear"), Qt::LeftButton);
    EXPECT_EQ(Entries(authorised), QStringList({"Garage"}));
    EXPECT_EQ(Entries(other), QStringList({"Bakker", "Shop", "Zadelmaker"}));

    // A double click moves one entry back.
    DoubleClickItem(other, "Zadelmaker");
    EXPECT_EQ(Entries(authorised), QStringList({"Garage", "Zadelmaker"}));

    // Dragging the selected entries onto the other list.
    ClickItem(other, "Bakker");
    ClickItem(other, "Shop", Qt::ControlModifier);
    const QPoint start =
        other->visualItemRect(other->findItems("Shop", Qt::MatchExactly).first()).center();
    QTest::mousePress(other->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(other->viewport(), start + QPoint(3, 0));
    QTest::mouseMove(other->viewport(), start + QPoint(40, 20));
    const QPoint target = other->viewport()->mapFromGlobal(
        authorised->viewport()->mapToGlobal(authorised->viewport()->rect().center()));
    QTest::mouseRelease(other->viewport(), Qt::LeftButton, {}, target);
    EXPECT_EQ(Entries(authorised), QStringList({"Bakker", "Garage", "Shop", "Zadelmaker"}));
    EXPECT_EQ(Entries(other), QStringList());

    // "Alle verwijderen", then Garage back; saved with the default button.
    QTest::mouseClick(Child<QToolButton>(dialog, "btnClearAll"), Qt::LeftButton);
    DoubleClickItem(other, "Garage");
    QTest::keyClick(other, Qt::Key_Return);
  });
  hb::EditAuthorisations("Piet", hb::stKlant);
  EXPECT_EQ(AutorRows(), QStringList({"K|1|20", "K|2|21"}));
}

TEST_F(LoginWindowsTest, AuthorisationEditorCancelledByEscapeAndSavedByClosing) {
  OpenCompany();
  hb::SetMedewAutorWindow(&hb::TfrmMedewAutor::Run);
  WhenModal([](QDialog* dialog) {
    QTest::mouseClick(Child<QToolButton>(dialog, "btnSelectAll"), Qt::LeftButton);
    EXPECT_EQ(Entries(Child<QListWidget>(dialog, "lbxGeautoriseerd")).size(), 4);
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  hb::EditAuthorisations("Jan", hb::stKlant);
  EXPECT_EQ(AutorRows(), QStringList({"K|1|20", "K|2|21", "K|2|22", "K|2|23"}));

  WhenModal([](QDialog* dialog) {
    auto* other = Child<QListWidget>(dialog, "lbxOverig");
    ClickItem(other, "Garage");
    QTest::mouseClick(Child<QToolButton>(dialog, "btnSelect"), Qt::LeftButton);
    dialog->close();  // the window frame's close button
  });
  hb::EditAuthorisations("Jan", hb::stKlant);
  EXPECT_EQ(AutorRows(), QStringList({"K|1|20", "K|1|21", "K|2|21", "K|2|22", "K|2|23"}));
}

}  // namespace
