// The table model over a dataset, checked by Qt's model tester while the dataset changes.
#include "platform/datasetmodel.h"

#include <QAbstractItemModelTester>
#include <QDate>
#include <QSignalSpy>

#include "datasetfixture.h"

using namespace hb;

namespace {

// Collects the warnings of QAbstractItemModelTester (and anything else Qt warns about).
QStringList* g_warnings = nullptr;
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& msg) {
  if (g_warnings && type != QtDebugMsg && type != QtInfoMsg) g_warnings->append(msg);
}

class DataSetModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_warnings = &warnings;
    previous = qInstallMessageHandler(CollectWarnings);
    hbtest::DefinePeople(t);
    t.Open();
    model.SetDataSet(&t);
    tester = std::make_unique<QAbstractItemModelTester>(
        &model, QAbstractItemModelTester::FailureReportingMode::Warning);
  }
  void TearDown() override {
    tester.reset();
    qInstallMessageHandler(previous);
    g_warnings = nullptr;
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join("\n").toStdString();
  }
  QString Cell(int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
  }
  QStringList warnings;
  QtMessageHandler previous = nullptr;
  TMemDataSet t;
  TDataSetModel model;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(DataSetModelTest, ShowsRecordsAndFieldsAndFollowsChanges) {
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.columnCount(), 5);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "NAAM");
  EXPECT_EQ(Cell(1, 0), "Bob");
  EXPECT_EQ(Cell(1, 2), "3");
  EXPECT_EQ(Cell(1, 3), "03-01-2024");
  EXPECT_EQ(model.data(model.index(1, 3), Qt::EditRole).toDate(), QDate(2024, 1, 3));
  EXPECT_EQ(Cell(1, 4), "False");
  EXPECT_EQ(model.data(model.index(1, 1), Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignRight | Qt::AlignVCenter));

  t.AppendRecord({"Fien", 6});
  EXPECT_EQ(model.rowCount(), 6);
  EXPECT_EQ(Cell(5, 0), "Fien");
  t.First();
  t.Delete();
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(Cell(0, 0), "Bob");
  t.OnFilterRecord = [](TDataSet& d, bool& accept) {
    accept = d.FieldByName("AANTAL")->AsInteger() > 3;
  };
  t.SetFiltered(true);
  EXPECT_EQ(model.rowCount(), 3);
  t.SetIndexFieldNames("AANTAL");
  t.Close();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.columnCount(), 0);
  t.Open();
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(Cell(2, 0), "Fien");
}

TEST_F(DataSetModelTest, ReadingCellsLeavesTheDatasetAlone) {
  t.MoveBy(2);
  hbtest::TEventLog events(t);
  for (int r = 0; r < model.rowCount(); ++r)
    for (int c = 0; c < model.columnCount(); ++c) Cell(r, c);
  EXPECT_TRUE(events.log.isEmpty()) << events.log.join(",").toStdString();
  EXPECT_EQ(t.FieldByName("NAAM")->AsString(), "Cor");
  t.Next();
  EXPECT_EQ(t.FieldByName("NAAM")->AsString(), "Dirk");
}

TEST_F(DataSetModelTest, CurrentRowFollowsTheDatasetBothWays) {
  QSignalSpy moved(&model, &TDataSetModel::currentRowChanged);
  EXPECT_EQ(model.CurrentRow(), 0);
  t.Last();
  EXPECT_EQ(model.CurrentRow(), 4);
  model.SetCurrentRow(1);
  EXPECT_EQ(t.FieldByName("NAAM")->AsString(), "Bob");
  EXPECT_EQ(model.CurrentRow(), 1);
  EXPECT_EQ(moved.count(), 2);
  t.EmptyTable();
  EXPECT_EQ(model.CurrentRow(), -1);
}

