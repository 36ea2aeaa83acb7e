// Index files kept up to date by a table file through its write notifications, with keys
// from the expression language on the table's record buffer and before-image.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dbf/cdxfile.h"
#include "dbf/dbfbuilder.h"
#include "dbf/dbffields.h"
#include "dbf/indexdbfsource.h"

using namespace hb;

namespace {

// A table that hands each write to its index file, as the table handler does.
class TIndexedTable : public TDbfFields {
 public:
  TCdxFile* Index = nullptr;
  void NotifyEvent(TDbfNotify event, uint32_t recNo) override {
    if (!Index) return;
    if (event == TDbfNotify::RecordAppended)
      Index->RecordAppended(recNo);
    else
      Index->RecordRewritten(recNo);
  }
};

std::vector<std::string> Walk(TIndexTag* t, TDbfFields& table) {
  std::vector<std::string> out;
  for (uint32_t r = t->First(); r; r = t->Next()) {
    table.GotoRecord(r);
    out.push_back(table.ReadTextByName("NAME"));
  }
  return out;
}

}  // namespace

TEST(CdxTable, TagsFollowAppendsAndRewritesOfATableFile) {
  QTemporaryDir dir;
  std::string dbf = dir.filePath("PEOPLE.DBF").toStdString();
  {
    TDbfBuilder b(dbf);
    b.AddField("NAME", 'C', 0, 10);
    b.AddField("NUM", 'N', 2, 8);
    b.Finish();
  }
  TIndexedTable table;
  table.Open(dbf, false, true);
  for (const char* name : {"piet", "Jan", "klaas"}) {
    table.BlankRecord();
    table.WriteTextByName("NAME", name);
    table.WriteNumberByName("NUM", 1);
    table.AppendRecord();
  }
  TDbfIndexSource source(table);
  auto index = TCdxFile::OpenOrCreate(dir.filePath("PEOPLE.CDX").toStdString(), false, &source);
  index->CreateTag("UNAME", "UPPER(NAME)", "NUM > 0", false, false);
  index->CreateTag("NUM", "NUM", "", false, true);
  table.Index = index.get();
  EXPECT_EQ(Walk(index->FindTag("UNAME"), table),
            (std::vector<std::string>{"Jan", "klaas", "piet"}));

  table.BlankRecord();
  table.WriteTextByName("NAME", "anna");
  table.WriteNumberByName("NUM", 5);
  table.AppendRecord();
  table.GotoRecord(3);  // klaas: key changes
  table.WriteTextByName("NAME", "Zus");
  table.RewriteRecord(3);
  table.GotoRecord(1);  // piet leaves the FOR condition
  table.WriteNumberByName("NUM", -1);
  table.RewriteRecord(1);
  EXPECT_EQ(Walk(index->FindTag("UNAME"), table), (std::vector<std::string>{"anna", "Jan", "Zus"}));
  EXPECT_EQ(Walk(index->FindTag("NUM"), table),
            (std::vector<std::string>{"anna", "Zus", "Jan", "piet"}));
  index->Reindex();
  EXPECT_EQ(Walk(index->FindTag("UNAME"), table), (std::vector<std::string>{"anna", "Jan", "Zus"}));
  // The table's own compound index sets bit 0 of the table header flags.
  EXPECT_EQ(table.TableFlags() & 0x01, 0x01);
  table.Index = nullptr;
  index.reset();
  table.CloseFile();
  TDbfFields reread;
  reread.Open(dbf, false, false);
  EXPECT_EQ(reread.TableFlags() & 0x01, 0x01);
}
