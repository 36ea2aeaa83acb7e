// The meta table window and the progress window, with real widgets and input events.
#include "data/frmmetabrowse.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "data/frmvoortgang.h"
#include "datafixture.h"
#include "platform/dialogservice.h"

namespace {

using hb::TDialogAnswer;
using hb::TScriptedDialogs;

class MetaBrowse : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Setup(meta);
    window.Prepare();
    window.show();
  }

  template <class T>
  T* Find(const char* name) {
    T* w = window.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }

  hbtest::TProgramFolder folder;
  hb::TVrtDbfDataSet vrt;
  hb::TvrtMetaDataset meta{vrt};
  hb::TfrmMetaBrowse window{meta};
};

TEST_F(MetaBrowse, NavigatorInsertsARowFromTheEdits) {
  EXPECT_EQ(window.windowTitle(), "Metatabel Browser");
  EXPECT_EQ(window.Grid()->model()->rowCount(), 35);
  auto* table = Find<QLineEdit>("edtTable");
  auto* param = Find<QPlainTextEdit>("memParam");
  EXPECT_FALSE(table->isEnabled());
  // The first row (in key order) is shown in the edits.
  EXPECT_EQ(table->text(), "URAUTOR");
  EXPECT_EQ(Find<QComboBox>("cbxType")->currentText(), "FLD");

  Click("navInsert");
  ASSERT_TRUE(table->isEnabled());
  EXPECT_EQ(table->text(), "");
  QTest::keyClicks(table, "project");
  Find<QComboBox>("cbxType")->setCurrentText("TAG");
  QTest::keyClicks(Find<QLineEdit>("edtName"), "CODE");
  QTest::keyClicks(param, "UPPER(CODE)");
  Click("navPost");
  EXPECT_FALSE(table->isEnabled());
  EXPECT_EQ(window.Grid()->model()->rowCount(), 36);
  QStringList tags;
  EXPECT_EQ(meta.TagDefinitions("PROJECT", tags), 1);
  EXPECT_EQ(tags, QStringList({"CODE=UPPER(CODE)"}));

  // "&Edit volgende" posts and goes on editing the next row.
  ASSERT_TRUE(meta.Find("URAUTOR FLDTYPE", false, false));
  Click("navEdit");
  param->setPlainText("C;2;0");
  Click("btnEditVolgende");
  EXPECT_EQ(meta.State(), hb::TDataSetState::dsEdit);
  EXPECT_EQ(meta.FieldByName("NAME")->AsString(), "VALUE");
  Click("navCancel");
  QStringList fields;
  meta.FieldDefinitions("URAUTOR", fields);
  EXPECT_TRUE(fields.contains("TYPE=C;2;0"));

  // Closing and opening the meta table.
  auto* toggle = Find<QPushButton>("btnMeta");
  Click("btnMeta");
  EXPECT_FALSE(meta.Active());
  EXPECT_EQ(toggle->text(), "&Meta openen");
  EXPECT_FALSE(Find<QToolButton>("navNext")->isEnabled());
  Click("btnMeta");
  EXPECT_TRUE(meta.Active());
  EXPECT_EQ(toggle->text(), "&Meta sluiten");

  window.hide();
  EXPECT_FALSE(meta.Active());
}

TEST_F(MetaBrowse, DatabaseButtonsReportSuccessOrTheirStatus) {
  TScriptedDialogs dlg;
  // Nothing to reindex yet: the status list says why.
  Click("btnReindex");
  EXPECT_GT(window.StatusList()->count(), 0);
  EXPECT_TRUE(meta.Status.isEmpty());

  dlg.Queue(TDialogAnswer::Always);
  Click("btnUpdate");
  EXPECT_EQ(dlg.LastText(), "Alle tabellen zijn bijgewerkt.");
  Click("btnReindex");
  EXPECT_EQ(dlg.LastText(), "Alle tabellen zijn ge-herindexeerd.");
  Click("btnPack");
  EXPECT_EQ(dlg.LastText(), "Alle tabellen zijn gepacked.");

  window.PickTable = [this](const QString& folderPath) {
    EXPECT_EQ(folderPath, meta.TablePath());
    return folder.Data("URAUTOR.DBF");
  };
  dlg.Queue(TDialogAnswer::Yes);  // replace the existing rows
  Click("btnImport");
  EXPECT_EQ(dlg.LastText(), "\"" + folder.Data("URAUTOR.DBF") + "\" is ingelezen.");
  EXPECT_EQ(window.StatusList()->count(), 3);  // only the failed reindex
  EXPECT_TRUE(meta.HasTableDefinition("URAUTOR"));
  EXPECT_TRUE(meta.Active());
}

TEST(Voortgang, GaugeFollowsProgressAndHidesAtTheEnd) {
  hb::TfrmVoortgang window;
  EXPECT_EQ(window.size(), QSize(124, 27));
  window.Progress(0, 5, "Kopiëren", 10);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "Kopiëren");
  EXPECT_EQ(window.Gauge()->value(), 5);
  EXPECT_EQ(window.Gauge()->maximum(), 10);
  window.Progress(0, 0, QString(), 0);
  EXPECT_FALSE(window.isVisible());

  // The dataset layer shows it by default once the program installed it.
  hb::SetProgressDisplayFactory(&hb::TfrmVoortgang::Make);
  {
    hb::TVrtDbfDataSet vrt;
    vrt.Progress(0, 1, "bijwerken tabelstructuur", 3);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<hb::TfrmVoortgang*>(w) && w->isVisible()) ++shown;
    EXPECT_EQ(shown, 1);
    // A handler of the caller replaces it.
    int calls = 0;
    vrt.SetProgressHandler([&](int, int, const QString&, int) { ++calls; });
    vrt.Progress(0, 2, "x", 3);
    EXPECT_EQ(calls, 1);
  }
  hb::SetProgressDisplayFactory({});
}

}  // namespace
