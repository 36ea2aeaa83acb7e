#include "platform/dialogservice.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "testutil.h"

using hb::TDialogAnswer;
using hb::TDialogKind;
using hb::TScriptedDialogs;

namespace {

TEST(ScriptedDialogs, AnswersInOrderAndRecordsEveryDialog) {
  TScriptedDialogs dlg;
  dlg.Queue(TDialogAnswer::No);
  dlg.Queue(TDialogAnswer::Yes);
  dlg.Queue(TDialogAnswer::Never);
  dlg.QueueText("Jansen");

  hb::Dialogs().Warning("Hourbook", "let op");
  EXPECT_FALSE(hb::Dialogs().Question("T", "q1", true));
  EXPECT_TRUE(hb::Dialogs().Confirm("q2", false));
  EXPECT_EQ(hb::Dialogs().YesNoAlways("Tabel", "q3"), TDialogAnswer::Never);
  QString name = "old";
  EXPECT_TRUE(hb::Dialogs().InputText("Naam", "Wie?", name));
  EXPECT_EQ(name, "Jansen");

  ASSERT_EQ(dlg.Shown().size(), 5);
  EXPECT_EQ(dlg.Texts(), QStringList({"let op", "q1", "q2", "q3", "Wie?"}));
  EXPECT_EQ(dlg.Shown()[0].kind, TDialogKind::Warning);
  EXPECT_EQ(dlg.Shown()[0].title, "Hourbook");
  EXPECT_EQ(dlg.Shown()[2].title, "Bevestiging");
  EXPECT_FALSE(dlg.Shown()[2].defaultYes);
  EXPECT_EQ(dlg.PendingAnswers(), 0);
}

TEST(ScriptedDialogs, EmptyQueueGivesTheDefaultAnswer) {
  TScriptedDialogs dlg;
  EXPECT_TRUE(hb::Dialogs().Question("T", "q", true));
  EXPECT_FALSE(hb::Dialogs().Confirm("q", false));
  EXPECT_EQ(hb::Dialogs().YesNoAlways("T", "q"), TDialogAnswer::Cancel);
  EXPECT_EQ(hb::Dialogs().QuestionCancel("T", "q"), TDialogAnswer::Cancel);
  QString value = "kept";
  EXPECT_FALSE(hb::Dialogs().InputText("T", "p", value));
  EXPECT_EQ(value, "kept");
}

TEST(ScriptedDialogs, NestedServicesRestoreThePreviousOne) {
  TScriptedDialogs outer;
  {
    TScriptedDialogs inner;
    hb::Dialogs().Information("T", "inner");
    EXPECT_EQ(inner.LastText(), "inner");
  }
  hb::Dialogs().Error("T", "outer");
  EXPECT_EQ(outer.Texts(), QStringList({"outer"}));
}

TEST(ScriptedDialogs, LogFileGetsOneLinePerDialog) {
  QTemporaryDir dir;
  TScriptedDialogs dlg;
  dlg.SetLogFile(dir.filePath("dialogs.log"));
  hb::Dialogs().Warning("Hourbook", "regel 1\nregel 2");
  hb::Dialogs().Question("Vraag", "Doorgaan?", false);
  EXPECT_EQ(hbtest::ReadFile(dir.filePath("dialogs.log")),
            "warning|Hourbook|regel 1\\nregel 2\nquestion|Vraag|Doorgaan?\n");
}

TEST(ScriptedDialogs, ScriptTextAsGivenByTheEnvironment) {
  TScriptedDialogs dlg;
  dlg.QueueScript("ja, never,text:Piet Jansen,cancel,bogus");
  EXPECT_TRUE(hb::Dialogs().Question("T", "q", false));
  EXPECT_EQ(hb::Dialogs().YesNoAlways("T", "q"), TDialogAnswer::Never);
  QString value;
  EXPECT_TRUE(hb::Dialogs().InputText("T", "p", value));
  EXPECT_EQ(value, "Piet Jansen");
  EXPECT_EQ(hb::Dialogs().QuestionCancel("T", "q"), TDialogAnswer::Cancel);
  EXPECT_FALSE(hb::Dialogs().Question("T", "q", true));  // an unknown word is Cancel: No
}

TEST(ConfirmDialog, WidthFollowsTheButtonsOrALongQuestion) {
  EXPECT_EQ(hb::ConfirmClientWidth(8, 40, 77, 77), 77 + 77 + 30);
  EXPECT_EQ(hb::ConfirmClientWidth(8, 400, 77, 77), 416);
  EXPECT_EQ(hb::ConfirmDialogSize("Zeker?"), QSize(77 + 77 + 30, 93));
  const QSize wide =
      hb::ConfirmDialogSize(QString("Wilt u deze regel echt verwijderen? ").repeated(4));
  EXPECT_GT(wide.width(), 77 + 77 + 30);
  EXPECT_EQ(wide.height(), 93);
}

TEST(ScreenDialogs, WithoutAScreenQuestionsTakeTheirDefault) {
  // The test programs run offscreen: the on-screen service must not wait on a modal loop.
  hb::TDialogService* previous = hb::SetDialogService(nullptr);
  EXPECT_TRUE(hb::Dialogs().Question("T", "q", true));
  EXPECT_FALSE(hb::Dialogs().Confirm("q", false));
  EXPECT_EQ(hb::Dialogs().YesNoAlways("T", "q"), TDialogAnswer::Cancel);
  hb::Dialogs().Warning("T", "no wait");
  hb::SetDialogService(previous);
}

}  // namespace
