// The uninstall feedback question and the shortcut it leaves for the uninstaller.
#include "support/uninstall.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/dialogservice.h"
#include "platform/inifile.h"
#include "support/frmuninstall.h"

namespace {

TEST(Uninstall, FeedbackAddressHasTheLanguageFolderInLowerCase) {
  struct {
    const char* code;
    const char* folder;
  } cases[] = {{"DE", "de"}, {"nl", "nl"}, {"", "en"}, {" EN ", "en"}};
  for (const auto& c : cases) {
    EXPECT_EQ(hb::UninstallFeedbackUrl(c.code),
              QString(hb::kProductWebSite) + "/uninstall/" + c.folder + "/uninstall.html")
        << c.code;
  }
}

TEST(Uninstall, JaWritesTheShortcutNeeWritesNothing) {
  QTemporaryDir folder;
  const QString shortcut = folder.filePath("hbook_uninstall.url");
  hb::TScriptedDialogs dialogs;

  dialogs.Queue(hb::TDialogAnswer::No);
  EXPECT_FALSE(hb::TfrmUninstall().Execute(folder.path(), "DE"));
  EXPECT_FALSE(QFile::exists(shortcut));
  ASSERT_EQ(dialogs.Shown().size(), 1);
  EXPECT_EQ(dialogs.Shown()[0].kind, hb::TDialogKind::Question);
  EXPECT_EQ(dialogs.Shown()[0].title, "Hourbook");
  EXPECT_TRUE(dialogs.Shown()[0].defaultYes);
  EXPECT_TRUE(dialogs.Shown()[0].text.startsWith("U heeft er voor gekozen"));
  EXPECT_TRUE(dialogs.Shown()[0].text.endsWith(
      "niet gebruikt.\nHiervoor heeft u een actieve connectie met internet nodig.\n\n"
      "Bent u bereid om hier aan mee te werken?"));

  dialogs.Queue(hb::TDialogAnswer::Yes);
  EXPECT_TRUE(hb::TfrmUninstall().Execute(folder.path(), "DE"));
  EXPECT_EQ(hb::TIniFile(shortcut).ReadString("InternetShortcut", "URL"),
            hb::UninstallFeedbackUrl("de"));

  // A folder that cannot take the file: nothing is reported.
  dialogs.Clear();
  dialogs.Queue(hb::TDialogAnswer::Yes);
  EXPECT_TRUE(hb::TfrmUninstall().Execute(folder.filePath("missing"), "DE"));
  EXPECT_EQ(dialogs.Shown().size(), 1);
  EXPECT_FALSE(QFile::exists(folder.filePath("missing/hbook_uninstall.url")));
}

}  // namespace
