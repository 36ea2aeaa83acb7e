// TStamList: the master data items of one type, indexed by display name and by ID.
//
//   TStamList klanten(stKlant);
//   klanten.LoadFromTable();                      // every customer, by a TYPEID seek
//   klanten.FindByName("shop");                   // letter case ignored
//   klanten.FindById(42);                         // by the ID text "0000000042"
//   klanten.LoadSelectionFromTable(medewerker);   // only what the employee may book on
//
// Display names are unique within a list: a second "Shop" is listed as "Shop [1]", a third as
// "Shop [2]" (up to 1000 tries). The first item with an ID keeps that ID in the ID index.
//
// Items are shared: the list holds them, and whoever keeps one (an hour record, a window)
// keeps it alive after the list is cleared or reloaded. FindOrPlaceholder hands out a new
// item that no list holds when the ID is unknown.
//
// The table operations work on the tables of the current data module (DmDBase()); they
// reach rows by tag seeks and tag ranges (URSTAM TYPEID, URAUTOR TYPMEDEW and TYPVALUE), never
// by scanning a table, and put the tags back as they found them.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

#include "data/stamobj.h"

namespace hb {

using TStamObjPtr = std::shared_ptr<TStamObj>;

// Text order of the name index: letter case ignored.
struct TTextLess {
  bool operator()(const QString& a, const QString& b) const {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  }
};

class TStamList {
 public:
  explicit TStamList(TStamType type);
  virtual ~TStamList();
  TStamList(const TStamList&) = delete;
  TStamList& operator=(const TStamList&) = delete;

  TStamType Type() const { return type_; }
  // Sets the type and empties the list and both indexes.
  void SetType(TStamType type);
  void Clear() { SetType(type_); }

  int Count() const { return static_cast<int>(items_.size()); }
  const TStamObjPtr& Items(int i) const { return items_.at(static_cast<size_t>(i)); }

  void Add(TStamObjPtr item);
  // Takes the item out of the list and both indexes; the result keeps it alive.
  TStamObjPtr Remove(const TStamObj* item);

  TStamObjPtr FindById(qint64 id) const;
  TStamObjPtr FindByName(const QString& displayName) const;
  // The first item whose remark equals the text, both trimmed and upper-cased.
  TStamObjPtr FindByRemark(const QString& text) const;
  // The item, or a new one of the list's type named " " with ID 0 that no list holds.
  TStamObjPtr FindOrPlaceholder(qint64 id);
  QString NameOf(qint64 id) const;
  qint64 IdOfName(const QString& displayName) const;
  // The display names in name order (for list boxes).
  QStringList Names() const;
  // The display name of an item of this list; empty when it is not listed.
  QString DisplayNameOf(const TStamObj* item) const;
  // The ID texts in their sorted order.
  QStringList IdTexts() const;

  // ---- table operations
  // Every item of the list's type (the URSTAM filter is set to the type's letter).
  void LoadFromTable();
  // The items of the list's type the employee is authorised for; all of them when
  // authorisation is off for the type. Not for the employee list.
  void LoadSelectionFromTable(const TStamObj& employee);
  // Stores the list as the employee's authorisations for the list's type (nothing when
  // authorisation is off for the type). Not for the employee list.
  void SaveSelectionToTable(const TStamObj& employee);
  // Employee list: the employees authorised for one item (all when authorisation is off).
  void LoadMedewerkersFromTable(TStamType type, qint64 id);
  // Employee list: authorises each listed employee for one item, or withdraws that.
  void AddAuthorisationsForItem(TStamType type, qint64 id);
  void RemoveAuthorisationsForItem(TStamType type, qint64 id);
  // Lines "letter,ID,name,abbreviation,rate factor,remark" (CR LF, Windows-1252); errors are
  // logged.
  void SaveToFile(const QString& fileName) const;

 protected:
  // The items of the list's type within the TYPEID range of its letter.
  void LoadAllByRange(TStamType type);
  TStamObjPtr NewItem(TStamType type);

 private:
  TStamType type_;
  std::vector<TStamObjPtr> items_;
  std::multimap<QString, TStamObjPtr, TTextLess> names_;
  std::map<const TStamObj*, QString> displayNames_;
  std::map<QString, TStamObjPtr> ids_;
};

// The department memberships: one item per membership, whose ID is the employee's and whose
// name, abbreviation, colour, rate factor, classification and remark are the department's.
// An employee of several departments is found under the one with the lowest department ID.
class TAfdMedewStamList : public TStamList {
 public:
  TAfdMedewStamList() : TStamList(stAfdMedewerker) {}

  // The "G" rows of URAUTOR whose employee and department are both in the given lists.
  void LoadMedewerkerAfdeling(const TStamList& employees, const TStamList& departments);
  // The name of the employee's department, or "-".
  QString AfdelingsNaamVan(qint64 employeeId) const;
  QString AfdelingsNaamVan(const TStamObj& employee) const { return AfdelingsNaamVan(employee.ID); }
  // The department of that name in StamAfdelingen; empty when there is none.
  TStamObjPtr AfdelingVan(qint64 employeeId) const;
  TStamObjPtr AfdelingVan(const TStamObj& employee) const { return AfdelingVan(employee.ID); }
};

}  // namespace hb
