// The dataset framework driven through the in-memory dataset: navigation, editing and its
// events, state errors, searching, bookmarks, set-key state, filtering and notifications.
#include <QSignalSpy>
#include <functional>

#include "datasetfixture.h"
#include "platform/datasource.h"

using namespace hb;
using hbtest::ExpectDbError;
using hbtest::Names;

namespace {

class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hbtest::DefinePeople(t);
    t.Open();
  }
  QString Naam() { return t.FieldByName("NAAM")->AsString(); }
  TMemDataSet t;
};

TEST_F(DataSetTest, NavigatesWithBofEofRecNoAndMoveBy) {
  EXPECT_TRUE(t.Bof());
  EXPECT_FALSE(t.Eof());
  EXPECT_EQ(Naam(), "Ann");
  EXPECT_EQ(t.RecordCount(), 5);
  EXPECT_EQ(t.MoveBy(3), 3);
  EXPECT_EQ(Naam(), "Dirk");
  EXPECT_EQ(t.RecNo(), 4);
  EXPECT_EQ(t.MoveBy(5), 1);  // only Eva is left
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(Naam(), "Eva");
  t.Prior();
  EXPECT_FALSE(t.Eof());
  EXPECT_EQ(Naam(), "Dirk");  // Prior after hitting the end goes to the one before the last
  EXPECT_EQ(t.MoveBy(-10), -3);
  EXPECT_TRUE(t.Bof());
  t.Last();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(Naam(), "Eva");
  t.SetRecNo(2);
  EXPECT_EQ(Naam(), "Bob");
  ExpectDbError([&] { t.SetRecNo(9); }, "Record not found");
  t.Next();
  EXPECT_EQ(Naam(), "Cor");  // a failed positioning keeps the record
}

TEST_F(DataSetTest, EmptyDatasetIsBofAndEof) {
  t.EmptyTable();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_TRUE(t.Bof());
  EXPECT_TRUE(t.Eof());
  EXPECT_TRUE(t.FieldByName("NAAM")->IsNull());
  EXPECT_TRUE(t.GetBookmark().isEmpty());
  t.Next();
  t.Last();
  EXPECT_TRUE(t.Eof() && t.Bof());
  ExpectDbError([&] { t.Delete(); }, "Cannot perform this operation on an empty dataset");
  t.Edit();  // an edit of nothing starts an insert
  EXPECT_EQ(t.State(), TDataSetState::dsInsert);
}

TEST_F(DataSetTest, ClosedDatasetRefusesOperations) {
  t.Close();
  const QString closed = "Cannot perform this operation on a closed dataset";
  ExpectDbError([&] { t.RecordCount(); }, closed);
  ExpectDbError([&] { t.RecNo(); }, closed);
  ExpectDbError([&] { t.First(); }, closed);
  ExpectDbError([&] { t.Edit(); }, closed);
  ExpectDbError([&] { t.Append(); }, closed);
  ExpectDbError([&] { t.Locate("NAAM", "Ann"); }, closed);
  // Fields stay, read as null, and are the same objects after the next open.
  TField* f = t.FieldByName("NAAM");
  EXPECT_TRUE(f->IsNull());
  t.Open();
  EXPECT_EQ(t.FieldByName("NAAM"), f);
  EXPECT_EQ(f->AsString(), "Ann");
}

TEST_F(DataSetTest, FieldWritesNeedTheRightState) {
  TField* naam = t.FieldByName("naam");  // names without regard to case
  ExpectDbError([&] { naam->SetAsString("X"); }, "Dataset not in edit or insert mode");
  ExpectDbError([&] { t.FieldByName("ONBEKEND"); }, "Field 'ONBEKEND' not found");
  EXPECT_EQ(t.FindField("ONBEKEND"), nullptr);
  t.Edit();
  naam->SetReadOnly(true);
  ExpectDbError([&] { naam->SetAsString("X"); }, "Field 'NAAM' cannot be modified");
  naam->SetReadOnly(false);
  t.FieldByName("AANTAL")->SetRequired(true);
  t.FieldByName("AANTAL")->Clear();
  ExpectDbError([&] { t.Post(); }, "Field 'AANTAL' must have a value");
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);  // a refused post keeps the edit
  t.Cancel();
  EXPECT_EQ(t.FieldByName("AANTAL")->AsInteger(), 1);
  t.SetReadOnly(true);
  ExpectDbError([&] { t.Edit(); }, "Cannot modify a read-only dataset");
  ExpectDbError([&] { t.Insert(); }, "Cannot modify a read-only dataset");
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
}

