#include "dbf/hbdbftool.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "dbf/cdxfile.h"
#include "dbf/dbffields.h"
#include "dbf/dbfhandler.h"
#include "dbf/diskfile.h"
#include "dbf/exprdbf.h"
#include "dbf/exprhandler.h"
#include "dbf/indexdbfsource.h"
#include "dbf/memofile.h"
#include "platform/codepage.h"

namespace hb {
namespace {

const char* kUsage =
    "Usage: hbdbf COMMAND TABLE [options]\n"
    "  info TABLE                      version, record count, fields, memo and index file\n"
    "  dump TABLE [--deleted] [--tag NAME] [--filter EXPR]\n"
    "                                  records as tab-separated text; deleted records\n"
    "                                  only with --deleted, marked with *\n"
    "  eval TABLE EXPR [--recno N]     value and type of EXPR per record ('-': no table)\n"
    "  tags TABLE                      the tags of the table's .CDX file\n"
    "  check TABLE                     compare every tag with the keys of the records\n"
    "  seek TABLE TAG KEY [--partial]  the record number of KEY in TAG, or \"not found\";\n"
    "                                  --partial also finds keys that begin with KEY;\n"
    "                                  numbers with \".\" as the point, dates as\n"
    "                                  yyyy-mm-dd, yyyymmdd or dd-mm-yyyy\n"
    "  reindex TABLE                   rebuild every tag (needs the table exclusively)\n"
    "  pack TABLE                      remove the deleted records and their memos, renumber\n"
    "                                  the others and rebuild every tag (needs the table\n"
    "                                  exclusively)\n"
    "  --oem                           (dump, eval, seek) the table stores its texts in\n"
    "                                  code page 850, as the hour table does\n"
    "Text is printed in UTF-8, read as Windows-1252 unless --oem is given.\n"
    "reindex and pack report their progress on stderr.\n"
    "Exit codes: 0 success, 1 a check found a difference or a seek found nothing,\n"
    "2 bad usage or an unreadable file.\n";

// Record text is stored in code page 850 instead of Windows-1252 (--oem).
bool gOem = false;

struct TUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Bytes of the table as terminal text: control characters escaped so that a value stays
// on one line and in one column.
QString Show(const std::string& bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    if (c == '\\') s += "\\\\";
    else if (c == '\t') s += "\\t";
    else if (c == '\n') s += "\\n";
    else if (c == '\r') s += "\\r";
    else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      s += buf;
    } else s += static_cast<char>(c);
  }
  return gOem ? OemToQString(s) : AnsiToQString(s);
}

std::string Trimmed(const std::string& s, bool left) {
  size_t e = s.find_last_not_of(' ');
  if (e == std::string::npos) return {};
  size_t b = left ? s.find_first_not_of(' ') : 0;
  return s.substr(b, e + 1 - b);
}

