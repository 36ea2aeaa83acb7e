// The dataset component over a table: finding and opening the table, the field mapping and
// value rules, bookmarks, searches, order, ranges, filters, editing and the whole-table
// operations.
#include "dbf/dbfdataset.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "dbf/dbfblobstream.h"
#include "dbfdataset_fixture.h"
#include "platform/datasetmem.h"
#include "platform/datasetmodel.h"
#include "platform/folders.h"
#include "testutil.h"

using namespace hb;
using hbtest::ErrorOf;

namespace {

QStringList Names(TDbfDataSet& t) {
  QStringList list;
  for (t.First(); !t.Eof(); t.Next()) list.append(t.FieldByName("NAME")->AsString());
  return list;
}

class DbfDataSetTest : public ::testing::Test {
 protected:
  void OpenPeople(bool index = true) {
    t.SetDatabaseName(p.folder);
    t.SetTableName("people");
    t.SetTranslateASCII(false);
    if (index) {
      t.SetIndexFiles({"PEOPLE.CDX"});
      t.SetIndexName("NAME");
    }
    t.Open();
  }
  // The stored bytes of a record's field, read from the file by another handle.
  std::string Stored(uint32_t rec, const char* field) {
    TDbfFields f;
    f.Open(p.dbf, true, false);
    f.GotoRecord(rec);
    return f.ReadRawByName(field);
  }

