// The login: the name from the command line, the environment or the dialog; identifying the
// employee with adding unknown ones; the password tries.
#include "data/login.h"

#include <gtest/gtest.h>

#include "data/autorisatie.h"
#include "stamdb_fixture.h"
#include "util/paths.h"

namespace {

TEST(LoginCommandLine, UserSwitchForms) {
  const struct {
    QStringList Arguments;
    const char* Expected;
  } cases[] = {
      {{"/user=\"Jan Smit\""}, "Jan Smit"},
      {{"/debug", "/USER=piet"}, "piet"},
      {{"/User=a=b"}, "a=b"},
      {{"-/user=x"}, "x"},     // the switch may stand anywhere in the argument
      {{"/user=\"x"}, "\"x"},  // a lone quote stays
      {{"/user=\""}, "\""},
      {{"/user=a", "/user=b"}, "a"},  // the first one counts
      {{"/USER="}, ""},
      {{"/USERNAME"}, ""},  // no "="
      {{"/NOMETACHECK"}, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(hb::CommandLineUserName(c.Arguments), c.Expected)
        << c.Arguments.join(' ').toStdString();
}

class LoginTest : public hbtest::StamDbTest {
 protected:
  void SetUp() override {
    StamDbTest::SetUp();
    hb::SetLoginDialog([this](QString& name, QString& password) {
      ++dialogShown;
      if (answers.isEmpty()) return false;
      const auto answer = answers.takeFirst();
      name = answer.first;
      password = answer.second;
      return true;
    });
  }
  void TearDown() override {
    qunsetenv("HB_TEST_LOGIN");
    StamDbTest::TearDown();
  }

  bool Login(const QStringList& arguments, bool force = false) {
    hb::LoginObject().SetArguments(arguments);
    return hb::LoginObject().Login(force);
  }

  // Answers of the login dialog: name and password, OK; none left: Cancel.
  QList<QPair<QString, QString>> answers;
  int dialogShown = 0;
};

TEST_F(LoginTest, NameFromTheCommandLineOrTheEnvironmentSetting) {
  EXPECT_TRUE(Login({"/user=\"Jan Smit\""}));
  EXPECT_EQ(hb::LoginObject().UserName(), "JAN SMIT");
  EXPECT_EQ(hb::LoginObject().Password(), "");

  Ini("Environment", "UserEnv", "winuser");
  EXPECT_TRUE(Login({"/USER="}));
  EXPECT_EQ(hb::LoginObject().UserName(), hb::WindowsUserName().toUpper());

  qputenv("HB_TEST_LOGIN", "  kees ");
  Ini("Environment", "UserEnv", "HB_TEST_LOGIN");
  EXPECT_TRUE(Login({}));
  EXPECT_EQ(hb::LoginObject().UserName(), "KEES");
  EXPECT_EQ(dialogShown, 0);

  // A name of blanks is asked for like a missing one.
  Ini("Environment", "UserEnv", "");
  answers << qMakePair(QString(" mies "), QString(" Geheim "));
  EXPECT_TRUE(Login({"/user=\"  \""}));
  EXPECT_EQ(hb::LoginObject().UserName(), "MIES");
  EXPECT_EQ(hb::LoginObject().Password(), "GEHEIM");
  EXPECT_EQ(dialogShown, 1);
}

TEST_F(LoginTest, UnsetVariableShowsTheDialogWithTheNameFieldDisabled) {
  Ini("Environment", "UserEnv", "HB_TEST_LOGIN");
  const hb::TLoginDialogSetup setup = hb::LoginDialogSetup();
  EXPECT_FALSE(setup.NameEnabled);
  EXPECT_EQ(setup.UserName, hb::WindowsUserName().toUpper());
  EXPECT_FALSE(setup.PasswordEnabled);

  EXPECT_FALSE(Login({}));  // cancelled
  EXPECT_EQ(dialogShown, 1);
  EXPECT_EQ(hb::LoginObject().UserName(), "");

  // Forced, the dialog comes even with a known name; its name wins.
  answers << qMakePair(QString("anna"), QString(""));
  EXPECT_TRUE(Login({"/user=jan"}, true));
  EXPECT_EQ(hb::LoginObject().UserName(), "ANNA");
}

TEST_F(LoginTest, WithoutALoginWindowTheNameIsAskedThroughTheDialogService) {
  hb::SetLoginDialog({});
  dialogs_.QueueText("piet");
  EXPECT_TRUE(Login({}));
  EXPECT_EQ(hb::LoginObject().UserName(), "PIET");
  ASSERT_EQ(dialogs_.Shown().size(), 1);
  EXPECT_EQ(dialogs_.Shown().at(0).kind, hb::TDialogKind::InputText);
  EXPECT_EQ(dialogs_.Shown().at(0).title, "Hourbook login");
  dialogs_.Queue(hb::TDialogAnswer::Cancel);
  EXPECT_FALSE(Login({}));
}

TEST_F(LoginTest, DialogSetupFollowsTheSettings) {
  const struct {
    const char* UserEnv;
    const char* Passwords;
    bool NameEnabled, PasswordEnabled, FocusPassword, FocusName;
  } cases[] = {
      {"", "0", true, false, false, true},
      {"", "1", true, true, false, true},
      {"WINUSER", "1", false, true, true, false},
      {"WINUSER", "0", false, false, false, false},
  };
  for (const auto& c : cases) {
    Ini("Environment", "UserEnv", c.UserEnv);
    Ini("Environment", "Passwords", c.Passwords);
    const hb::TLoginDialogSetup s = hb::LoginDialogSetup();
    EXPECT_EQ(s.NameEnabled, c.NameEnabled) << c.UserEnv << c.Passwords;
    EXPECT_EQ(s.PasswordEnabled, c.PasswordEnabled) << c.UserEnv << c.Passwords;
    EXPECT_EQ(s.FocusPassword, c.FocusPassword) << c.UserEnv << c.Passwords;
    EXPECT_EQ(s.FocusName, c.FocusName) << c.UserEnv << c.Passwords;
  }
  Ini("Environment", "UserEnv", "");
  hb::LoginDialogAccepted(false);
  EXPECT_EQ(hb::ProgramIni().ReadString("Environment", "UserEnv"), "");
  hb::LoginDialogAccepted(true);
  EXPECT_EQ(hb::ProgramIni().ReadString("Environment", "UserEnv"), "WINUSER");
}

class IdentifyTest : public LoginTest {
 protected:
  void OpenWithEmployees() {
    AddStam("M", 1, "Jan", {{"PASSWORD", "Geheim"}, {"OPMERKING", "jsmit"}});
    AddStam("M", 2, "Piet");
    AddStam("M", 3, "J. Smit", {{"OPMERKING", "JSMIT2"}});
    AddStam("M", 4, "J. Smit", {{"OPMERKING", "jansmit"}});
    AddStam("K", 5, "Shop");
    AddStam("K", 6, "Garage");
    AddAutor("K", 1, 5);
    AddAutor("K", 4, 6);
    Open();
    hb::StamMedewerkers().LoadFromTable();
  }
  void Identify(const QStringList& arguments) {
    ASSERT_TRUE(Login(arguments));
    hb::IdentifyUser();
  }
  int Warnings(const QString& text) {
    int n = 0;
    for (const auto& shown : dialogs_.Shown()) n += shown.text == text;
    return n;
  }
};

TEST_F(IdentifyTest, KnownNameBecomesTheLoggedInAndTheShownEmployee) {
  OpenWithEmployees();
  Identify({"/user=jan"});
  EXPECT_FALSE(hb::ApplicationTerminating());
  EXPECT_EQ(hb::LoginMedewerker().ID, 1);
  EXPECT_EQ(hb::LoginMedewerker().Password, "Geheim");
  EXPECT_EQ(hb::CurrentMedewerker().ID, 1);
  EXPECT_EQ(hb::StamKlanten().Names(), QStringList({"Shop"}));
  EXPECT_TRUE(dialogs_.Shown().isEmpty());
}

TEST_F(IdentifyTest, LoginFieldMatchesTheRemark) {
  OpenWithEmployees();
  Ini("Environment", "LoginField", "1");
  Identify({"/user=jsmit2"});
  EXPECT_EQ(hb::LoginMedewerker().Naam, "J. Smit");
  EXPECT_EQ(hb::LoginMedewerker().ID, 3);

  // The second of two employees of the same name is the one whose remark matched.
  Identify({"/user=JanSmit"});
  EXPECT_EQ(hb::LoginMedewerker().ID, 4);
  EXPECT_EQ(hb::CurrentMedewerker().ID, 4);
  EXPECT_EQ(hb::StamKlanten().Names(), QStringList({"Garage"}));

  // Without a matching remark the name counts.
  Identify({"/user=piet"});
  EXPECT_EQ(hb::LoginMedewerker().ID, 2);
  EXPECT_TRUE(dialogs_.Shown().isEmpty());
}

TEST_F(IdentifyTest, ReopeningTheTablesKeepsTheLoggedInAndTheShownEmployee) {
  AddStam("M", 1, "Jan", {{"PASSWORD", "Geheim"}});
  AddStam("M", 2, "Piet");
  Ini("Environment", "Passwords", "1");
  answers << qMakePair(QString("jan"), QString("geheim"));
  ASSERT_TRUE(Login({"/user=jan"}));
  Open();
  ASSERT_EQ(hb::LoginMedewerker().ID, 1);
  EXPECT_EQ(dialogShown, 1);
  hb::CurrentMedewerker().AssignEmployee(*hb::StamMedewerkers().FindById(2));

  Dm().CloseTables();
  Dm().OpenTables();
  EXPECT_EQ(dialogShown, 1);
  EXPECT_EQ(hb::LoginMedewerker().ID, 1);
  EXPECT_EQ(hb::CurrentMedewerker().ID, 2);
  EXPECT_EQ(hb::StamMedewerkers().Count(), 2);
  EXPECT_TRUE(dialogs_.Shown().isEmpty());
}

TEST_F(IdentifyTest, PasswordFromTheCommandLineFailsSilentlyOnce) {
  OpenWithEmployees();
  Ini("Environment", "Passwords", "1");
  answers << qMakePair(QString("jan"), QString("fout"))
          << qMakePair(QString("x"), QString(" geheim "));
  Identify({"/user=jan"});
  EXPECT_EQ(dialogShown, 2);
  EXPECT_EQ(dialogs_.Texts(), QStringList({"Ongeldig wachtwoord voor JAN"}));
  EXPECT_FALSE(hb::ApplicationTerminating());
  // A name typed in a retry does not change the employee.
  EXPECT_EQ(hb::LoginMedewerker().ID, 1);
  EXPECT_EQ(hb::CurrentMedewerker().ID, 1);
}

TEST_F(IdentifyTest, FourWrongPasswordsEndTheProgramAndTheFourthGetsNoMessage) {
  OpenWithEmployees();
  Ini("Environment", "Passwords", "1");
  for (const char* pw : {"a", "b", "c", "d"}) answers << qMakePair(QString("jan"), QString(pw));
  ASSERT_TRUE(Login({}));
  hb::IdentifyUser();
  EXPECT_EQ(dialogShown, 4);
  EXPECT_EQ(Warnings("Ongeldig wachtwoord voor JAN"), 3);
  EXPECT_EQ(dialogs_.Shown().size(), 3);
  EXPECT_TRUE(hb::ApplicationTerminating());
}

TEST_F(IdentifyTest, CancelledRetryEndsTheProgram) {
  OpenWithEmployees();
  Ini("Environment", "Passwords", "1");
  answers << qMakePair(QString("jan"), QString("fout"));
  ASSERT_TRUE(Login({}));
  hb::IdentifyUser();
  EXPECT_EQ(dialogShown, 2);
  EXPECT_EQ(Warnings("Ongeldig wachtwoord voor JAN"), 1);
  EXPECT_TRUE(hb::ApplicationTerminating());
}

TEST_F(IdentifyTest, EmptyPasswordLogsInWithAnEmptyField) {
  OpenWithEmployees();
  Ini("Environment", "Passwords", "1");
  Identify({"/user=piet"});
  EXPECT_EQ(dialogShown, 0);
  EXPECT_FALSE(hb::ApplicationTerminating());
  EXPECT_EQ(hb::LoginMedewerker().ID, 2);
}

TEST_F(IdentifyTest, UnknownNameIsAddedWithTheDefaultAccess) {
  const struct {
    const char* DefaultAccess;
    quint8 Expected;
  } cases[] = {{"a", hb::tgAfdeling}, {"Z", hb::tgBedrijf}, {"F", hb::tgEigen}};
  OpenWithEmployees();
  int n = 0;
  for (const auto& c : cases) {
    Ini("System", "DefaultAccess", c.DefaultAccess);
    const QString name = QString("nieuw%1").arg(++n);
    dialogs_.Clear();
    dialogs_.Queue(hb::TDialogAnswer::Yes);
    Identify({"/user=" + name});
    ASSERT_EQ(dialogs_.Shown().size(), 1);
    EXPECT_EQ(dialogs_.Shown().at(0).text,
              "Medewerker " + name.toUpper() + " komt niet voor in de lijst, Toevoegen?");
    EXPECT_TRUE(dialogs_.Shown().at(0).defaultYes);
    EXPECT_FALSE(hb::ApplicationTerminating());
    EXPECT_EQ(hb::LoginMedewerker().Naam, name.toUpper());
    EXPECT_EQ(hb::LoginMedewerker().Opmerking, name.toUpper());
    EXPECT_EQ(hb::LoginMedewerker().Toegang, c.Expected) << c.DefaultAccess;
    EXPECT_EQ(hb::LoginMedewerker().ID, 6 + n);  // the next ID of the MaxID row
    EXPECT_EQ(hb::CurrentMedewerker().ID, hb::LoginMedewerker().ID);
  }
}

TEST_F(IdentifyTest, UnknownNameRefusedOrNotAllowedEndsTheProgram) {
  OpenWithEmployees();
  dialogs_.Queue(hb::TDialogAnswer::No);
  Identify({"/user=nieuw"});
  EXPECT_EQ(dialogs_.Texts(),
            QStringList({"Medewerker NIEUW komt niet voor in de lijst, Toevoegen?",
                         "Medewerker NIEUW niet bekend, programma gestopt."}));
  EXPECT_TRUE(hb::ApplicationTerminating());
  EXPECT_EQ(hb::StamMedewerkers().Count(), 4);

  hb::ResetApplicationTermination();
  dialogs_.Clear();
  Ini("ProgFunctions", "AddNewEmployee", "0");
  Identify({"/user=nieuw"});
  EXPECT_EQ(dialogs_.Texts(), QStringList({"Medewerker NIEUW niet bekend, programma gestopt."}));
  EXPECT_TRUE(hb::ApplicationTerminating());
}

TEST_F(IdentifyTest, FirstLoginOnANewDatabaseIsAuthorisedForTheSampleItems) {
  // Opening the empty tables fills the sample data and identifies the login name.
  Ini("System", "DefaultAccess", "a");
  ASSERT_TRUE(Login({"/USER=Nieuwe Gebruiker"}));
  dialogs_.Queue(hb::TDialogAnswer::Yes);
  Open();
  EXPECT_EQ(dialogs_.Texts(),
            QStringList({"Medewerker NIEUWE GEBRUIKER komt niet voor in de lijst, Toevoegen?"}));
  EXPECT_FALSE(hb::ApplicationTerminating());
  EXPECT_EQ(hb::StamMedewerkers().Count(), 4);
  EXPECT_EQ(hb::LoginMedewerker().Naam, "NIEUWE GEBRUIKER");
  EXPECT_EQ(hb::LoginMedewerker().Toegang, hb::tgAfdeling);
  EXPECT_EQ(Dm().LoginEmployeeId(), hb::LoginMedewerker().ID);
  EXPECT_EQ(hb::CurrentMedewerker().ID, hb::LoginMedewerker().ID);
  EXPECT_EQ(hb::StamKlanten().Names(), QStringList({"Klant1", "Klant2", "Klant3"}));
  EXPECT_EQ(hb::StamActiviteiten().Names(),
            QStringList({"Activiteit1", "Activiteit2", "Activiteit3"}));
  EXPECT_EQ(hb::StamProducten().Names(), QStringList({"Product1", "Product2", "Product3"}));
}

}  // namespace