std::string IsoDate(double julian) {
  if (IsEmptyDate(julian)) return {};
  int y, m, d;
  DateFromJulian(static_cast<int64_t>(julian), y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

const char* Flavour(uint8_t v) {
  switch (v) {
    case 0x03: return "dBase III / FoxPro, no memo";
    case 0x04: return "dBase IV, no memo";
    case 0x30: return "Visual FoxPro";
    case 0x83: return "dBase III with memo";
    case 0x8B: return "dBase IV with memo";
    case 0xF5: return "FoxPro 2 with memo";
  }
  return "unknown";
}

// The value of one field for the dump.
std::string FieldText(TDbfFields& t, const TDbfFieldDef& f) {
  std::string raw = t.ReadRaw(f.Number);
  bool binary30 = t.Version() == 0x30 &&
                  (f.Type == 'I' || f.Type == 'T' || f.Type == 'Y' || f.Type == 'B');
  if (binary30) {
    if (f.Type == 'T') {
      double v = t.ReadNumber(f.Number);
      std::string d = IsoDate(static_cast<int64_t>(v));
      if (d.empty()) return {};
      int ms = static_cast<int>((v - static_cast<int64_t>(v)) * 86400000.0 + 0.5) / 1000;
      char buf[16];
      std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", ms / 3600, ms / 60 % 60, ms % 60);
      return d + buf;
    }
    if (f.Type == 'B') return NumberText(t.ReadNumber(f.Number));
    return t.ReadText(f.Number);
  }
  switch (f.Type) {
    case 'C':
      return Trimmed(raw, false);
    case 'D': {
      std::string s = Trimmed(raw, true);
      if (s.size() == 8 && s != "00000000")
        return s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2);
      return s == "00000000" ? std::string() : s;
    }
    case 'L': {
      char c = raw.empty() ? ' ' : raw[0];
      if (std::string("TtYyJj").find(c) != std::string::npos) return "T";
      if (std::string("FfNn").find(c) != std::string::npos) return "F";
      return {};
    }
    case 'M':
    case 'B':
    case 'G':
      return t.ReadMemoText(f.Number);
    default:
      return Trimmed(raw, true);
  }
}

std::string ValueText(const TExpValue& v) {
  switch (v.Type) {
    case etText:
    case etMemo:
      return v.Text;
    case etNumber:
    case etInteger:
      return NumberText(v.Num);
    case etDate:
      return IsoDate(v.Num);
    case etDateTime:
      return NumberText(v.Num);
    case etBoolean:
      return v.Bool ? ".T." : ".F.";
  }
  return {};
}

struct TOpenTable {
  TDbfFields Table;
  std::unique_ptr<TDbfIndexSource> Source;
  std::unique_ptr<TCdxFile> Index;

  explicit TOpenTable(const QString& path) {
    Table.Open(path.toStdString(), true, false);
  }
  std::string IndexPath() {
    return FindFileAnyCase(ChangeFileExt(Table.FilePath(), ".CDX"));
  }
  bool HasIndex() { return QFileInfo::exists(QString::fromStdString(IndexPath())); }
  TCdxFile& OpenIndex() {
    if (!Index) {
      if (!HasIndex()) throw EDbfError("Table " + Table.FilePath() + " has no index file (.CDX)");
      Source = std::make_unique<TDbfIndexSource>(Table);
      Index = TCdxFile::Open(IndexPath(), true, false, Source.get());
    }
    return *Index;
  }
};

int Info(const QString& path, QTextStream& out) {
  TOpenTable o(path);
  TDbfFields& t = o.Table;
  const unsigned char* h = t.HeaderImage();
  out << "File:           " << QString::fromStdString(t.FilePath()) << "\n";
  out << "Version:        0x" << QString::number(t.Version(), 16).toUpper().rightJustified(2, '0')
      << "\n";
  out << "Flavour:        " << Flavour(t.Version()) << "\n";
  out << "Last update:    " << QString::asprintf("%02d-%02d-%02d", h[1], h[2], h[3]) << "\n";
  out << "Records:        " << t.RecordCount() << "\n";
  out << "Header length:  " << t.HeaderLength() << "\n";
  out << "Record length:  " << t.RecordLength() << "\n";
  out << "Fields:         " << t.FieldCount() << "\n";
  for (const TDbfFieldDef& f : t.Fields())
    out << "  " << QString::fromStdString(f.Name).leftJustified(11) << f.Type << " "
        << QString::number(f.Width).rightJustified(5) << " "
        << QString::number(f.Decimals).rightJustified(3) << "\n";
  int rc = 0;
  if (t.HasMemoFields()) {
    try {
      TMemoFile* m = t.Memo();
      out << "Memo file:      " << QString::fromStdString(m->FilePath()) << " (block size "
          << m->BlockSize() << ")\n";
    } catch (const EDbfError& e) {
      out << "Memo file:      missing (" << QString::fromStdString(e.what()) << ")\n";
      rc = 1;
    }
  } else {
    out << "Memo file:      none\n";
  }
  if (o.HasIndex()) {
    TCdxFile& x = o.OpenIndex();
    out << "Index file:     " << QString::fromStdString(x.Path()) << " (" << x.TagCount()
        << " tags)\n";
  } else {
    out << "Index file:     none\n";
  }
  return rc;
}

int Dump(const QString& path, bool deleted, const QString& tag, const QString& filter,
         QTextStream& out) {
  TOpenTable o(path);
  TDbfFields& t = o.Table;
  TExpDbfLink link(t);
  TExpUserLink user(link);
  std::unique_ptr<TExpHandler> cond;
  if (!filter.isEmpty()) cond = std::make_unique<TExpHandler>(&user, QStringToAnsi(filter));
  TIndexTag* order = nullptr;
  if (!tag.isEmpty()) {
    order = o.OpenIndex().FindTag(QStringToAnsi(tag));
    if (!order) throw EDbfError("Tag " + QStringToAnsi(tag) + " not found in " + o.IndexPath());
  }
  out << "RECNO\tDEL";
  for (const TDbfFieldDef& f : t.Fields()) out << "\t" << AnsiToQString(f.Name);
  out << "\n";
  auto one = [&](uint32_t r) {
    t.GotoRecord(r);
    if (t.Deleted() && !deleted) return;
    if (cond) {
      TExpValue v;
      cond->EvaluateValue(v);
      if (v.Type != etBoolean) throw EDbfError("The filter expression must give a logical value");
      if (!v.Bool) return;
    }
    out << r << "\t" << (t.Deleted() ? "*" : "");
    for (const TDbfFieldDef& f : t.Fields()) out << "\t" << Show(FieldText(t, f));
    out << "\n";
  };
  if (order) {
    for (uint32_t r = order->First(); r; r = order->Next()) one(r);
  } else {
    for (uint32_t r = 1; r <= t.RecordCount(); ++r) one(r);
  }
  return 0;
}

int Eval(const QString& path, const QString& expr, long recno, QTextStream& out) {
  TExpValue v;
  if (path == "-") {
    TExpHandler h(nullptr, QStringToAnsi(expr));
    h.EvaluateValue(v);
    out << Show(ValueText(v)) << "\t" << ExpTypeName(v.Type) << "\n";
    return 0;
  }
  TOpenTable o(path);
  TDbfFields& t = o.Table;
  TExpDbfLink link(t);
  TExpUserLink user(link);
  TExpHandler h(&user, QStringToAnsi(expr));
  uint32_t first = 1, last = t.RecordCount();
  if (recno >= 0) {
    if (recno < 1 || recno > static_cast<long>(t.RecordCount()))
      throw EDbfError("Record " + std::to_string(recno) + " does not exist (the table has " +
                      std::to_string(t.RecordCount()) + " records)");
    first = last = static_cast<uint32_t>(recno);
  }
  for (uint32_t r = first; r <= last && r >= 1; ++r) {
    t.GotoRecord(r);
    h.EvaluateValue(v);
    out << r << "\t" << Show(ValueText(v)) << "\t" << ExpTypeName(v.Type) << "\n";
  }
  return 0;
}

int Tags(const QString& path, QTextStream& out) {
  TOpenTable o(path);
  TCdxFile& x = o.OpenIndex();
  out << "TAG\tKEY\tFOR\tTYPE\tLENGTH\tFLAGS\tKEYS\n";
  for (int i = 0; i < x.TagCount(); ++i) {
    auto* tag = static_cast<TCdxTag*>(x.Tag(i));
    QStringList flags;
    if (tag->Unique()) flags << "unique";
    if (tag->Descending()) flags << "descending";
    out << AnsiToQString(tag->Name()) << "\t" << Show(tag->KeyExpression()) << "\t"
        << Show(tag->ForExpression()) << "\t" << char(tag->KeyType()) << "\t" << tag->KeyLength()
        << "\t" << (flags.isEmpty() ? QString("-") : flags.join(",")) << "\t"
        << tag->AllKeys().size() << "\n";
  }
  return 0;
}

// A key as text for messages: character keys as they are, numbers and dates as values.
std::string KeyText(const TIndexKeyData& k) {
  if (k.Type == TIndexKeyType::Character) return "\"" + k.Key + "\"";
  if (k.Type == TIndexKeyType::Date) return IsoDate(k.Number());
  return NumberText(k.Number());
}

int Check(const QString& path, QTextStream& out) {
  TOpenTable o(path);
  TCdxFile& x = o.OpenIndex();
  std::vector<TTagDifference> differences = CompareTagsWithRecords(o.Table, x);
  for (const TTagDifference& d : differences)
    out << AnsiToQString(d.Tag) << ": " << Show(d.What) << "\n";
  if (differences.empty()) out << "OK: " << x.TagCount() << " tags match the table\n";
  return differences.empty() ? 0 : 1;
}

// Progress of the engine's long operations as lines on stderr: the start with its total,
// each further quarter, and the end.
class TProgressLines {
 public:
  explicit TProgressLines(QTextStream& err) : err_(err) {}

  void operator()(int stat1, int stat2, int stat3) {
    if (stat1 == -1) {
      code_ = stat2;
      total_ = stat3;
      quarter_ = 0;
      err_ << Phase() << " (" << total_ << ")\n";
    } else if (stat1 == 0) {
      if (code_ != 0) err_ << Phase() << ": done\n";
      code_ = 0;
    } else if (code_ != 0 && total_ > 0) {
      int quarter = static_cast<int>(int64_t(stat2) * 4 / total_);
      if (quarter > quarter_ && quarter < 4) {
        quarter_ = quarter;
        err_ << Phase() << ": " << quarter * 25 << "%\n";
      }
    }
    err_.flush();
  }

 private:
  const char* Phase() const {
    switch (code_) {
      case TDbfHandler::kStatusTagRead: return "Reading records for a tag";
      case TDbfHandler::kStatusTagStore: return "Storing the keys of a tag";
      case TDbfHandler::kStatusCopy: return "Copying records";
      case TDbfHandler::kStatusSearch: return "Searching records";
    }
    return "Working";
  }

  QTextStream& err_;
  int code_ = 0;
  int total_ = 0;
  int quarter_ = 0;
};

// The table's own compound index file; raises when it has none.
std::string OwnIndexPath(const TDbfTable& table) {
  std::string cdx = FindFileAnyCase(ChangeFileExt(table.FilePath(), ".CDX"));
  if (!QFileInfo::exists(QString::fromStdString(cdx)))
    throw EDbfError("Table " + table.FilePath() + " has no index file (.CDX)");
  return cdx;
}

// The index file list of OpenIndexFiles for one path: quoted, so that commas and
// semicolons in folder names stay part of the name.
std::string IndexList(const std::string& path) { return "\"" + path + "\""; }

// A key typed on the command line as the tag's key text: character keys in Windows-1252,
// numbers with "." as the point, dates as yyyy-mm-dd (or what the table layer reads).
std::string SeekKey(const TIndexTag& tag, const QString& key) {
  QString k = key.trimmed();
  switch (tag.KeyType()) {
    case TIndexKeyType::Numeric: {
      bool ok = false;
      k.toDouble(&ok);
      if (!ok)
        throw EDbfError("Tag " + tag.Name() + " has numeric keys; \"" + QStringToAnsi(key) +
                        "\" is not a number");
      return k.toStdString();
    }
    case TIndexKeyType::Date: {
      static const QRegularExpression iso("^(\\d{4})-(\\d{2})-(\\d{2})$");
      QRegularExpressionMatch m = iso.match(k);
      std::string text = m.hasMatch() ? (m.captured(1) + m.captured(2) + m.captured(3)).toStdString()
                                      : QStringToAnsi(k);
      int64_t julian = 0;
      if (!TDbfFields::ParseDateText(text, julian))
        throw EDbfError("Tag " + tag.Name() + " has date keys; \"" + QStringToAnsi(key) +
                        "\" is not a date");
      return text;
    }
    default:
      return gOem ? QStringToOem(key) : QStringToAnsi(key);
  }
}

int Seek(const QString& path, const QString& tag, const QString& key, bool partial,
         QTextStream& out) {
  TDbfHandler h;
  h.Open(path.toStdString(), true, false);
  if (tag.trimmed().isEmpty()) throw TUsageError("seek needs a tag name");
  h.OpenIndexFiles(IndexList(OwnIndexPath(h)), QStringToAnsi(tag));
  h.ExactFind = !partial;
  h.NearFind = false;
  if (h.Find(SeekKey(*h.MasterTag(), key))) {
    out << h.RecNo() << "\n";
    return 0;
  }
  out << "not found\n";
  return 1;
}

int Pack(const QString& path, QTextStream& out, QTextStream& err) {
  TDbfHandler h;
  h.Open(path.toStdString(), false, true);
  std::string cdx = FindFileAnyCase(ChangeFileExt(h.FilePath(), ".CDX"));
  bool indexed = QFileInfo::exists(QString::fromStdString(cdx));
  if (indexed) h.OpenIndexFiles(IndexList(cdx), "");
  TProgressLines progress(err);
  h.StatusHook = [&](int a, int b, int c) { progress(a, b, c); };
  uint32_t before = h.RecordCount();
  h.Pack();
  uint32_t after = h.RecordCount();
  out << "Packed " << QString::fromStdString(h.FilePath()) << ": " << after << " records kept, "
      << before - after << " removed";
  if (indexed) out << ", " << h.TagCount() << " tags rebuilt";
  out << "\n";
  h.Close();
  return 0;
}

int Reindex(const QString& path, QTextStream& out, QTextStream& err) {
  TDbfHandler h;
  h.Open(path.toStdString(), false, true);
  std::string cdx = OwnIndexPath(h);
  h.OpenIndexFiles(IndexList(cdx), "");
  TProgressLines progress(err);
  h.StatusHook = [&](int a, int b, int c) { progress(a, b, c); };
  h.Reindex();
  int tags = h.TagCount();
  h.Close();
  out << "Reindexed " << tags << " tags of " << QString::fromStdString(cdx) << "\n";
  return 0;
}

}  // namespace

