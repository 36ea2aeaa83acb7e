#include "timereg/actierec.h"

#include <QCoreApplication>
#include <cmath>

#include "data/dmdbase.h"
#include "data/flexfields.h"
#include "data/stamlists.h"
#include "dbf/dbfdataset.h"
#include "util/calendarfuncs.h"
#include "util/conversions.h"
#include "util/formats.h"
#include "util/log.h"
#include "util/messages.h"
#include "util/pathcontext.h"
#include "util/textfuncs.h"

namespace hb {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("TActieRec", text); }

QString FieldStr(const TDataSet& table, const char* name) {
  return table.FieldByName(name)->AsString();
}

void SetField(TDataSet& table, const char* name, const QString& value) {
  table.FieldByName(name)->SetAsString(value);
}

// A moment as the date and the time in messages.
QString MomentText(double moment) {
  return DateText(moment) + " " + FormatMoment("hh:nn:ss", moment);
}

// The time of day of a moment as "H:MM".
QString TimeOfDayText(double moment) { return DurationText(moment - std::floor(moment)); }

double Factor(const TStamObjPtr& item) { return item ? item->TariefFactor : 1.0; }
QString Afkorting(const TStamObjPtr& item) { return item ? item->Afkorting : QString(); }
QString Naam(const TStamObjPtr& item) { return item ? item->Naam : QString(); }

// Five significant digits, as the rate hint shows its numbers.
QString General(double value) { return QString::number(value, 'g', 5); }

// A fresh item of the record's own with the contents of source.
TStamObjPtr OwnCopy(const TStamObjPtr& source, TStamType type) {
  auto copy = std::make_shared<TStamObj>(nullptr, source ? TStamType(source->Type) : type);
  if (source) copy->Assign(*source);
  return copy;
}

// Puts the table on a stored row; false when the table has no visible row of that number
// (beyond the end, or deleted).
bool GotoRow(TDbfDataSet& table, int recNo) {
  if (recNo <= 0) return false;
  try {
    table.SetRecNo(recNo);
  } catch (const std::exception&) {
    return false;
  }
  return !table.IsEmpty() && table.RecNo() == recNo && !table.RecordIsDeleted();
}

}  // namespace

TActieDebug& ActieDebug() {
  static TActieDebug debug;
  return debug;
}

void ReadActieDebugSettings() {
  ActieDebug().Get = ProgramIni().ReadBool("Debug", "Get", false);
  ActieDebug().Put = ProgramIni().ReadBool("Debug", "Put", false);
}

void DeleteHourRow(TDbfDataSet& table) {
  // The follower is found before the delete: after it, the table may have been reopened
  // (the data module does so) or stand on a neighbour in either direction.
  const TBookmark here = table.GetBookmark();
  TBookmark follower;
  table.Next();
  if (!table.Eof()) follower = table.GetBookmark();
  table.GotoBookmark(here);
  table.Delete();
  if (follower.isEmpty()) {
    table.Last();
    table.Next();
  } else {
    table.GotoBookmark(follower);
  }
}

TActieRec::TActieRec()
    : Medewerker(std::make_shared<TStamObj>(nullptr, stMedewerker)),
      Klant(std::make_shared<TStamObj>(nullptr, stKlant)),
      Activiteit(std::make_shared<TStamObj>(nullptr, stActiviteit)),
      Product(std::make_shared<TStamObj>(nullptr, stProduct)) {}

TActieRec::~TActieRec() = default;

void TActieRec::Assign(const TActieRec& source) {
  if (&source == this) return;
  RecNr = source.RecNr;
  Medewerker = OwnCopy(source.Medewerker, stMedewerker);
  Klant = OwnCopy(source.Klant, stKlant);
  Activiteit = OwnCopy(source.Activiteit, stActiviteit);
  Product = OwnCopy(source.Product, stProduct);
  Werkz = source.Werkz;
  Aantal = source.Aantal;
  Start = source.Start;
  Stop = source.Stop;
  Voorlopig = source.Voorlopig;
}

// ---- reading, writing, deleting

TActieFields::TActieFields(const TDbfDataSet& table)
    : Medewerker(table.FieldByName("MEDEWERKER")),
      Klant(table.FieldByName("KLANT")),
      Activiteit(table.FieldByName("ACTIVITEIT")),
      Product(table.FieldByName("PRODUCT")),
      Start(table.FieldByName("START")),
      Stop(table.FieldByName("STOP")),
      Status(table.FieldByName("STATUS")),
      Werkz(table.FieldByName("WERKZ")),
      Aantal(table.FieldByName("AANTAL")) {}

bool TActieRec::GetActieRec(TDbfDataSet& table) {
  return GetActieRec(table, TActieFields(table));
}