  hbtest::TPeopleTable p;
  TDbfDataSet t;
};

// ---------------------------------------------------------------- finding the table

TEST_F(DbfDataSetTest, TableFoundByNameWithoutExtensionAndErrorsName) {
  // "people" finds PEOPLE.DBF: ".DBF" added, letter case ignored.
  OpenPeople(false);
  EXPECT_EQ(t.TablePath(), p.folder + "PEOPLE.DBF");
  EXPECT_EQ(t.RecordCount(), 5);
  t.Close();

  TDbfDataSet none;
  none.SetDatabaseName(p.folder);
  EXPECT_EQ(ErrorOf([&] { none.Open(); }), "Table name missing");
  none.SetTableName("ABSENT");
  EXPECT_EQ(ErrorOf([&] { none.Open(); }), "Cannot find file " + p.folder + "ABSENT.DBF");
  EXPECT_FALSE(none.Active());
  EXPECT_EQ(ErrorOf([&] { none.RecordCount(); }),
            "Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ErrorOf([&] { none.RecNo(); }), "Cannot perform this operation on a closed dataset");
}

TEST_F(DbfDataSetTest, DefaultDirectoryIsTheProgramFolderAndAliasesComeFromTheAliasFile) {
  // "default directory" in any case: the program's folder.
  const QString name = QString("HBDS%1").arg(QCoreApplication::applicationPid());
  const QString inProgram = ProgramFolder() + "/" + name + ".DBF";
  ASSERT_TRUE(QFile::copy(p.folder + "PEOPLE.DBF", inProgram));
  QFile::copy(p.folder + "PEOPLE.FPT", ProgramFolder() + "/" + name + ".FPT");
  {
    TDbfDataSet d;
    d.SetDatabaseName("default directory");
    d.SetTableName(name);
    EXPECT_EQ(d.DatabaseFolder(), ProgramFolder() + "/");
    d.Open();
    EXPECT_EQ(d.RecordCount(), 5);
  }
  QFile::remove(inProgram);
  QFile::remove(ProgramFolder() + "/" + name + ".FPT");

  // An alias of dbalias.cfg in the Windows folder; "\" separators are read as paths.
  QTemporaryDir windir;
  const QByteArray saved = qgetenv("HOURBOOK_WINDIR");
  qputenv("HOURBOOK_WINDIR", windir.path().toUtf8());
  QString stored = p.dir.path();
  stored.replace('/', '\\');
  ASSERT_TRUE(hbtest::WriteFile(windir.path() + "/dbalias.cfg",
                                "[Alias]\r\nUREN=" + stored.toUtf8() + "\r\n"));
  ReloadDbfAliases();
  TDbfDataSet d;
  d.SetDatabaseName("uren");
  d.SetTableName("PEOPLE.DBF");
  EXPECT_EQ(d.DatabaseFolder(), p.folder);
  d.Open();
  EXPECT_EQ(d.RecordCount(), 5);
  // Not an alias: the name is the folder.
  EXPECT_EQ(ResolveDatabaseFolder(p.dir.path()), p.folder);
  if (saved.isNull())
    qunsetenv("HOURBOOK_WINDIR");
  else
    qputenv("HOURBOOK_WINDIR", saved);
  ReloadDbfAliases();
}

// ---------------------------------------------------------------- fields and values

TEST(DbfFieldMapping, TypeLetterWidthAndDecimalsGiveTheFrameworkType) {
  struct TCase {
    char type;
    int width, decimals;
    TIntFields as;
    TFieldType expected;
  };
  const TCase cases[] = {
      {'C', 10, 0, TIntFields::asInteger, TFieldType::ftString},
      {'D', 8, 0, TIntFields::asInteger, TFieldType::ftDate},
      {'N', 10, 2, TIntFields::asInteger, TFieldType::ftFloat},
      {'F', 8, 3, TIntFields::asInteger, TFieldType::ftFloat},
      {'N', 4, 0, TIntFields::asInteger, TFieldType::ftSmallint},
      {'N', 5, 0, TIntFields::asInteger, TFieldType::ftInteger},
      {'N', 9, 0, TIntFields::asInteger, TFieldType::ftInteger},
      {'N', 10, 0, TIntFields::asInteger, TFieldType::ftInteger},
      {'N', 10, 0, TIntFields::asLargeInt, TFieldType::ftLargeint},
      {'F', 12, 0, TIntFields::asFloat, TFieldType::ftFloat},
      {'I', 4, 0, TIntFields::asInteger, TFieldType::ftInteger},
      {'L', 1, 0, TIntFields::asInteger, TFieldType::ftBoolean},
      {'M', 10, 0, TIntFields::asInteger, TFieldType::ftMemo},
      {'B', 10, 0, TIntFields::asInteger, TFieldType::ftBlob},
      {'G', 10, 0, TIntFields::asInteger, TFieldType::ftBlob},
      {'T', 8, 0, TIntFields::asInteger, TFieldType::ftDateTime},
      {'Y', 8, 4, TIntFields::asInteger, TFieldType::ftCurrency},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(DbfFieldType(c.type, c.width, c.decimals, c.as), c.expected)
        << c.type << c.width << "." << c.decimals;
}

TEST_F(DbfDataSetTest, FieldDefinitionsFollowTheTableInOrder) {
  t.SetLargeIntegerAs(TIntFields::asLargeInt);
  OpenPeople(false);
  ASSERT_EQ(t.FieldCount(), 8);
  const TFieldType types[] = {TFieldType::ftString,   TFieldType::ftString, TFieldType::ftSmallint,
                              TFieldType::ftLargeint, TFieldType::ftFloat,  TFieldType::ftDate,
                              TFieldType::ftBoolean,  TFieldType::ftMemo};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(t.Fields(i)->DataType(), types[i]) << i;
  EXPECT_EQ(t.Fields(0)->FieldName(), "NAME");
  EXPECT_EQ(t.Fields(0)->Size(), 10);
  EXPECT_EQ(t.Fields(4)->Precision(), 2);
}

TEST_F(DbfDataSetTest, ReadingFollowsTheNullRules) {
  OpenPeople(false);
  t.SetRecNo(1);
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Cor");
  EXPECT_EQ(t.FieldByName("DAYS")->AsInteger(), 1000);
  EXPECT_DOUBLE_EQ(t.FieldByName("PRICE")->AsFloat(), 1.5);
  EXPECT_EQ(t.FieldByName("BORN")->AsString(), "01-03-1984");
  EXPECT_TRUE(t.FieldByName("ACTIVE")->AsBoolean());
  EXPECT_EQ(t.FieldByName("NOTE")->AsString(), "eerste");

  // Blank numbers and logicals read as 0 and false, not null; blank and "00000000" dates,
  // absent memos and empty texts are null.
  t.SetRecNo(4);
  for (const char* f : {"DAYS", "PRICE", "ACTIVE"}) EXPECT_FALSE(t.FieldByName(f)->IsNull()) << f;
  EXPECT_EQ(t.FieldByName("DAYS")->AsInteger(), 0);
  EXPECT_EQ(t.FieldByName("PRICE")->AsFloat(), 0.0);
  EXPECT_FALSE(t.FieldByName("ACTIVE")->AsBoolean());
  EXPECT_TRUE(t.FieldByName("NOTE")->IsNull());
  t.SetRecNo(2);
  EXPECT_TRUE(t.FieldByName("BORN")->IsNull());
  t.SetRecNo(3);
  EXPECT_TRUE(t.FieldByName("BORN")->IsNull());
  t.Edit();
  t.FieldByName("NAME")->SetAsString("");
  EXPECT_TRUE(t.FieldByName("NAME")->IsNull());
  t.Cancel();
}

TEST_F(DbfDataSetTest, WritingStoresTheTableFormats) {
  t.SetUserID(0x01020304);
  OpenPeople(false);
  t.SetRecNo(1);
  t.Edit();
  t.FieldByName("BORN")->Clear();
  t.FieldByName("DAYS")->Clear();
  t.FieldByName("ACTIVE")->Clear();
  t.FieldByName("NAME")->Clear();
  t.FieldByName("PRICE")->SetAsFloat(12.345);
  t.Post();
  EXPECT_EQ(Stored(1, "BORN"), "        ");
  EXPECT_EQ(Stored(1, "DAYS"), "         0");
  EXPECT_EQ(Stored(1, "ACTIVE"), "F");
  EXPECT_EQ(Stored(1, "NAME"), std::string(10, ' '));
  EXPECT_EQ(Stored(1, "PRICE"), "     12.35");
  EXPECT_EQ(hbtest::ReadFile(p.folder + "PEOPLE.DBF").mid(20, 4), QByteArray("\x04\x03\x02\x01"));

  t.Edit();
  t.FieldByName("BORN")->SetAsString("29-02-2024");
  t.Post();
  EXPECT_EQ(Stored(1, "BORN"), "20240229");
  // A number the field cannot hold is refused and leaves the field as it was.
  t.Edit();
  EXPECT_NE(ErrorOf([&] { t.FieldByName("AGE")->SetAsInteger(1000); }), "");
  EXPECT_EQ(t.FieldByName("AGE")->AsInteger(), 40);
  t.Cancel();
  // Writes outside edit state.
  EXPECT_EQ(ErrorOf([&] { t.FieldByName("AGE")->SetAsInteger(1); }),
            "Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { t.SetFieldText("AGE", " 1"); }), "Dataset not in edit or insert mode");
}

TEST_F(DbfDataSetTest, TranslatedTextIsStoredInTheOemCodePage) {
  OpenPeople();
  t.Close();
  t.SetTranslateASCII(true);
  t.Open();
  t.SetRecNo(2);
  t.Edit();
  t.FieldByName("NAME")->SetAsString(QString::fromUtf8("Zoë é"));
  t.FieldByName("NOTE")->SetAsString(QString::fromUtf8("café"));
  t.Post();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), QString::fromUtf8("Zoë é"));
  EXPECT_EQ(t.GetFieldText("NAME"), QByteArray("Zo\x89 \x82     "));
  EXPECT_EQ(Stored(2, "NAME"), "Zo\x89 \x82     ");
  EXPECT_EQ(t.ReadMemo("NOTE"), QByteArray("caf\x82"));
  EXPECT_EQ(t.FieldByName("NOTE")->AsString(), QString::fromUtf8("café"));
  {
    TDbfBlobStream s(t, *t.FieldByName("NOTE"), TBlobStreamMode::bmRead);
    EXPECT_EQ(s.Data(), QByteArray("caf\xE9"));  // the Windows code page
  }
  t.Edit();
  {
    TDbfBlobStream s(t, *t.FieldByName("NOTE"), TBlobStreamMode::bmWrite);
    s.SetData("\xE8\xE9");
  }
  t.Post();
  EXPECT_EQ(t.ReadMemo("NOTE"), QByteArray("\x8A\x82"));
  // Keys are translated as well.
  t.First();
  EXPECT_TRUE(t.Find(QString::fromUtf8("Zoë"), false, false));
  EXPECT_EQ(t.RecNo(), 2);

  // Without translation the Windows code page is stored.
  t.Close();
  t.SetTranslateASCII(false);
  t.Open();
  t.SetRecNo(2);
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), QString::fromUtf8("Zo\u2030 \u201a"));
  t.Edit();
  t.FieldByName("NAME")->SetAsString(QString::fromUtf8("é"));
  t.Post();
  EXPECT_EQ(Stored(2, "NAME"), "\xE9         ");
}