// A unique tag holds one record per distinct key, so there only the keys are compared and
// each entry's record must give its key.
std::vector<TTagDifference> CompareTagsWithRecords(TDbfFields& table, TCdxFile& index) {
  std::vector<TTagDifference> out;
  for (int i = 0; i < index.TagCount(); ++i) {
    auto* tag = static_cast<TCdxTag*>(index.Tag(i));
    auto report = [&](const std::string& what) { out.push_back({tag->Name(), what}); };
    std::map<uint32_t, std::string> computed;  // record -> key bytes
    std::map<std::string, uint32_t> firstOfKey;
    for (uint32_t r = 1; r <= table.RecordCount(); ++r) {
      table.TDbfTable::GotoRecord(r);
      std::optional<TIndexKeyData> k = tag->RecordKey(r, false);
      if (!k) continue;
      computed[r] = k->Key;
      firstOfKey.emplace(k->Key, r);
    }
    std::vector<TIndexKeyData> stored;
    try {
      stored = tag->AllKeys();
    } catch (const EDbfError& e) {
      report(std::string("damaged: ") + e.what());
      continue;
    }
    std::set<uint32_t> seen;
    std::set<std::string> seenKeys;
    for (const TIndexKeyData& k : stored) {
      std::string rec = "record " + std::to_string(k.RecNo);
      if (!seen.insert(k.RecNo).second) report(rec + " appears twice");
      auto it = computed.find(k.RecNo);
      if (it == computed.end())
        report(rec + " has key " + KeyText(k) + " but should not be in the tag");
      else if (it->second != k.Key)
        report(rec + " has key " + KeyText(k) + ", its record gives " +
               KeyText(TIndexKeyData(it->second, k.Type)));
      if (tag->Unique() && !seenKeys.insert(k.Key).second)
        report("key " + KeyText(k) + " appears twice in a unique tag");
    }
    for (const auto& [r, key] : computed) {
      if (seen.count(r)) continue;
      if (tag->Unique() && (seenKeys.count(key) || firstOfKey[key] != r)) continue;
      report("record " + std::to_string(r) + " is missing with key " +
             KeyText(TIndexKeyData(key, tag->KeyType())));
    }
  }
  return out;
}