TEST_F(DataSetModelTest, EditsGoThroughTheDataset) {
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
  EXPECT_TRUE(model.setData(model.index(3, 1), "40"));
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(t.FieldByName("NAAM")->AsString(), "Dirk");  // the edited record became current
  EXPECT_EQ(t.FieldByName("AANTAL")->AsInteger(), 40);
  EXPECT_EQ(Cell(3, 1), "40");
  EXPECT_EQ(reset.count(), 1);

  EXPECT_TRUE(model.setData(model.index(0, 3), QDate(2025, 6, 1)));
  EXPECT_EQ(Cell(0, 3), "01-06-2025");

  EXPECT_FALSE(model.setData(model.index(2, 1), "veel"));
  EXPECT_EQ(model.LastError(), "'veel' is not a valid integer value for field 'AANTAL'");
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Cell(2, 1), "3");

  t.FieldByName("NAAM")->SetReadOnly(true);
  EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
  EXPECT_FALSE(model.setData(model.index(0, 0), "x"));
  model.SetReadOnly(true);
  EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(DataSetModelTest, TheRecordBeingEditedShowsItsNewValues) {
  t.Next();
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  t.Edit();
  t.FieldByName("NAAM")->SetAsString("Boris");
  EXPECT_EQ(Cell(1, 0), "Boris");
  EXPECT_GE(changed.count(), 1);
  EXPECT_EQ(changed.last().at(0).toModelIndex().row(), 1);
  EXPECT_TRUE(model.setData(model.index(1, 1), 20));  // the row is being edited: no post
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
  EXPECT_FALSE(model.setData(model.index(2, 1), 20));  // another row while editing
  t.Cancel();
  EXPECT_EQ(Cell(1, 0), "Bob");
  EXPECT_EQ(Cell(1, 1), "2");
}

TEST_F(DataSetModelTest, TheRecordBeingInsertedHasARowOfItsOwn) {
  t.MoveBy(2);  // Cor
  t.Insert();
  ASSERT_EQ(model.rowCount(), 6);
  EXPECT_EQ(model.CurrentRow(), 2);  // before Cor
  EXPECT_TRUE(model.BookmarkAt(2).isEmpty());
  EXPECT_TRUE(model.setData(model.index(2, 0), "Bas"));
  EXPECT_EQ(t.State(), TDataSetState::dsInsert);  // typing does not post
  EXPECT_EQ(Cell(2, 0), "Bas");
  EXPECT_EQ(Cell(3, 0), "Cor");
  EXPECT_FALSE(model.setData(model.index(0, 0), "x"));
  t.Post();
  EXPECT_EQ(model.rowCount(), 6);
  EXPECT_EQ(Cell(2, 0), "Bas");
  EXPECT_FALSE(model.BookmarkAt(2).isEmpty());
  t.Append();
  EXPECT_EQ(model.CurrentRow(), 6);
  t.Cancel();
  EXPECT_EQ(model.rowCount(), 6);
  EXPECT_EQ(model.CurrentRow(), 2);  // back on Bas
}

TEST_F(DataSetModelTest, DisabledControlsHoldTheResetUntilTheEnd) {
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
  t.DisableControls();
  for (int i = 0; i < 3; ++i) t.AppendRecord({QString("N%1").arg(i), i});
  EXPECT_EQ(reset.count(), 0);
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(Cell(0, 0), "Ann");  // old rows still read
  t.EnableControls();
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(model.rowCount(), 8);
}

TEST_F(DataSetModelTest, ChosenColumnsKeepTheirCaptionsOverAReopen) {
  model.SetColumns({{"aantal", "Aantal"}, {"NAAM", ""}, {"WEG", "Weg"}});
  EXPECT_EQ(model.columnCount(), 3);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Aantal");
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "NAAM");
  EXPECT_EQ(model.headerData(2, Qt::Vertical).toInt(), 3);
  EXPECT_EQ(Cell(4, 0), "5");
  EXPECT_EQ(Cell(4, 2), "");  // a field the dataset lacks shows nothing
  EXPECT_FALSE(model.setData(model.index(4, 2), "x"));
  t.Close();
  t.Open();
  EXPECT_EQ(model.columnCount(), 3);
  EXPECT_EQ(Cell(4, 1), "Eva");
}

TEST(DataSetModelLifetime, ADestroyedDatasetEmptiesTheModel) {
  TDataSetModel model;
  {
    TMemDataSet t;
    hbtest::DefinePeople(t);
    t.Open();
    model.SetDataSet(&t);
    EXPECT_EQ(model.rowCount(), 5);
  }
  EXPECT_EQ(model.DataSet(), nullptr);
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
