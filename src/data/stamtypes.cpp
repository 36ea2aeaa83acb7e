#include "data/stamtypes.h"

#include <QCoreApplication>

#include "util/pathcontext.h"

namespace hb {

namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("Stamtypes", text);
}

QString FirstLetter(const QString& text) {
  return text.isEmpty() ? QString(" ") : text.left(1);
}

}  // namespace

QChar StamtypeToChar(TStamType type) {
  switch (static_cast<unsigned>(type) % 128) {
    case stGeen:
      return ' ';
    case stMedewerker:
      return 'M';
    case stKlant:
      return 'K';
    case stActiviteit:
      return 'A';
    case stProduct:
      return 'P';
    case stAfdeling:
    case stAfdMedewerker:
      return 'G';
    case stMaxId:
      return 'I';
    default:
      throw EInvalidStamType("Ongeldig stamtype in StamtypeToChar");
  }
}

TStamType CharToStamtype(const QString& text) {
  const QString letter = FirstLetter(text);
  switch (letter.at(0).unicode()) {
    case ' ':
      return stGeen;
    case 'M':
      return stMedewerker;
    case 'K':
      return stKlant;
    case 'A':
      return stActiviteit;
    case 'P':
      return stProduct;
    case 'G':
      return stAfdeling;
    case 'I':
      return stMaxId;
    default:
      throw EInvalidStamType("Ongeldig stamtype: " + letter);
  }
}

QString StamtypeName(TStamType type) {
  const char* key = nullptr;
  QString def;
  switch (static_cast<unsigned>(type) % 128) {
    case stGeen:
      return Tr("Alle stamtypes");
    case stMaxId:
      return Tr("MaxID");
    case stMedewerker:
      key = "DescrMedewerker";
      def = Tr("Medewerker");
      break;
    case stKlant:
      key = "DescrKlant";
      def = Tr("Klant");
      break;
    case stActiviteit:
      key = "DescrActiviteit";
      def = Tr("Activiteit");
      break;
    case stProduct:
      key = "DescrProduct";
      def = Tr("Product");
      break;
    case stAfdeling:
      key = "DescrAfdeling";
      def = Tr("Afdeling");
      break;
    default:
      return QString();
  }
  // The keys are shared with the captions of the flexible fields, where an empty value
  // stands for the default as well.
  const QString name = ProgramIni().ReadString("Fields", key);
  return name.isEmpty() ? def : name;
}

int CharToOverhead(const QString& text) {
  const QString letter = FirstLetter(text);
  switch (letter.at(0).unicode()) {
    case ' ':
    case 'F':
      return ohDirect;
    case 'I':
      return ohIndirect;
    case 'O':
    case 'T':
      return ohOverhead;
    case 'A':
      return ohAfwezig;
    default:
      throw EInvalidStamType("Ongeldig overheadtype: " + letter);
  }
}

QChar OverheadToChar(int overhead) {
  switch (overhead) {
    case ohDirect:
      return 'F';
    case ohIndirect:
      return 'I';
    case ohOverhead:
      return 'T';
    case ohAfwezig:
      return 'A';
    default:
      throw EInvalidStamType("Ongeldig overheadtype in StamtypeToChar");
  }
}

QString OverheadCode(int overhead) {
  switch (overhead) {
    case ohIndirect:
      return "I";
    case ohOverhead:
      return "O";
    case ohAfwezig:
      return "A";
    default:
      return QString();
  }
}

int CharToToegang(const QString& text) {
  const QString letter = FirstLetter(text);
  switch (letter.at(0).unicode()) {
    case ' ':
    case 'F':
      return tgEigen;
    case 'A':
      return tgAfdeling;
    case 'B':
      return tgBedrijf;
    default:
      throw EInvalidStamType("Ongeldig toegangstype: " + letter);
  }
}

QChar ToegangToChar(int toegang) {
  switch (toegang) {
    case tgEigen:
      return 'F';
    case tgAfdeling:
      return 'A';
    case tgBedrijf:
      return 'B';
    default:
      throw EInvalidStamType("Ongeldig toegangstype in ToegangToChar");
  }
}

QString UrenFieldOfType(TStamType type) {
  switch (type) {
    case stMedewerker:
      return "MEDEWERKER";
    case stKlant:
      return "KLANT";
    case stActiviteit:
      return "ACTIVITEIT";
    case stProduct:
      return "PRODUCT";
    default:
      return QString();
  }
}

QString UrenTagOfType(TStamType type) {
  switch (type) {
    case stMedewerker:
      return "TIJD";
    case stKlant:
      return "TIJDK";
    case stActiviteit:
      return "TIJDA";
    case stProduct:
      return "TIJDP";
    default:
      return QString();
  }
}

bool AuthorisationOn(TStamType type) {
  return ProgramIni().ReadBool("Autorisaties", QString(StamtypeToChar(type)), true);
}

}  // namespace hb