// ---------------------------------------------------------------- cursor and bookmarks

TEST_F(DbfDataSetTest, BookmarksAreRightAlignedRecordNumbers) {
  auto b = MakeDbfBuilder(p.folder.toStdString() + "MANY.DBF", TDbfTypes::FoxPro2);
  b->AddField("N", 'N', 0, 5);
  b->Finish();
  {
    TDbfHandler h;
    h.Open(p.folder.toStdString() + "MANY.DBF", false, true);
    for (int i = 1; i <= 50; ++i) {
      h.BlankRecord();
      h.WriteNumber(1, i);
      h.AppendRecord();
    }
  }
  t.SetDatabaseName(p.folder);
  t.SetTableName("MANY");
  t.Open();
  t.SetRecNo(42);
  EXPECT_EQ(t.GetBookmark(), QByteArray("        42\0", 11));
  EXPECT_EQ(t.RecNo(), 42);
  const TBookmark mark = t.GetBookmark();
  t.First();
  t.GotoBookmark(mark);
  EXPECT_EQ(t.FieldByName("N")->AsInteger(), 42);
  EXPECT_EQ(t.MoveBy(-3), -3);
  EXPECT_EQ(t.RecNo(), 39);
  EXPECT_EQ(ErrorOf([&] { t.SetRecNo(51); }), "Record request beyond range of table");
  EXPECT_EQ(ErrorOf([&] { t.GotoBookmark(QByteArray("        77\0", 11)); }),
            "Record request beyond range of table");
}

