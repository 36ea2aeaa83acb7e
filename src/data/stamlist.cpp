#include "data/stamlist.h"

#include <QFile>
#include <algorithm>

#include "data/dmdbase.h"
#include "data/stamlists.h"
#include "data/stamtables.h"
#include "dbf/dbfdataset.h"
#include "platform/codepage.h"
#include "util/log.h"
#include "util/messages.h"

namespace hb {

namespace {

constexpr int kMaxSuffixes = 1000;

QString Letter(TStamType type) {
  return QString(StamtypeToChar(type));
}

QString LowKey(const QString& letter) {
  return letter + QString(10, '0');
}

QString HighKey(const QString& letter) {
  return letter + QString(10, '9');
}

}  // namespace

TStamList::TStamList(TStamType type) : type_(type) {}

TStamList::~TStamList() = default;

void TStamList::SetType(TStamType type) {
  type_ = type;
  names_.clear();
  displayNames_.clear();
  ids_.clear();
  items_.clear();
}

void TStamList::Add(TStamObjPtr item) {
  if (!item) return;
  items_.push_back(item);
  QString display = item->Naam;
  for (int n = 1; names_.count(display) > 0 && n <= kMaxSuffixes; ++n)
    display = item->Naam + " [" + QString::number(n) + "]";
  names_.emplace(display, item);
  displayNames_[item.get()] = display;
  ids_.emplace(item->IdText(), item);  // the first item with an ID keeps it
}

TStamObjPtr TStamList::Remove(const TStamObj* item) {
  auto it = std::find_if(items_.begin(), items_.end(),
                         [item](const TStamObjPtr& p) { return p.get() == item; });
  if (it == items_.end()) return nullptr;
  TStamObjPtr kept = *it;
  items_.erase(it);
  for (auto n = names_.begin(); n != names_.end(); ++n) {
    if (n->second.get() == item) {
      names_.erase(n);
      break;
    }
  }
  displayNames_.erase(item);
  auto id = ids_.find(item->IdText());
  if (id != ids_.end() && id->second.get() == item) {
    ids_.erase(id);
    // Another item of the same ID now stands for it, as it would after a reload.
    for (const TStamObjPtr& other : items_) {
      if (other->ID == item->ID) {
        ids_.emplace(other->IdText(), other);
        break;
      }
    }
  }
  return kept;
}

TStamObjPtr TStamList::FindById(qint64 id) const {
  auto it = ids_.find(TdmDBase::IdText(id));
  return it == ids_.end() ? nullptr : it->second;
}

TStamObjPtr TStamList::FindByName(const QString& displayName) const {
  auto it = names_.find(displayName);
  return it == names_.end() ? nullptr : it->second;
}

TStamObjPtr TStamList::FindByRemark(const QString& text) const {
  const QString wanted = text.trimmed().toUpper();
  for (const TStamObjPtr& item : items_)
    if (item->Opmerking.trimmed().toUpper() == wanted) return item;
  return nullptr;
}

TStamObjPtr TStamList::FindOrPlaceholder(qint64 id) {
  if (TStamObjPtr found = FindById(id)) return found;
  auto placeholder = NewItem(type_);
  placeholder->Naam = " ";
  placeholder->ID = 0;
  return placeholder;
}

QString TStamList::NameOf(qint64 id) const {
  const TStamObjPtr item = FindById(id);
  return item ? item->Naam : QString();
}

qint64 TStamList::IdOfName(const QString& displayName) const {
  const TStamObjPtr item = FindByName(displayName);
  return item ? item->ID : 0;
}

QStringList TStamList::Names() const {
  QStringList names;
  names.reserve(static_cast<qsizetype>(names_.size()));
  for (const auto& entry : names_) names << entry.first;
  return names;
}

QString TStamList::DisplayNameOf(const TStamObj* item) const {
  auto it = displayNames_.find(item);
  return it == displayNames_.end() ? QString() : it->second;
}

QStringList TStamList::IdTexts() const {
  QStringList ids;
  for (const auto& entry : ids_) ids << entry.first;
  return ids;
}

TStamObjPtr TStamList::NewItem(TStamType type) {
  return std::make_shared<TStamObj>(this, type);
}

// ---- table operations

void TStamList::LoadFromTable() {
  TStamTables t = StamTables();
  const QString letter = Letter(type_);
  t.Filter.SetLetter(letter.at(0));
  Clear();
  TTagKeeper keep(t.Stam, "TYPEID");
  if (!t.Stam.Find(letter, false, false)) return;
  while (!t.Stam.Eof() && FieldText(t.Stam, "TYPE") == letter) {
    auto item = NewItem(type_);
    item->ReadFromTable(t.Stam);
    Add(item);
    t.Stam.Next();
  }
}

void TStamList::LoadAllByRange(TStamType type) {
  TStamTables t = StamTables();
  const QString letter = Letter(type);
  TTagKeeper keep(t.Stam, "TYPEID");
  t.Stam.SetKeyRange(LowKey(letter), HighKey(letter));
  try {
    for (t.Stam.First(); !t.Stam.Eof(); t.Stam.Next()) {
      auto item = NewItem(type_);
      item->ReadFromTable(t.Stam);
      Add(item);
    }
  } catch (...) {
    t.Stam.SetKeyRange(QString(), QString());
    throw;
  }
  t.Stam.SetKeyRange(QString(), QString());
}

void TStamList::LoadSelectionFromTable(const TStamObj& employee) {
  if (type_ == stMedewerker)
    throw EStamListError("Fout in LoadSelectionFromTable: lijst is mederker");
  TStamTables t = StamTables();
  Clear();
  t.Filter.Reset();
  if (!AuthorisationOn(type_)) {
    LoadAllByRange(type_);
    return;
  }
  const QString letter = Letter(type_);
  const QString employeeId = employee.IdText();
  TTagKeeper keepAutor(t.Autor, "TYPMEDEW");
  TTagKeeper keepStam(t.Stam, "TYPEID");
  if (!t.Autor.Find(letter + employeeId, false, false)) return;
  while (!t.Autor.Eof() && FieldText(t.Autor, "TYPE") == letter &&
         FieldText(t.Autor, "MEDEWERKER") == employeeId) {
    const QString value = FieldText(t.Autor, "VALUE");
    // An empty VALUE would make the key a bare letter that every item of the type begins
    // with: the seek is exact.
    if (!value.isEmpty() && t.Stam.Find(letter + value, true, false)) {
      auto item = NewItem(type_);
      item->ReadFromTable(t.Stam);
      Add(item);
    }
    t.Autor.Next();
  }
}

void TStamList::SaveSelectionToTable(const TStamObj& employee) {
  if (type_ == stMedewerker)
    throw EStamListError("Fout in SaveSelectionToTable: lijst is mederker");
  TStamTables t = StamTables();
  t.Filter.Reset();
  if (!AuthorisationOn(type_)) return;
  const QString letter = Letter(type_);
  const QString employeeId = employee.IdText();
  TTagKeeper keep(t.Autor, "TYPMEDEW");
  // The employee's rows go first; each delete reopens the table, so the rows are sought
  // afresh every time.
  for (;;) {
    t.Autor.SetIndexName("TYPMEDEW");
    if (!t.Autor.Find(letter + employeeId, false, false)) break;
    if (FieldText(t.Autor, "TYPE") != letter || FieldText(t.Autor, "MEDEWERKER") != employeeId)
      break;
    t.Autor.Delete();
  }
  t.Autor.SetIndexName("TYPMEDEW");
  for (const QString& id : IdTexts()) {
    t.Autor.Append();
    SetFieldTextValue(t.Autor, "TYPE", letter);
    SetFieldTextValue(t.Autor, "MEDEWERKER", employeeId);
    SetFieldTextValue(t.Autor, "VALUE", id);
    t.Autor.Post();
  }
  t.Autor.FlushTable();
  if (ids_.empty()) ReopenTable(t.Autor);
  t.Autor.SetIndexName("TYPMEDEW");
  t.Autor.First();
}

void TStamList::LoadMedewerkersFromTable(TStamType type, qint64 id) {
  if (type_ != stMedewerker)
    throw EStamListError("Fout in LoadMedewerkersFromTable: lijst is geen medewerkerslijst");
  TStamTables t = StamTables();
  Clear();
  t.Filter.Reset();
  if (!AuthorisationOn(type)) {
    LoadAllByRange(stMedewerker);
    return;
  }
  const QString letter = Letter(type);
  const QString itemId = TdmDBase::IdText(id);
  TTagKeeper keepAutor(t.Autor, "TYPVALUE");
  TTagKeeper keepStam(t.Stam, "TYPEID");
  if (!t.Autor.Find(letter + itemId, false, false)) return;
  while (!t.Autor.Eof() && FieldText(t.Autor, "TYPE") == letter &&
         FieldText(t.Autor, "VALUE") == itemId) {
    const QString employee = FieldText(t.Autor, "MEDEWERKER");
    if (!employee.isEmpty() && t.Stam.Find("M" + employee, true, false)) {
      auto item = NewItem(stMedewerker);
      item->ReadFromTable(t.Stam);
      Add(item);
    }
    t.Autor.Next();
  }
}

void TStamList::AddAuthorisationsForItem(TStamType type, qint64 id) {
  if (!AuthorisationOn(type)) return;
  TStamTables t = StamTables();
  const QString letter = Letter(type);
  const QString itemId = TdmDBase::IdText(id);
  TTagKeeper keep(t.Autor, "TYPMEDEW");
  for (const TStamObjPtr& employee : items_) {
    const QString employeeId = employee->IdText();
    if (t.Autor.Find(letter + employeeId + itemId, true, false)) continue;
    t.Autor.Append();
    SetFieldTextValue(t.Autor, "TYPE", letter);
    SetFieldTextValue(t.Autor, "MEDEWERKER", employeeId);
    SetFieldTextValue(t.Autor, "VALUE", itemId);
    t.Autor.Post();
  }
  t.Autor.FlushTable();
}

void TStamList::RemoveAuthorisationsForItem(TStamType type, qint64 id) {
  if (!AuthorisationOn(type)) return;
  TStamTables t = StamTables();
  const QString letter = Letter(type);
  const QString itemId = TdmDBase::IdText(id);
  TTagKeeper keep(t.Autor, "TYPMEDEW");
  bool deleted = false;
  for (const TStamObjPtr& employee : items_) {
    // A row may be there twice; every copy goes.
    for (;;) {
      t.Autor.SetIndexName("TYPMEDEW");
      if (!t.Autor.Find(letter + employee->IdText() + itemId, true, false)) break;
      t.Autor.Delete();
      deleted = true;
    }
  }
  t.Autor.FlushTable();
  if (deleted) ReopenTable(t.Autor);
}

void TStamList::SaveToFile(const QString& fileName) const {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    Log("Fout bij wegschrijven stamlist: " + file.errorString());
    return;
  }
  for (const TStamObjPtr& item : items_) {
    QString line;
    try {
      line = QString(StamtypeToChar(item->Type)) + "," + QString::number(item->ID) + "," +
             item->Naam + "," + item->Afkorting + "," +
             QString::number(item->TariefFactor, 'f', 5).rightJustified(10) + "," +
             item->Opmerking + "\r\n";
    } catch (const std::exception& e) {
      Log("Fout bij wegschrijven stamobj: " + QString::fromStdString(e.what()));
      continue;
    }
    const std::string bytes = QStringToAnsi(line);
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size())) {
      Log("Fout bij wegschrijven stamobj: " + file.errorString());
      return;
    }
  }
}

