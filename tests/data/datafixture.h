// A program folder for the data layer's tests: the shipped meta table beside a program
// "hblite", a program ini with the data folder "data", and the path context built on it.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "data/dmdbase.h"
#include "data/termination.h"
#include "data/vrtdbfdataset.h"
#include "data/vrtmetadataset.h"
#include "platform/dialogservice.h"
#include "testutil.h"
#include "util/pathcontext.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace hbtest {

// A Windows folder of the test's own (where the personal ini goes), set before the program
// folder builds the path context.
struct TWinDir {
  QTemporaryDir Dir;
  TWinDir() { qputenv("HOURBOOK_WINDIR", Dir.path().toUtf8()); }
  ~TWinDir() { qunsetenv("HOURBOOK_WINDIR"); }
};

// "yyyy-mm-dd hh:nn-hh:nn werkz" of each live row of an hour table, read by an independent
// reader (python3-dbfread); in file order, or sorted.
inline QStringList StoredPeriods(const QString& dbf, bool sorted) {
  QProcess py;
  py.start("/usr/bin/python3",
           {"-c",
            "import sys, dbfread, datetime\n"
            "t = dbfread.DBF(sys.argv[1], ignore_missing_memofile=True)\n"
            "e = datetime.datetime(1995, 1, 1)\n"
            "rows = []\n"
            "for r in t:\n"
            "  a = e + datetime.timedelta(seconds=int(r['START']))\n"
            "  b = e + datetime.timedelta(seconds=int(r['STOP']))\n"
            "  w = str(r.get('WERKZ') or '').strip()\n"
            "  rows.append((a.strftime('%Y-%m-%d %H:%M') + '-' + b.strftime('%H:%M') + ' ' + w).strip())\n"
            "if sys.argv[2] == 'sorted': rows.sort()\n"
            "print('\\n'.join(rows))\n",
            dbf, sorted ? "sorted" : "file"});
  py.waitForFinished();
  return QString::fromUtf8(py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// The data module's first start on the data folder of the path context, logged in as "TEST":
// the tables are created with their sample data and the login name is added as employee.
// Empty when the start went through, otherwise the messages it showed.
inline QString FirstStart(std::unique_ptr<hb::TdmDBase>& dm, hb::TVrtDbfDataSet& vrt) {
  hb::TScriptedDialogs dlg;
  dlg.Queue(hb::TDialogAnswer::Always);  // create the tables
  dlg.Queue(hb::TDialogAnswer::Yes);     // add the login name as employee
  dm = std::make_unique<hb::TdmDBase>(vrt);
  dm->Start({}, "TEST");
  if (!hb::ApplicationTerminating()) return QString();
  return "start stopped: " + dlg.Texts().join('\n');
}

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