TEST_F(DbfDataSetTest, RecordCountIsPhysicalOrVisible) {
  auto b = MakeDbfBuilder(p.folder.toStdString() + "TEN.DBF", TDbfTypes::FoxPro2);
  b->AddField("N", 'N', 0, 5);
  b->Finish();
  {
    TDbfHandler h;
    h.Open(p.folder.toStdString() + "TEN.DBF", false, true);
    for (int i = 1; i <= 10; ++i) {
      h.BlankRecord();
      h.WriteNumber(1, i);
      h.AppendRecord();
      if (i == 2 || i == 5 || i == 10) h.MarkDeleted();
    }
  }
  t.SetDatabaseName(p.folder);
  t.SetTableName("TEN");
  t.Open();
  t.SetRecNo(4);
  EXPECT_EQ(t.RecordCount(), 10);
  t.SetExactCount(true);
  EXPECT_EQ(t.RecordCount(), 7);
  EXPECT_EQ(t.RecNo(), 4);  // the count walked, the dataset did not move
  t.Next();
  EXPECT_EQ(t.RecNo(), 6);
  t.Last();
  EXPECT_EQ(t.RecNo(), 9);
  t.SetUseDeleted(true);
  EXPECT_EQ(t.RecordCount(), 10);
}

// ---------------------------------------------------------------- order, searches, ranges