bool TActieRec::GetActieRec(TDbfDataSet& table, const TActieFields& fields) {
  RecNr = table.RecNo();
  const QString medew = fields.Medewerker->AsString();
  const QString klant = fields.Klant->AsString();
  const QString activ = fields.Activiteit->AsString();
  const QString prod = fields.Product->AsString();
  Start = StampToDateTime(fields.Start->AsString());
  Stop = StampToDateTime(fields.Stop->AsString());
  Voorlopig = fields.Status->AsString() == "V";
  Werkz = fields.Werkz->AsString().trimmed();
  Aantal = fields.Aantal->AsInteger();

  auto detail = [&] {
    return "M" + medew + "/" + "K" + klant + "/" + "A" + activ + "/" + "P" + prod + ": " +
           MomentText(Start) + "  -  " + MomentText(Stop);
  };
  if (MomentToDate(Start) != MomentToDate(Stop)) {
    const QString text = Tr("Foutief tijdblok gewist: over datumgrens ") + detail();
    Log(text);
    DeleteHourRow(table);
    ShowWarning(text);
    return false;
  }
  if (Stop > Start) {
    Medewerker = StamMedewerkers().FindOrPlaceholder(TdmDBase::IdValue(medew, -1));
    Klant = StamKlanten().FindOrPlaceholder(TdmDBase::IdValue(klant, -1));
    Activiteit = StamActiviteiten().FindOrPlaceholder(TdmDBase::IdValue(activ, -1));
    Product = StamProducten().FindOrPlaceholder(TdmDBase::IdValue(prod, -1));
    if (ActieDebug().Get) DumpToLog("get record");
    return true;
  }
  Log(Tr("Foutief tijdblok gewist: lengte <= 0 ") + detail());
  DeleteHourRow(table);
  return false;
}

bool TActieRec::PutActieRec(TDbfDataSet& table) {
  if (Start == 0) {
    LogAndShow(Tr("Start=0 tijdens wegschrijven ") + QString::number(RecNr));
    return false;
  }
  if (Stop == 0) {
    LogAndShow(Tr("Stop = 0 tijdens wegschrijven ") + QString::number(RecNr));
    return false;
  }
  const QString start = DateTimeToStamp(Start);
  const QString stop = DateTimeToStamp(Stop);

  bool stored = false;
  if (RecNr != 0) {
    stored = GotoRow(table, RecNr);
    // Rewriting whatever row the table stands on would overwrite another record: a row
    // that is gone is written anew instead.
    if (!stored)
      Log(FormatText("Record %d niet gevonden tijdens wegschrijven, als nieuw record toegevoegd",
                     {RecNr}));
  }
  if (!stored) {
    // The new row gets its period at once, so that an appended row never stays empty.
    table.Append();
    try {
      SetField(table, "START", start);
      SetField(table, "STOP", stop);
      table.Post();
    } catch (...) {
      table.Cancel();
      throw;
    }
  }
  table.Edit();
  try {
    SetField(table, "MEDEWERKER", TdmDBase::IdText(ItemId(Medewerker)));
    SetField(table, "KLANT", TdmDBase::IdText(ItemId(Klant)));
    SetField(table, "ACTIVITEIT", TdmDBase::IdText(ItemId(Activiteit)));
    SetField(table, "PRODUCT", TdmDBase::IdText(ItemId(Product)));
    SetField(table, "START", start);
    SetField(table, "STOP", stop);
    SetField(table, "WERKZ", Werkz);
    table.FieldByName("AANTAL")->SetAsInteger(Aantal);
    SetField(table, "STATUS", Voorlopig ? "V" : " ");
    table.Post();
  } catch (...) {
    table.Cancel();
    throw;
  }
  RecNr = table.RecNo();
  table.FlushTable();
  if (ActieDebug().Put) DumpToLog("put record");

  // Read the row back from the file and compare what matters.
  table.Refresh();
  struct TCheck {
    const char* field;
    QString expected;
    const char* empty;      // message when the stored text is empty; nullptr: no check
    const char* different;  // message when it differs
  };
  const TCheck checks[] = {
      {"MEDEWERKER", TdmDBase::IdText(ItemId(Medewerker)), "fout tijdens wegschrijven medewerker ",
       "fout tijdens wegschrijven medewerker "},
      {"KLANT", TdmDBase::IdText(ItemId(Klant)), "fout tijdens wegschrijven: klant is leeg ",
       "fout tijdens wegschrijven klant "},
      {"ACTIVITEIT", TdmDBase::IdText(ItemId(Activiteit)), "fout tijdens wegschrijven activiteit ",
       "fout tijdens wegschrijven activiteit "},
      {"PRODUCT", TdmDBase::IdText(ItemId(Product)), "fout tijdens wegschrijven: product is leeg ",
       "fout tijdens wegschrijven product "},
      {"START", start.trimmed(), nullptr, "fout tijdens wegschrijven start "},
      {"STOP", stop.trimmed(), nullptr, "fout tijdens wegschrijven stop "},
  };
  const bool onRow = !table.IsEmpty() && table.RecNo() == RecNr;
  for (const TCheck& c : checks) {
    const QString found = onRow ? FieldStr(table, c.field).trimmed() : QString();
    if (c.empty && found.isEmpty())
      LogAndShow(Tr(c.empty) + QString::number(RecNr));
    else if (found != c.expected)
      LogAndShow(Tr(c.different) + QString::number(RecNr));
  }

  if (DmDBase() && &table == &DmDBase()->tblUren) {
    table.Close();
    table.Open();
    GotoRow(table, RecNr);
  }
  return true;
}