// ---- department memberships

void TAfdMedewStamList::LoadMedewerkerAfdeling(const TStamList& employees,
                                               const TStamList& departments) {
  if (Type() != stAfdMedewerker)
    throw EStamListError("Fout in LoadMedewerkerAfdeling: lijst is geen medewerkerafdeling");
  TStamTables t = StamTables();
  Clear();
  t.Filter.Reset();
  TTagKeeper keep(t.Autor, "TYPMEDEW");
  if (!t.Autor.Find("G", false, false)) return;
  while (!t.Autor.Eof() && FieldText(t.Autor, "TYPE") == "G") {
    const TStamObjPtr employee =
        employees.FindById(TdmDBase::IdValue(FieldText(t.Autor, "MEDEWERKER"), -1));
    const TStamObjPtr department =
        departments.FindById(TdmDBase::IdValue(FieldText(t.Autor, "VALUE"), -1));
    if (employee && department) {
      auto item = NewItem(stAfdMedewerker);
      item->ID = employee->ID;
      item->Naam = department->Naam;
      item->Afkorting = department->Afkorting;
      item->Kleur = department->Kleur;
      item->TariefFactor = department->TariefFactor;
      item->Overhead = department->Overhead;
      item->Opmerking = department->Opmerking;
      Add(item);
    }
    t.Autor.Next();
  }
}

QString TAfdMedewStamList::AfdelingsNaamVan(qint64 employeeId) const {
  if (Type() != stAfdMedewerker) LogAndShow("Fout in functie AfdelingsNaamVan: onjuist type");
  const TStamObjPtr membership = FindById(employeeId);
  return membership ? membership->Naam : QString("-");
}

TStamObjPtr TAfdMedewStamList::AfdelingVan(qint64 employeeId) const {
  return StamAfdelingen().FindByName(AfdelingsNaamVan(employeeId));
}

}  // namespace hb