// Each operation with the events it raises, in order.
TEST_F(DataSetTest, EventsComeInTheFrameworkOrder) {
  struct Case {
    const char* name;
    std::function<void(TMemDataSet&)> prepare, run;
    QStringList expected;
  };
  auto none = [](TMemDataSet&) {};
  auto edit = [](TMemDataSet& d) { d.Edit(); };
  const QList<Case> cases = {
      {"open",
       [](TMemDataSet& d) { d.Close(); },
       [](TMemDataSet& d) { d.Open(); },
       {"BeforeOpen", "AfterOpen", "AfterScroll"}},
      {"close", none, [](TMemDataSet& d) { d.Close(); }, {"BeforeClose", "AfterClose"}},
      {"next", none, [](TMemDataSet& d) { d.Next(); }, {"BeforeScroll", "AfterScroll"}},
      {"next at the end", [](TMemDataSet& d) { d.Last(); }, [](TMemDataSet& d) { d.Next(); }, {}},
      {"edit", none, edit, {"BeforeEdit", "AfterEdit"}},
      {"insert",
       none,
       [](TMemDataSet& d) { d.Insert(); },
       {"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}},
      {"append",
       none,
       [](TMemDataSet& d) { d.Append(); },
       {"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}},
      {"post", edit, [](TMemDataSet& d) { d.Post(); }, {"BeforePost", "AfterPost"}},
      {"cancel", edit, [](TMemDataSet& d) { d.Cancel(); }, {"BeforeCancel", "AfterCancel"}},
      {"delete",
       none,
       [](TMemDataSet& d) { d.Delete(); },
       {"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}},
      {"next while editing a changed record posts",
       [](TMemDataSet& d) {
         d.Edit();
         d.FieldByName("AANTAL")->SetAsInteger(9);
       },
       [](TMemDataSet& d) { d.Next(); },
       {"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}},
      {"next while editing an unchanged record cancels",
       edit,
       [](TMemDataSet& d) { d.Next(); },
       {"BeforeCancel", "AfterCancel", "BeforeScroll", "AfterScroll"}},
      {"post in browse does nothing", none, [](TMemDataSet& d) { d.Post(); }, {}},
      {"lookup does not scroll",
       none,
       [](TMemDataSet& d) { d.Lookup("NAAM", "Cor", "AANTAL"); },
       {}},
  };
  for (const Case& c : cases) {
    TMemDataSet d;
    hbtest::DefinePeople(d);
    d.Open();
    c.prepare(d);
    hbtest::TEventLog events(d);
    c.run(d);
    EXPECT_EQ(events.log, c.expected) << c.name;
  }
}

// A Before handler that raises stops the operation and leaves the dataset as it was.
TEST_F(DataSetTest, RaisingBeforeHandlersStopTheOperation) {
  auto refuse = [](TDataSet&) { throw EDatabaseError("geweigerd"); };
  t.BeforePost = refuse;
  t.Edit();
  t.FieldByName("NAAM")->SetAsString("Anna");
  ExpectDbError([&] { t.Post(); }, "geweigerd");
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
  EXPECT_EQ(Naam(), "Anna");
  ExpectDbError([&] { t.Next(); }, "geweigerd");  // leaving posts the changed record
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
  t.Cancel();
  EXPECT_EQ(Naam(), "Ann");
  t.BeforeDelete = refuse;
  ExpectDbError([&] { t.Delete(); }, "geweigerd");
  EXPECT_EQ(t.RecordCount(), 5);
  t.BeforeInsert = refuse;
  ExpectDbError([&] { t.Append(); }, "geweigerd");
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  t.BeforeInsert = nullptr;
  t.OnNewRecord = refuse;
  ExpectDbError([&] { t.Insert(); }, "geweigerd");
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Naam(), "Ann");
  t.BeforeEdit = refuse;
  ExpectDbError([&] { t.Edit(); }, "geweigerd");
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  t.BeforeOpen = refuse;
  t.Close();
  ExpectDbError([&] { t.Open(); }, "geweigerd");
  EXPECT_FALSE(t.Active());
}

TEST_F(DataSetTest, EditPostAndCancel) {
  t.Next();
  t.Edit();
  t.FieldByName("NAAM")->SetAsString("Bert");
  EXPECT_TRUE(t.Modified());
  t.Post();
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Naam(), "Bert");
  t.Edit();
  t.FieldByName("NAAM")->SetAsString("Boris");
  t.Cancel();
  EXPECT_EQ(Naam(), "Bert");
  EXPECT_EQ(Names(t), QStringList({"Ann", "Bert", "Cor", "Dirk", "Eva"}));
}

TEST_F(DataSetTest, InsertAppendAndTheirCancel) {
  t.MoveBy(2);  // Cor
  t.Insert();
  EXPECT_TRUE(t.FieldByName("NAAM")->IsNull());
  EXPECT_EQ(t.RecNo(), -1);
  t.FieldByName("NAAM")->SetAsString("Bas");
  t.Post();
  EXPECT_EQ(Naam(), "Bas");
  EXPECT_EQ(t.RecNo(), 3);

  t.Append();
  t.FieldByName("NAAM")->SetAsString("Zoe");
  t.Post();
  EXPECT_EQ(Naam(), "Zoe");
  EXPECT_EQ(Names(t), QStringList({"Ann", "Bob", "Bas", "Cor", "Dirk", "Eva", "Zoe"}));

  t.First();
  t.Next();
  t.Append();
  t.FieldByName("NAAM")->SetAsString("weg");
  t.Cancel();
  EXPECT_EQ(Naam(), "Bob");  // back where the insert began
  EXPECT_EQ(t.RecordCount(), 7);

  t.AppendRecord({"Gijs", 7});
  EXPECT_EQ(Naam(), "Gijs");
  EXPECT_EQ(t.FieldByName("AANTAL")->AsInteger(), 7);
  EXPECT_TRUE(t.FieldByName("BEDRAG")->IsNull());
  EXPECT_THROW(t.AppendRecord({"Piet", "veel"}), EFieldConvertError);
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);  // the refused record is not left half-made
  EXPECT_EQ(t.RecordCount(), 8);
}

TEST_F(DataSetTest, DefaultsFromOnNewRecordAloneAreNotPosted) {
  t.OnNewRecord = [](TDataSet& d) { d.FieldByName("AANTAL")->SetAsInteger(1); };
  t.Insert();
  t.Next();
  EXPECT_EQ(t.RecordCount(), 5);
  t.AfterInsert = [](TDataSet& d) { d.FieldByName("NAAM")->SetAsString("Nieuw"); };
  t.Insert();
  t.Next();  // a value set after the insert makes the record worth keeping
  EXPECT_EQ(t.RecordCount(), 6);
}

TEST_F(DataSetTest, DeleteShowsTheNextRecordOrThePreviousAtTheEnd) {
  t.Next();
  t.Delete();
  EXPECT_EQ(Naam(), "Cor");
  t.Last();
  t.Delete();
  EXPECT_EQ(Naam(), "Dirk");
  EXPECT_FALSE(t.Eof());
  t.First();
  t.Edit();
  t.FieldByName("NAAM")->SetAsString("X");
  t.Delete();  // deleting while editing deletes the record and drops the edit
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Names(t), QStringList({"Cor", "Dirk"}));
  t.Insert();
  t.Delete();  // in insert state: cancels
  EXPECT_EQ(t.RecordCount(), 2);
}

// Handlers may use the dataset themselves, as the program's tables do: allocate an id by
// editing another record before an insert, reopen the table after a delete.
TEST_F(DataSetTest, HandlersMayUseTheDatasetThemselves) {
  int nextId = 0;
  t.BeforeInsert = [&](TDataSet& d) {
    const TBookmark here = d.GetBookmark();
    ASSERT_TRUE(d.Locate("NAAM", "Eva"));
    d.Edit();
    nextId = d.FieldByName("AANTAL")->AsInteger() + 1;
    d.FieldByName("AANTAL")->SetAsInteger(nextId);
    d.Post();
    d.GotoBookmark(here);
  };
  t.AfterInsert = [&](TDataSet& d) { d.FieldByName("AANTAL")->SetAsInteger(nextId); };
  t.AfterDelete = [](TDataSet& d) {
    const int recNo = d.RecNo();
    d.Close();
    d.Open();
    d.SetRecNo(recNo);
  };
  t.Next();
  t.Insert();
  t.FieldByName("NAAM")->SetAsString("Nieuw");
  t.Post();
  EXPECT_EQ(t.FieldByName("AANTAL")->AsInteger(), 6);
  EXPECT_EQ(t.Lookup("NAAM", "Eva", "AANTAL").toInt(), 6);
  EXPECT_EQ(t.RecNo(), 2);
  t.Delete();
  EXPECT_TRUE(t.Active());
  EXPECT_EQ(Naam(), "Bob");
  EXPECT_EQ(t.RecNo(), 2);
}

TEST_F(DataSetTest, LocateWithItsOptions) {
  struct Case {
    const char* keys;
    QVariant values;
    TLocateOptions options;
    const char* found;  // nullptr: not found
  };
  const QList<Case> cases = {
      {"NAAM", "Cor", 0, "Cor"},
      {"NAAM", "cor", 0, nullptr},
      {"NAAM", "cor", loCaseInsensitive, "Cor"},
      {"NAAM", "Di", 0, nullptr},
      {"NAAM", "Di", loPartialKey, "Dirk"},
      {"NAAM", "di", loPartialKey | loCaseInsensitive, "Dirk"},
      {"AANTAL", "4", 0, "Dirk"},  // a text key is converted to the field's type
      {"BEDRAG", 7.5, 0, "Eva"},
      {"ACTIEF", false, 0, "Bob"},
      {"DATUM", QDate(2024, 1, 4), 0, "Cor"},
      {"NAAM;AANTAL", QVariantList{"Eva", 5}, 0, "Eva"},
      {"naam ; aantal", QVariantList{"Eva", 4}, 0, nullptr},
  };
  for (const Case& c : cases) {
    t.First();
    t.Next();  // Bob: where a failed search must leave us
    const bool found = t.Locate(c.keys, c.values, c.options);
    EXPECT_EQ(found, c.found != nullptr) << c.keys << " " << c.values.toString().toStdString();
    EXPECT_EQ(Naam(), c.found ? c.found : "Bob") << c.keys;
    if (!found) {
      t.Next();  // the search walked the table; navigation goes on from Bob all the same
      EXPECT_EQ(Naam(), "Cor");
    }
  }
  EXPECT_THROW(t.Locate("AANTAL", "vier"), EFieldConvertError);
  ExpectDbError([&] { t.Locate("NAAM;AANTAL", "Eva"); }, "1 key values given for 2 key fields");
}

TEST_F(DataSetTest, LookupReadsWithoutMoving) {
  t.Next();
  EXPECT_EQ(t.Lookup("NAAM", "Dirk", "AANTAL").toInt(), 4);
  EXPECT_EQ(t.Lookup("NAAM", "Dirk", "AANTAL;BEDRAG").toList(), QVariantList({4, 6.0}));
  EXPECT_FALSE(t.Lookup("NAAM", "dirk", "AANTAL").isValid());  // exact: no options
  EXPECT_EQ(Naam(), "Bob");
  t.Next();
  EXPECT_EQ(Naam(), "Cor");
  // A text key field compares null and "" alike.
  t.Edit();
  t.FieldByName("NAAM")->Clear();
  t.Post();
  EXPECT_EQ(t.Lookup("NAAM", "", "AANTAL").toInt(), 3);
}

TEST_F(DataSetTest, BookmarksReturnAndGoStale) {
  t.MoveBy(3);
  const TBookmark dirk = t.GetBookmark();
  t.First();
  t.GotoBookmark(dirk);
  EXPECT_EQ(Naam(), "Dirk");
  EXPECT_TRUE(t.BookmarkValid(dirk));
  EXPECT_EQ(t.CompareBookmarks(dirk, dirk), 0);
  t.Next();
  EXPECT_EQ(Naam(), "Eva");  // checking a bookmark does not move the dataset
  t.Prior();
  t.Delete();
  EXPECT_FALSE(t.BookmarkValid(dirk));
  ExpectDbError([&] { t.GotoBookmark(dirk); }, "Record not found");
  EXPECT_EQ(Naam(), "Eva");
  t.Prior();
  EXPECT_EQ(Naam(), "Cor");
}

TEST_F(DataSetTest, SetKeyStateWritesOnlyKeyFields) {
  ExpectDbError([&] { t.SetKey(); }, "No index is assigned for this operation");
  t.SetIndexFieldNames("AANTAL");
  t.SetKey();
  EXPECT_EQ(t.State(), TDataSetState::dsSetKey);
  ExpectDbError([&] { t.FieldByName("NAAM")->SetAsString("x"); },
                "Field 'NAAM' is not indexed and cannot be modified");
  t.FieldByName("AANTAL")->SetAsInteger(3);
  EXPECT_TRUE(t.GotoKey());
  EXPECT_EQ(Naam(), "Cor");
  EXPECT_FALSE(t.FindKey({9}));
  EXPECT_EQ(Naam(), "Cor");
  t.FindNearest({4});
  EXPECT_EQ(Naam(), "Dirk");
  t.SetIndexFieldNames("NAAM");
  EXPECT_EQ(Naam(), "Dirk");  // a new order keeps the current record
  t.FindNearest({"C"});
  EXPECT_EQ(Naam(), "Cor");
  t.FindNearest({"Zz"});
  EXPECT_EQ(Naam(), "Eva");  // nothing at or after the key: the last record
  t.Append();
  t.FieldByName("NAAM")->SetAsString("Ben");
  t.Post();
  EXPECT_EQ(Names(t), QStringList({"Ann", "Ben", "Bob", "Cor", "Dirk", "Eva"}));
}

TEST_F(DataSetTest, FilterRecordRunsInFilterStateAndHidesRecords) {
  QList<TDataSetState> states;
  t.OnFilterRecord = [&](TDataSet& d, bool& accept) {
    states << d.State();
    accept = d.FieldByName("ACTIEF")->AsBoolean();
    // Writing while filtering is refused.
    EXPECT_THROW(d.FieldByName("NAAM")->SetAsString("x"), EDatabaseError);
  };
  t.Last();
  t.SetFilter("ACTIEF");  // a filter text alone changes nothing while not filtered
  EXPECT_EQ(Naam(), "Eva");
  t.SetFiltered(true);
  EXPECT_EQ(Naam(), "Ann");  // switching the filter on shows the first record
  t.Next();
  t.SetFilterOptions(foCaseInsensitive);
  EXPECT_EQ(Naam(), "Ann");  // so does a change of the filter while filtered
  EXPECT_EQ(Names(t), QStringList({"Ann", "Cor", "Eva"}));
  EXPECT_EQ(t.RecordCount(), 3);
  EXPECT_FALSE(states.isEmpty());
  EXPECT_TRUE(std::all_of(states.begin(), states.end(),
                          [](TDataSetState s) { return s == TDataSetState::dsFilter; }));
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(t.Locate("NAAM", "Bob"));
  // A record edited out of the filter leaves the view; the next one is shown.
  t.Locate("NAAM", "Cor");
  t.Edit();
  t.FieldByName("ACTIEF")->SetAsBoolean(false);
  t.Post();
  EXPECT_EQ(Naam(), "Eva");
  t.SetFiltered(false);
  EXPECT_EQ(t.RecordCount(), 5);
}

TEST_F(DataSetTest, DataSourcesHearChangesUnlessControlsAreDisabled) {
  TDataSource ds(&t);
  QSignalSpy changed(&ds, &TDataSource::dataSetChanged);
  QSignalSpy scrolled(&ds, &TDataSource::scrolled);
  QSignalSpy record(&ds, &TDataSource::recordChanged);
  QSignalSpy state(&ds, &TDataSource::stateChanged);
  QSignalSpy update(&ds, &TDataSource::updateData);
  t.Next();
  EXPECT_EQ(scrolled.count(), 1);
  EXPECT_EQ(changed.count(), 0);
  t.Edit();
  EXPECT_EQ(state.count(), 1);
  t.FieldByName("AANTAL")->SetAsInteger(8);
  ASSERT_EQ(record.count(), 2);  // the record at Edit, then the field
  EXPECT_EQ(record.at(1).at(0).value<TField*>(), t.FieldByName("AANTAL"));
  t.Post();
  EXPECT_EQ(update.count(), 1);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(state.count(), 2);

  changed.clear();
  scrolled.clear();
  state.clear();
  t.DisableControls();
  t.DisableControls();
  t.First();
  t.Edit();
  t.Cancel();
  t.EnableControls();
  EXPECT_TRUE(t.ControlsDisabled());
  t.EnableControls();
  EXPECT_FALSE(t.ControlsDisabled());
  EXPECT_EQ(scrolled.count(), 0);
  EXPECT_EQ(changed.count(), 1);  // one notice at the end
  EXPECT_EQ(state.count(), 1);

  ds.SetEnabled(false);
  changed.clear();
  t.Refresh();
  EXPECT_EQ(changed.count(), 0);
  ds.SetEnabled(true);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);

  ds.SetAutoEdit(false);
  ds.Edit();
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  ds.SetAutoEdit(true);
  ds.Edit();
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
}

TEST(DataSetLifetime, DestroyedDatasetLeavesItsSourcesEmpty) {
  TDataSource ds;
  {
    TMemDataSet t;
    hbtest::DefinePeople(t);
    t.Open();
    ds.SetDataSet(&t);
    QSignalSpy state(&ds, &TDataSource::stateChanged);
    t.Close();
    EXPECT_EQ(state.count(), 1);
    t.Open();
  }
  EXPECT_EQ(ds.DataSet(), nullptr);
  EXPECT_EQ(ds.State(), TDataSetState::dsInactive);
  {
    TMemDataSet t;
    auto* source = new TDataSource(&t);
    delete source;  // a source that goes first leaves nothing behind in the dataset
    hbtest::DefinePeople(t);
    t.Open();
    t.Next();
  }
}

TEST(DataSetOpen, FailedOpenLeavesTheDatasetClosed) {
  TMemDataSet t;
  ExpectDbError([&] { t.Open(); }, "No fields defined");
  EXPECT_FALSE(t.Active());
  hbtest::DefinePeople(t);
  ExpectDbError([&] { t.SetIndexFieldNames("AANTAL;GEEN"); }, "Field 'GEEN' not found");
  EXPECT_EQ(t.IndexFieldNames(), "");
  t.Open();
  EXPECT_EQ(t.RecordCount(), 5);
  ExpectDbError([&] { t.FieldDefs().Add("naam", TFieldType::ftString, 5); },
                "Duplicate field name 'naam'");
}

}  // namespace

// A concrete dataset may refuse work while it is busy: every operation asks CheckActive.
class TBusyDataSet : public TMemDataSet {
 public:
  bool busy = false;

 protected:
  void CheckActive() const override {
    if (busy) DatabaseError("Table is busy");
    TMemDataSet::CheckActive();
  }
};

TEST(DataSetBusy, EveryOperationAsksTheConcreteDataset) {
  TBusyDataSet t;
  hbtest::DefinePeople(t);
  t.Open();
  t.busy = true;
  const QList<std::function<void()>> operations = {
      [&] { t.Next(); },
      [&] { t.First(); },
      [&] { t.Edit(); },
      [&] { t.Append(); },
      [&] { t.Delete(); },
      [&] { t.Refresh(); },
      [&] { t.RecordCount(); },
      [&] { t.RecNo(); },
      [&] { t.Locate("NAAM", "Eva"); },
      [&] { t.Lookup("NAAM", "Eva", "AANTAL"); },
      [&] { t.Post(); },
  };
  for (const auto& op : operations) ExpectDbError(op, "Table is busy");
  t.busy = false;
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(t.FieldByName("NAAM")->AsString(), "Ann");
}
