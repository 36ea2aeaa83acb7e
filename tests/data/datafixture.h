// A program folder for the data layer's tests: the shipped meta table beside a program
// "hblite", a program ini with the data folder "data", and the path context built on it.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <ostream>

#include "data/vrtdbfdataset.h"
#include "data/vrtmetadataset.h"
#include "testutil.h"
#include "util/pathcontext.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace hbtest {

class TProgramFolder {
 public:
  QTemporaryDir Dir;

  // iniText: the program ini; by default the data folder "data".
  explicit TProgramFolder(const QByteArray& iniText = "[Paths]\r\nData=data\\\r\n",
                          bool withMeta = true) {
    if (withMeta) {
      for (const char* ext : {".DBF", ".FPT", ".CDX"}) {
        QFile::copy(BinaryPath(QString("hblite") + ext), Prog(QString("hblite") + ext));
        QFile(Prog(QString("hblite") + ext)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
      }
    }
    WriteFile(Prog("hblite.INI"), iniText);
    QDir(Dir.path()).mkpath("data");
    hb::InitPaths(Prog("hblite"));
  }

  QString Prog(const QString& file) const { return QDir(Dir.path()).filePath(file); }
  QString Data(const QString& file = QString()) const {
    return QDir(Dir.path()).filePath("data/" + file);
  }
  QString Ini() const { return Prog("hblite.INI"); }

  // A meta dataset on the program's meta table, checking the data folder.
  void Setup(hb::TvrtMetaDataset& meta, const QStringList& arguments = {}) const {
    meta.SetDatabaseName(Dir.path());
    meta.SetTableName("hblite.DBF");
    meta.SetTablePath(Data());
    meta.IniFileName = Ini();
    meta.Arguments = arguments;
  }
};

}  // namespace hbtest
