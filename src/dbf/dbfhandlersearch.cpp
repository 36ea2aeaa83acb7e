// The searches of the table handler: Find and FindInTag on index tags, FindKeyValues,
// LocateRecord (through a matching tag, else by a scan) and the record text search.
#include <algorithm>
#include <cstring>

#include "dbf/dbfhandler.h"
#include "dbf/exprvalue.h"

namespace hb {

namespace {

std::string TrimBoth(const std::string& s) { return std::string(TrimBlanks(s)); }

std::string Upper(std::string s) {
  UpperInPlace(s);
  return s;
}

// A number written with "." as the point and nothing else around it.
bool ParseNumber(const std::string& text, double& value) {
  std::string t = TrimBoth(text);
  if (t.empty()) return false;
  char* end = nullptr;
  value = std::strtod(t.c_str(), &end);
  return end && *end == 0;
}

// The plain field names a key expression is made of, read with "+" and "-" as
// separators; the list stops at the first part that is no field name.
std::vector<std::string> KeyFieldList(const std::string& expr, TDbfFields& table) {
  std::vector<std::string> out;
  std::string part;
  for (char c : expr + "+") {
    if (c == '+' || c == '-') {
      std::string name = Upper(TrimBoth(part));
      if (name.empty() || table.FindField(name) == 0) break;
      out.push_back(name);
      part.clear();
    } else {
      part += c;
    }
  }
  return out;
}

// What SearchText looks for in a character field.
struct TTextPattern {
  std::string Text;
  bool Anywhere = true;  // the match may start after the field's first character
  bool TailOk = true;    // more text may follow the match
  bool AnyChar = false;  // "?" matches any character
};

int MatchCharacter(std::string field, const TTextPattern& p, bool caseInsensitive) {
  if (field.size() < p.Text.size()) return 0;
  if (caseInsensitive) UpperInPlace(field);
  size_t end = field.find_last_not_of(' ');
  field.resize(end == std::string::npos ? 0 : end + 1);
  const size_t n = p.Text.size();
  if (n > field.size()) return 0;
  size_t last = p.Anywhere ? field.size() - n : 0;
  for (size_t s = 0; s <= last; ++s) {
    bool ok = true;
    for (size_t i = 0; i < n && ok; ++i)
      ok = field[s + i] == p.Text[i] || (p.AnyChar && p.Text[i] == '?');
    if (!ok) continue;
    if (!p.TailOk && s + n != field.size()) continue;
    return static_cast<int>(s + 1);
  }
  return 0;
}

}  // namespace

TIndexKeyData TDbfHandler::KeyOfValue(const TIndexTag& tag, const TDbVariant& value) const {
  switch (tag.KeyType()) {
    case TIndexKeyType::Numeric: return TIndexKeyData::FromNumber(value.AsNumber());
    case TIndexKeyType::Date: return TIndexKeyData::FromDate(static_cast<double>(value.AsDate()));
    default: {
      std::string text = value.Kind() == TDbVariant::dvText || value.Kind() == TDbVariant::dvRaw
                             ? value.AsBytes()
                             : value.AsText();
      return TIndexKeyData::FromText(text, tag.KeyLength());
    }
  }
}

// Seeks key in the master tag with the exact and near flags. prefix: the found key must
// begin with the key's bytes as given (trailing spaces count), for a search on the leading
// fields of a tag.
bool TDbfHandler::FindEncoded(const TIndexKeyData& key, size_t prefix) {
  found_ = false;
  if (RecordCount() == 0) RefreshHeader();
  if (RecordCount() == 0) return false;
  if (!master_) {
    PastEnd(TDir::Forward);
    return false;
  }
  const bool clip = LockProtocol() == TLockProtocol::ClipLock;
  if (clip) LockIndexes();
  try {
    const char fill = KeyFill(master_->KeyType());
    const std::string search = TrimKey(key.Key, fill);
    uint32_t r = master_->Seek(TIndexKeyData(search, master_->KeyType()), true);
    if (r == 0) {
      if (NearFind && !master_->Eof() && master_->RecNo() != 0)
        WalkTo(master_->RecNo(), TDir::Forward);
      else
        PastEnd(TDir::Forward);
    } else {
      WalkTo(r, TDir::Forward);
      if (!eof_) {
        std::string k = master_->CurrentKey().Key;
        if (prefix > 0) {
          if (k.size() < prefix) k.resize(prefix, fill);
          found_ = k.compare(0, prefix, key.Key, 0, prefix) == 0;
        } else if (master_->KeyType() == TIndexKeyType::Character) {
          found_ = k == search || (!ExactFind && KeyMatches(k, search, true));
        } else {
          found_ = k == search;
        }
        if (!found_ && !NearFind) PastEnd(TDir::Forward);
      }
    }
    moved_ = false;
  } catch (...) {
    if (clip) UnlockIndexes();
    throw;
  }
  if (clip) UnlockIndexes();
  return found_;
}

bool TDbfHandler::Find(const std::string& key) {
  if (!master_) {
    found_ = false;
    if (RecordCount() > 0) PastEnd(TDir::Forward);
    return false;
  }
  return FindEncoded(EncodeKey(*master_, key), 0);
}

int64_t TDbfHandler::FindInTag(const std::string& tagName, const std::string& key) {
  TCdxTag* tag = FindTagByName(Upper(TrimBoth(tagName)));
  if (!tag) return -1;
  const bool clip = LockProtocol() == TLockProtocol::ClipLock;
  if (clip) LockIndexes();
  uint32_t r = 0;
  try {
    r = tag->Seek(EncodeKey(*tag, key), false);
    // The master tag is put back on the table's record.
    if (tag == master_ && recNo_ >= 1 && recNo_ <= RecordCount() && !eof_ && !bof_) {
      bool moved = moved_;
      SyncMaster();
      moved_ = moved;
    }
  } catch (...) {
    if (clip) UnlockIndexes();
    throw;
  }
  if (clip) UnlockIndexes();
  return r;
}

void TDbfHandler::FillScratch(const std::vector<int>& fields, const std::vector<TDbVariant>& values) {
  BlankRecord();
  for (size_t i = 0; i < fields.size() && i < values.size(); ++i) {
    const TDbVariant& v = values[i];
    int f = fields[i];
    switch (v.Kind()) {
      case TDbVariant::dvEmpty: break;
      case TDbVariant::dvNumber: WriteNumber(f, v.AsNumber()); break;
      case TDbVariant::dvDate: WriteDate(f, v.AsDate()); break;
      case TDbVariant::dvLogical: WriteLogical(f, v.AsLogical()); break;
      default: WriteText(f, v.AsBytes()); break;
    }
  }
}

void TDbfHandler::RestoreBuffer(TBufferState&& state) {
  // The buffers keep their size, so pointers into them held by the key source stay valid.
  std::copy(state.Record.begin(), state.Record.end(), record_.begin());
  std::copy(state.Before.begin(), state.Before.end(), before_.begin());
  changed_ = std::move(state.Changed);
  recordChanged_ = state.RecordChanged;
}

bool TDbfHandler::FindKeyValues(const std::vector<TDbVariant>& values) {
  if (!master_) RaiseDbfError("No index is assigned for Find operation");
  TExpHandler expr(&Link(), master_->KeyExpression());
  std::vector<int> fields;
  for (const std::string& name : expr.FieldNames()) fields.push_back(FindField(name));
  TDbVariant key;
  TBufferState kept = SaveBuffer();
  try {
    FillScratch(fields, values);
    expr.Evaluate(key);
  } catch (...) {
    RestoreBuffer(std::move(kept));
    throw;
  }
  RestoreBuffer(std::move(kept));
  bool exact = ExactFind, nearFind = NearFind;
  ExactFind = false;
  NearFind = true;
  bool found;
  try {
    found = FindEncoded(KeyOfValue(*master_, key), 0);
  } catch (...) {
    ExactFind = exact;
    NearFind = nearFind;
    throw;
  }
  ExactFind = exact;
  NearFind = nearFind;
  return found;
}

bool TDbfHandler::LocateRecord(const std::string& fieldList, const std::vector<TDbVariant>& values,
                               uint32_t startRecord, bool partial, bool caseInsensitive) {
  found_ = false;
  GotoRecord(kGotoFirst);
  if (eof_ && bof_) return false;
  if (eof_) return false;

  std::vector<std::string> names;
  std::vector<int> fields;
  {
    std::string part;
    for (char c : fieldList + ";") {
      if (c == ';') {
        std::string name;
        for (char x : part)
          if (x != ' ') name += x;
        name = Upper(name);
        if (!name.empty()) {
          names.push_back(name);
          fields.push_back(FieldByName(name));
        }
        part.clear();
      } else {
        part += c;
      }
    }
  }
  if (fields.empty()) return false;

  // A tag whose key starts with exactly these character fields finds the record. Its key
  // is compared as stored: a tag that folds case (UPPER) answers a case-insensitive search,
  // one that does not answers a case-sensitive one; values that upper-casing leaves alone
  // are answered by either. Otherwise the scan below compares the display texts.
  TCdxTag* use = nullptr;
  bool allCharacter =
      std::all_of(fields.begin(), fields.end(), [&](int f) { return FieldType(f) == 'C'; });
  if (startRecord == 0 && allCharacter && !(master_ && master_->HasRange())) {
    std::vector<TCdxTag*> candidates;
    if (master_) candidates.push_back(master_);
    for (int i = 0; i < TagCount(); ++i) {
      auto* t = static_cast<TCdxTag*>(TagAt(i));
      if (t->ForExpression().empty() && t != master_) candidates.push_back(t);
    }
    for (TCdxTag* t : candidates) {
      if (t->KeyType() != TIndexKeyType::Character) continue;
      std::vector<std::string> list = KeyFieldList(t->KeyExpression(), *this);
      if (list.size() >= names.size() && std::equal(names.begin(), names.end(), list.begin())) {
        use = t;
        break;
      }
    }
  }

  // The searched values as the fields hold them and as they are displayed, and the chosen
  // tag's key of a record holding them.
  std::vector<std::string> raw, shown;
  TDbVariant tagKey;
  TBufferState kept = SaveBuffer();
  try {
    FillScratch(fields, values);
    for (int f : fields) {
      raw.push_back(ReadRaw(f));
      shown.push_back(TrimBoth(ReadText(f)));
    }
    if (use) {
      TExpHandler expr(&Link(), use->KeyExpression());
      expr.Evaluate(tagKey);
    }
  } catch (...) {
    RestoreBuffer(std::move(kept));
    throw;
  }
  RestoreBuffer(std::move(kept));
  if (use) {
    bool foldsCase = Upper(TrimBoth(use->KeyExpression())).rfind("UPPER(", 0) == 0;
    bool caseFree = std::all_of(raw.begin(), raw.end(),
                                [](const std::string& v) { return Upper(v) == v; });
    if (!caseFree && foldsCase != caseInsensitive) use = nullptr;
  }

  if (use) {
    std::string key = tagKey.Kind() == TDbVariant::dvText || tagKey.Kind() == TDbVariant::dvRaw
                          ? tagKey.AsBytes()
                          : tagKey.AsText();
    // The part of the key that the searched fields make up; with partial, only up to the
    // end of the last field's searched text.
    size_t len = 0;
    for (size_t i = 0; i + 1 < raw.size(); ++i) len += raw[i].size();
    len += partial ? raw.back().find_last_not_of(' ') + 1  // npos + 1 = 0 for a blank text
                   : raw.back().size();
    key.resize(std::min(len, key.size()));
    if (key.size() > size_t(use->KeyLength())) key.resize(size_t(use->KeyLength()));
    TCdxTag* old = master_;
    bool exact = ExactFind, nearFind = NearFind;
    master_ = use;
    ExactFind = !partial;
    NearFind = false;
    bool found = false;
    try {
      found = key.empty() ? (GotoRecord(kGotoFirst), !eof_) : FindEncoded(TIndexKeyData(key, TIndexKeyType::Character), key.size());
    } catch (...) {
      master_ = old;
      ExactFind = exact;
      NearFind = nearFind;
      throw;
    }
    uint32_t rec = recNo_;
    master_ = old;
    ExactFind = exact;
    NearFind = nearFind;
    if (found) {
      LoadPhysical(rec);
      if (master_) SyncMaster();
      moved_ = false;
    } else {
      PastEnd(TDir::Forward);
    }
    found_ = found;
    return found;
  }

  // Otherwise a scan in the current order.
  if (caseInsensitive)
    for (auto& s : shown) s = Upper(s);
  bool readAhead = readAhead_;
  if (!master_ && !readAhead) SetReadAhead(true);
  if (startRecord != 0) {
    GotoRecord(startRecord);
    GotoRecord(kGotoNext);
  }
  bool found = false;
  for (; !eof_ && recNo_ >= 1 && recNo_ <= RecordCount(); GotoRecord(kGotoNext)) {
    bool match = true;
    for (size_t i = 0; i < fields.size() && match; ++i) {
      std::string text = TrimBoth(ReadText(fields[i]));
      if (caseInsensitive) text = Upper(text);
      if (partial && i + 1 == fields.size())
        match = text.compare(0, shown[i].size(), shown[i]) == 0;
      else
        match = text == shown[i];
    }
    if (match) {
      found = true;
      break;
    }
  }
  if (!master_ && !readAhead) SetReadAhead(false);
  if (!found) PastEnd(TDir::Forward);
  found_ = found;
  return found;
}

int TDbfHandler::MatchField(int field, const std::string& text, bool oneField) {
  const int opts = SearchOptions;
  const bool ci = opts & kSearchCaseInsensitive;
  switch (FieldType(field)) {
    case 'C': {
      TTextPattern p;
      p.Text = text;
      p.Anywhere = !(opts & kSearchAtStart);
      p.TailOk = !(opts & kSearchWholeField);
      if (opts & kSearchWildcards) {
        bool lead = !p.Text.empty() && p.Text.front() == '*';
        if (lead) p.Text.erase(0, 1);
        bool trail = !p.Text.empty() && p.Text.back() == '*';
        if (trail) p.Text.pop_back();
        p.Anywhere = lead;
        p.TailOk = trail;
        p.AnyChar = !lead;
      }
      if (ci) UpperInPlace(p.Text);
      return MatchCharacter(ReadRaw(field), p, ci);
    }
    case 'D': {
      if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return 0;
      int64_t julian = 0;
      if (!TDbfFields::ParseDateText(TrimBoth(text), julian)) return 0;
      return ReadDate(field) == julian ? 1 : 0;
    }
    case 'N':
    case 'F': {
      double v = 0;
      if (!ParseNumber(text, v)) return 0;
      return ReadNumber(field) == v ? 1 : 0;
    }
    case 'L': {
      if (!oneField) return 0;
      bool wanted = std::strchr("TtYyJj", text[0]) != nullptr;
      return ReadLogical(field) == wanted ? 1 : 0;
    }
    case 'M': {
      std::string memo = ReadMemoText(field), what = text;
      if (ci) {
        UpperInPlace(memo);
        UpperInPlace(what);
      }
      size_t at = memo.find(what);
      if (at == std::string::npos) return 0;
      return static_cast<int>(std::min<size_t>(at + 1, 65535));
    }
    default: return 0;
  }
}

int TDbfHandler::SearchText(const std::string& text, int& field, uint32_t stopRecord,
                            uint32_t& recNo) {
  if (field < 0 || field > FieldCount() || text.empty()) return 0;
  const int opts = SearchOptions;
  const bool raw = IncludeDeleted && !(opts & kSearchKeepChecks);
  TCdxTag* savedMaster = master_;
  const bool tagOrder = (opts & kSearchTagOrder) && master_;
  const TSaved saved = SavePosition();
  const int savedState = state_;
  const bool readAhead = readAhead_;
  if (!tagOrder) {
    master_ = nullptr;  // physical order for the walk
    if (!readAhead) SetReadAhead(true);
  }
  if (raw && !tagOrder) state_ = kStateBuilding;

  // Moves to the first record of the walk, or the next one; false at the end.
  auto advance = [&](bool first) -> bool {
    if (raw && tagOrder) {
      uint32_t r;
      if (first && recNo == 0) {
        r = master_->First();
      } else {
        if (first) {
          if (recNo > RecordCount()) return false;
          LoadPhysical(recNo);
          SyncMaster();
        }
        r = master_->Next();
      }
      if (r == 0) return false;
      LoadPhysical(r);
      return true;
    }
    if (first && recNo == 0) {
      GotoRecord(kGotoFirst);
    } else {
      if (first) {
        if (recNo > RecordCount()) return false;
        GotoRecord(recNo);
      }
      GotoRecord(kGotoNext);
    }
    return !eof_ && recNo_ >= 1 && recNo_ <= RecordCount();
  };

  int result = 0, matchField = 0;
  ReportStatus(-1, kStatusSearch, static_cast<int>(RecordCount()));
  try {
    for (bool on = advance(true); on; on = advance(false)) {
      if (stopRecord != 0 && !tagOrder && recNo_ > stopRecord) break;
      ReportStatus(kStatusSearch, static_cast<int>(recNo_), 0);
      int from = field == 0 ? 1 : field, to = field == 0 ? FieldCount() : field;
      for (int f = from; f <= to && result == 0; ++f) {
        result = MatchField(f, text, field != 0);
        if (result) matchField = f;
      }
      if (result || (stopRecord != 0 && recNo_ == stopRecord)) break;
    }
  } catch (...) {
    master_ = savedMaster;
    state_ = savedState;
    if (!tagOrder && !readAhead && !master_) SetReadAhead(false);
    throw;
  }
  master_ = savedMaster;
  state_ = savedState;
  if (!tagOrder && savedMaster) SetReadAhead(false);
  if (result) {
    if (master_) SyncMaster();
    moved_ = false;
    recNo = recNo_;
    field = matchField;
    ReportStatus(0, static_cast<int>(recNo_), 0);
    return result;
  }
  ReportStatus(0, 0, 0);
  RestorePosition(saved);
  return 0;
}

}  // namespace hb