int RunDbfTool(const QStringList& args, QTextStream& out, QTextStream& err) {
  try {
    if (args.isEmpty()) throw TUsageError("no command given");
    QString cmd = args[0];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
      out << kUsage;
      return 0;
    }
    QStringList pos;
    bool deleted = false, partial = false;
    gOem = false;
    QString tag, filter;
    long recno = -1;
    for (int i = 1; i < args.size(); ++i) {
      const QString& a = args[i];
      auto value = [&]() {
        if (i + 1 >= args.size()) throw TUsageError(a.toStdString() + " needs a value");
        return args[++i];
      };
      if (a == "--deleted" && cmd == "dump") deleted = true;
      else if (a == "--partial" && cmd == "seek") partial = true;
      else if (a == "--oem" && (cmd == "dump" || cmd == "eval" || cmd == "seek")) gOem = true;
      else if (a == "--tag" && cmd == "dump") tag = value();
      else if (a == "--filter" && cmd == "dump") filter = value();
      else if (a == "--recno" && cmd == "eval") {
        bool ok = false;
        recno = value().toLong(&ok);
        if (!ok || recno < 1) throw TUsageError("--recno needs a record number from 1");
      } else if (a.startsWith("--")) throw TUsageError("unknown option " + a.toStdString());
      else pos << a;
    }
    static const QStringList commands = {"info",  "dump",    "eval", "tags",
                                         "check", "reindex", "pack", "seek"};
    if (!commands.contains(cmd)) throw TUsageError("unknown command " + cmd.toStdString());
    int want = cmd == "eval" ? 2 : cmd == "seek" ? 3 : 1;
    if (pos.size() != want)
      throw TUsageError(cmd.toStdString() + (want == 3   ? " needs a table, a tag and a key"
                                             : want == 2 ? " needs a table and an expression"
                                                         : " needs one table"));
    if (cmd == "info") return Info(pos[0], out);
    if (cmd == "dump") return Dump(pos[0], deleted, tag, filter, out);
    if (cmd == "eval") return Eval(pos[0], pos[1], recno, out);
    if (cmd == "check") return Check(pos[0], out);
    if (cmd == "reindex") return Reindex(pos[0], out, err);
    if (cmd == "pack") return Pack(pos[0], out, err);
    if (cmd == "seek") return Seek(pos[0], pos[1], pos[2], partial, out);
    return Tags(pos[0], out);
  } catch (const TUsageError& e) {
    err << "hbdbf: " << e.what() << "\n" << kUsage;
  } catch (const std::exception& e) {
    out.flush();
    err << "hbdbf: " << AnsiToQString(e.what()) << "\n";
  }
  return 2;
}

}  // namespace hb