TEST_F(DbfDataSetTest, OrderFollowsIndexNameAndKeepsTheRecord) {
  OpenPeople();
  EXPECT_EQ(Names(t), QStringList({"Anna", "Bert", "Cor", "Dirk", "Els"}));
  ASSERT_EQ(t.IndexDefs().size(), 2);
  EXPECT_EQ(t.IndexDefs()[1].Name, "TYPENAME");
  EXPECT_EQ(t.IndexDefs()[1].Expression, "TYPE+NAME");
  EXPECT_EQ(t.TagCount(), 2);
  EXPECT_EQ(t.TagName(2), "TYPENAME");
  EXPECT_EQ(t.TagExpression(1), "NAME");

  t.Locate("NAME", "Dirk");
  t.SetIndexName("TYPENAME");
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Dirk");
  EXPECT_EQ(Names(t), QStringList({"Bert", "Cor", "Els", "Anna", "Dirk"}));
  t.SetIndexName("");
  EXPECT_EQ(Names(t), QStringList({"Cor", "Anna", "Bert", "Dirk", "Els"}));
  EXPECT_NE(ErrorOf([&] { t.SetIndexName("NOPE"); }), "");
}

TEST_F(DbfDataSetTest, FindWithAndWithoutNear) {
  OpenPeople();
  EXPECT_TRUE(t.Find("Bert", true, false));
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Bert");
  EXPECT_FALSE(t.Eof());
  // A partial key is found when exact is off.
  EXPECT_TRUE(t.Find("Di", false, false));
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Dirk");
  EXPECT_FALSE(t.Find("Di", true, false));

  // Absent, near off: the last record with Eof set.
  t.First();
  EXPECT_FALSE(t.Find("Bob", true, false));
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Els");
  // Near on: the next higher key.
  EXPECT_FALSE(t.Find("Bob", true, true));
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Cor");

  EXPECT_TRUE(t.FindKeyValues({"Cor"}));
  EXPECT_EQ(t.RecNo(), 1);
  t.SetIndexName("TYPENAME");
  EXPECT_TRUE(t.FindKeyValues({"M", "Dirk"}));
  EXPECT_EQ(t.RecNo(), 4);
  EXPECT_TRUE(t.FindKey({"M"}));
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Anna");

  t.SetIndexName("");
  EXPECT_EQ(ErrorOf([&] { t.Find("Cor", true, false); }),
            "No index is assigned for Find operation");
  EXPECT_EQ(ErrorOf([&] { t.FindKeyValues({"Cor"}); }), "No index is assigned for Find operation");
}

TEST_F(DbfDataSetTest, LocateLookupAndSearchText) {
  OpenPeople();
  t.Last();
  EXPECT_TRUE(t.Locate("TYPE;NAME", QVariantList{"K", "Bert"}));
  EXPECT_EQ(t.RecNo(), 3);
  // Through the NAME tag: partial; by a scan: case-insensitive as well.
  EXPECT_TRUE(t.Locate("NAME", "Di", loPartialKey));
  EXPECT_EQ(t.RecNo(), 4);
  EXPECT_TRUE(t.Locate("NAME;TYPE", QVariantList{"els", "k"}, loCaseInsensitive));
  EXPECT_EQ(t.RecNo(), 5);
  EXPECT_TRUE(t.Locate("AGE;NAME", QVariantList{50, "B"}, loPartialKey));
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_TRUE(t.Locate("AGE", 60));
  EXPECT_EQ(t.RecNo(), 5);
  // Not found: back on the record it was on.
  EXPECT_FALSE(t.Locate("NAME", "Zed"));
  EXPECT_EQ(t.RecNo(), 5);
  t.Next();
  EXPECT_TRUE(t.Eof());

  t.First();
  EXPECT_EQ(t.Lookup("NAME", "Cor", "AGE;TYPE"), QVariant(QVariantList{40, "K"}));
  EXPECT_FALSE(t.Lookup("NAME", "Zed", "AGE").isValid());
  EXPECT_EQ(t.RecNo(), 2);  // Anna, first in NAME order, untouched

  int field = 0, rec = 0;
  EXPECT_EQ(t.SearchText("aats", field, 0, rec), 2);  // "laatste" in the memo
  EXPECT_EQ(rec, 5);
  EXPECT_EQ(field, 8);
  EXPECT_EQ(t.RecNo(), 5);
  field = 0;
  rec = 0;
  EXPECT_EQ(t.SearchText("nothing", field, 0, rec), 0);
  EXPECT_EQ(t.RecNo(), 5);
}

