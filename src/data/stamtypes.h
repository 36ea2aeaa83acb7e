// Stam types: the kinds of master data item, as a number in memory and a letter in the tables.
//
//   0 ' '  no type / all types          4 'P' product
//   1 'M'  employee (medewerker)        5 'G' department (afdeling)
//   2 'K'  customer (klant)             6 'G' employee-to-department list (memory only)
//   3 'A'  activity (activiteit)        7 'I' the MaxID row
//
//   StamtypeToChar(2) == 'K'           CharToStamtype("G") == 5     (8..127 and unknown
//   StamtypeName(2)  == "Klant"        (or [Fields] DescrKlant)      letters raise
//   CharToOverhead("O") == 2           OverheadToChar(2) == 'T'      EInvalidStamType)
//   CharToToegang("B") == 2            ToegangToChar(1) == 'A'
//   UrenFieldOfType(3) == "ACTIVITEIT" UrenTagOfType(3) == "TIJDA"
//   AuthorisationOn(2)                 [Autorisaties] K of the program ini, default true
#pragma once

#include <QChar>
#include <QString>
#include <stdexcept>

namespace hb {

// A type, classification or access code outside its table.
class EInvalidStamType : public std::runtime_error {
 public:
  explicit EInvalidStamType(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

// A list operation asked of a list of the wrong type.
class EStamListError : public std::runtime_error {
 public:
  explicit EStamListError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& Message() const { return message_; }

 private:
  QString message_;
};

using TStamType = int;

constexpr TStamType stGeen = 0;
constexpr TStamType stMedewerker = 1;
constexpr TStamType stKlant = 2;
constexpr TStamType stActiviteit = 3;
constexpr TStamType stProduct = 4;
constexpr TStamType stAfdeling = 5;
constexpr TStamType stAfdMedewerker = 6;
constexpr TStamType stMaxId = 7;

// Classification of customers, activities and products (OVERHEAD).
constexpr int ohDirect = 0;    // 'F'
constexpr int ohIndirect = 1;  // 'I'
constexpr int ohOverhead = 2;  // 'T' (also read from 'O')
constexpr int ohAfwezig = 3;   // 'A'

// Access of an employee to the data of others (TOEGANG).
constexpr int tgEigen = 0;     // 'F'
constexpr int tgAfdeling = 1;  // 'A'
constexpr int tgBedrijf = 2;   // 'B'

// The type number is taken modulo 128.
QChar StamtypeToChar(TStamType type);
// The first character of text; an empty text counts as a space.
TStamType CharToStamtype(const QString& text);
// Display name: [Fields] Descr<type> of the program ini, default the language text; types 0
// and 7 always give their fixed text, type 6 and others an empty one.
QString StamtypeName(TStamType type);

int CharToOverhead(const QString& text);
QChar OverheadToChar(int overhead);
// The overhead code of reports: "I", "O", "A" for 1, 2, 3; empty for 0 (and anything else).
QString OverheadCode(int overhead);

int CharToToegang(const QString& text);
QChar ToegangToChar(int toegang);

// The URUREN field and tag of the four bookable types; empty for others.
QString UrenFieldOfType(TStamType type);
QString UrenTagOfType(TStamType type);

// Whether authorisation applies to items of the type ([Autorisaties] <letter>, default true).
bool AuthorisationOn(TStamType type);

}  // namespace hb