bool TActieRec::PutActieRecPeriod(TDbfDataSet& table, double stop, double start) {
  Start = start;
  Stop = stop;
  return PutActieRec(table);
}

bool TActieRec::DelActieRec(TDbfDataSet& table) {
  if (GotoRow(table, RecNr)) {
    table.Delete();
    return true;
  }
  LogAndShow(Tr("Te wissen record niet gevonden!"));
  return false;
}

// ---- overlap and texts

bool TActieRec::Overlaps(const TActieRec& other) const {
  return hb::Overlaps(Start, Stop, other.Start, other.Stop);
}

bool TActieRec::AskDeleteConflict() const {
  const QString description = Afkorting(Klant) + "/" + Afkorting(Activiteit) + "/" +
                              Afkorting(Product) + ": " + DateText(Start) + " " +
                              TimeOfDayText(Start) + "-" + TimeOfDayText(Stop) + " medew. " +
                              Naam(Medewerker);
  const QString question = SafeFormat(Tr("Conflict: overlappende perioden %s %s %s Wissen?"),
                                      {QString("\n"), description, QString("\n")});
  if (!AskYesNo(question, false)) return false;
  Log(Tr("Conflict: overlappende perioden, gewist: ") + description);
  return true;
}

double TActieRec::WeightedHours() const {
  double factor = Factor(Medewerker);
  if (FlexFldKlant().InUse) factor *= Factor(Klant);
  if (FlexFldActiviteit().InUse) factor *= Factor(Activiteit);
  if (FlexFldProduct().InUse) factor *= Factor(Product);
  return factor * (Stop - Start) * 24;
}

QString TActieRec::RateText() const { return FormatText("%12.2f", {WeightedHours()}); }

QString TActieRec::CalcText() const {
  QString text = "\n\n" + FlexFldMedewerker().CaptionStr() + " = " + General(Factor(Medewerker));
  const std::pair<const TFlexField*, const TStamObjPtr*> parts[] = {
      {&FlexFldKlant(), &Klant}, {&FlexFldActiviteit(), &Activiteit}, {&FlexFldProduct(), &Product}};
  for (const auto& [field, item] : parts)
    if (field->InUse) text += "   \n" + field->CaptionStr() + " = " + General(Factor(*item));
  text += "   \n" + Tr("Uren = ") + General((Stop - Start) * 24);
  return text;
}

QString TActieRec::CodesText() const {
  QStringList codes;
  const std::pair<const TFlexField*, const TStamObjPtr*> parts[] = {
      {&FlexFldKlant(), &Klant},
      {&FlexFldActiviteit(), &Activiteit},
      {&FlexFldProduct(), &Product},
      {&FlexFldMedewerker(), &Medewerker}};
  for (const auto& [field, item] : parts) {
    if (!*item) continue;
    const QString code = OverheadCode((*item)->Overhead);
    if (!code.isEmpty()) codes << code + field->CaptionStr().left(1).toLower();
  }
  return codes.join(' ');
}

QString TActieRec::StatusText() const { return Voorlopig ? QString("V") : QString(); }

void TActieRec::DumpToLog(const QString& tag) const {
  Log("--- " + tag + " ---");
  Log("Recnr : " + QString::number(RecNr));
  Log("Medew : " + TdmDBase::IdText(ItemId(Medewerker)));
  Log("Klant : " + TdmDBase::IdText(ItemId(Klant)));
  Log("Activ.: " + TdmDBase::IdText(ItemId(Activiteit)));
  Log("Prod. : " + TdmDBase::IdText(ItemId(Product)));
  Log("Werkz.: " + Werkz);
  Log("Aantal: " + QString::number(Aantal));
  Log("Start : " + FormatMoment("yyyy.mm.dd hh:nn:ss", Start));
  Log("Stop  : " + FormatMoment("yyyy.mm.dd hh:nn:ss", Stop));
  Log(QString("Voorl.: ") + (Voorlopig ? "true" : "false"));
}

}  // namespace hb