TEST_F(DbfDataSetTest, KeyRangeAndFilter) {
  OpenPeople();
  // Both bounds included, the high one compared strictly: "Dirk" lies above "D".
  t.SetKeyRange("B", "D");
  EXPECT_EQ(Names(t), QStringList({"Bert", "Cor"}));
  t.SetIndexName("TYPENAME");
  t.SetKeyRange("M", "MZ");
  EXPECT_EQ(Names(t), QStringList({"Anna", "Dirk"}));
  t.SetKeyRange("", "");
  EXPECT_EQ(Names(t).size(), 5);

  t.SetIndexName("NAME");
  t.SetFilter("TYPE = 'k'");
  t.SetFilterOptions(foCaseInsensitive);
  t.SetFiltered(true);
  EXPECT_EQ(Names(t), QStringList({"Bert", "Cor", "Els"}));
  // OnFilterRecord refuses further records.
  t.OnFilterRecord = [](TDataSet& d, bool& accept) {
    accept = d.FieldByName("AGE")->AsInteger() < 55;
  };
  t.Refresh();
  EXPECT_EQ(Names(t), QStringList({"Bert", "Cor"}));
  t.OnFilterRecord = nullptr;
  t.SetFilterOptions(0);
  EXPECT_TRUE(Names(t).isEmpty());
  t.SetFilter("AGE > 35");
  EXPECT_EQ(Names(t), QStringList({"Bert", "Cor", "Els"}));
  // A record written through the dataset gets its filter bit at once.
  t.Append();
  t.FieldByName("NAME")->SetAsString("Fons");
  t.FieldByName("AGE")->SetAsInteger(70);
  t.Post();
  EXPECT_EQ(Names(t), QStringList({"Bert", "Cor", "Els", "Fons"}));
  t.SetFiltered(false);
  EXPECT_EQ(Names(t).size(), 6);
  t.SetFilter("NAME +");
  EXPECT_NE(ErrorOf([&] { t.SetFiltered(true); }), "");
}

TEST_F(DbfDataSetTest, DetailFollowsItsMaster) {
  TMemDataSet master;
  master.FieldDefs().Add("SOORT", TFieldType::ftString, 1);
  master.AddRow({"M"});
  master.AddRow({"K"});
  master.Open();
  TDataSource source(&master);
  t.SetMasterSource(&source);
  t.SetMasterFields("SOORT");
  OpenPeople();
  t.SetIndexName("TYPENAME");
  EXPECT_EQ(Names(t), QStringList({"Anna", "Dirk"}));
  master.Next();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Bert");
  EXPECT_EQ(Names(t), QStringList({"Bert", "Cor", "Els"}));
}

// ---------------------------------------------------------------- index files

TEST_F(DbfDataSetTest, IndexFilesAreCheckedAndReopenedOnChange) {
  OpenPeople();
  t.SetRecNo(3);
  // A refused list leaves the files that were open.
  EXPECT_EQ(ErrorOf([&] {
              t.SetIndexFiles({"PEOPLE.CDX", "people.cdx"});
            }),
            "Index file " + p.folder + "PEOPLE.CDX already open");
  EXPECT_EQ(ErrorOf([&] { t.SetIndexFiles({"OTHER"}); }),
            "Cannot find file " + p.folder + "OTHER.ndx");
  EXPECT_EQ(t.IndexFiles(), QStringList({"PEOPLE.CDX"}));
  EXPECT_EQ(t.RecNo(), 3);
  t.SetIndexFiles({"people.cdx"});
  EXPECT_EQ(t.RecNo(), 3);  // kept
  EXPECT_EQ(t.IndexName(), "NAME");
  t.Next();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Cor");
  t.SetIndexFiles({});
  EXPECT_EQ(t.IndexName(), "");
  EXPECT_TRUE(t.IndexDefs().isEmpty());
  t.OpenIndexFiles("\"PEOPLE.CDX\"", "TYPENAME");
  EXPECT_EQ(t.IndexName(), "TYPENAME");
  EXPECT_EQ(Names(t).first(), "Bert");
}

