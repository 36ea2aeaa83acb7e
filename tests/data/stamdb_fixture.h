// A program folder with URSTAM, URAUTOR and URUREN built from the shipped meta rows
// (tools/metatable.txt), filled with the rows a test gives, and a data module on them.
//
//   class MyTest : public StamDbTest {};
//   TEST_F(MyTest, X) {
//     AddStam("K", 3, "Shop");
//     AddAutor("K", 1, 3);
//     Open();                       // TdmDBase with the tables open
//     hb::StamKlanten().LoadFromTable();
//   }
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>

#include "data/autorisatie.h"
#include "data/dmdbase.h"
#include "data/flexfields.h"
#include "data/login.h"
#include "data/loginwindows.h"
#include "data/stamlists.h"
#include "data/termination.h"
#include "data/vrtdbfdataset.h"
#include "datafixture.h"
#include "platform/dialogservice.h"
#include "testutil.h"
#include "util/pathcontext.h"

namespace hbtest {

struct TMetaRows {
  std::map<QString, QStringList> Fields;  // table -> "NAME;T;L;D"
  std::map<QString, QStringList> Tags;    // table -> "TAG=EXPRESSION"
};

inline const TMetaRows& MetaRows() {
  static const TMetaRows rows = [] {
    TMetaRows r;
    QFile file(QString(HB_SOURCE_DIR) + "/tools/metatable.txt");
    if (!file.open(QIODevice::ReadOnly)) return r;
    for (const QByteArray& raw : file.readAll().split('\n')) {
      const QString line = QString::fromUtf8(raw).trimmed();
      if (line.isEmpty() || line.startsWith('#')) continue;
      const QStringList cols = line.split('|');
      if (cols.size() < 4) continue;
      const QString table = cols[0].trimmed(), type = cols[1].trimmed();
      const QString name = cols[2].trimmed(), param = cols[3].trimmed();
      if (type == "FLD" && !param.startsWith('E')) r.Fields[table] << name + ";" + param;
      if (type == "TAG") r.Tags[table] << name + "=" + param;
    }
    return r;
  }();
  return rows;
}

class StamDbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("HOURBOOK_WINDIR", windir_.path().toUtf8());
    QDir(prog_.path()).mkdir("data");
    ASSERT_TRUE(WriteFile(prog_.filePath("hbstam.INI"), "[Paths]\nData=data\\\n" + IniText()));
    ASSERT_TRUE(hb::InitPaths(prog_.filePath("hbstam")));
    data_ = hb::Paths().DataFolder;
    ResetGlobals();
  }

  void TearDown() override {
    dm_.reset();
    ResetGlobals();
    qunsetenv("HOURBOOK_WINDIR");
  }

  // Extra program ini lines for SetUp.
  virtual QByteArray IniText() { return {}; }

  static void ResetGlobals() {
    for (hb::TStamList* list :
         {&hb::StamMedewerkers(), &hb::StamKlanten(), &hb::StamActiviteiten(), &hb::StamProducten(),
          &hb::StamAfdelingen(), &hb::AutorKlanten(), &hb::AutorActiviteiten(),
          &hb::AutorProducten(), &hb::AutorAfdelingen()})
      list->Clear();
    hb::AfdMedewerkers().Clear();
    hb::TMedewerker blank;
    hb::LoginMedewerker().AssignEmployee(blank);
    hb::CurrentMedewerker().AssignEmployee(blank);
    hb::LoginObject().Clear();
    hb::LoginObject().SetArguments({});
    hb::RemoveLoginWindows();
    hb::SetStamReadLogging(false);
    hb::ResetApplicationTermination();
  }

  void Ini(const QString& section, const QString& key, const QString& value) {
    ASSERT_TRUE(hb::ProgramIni().WriteString(section, key, value));
  }

  // A URSTAM row; extra fields by name.
  void AddStam(const QString& type, qint64 id, const QString& name,
               std::map<QString, QString> extra = {}) {
    extra["TYPE"] = type;
    extra["ID"] = hb::TdmDBase::IdText(id);
    extra["OBJECT"] = name;
    stam_.push_back(extra);
  }
  void AddAutor(const QString& type, qint64 employee, qint64 value) {
    autor_.push_back({{"TYPE", type},
                      {"MEDEWERKER", hb::TdmDBase::IdText(employee)},
                      {"VALUE", hb::TdmDBase::IdText(value)}});
  }

  // Creates the three tables with the rows given so far (and a MaxID row when there are
  // items), then opens them in a data module.
  void Open() {
    CreateTable("URSTAM", stam_, true);
    CreateTable("URAUTOR", autor_, false);
    CreateTable("URUREN", {}, false);
    dm_ = std::make_unique<hb::TdmDBase>(vrt_);
    dm_->OpenTables();
  }

  // URAUTOR rows "TYPE|MEDEWERKER|VALUE" as ints, in TYPMEDEW order.
  QStringList AutorRows() {
    QStringList rows;
    hb::TDbfDataSet& t = dm_->tblAutor;
    const QString tag = t.IndexName();
    t.SetIndexName("TYPMEDEW");
    for (t.First(); !t.Eof(); t.Next())
      rows << t.FieldByName("TYPE")->AsString() + "|" +
                  QString::number(
                      hb::TdmDBase::IdValue(t.FieldByName("MEDEWERKER")->AsString(), -1)) +
                  "|" +
                  QString::number(hb::TdmDBase::IdValue(t.FieldByName("VALUE")->AsString(), -1));
    t.SetIndexName(tag);
    return rows;
  }

  QStringList Names(const hb::TStamList& list) { return list.Names(); }

  hb::TdmDBase& Dm() { return *dm_; }

  hb::TScriptedDialogs dialogs_;
  QTemporaryDir prog_, windir_;
  QString data_;
  hb::TVrtDbfDataSet vrt_;
  std::unique_ptr<hb::TdmDBase> dm_;

 private:
  void CreateTable(const QString& name, std::vector<std::map<QString, QString>> rows, bool maxId) {
    const TMetaRows& meta = MetaRows();
    ASSERT_TRUE(vrt_.CreateTable(data_, name + ".DBF", meta.Fields.at(name))) << name.toStdString();
    if (maxId && !rows.empty()) {
      qint64 highest = 0;
      for (const auto& row : rows)
        highest = std::max(highest, hb::TdmDBase::IdValue(row.at("ID"), 0));
      rows.push_back({{"TYPE", "I"},
                      {"ID", hb::TdmDBase::IdText(highest)},
                      {"OBJECT", "MAXID"},
                      {"AFKORTING", "MXID"}});
    }
    if (!rows.empty()) {
      hb::TDbfDataSet table;
      table.SetTranslateASCII(false);
      table.SetDatabaseName(data_);
      table.SetTableName(name + ".DBF");
      table.Open();
      for (const auto& row : rows) {
        table.Append();
        for (const auto& [field, value] : row) table.FieldByName(field)->SetAsString(value);
        table.Post();
      }
      table.Close();
    }
    ASSERT_TRUE(vrt_.ReindexTable(data_, name + ".DBF", meta.Tags.at(name)))
        << vrt_.Messages.join("; ").toStdString();
  }

  std::vector<std::map<QString, QString>> stam_;
  std::vector<std::map<QString, QString>> autor_;
};

}  // namespace hbtest