TEST_F(DbfDataSetTest, CreateIndexTagLeavesNoIndexFileOpen) {
  OpenPeople();
  int started = 0;
  QString busy;
  t.OnStatus = [&](TDbfDataSet& d, int s1, int, int) {
    if (s1 == -1) ++started;
    if (busy.isEmpty()) busy = ErrorOf([&] { d.RecordCount(); });
  };
  t.CreateIndexTag("PEOPLE.CDX", "AGE", 1, true, "", "STR(AGE,3)");
  EXPECT_GT(started, 0);
  EXPECT_EQ(busy, "Table is busy building an index");
  EXPECT_EQ(t.TagCount(), 0);
  EXPECT_EQ(ErrorOf([&] { t.Find("Cor", true, false); }),
            "No index is assigned for Find operation");
  t.SetIndexFiles(t.IndexFiles());
  t.SetIndexName("AGE");
  EXPECT_EQ(Names(t), QStringList({"Els", "Bert", "Cor", "Anna", "Dirk"}));
  EXPECT_EQ(t.TagCount(), 3);
}

// ---------------------------------------------------------------- editing

TEST_F(DbfDataSetTest, EditInsertDeleteAndRecallKeepTheIndexInStep) {
  OpenPeople();
  ASSERT_TRUE(t.Find("Cor", true, false));
  t.Edit();
  t.FieldByName("NAME")->SetAsString("Aart");
  t.Post();
  EXPECT_EQ(Names(t), QStringList({"Aart", "Anna", "Bert", "Dirk", "Els"}));

  t.Append();
  t.FieldByName("NAME")->SetAsString("Carla");
  t.FieldByName("NOTE")->SetAsString("nieuw");
  t.Post();
  EXPECT_EQ(t.RecNo(), 6);
  EXPECT_EQ(t.FieldByName("NOTE")->AsString(), "nieuw");
  EXPECT_TRUE(t.Find("Carla", true, false));

  // Delete shows the next record; the deleted one is hidden and can be recalled.
  t.Delete();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Dirk");
  EXPECT_EQ(Stored(6, "NAME").substr(0, 5), "Carla");
  EXPECT_EQ(Names(t), QStringList({"Aart", "Anna", "Bert", "Dirk", "Els"}));
  t.SetUseDeleted(true);
  ASSERT_TRUE(t.Find("Carla", true, false));
  EXPECT_TRUE(t.RecordIsDeleted());
  t.RecallRecord();
  EXPECT_FALSE(t.RecordIsDeleted());
  t.SetUseDeleted(false);
  EXPECT_EQ(Names(t).size(), 6);

  // The last record deleted: the previous one is shown.
  t.Last();
  t.Delete();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Dirk");

  TDbfDataSet empty;
  auto b = MakeDbfBuilder(p.folder.toStdString() + "EMPTY.DBF", TDbfTypes::FoxPro2);
  b->AddField("N", 'N', 0, 5);
  b->Finish();
  empty.SetDatabaseName(p.folder);
  empty.SetTableName("EMPTY");
  empty.Open();
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(ErrorOf([&] { empty.RecallRecord(); }),
            "Cannot perform this operation on an empty dataset");
}

TEST_F(DbfDataSetTest, CancelledMemoChangeLeavesTheMemoFile) {
  OpenPeople(false);
  const QByteArray before = hbtest::ReadFile(p.folder + "PEOPLE.FPT");
  t.SetRecNo(1);
  t.Edit();
  {
    TDbfBlobStream s(t, *t.FieldByName("NOTE"), TBlobStreamMode::bmReadWrite);
    EXPECT_EQ(s.Data(), "eerste");
    s.Seek(s.Size());
    s.Write("!!", 2);
  }
  EXPECT_TRUE(t.Modified());
  EXPECT_EQ(t.FieldByName("NOTE")->AsString(), "eerste!!");
  EXPECT_EQ(t.MemoLength("NOTE"), 8);
  t.Cancel();
  EXPECT_EQ(t.FieldByName("NOTE")->AsString(), "eerste");
  EXPECT_EQ(hbtest::ReadFile(p.folder + "PEOPLE.FPT"), before);

  t.Edit();
  t.WriteMemo("NOTE", QByteArray("anders"));
  t.Post();
  EXPECT_EQ(t.ReadMemo("NOTE"), "anders");
  t.Edit();
  t.FieldByName("NOTE")->Clear();
  t.Post();
  EXPECT_TRUE(t.FieldByName("NOTE")->IsNull());
  EXPECT_EQ(ErrorOf([&] { t.WriteMemo("NOTE", QByteArray("x")); }),
            "Dataset not in edit or insert mode");
}

TEST_F(DbfDataSetTest, RawFieldTextAndReadOnlyFields) {
  OpenPeople(false);
  t.SetRecNo(1);
  EXPECT_EQ(t.GetFieldText("AGE"), " 40");
  t.Edit();
  t.SetFieldText("AGE", "41");
  EXPECT_EQ(t.FieldByName("AGE")->AsInteger(), 41);
  t.FieldByName("AGE")->SetReadOnly(true);
  EXPECT_EQ(ErrorOf([&] { t.FieldByName("AGE")->SetAsInteger(3); }),
            "Field 'AGE' cannot be modified");
  t.Post();
  EXPECT_EQ(Stored(1, "AGE"), " 41");
}

TEST_F(DbfDataSetTest, PackNeedsExclusiveAccessAndKeepsTheOrder) {
  OpenPeople();
  ASSERT_TRUE(t.Find("Bert", true, false));
  t.Delete();
  EXPECT_NE(ErrorOf([&] { t.Pack(); }), "");
  EXPECT_EQ(Names(t), QStringList({"Anna", "Cor", "Dirk", "Els"}));  // index still in use
  t.Close();
  t.SetExclusive(true);
  t.Open();
  t.Pack();
  EXPECT_EQ(t.RecordCount(), 4);
  EXPECT_EQ(t.IndexName(), "NAME");
  EXPECT_EQ(Names(t), QStringList({"Anna", "Cor", "Dirk", "Els"}));
  EXPECT_TRUE(t.Find("Els", true, false));
  EXPECT_EQ(t.RecNo(), 4);
  EXPECT_EQ(t.FieldByName("NOTE")->AsString(), "laatste");

  t.CopyTableStructure(p.folder + "COPY.DBF");
  TDbfDataSet copy;
  copy.SetDatabaseName(p.folder);
  copy.SetTableName("COPY");
  copy.Open();
  EXPECT_EQ(copy.FieldCount(), 8);
  EXPECT_EQ(copy.RecordCount(), 0);
}

TEST_F(DbfDataSetTest, ModelShowsTheRows) {
  OpenPeople();
  TDataSetModel model;
  model.SetDataSet(&t);
  model.SetColumns({{"NAME", "Naam"}, {"AGE", ""}, {"BORN", ""}});
  ASSERT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "Anna");
  EXPECT_EQ(model.data(model.index(2, 1)).toString(), "40");
  EXPECT_EQ(model.data(model.index(2, 2)).toString(), "01-03-1984");
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Naam");
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "Anna");  // reading rows does not move
  EXPECT_TRUE(model.setData(model.index(1, 1), 55));
  EXPECT_EQ(Stored(3, "AGE"), " 55");
  t.SetIndexName("TYPENAME");
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), "Bert");
}

}  // namespace
