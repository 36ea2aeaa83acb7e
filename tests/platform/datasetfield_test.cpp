// Field access: typed reads and writes, null, conversions and their errors, moment texts.
#include <QDate>
#include <QSize>
#include <cmath>

#include "datasetfixture.h"

using namespace hb;
using hbtest::ExpectDbError;

namespace {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.FieldDefs().Add("S", TFieldType::ftString, 5);
    t.FieldDefs().Add("SI", TFieldType::ftSmallint);
    t.FieldDefs().Add("I", TFieldType::ftInteger);
    t.FieldDefs().Add("L", TFieldType::ftLargeint);
    t.FieldDefs().Add("F", TFieldType::ftFloat);
    t.FieldDefs().Add("C", TFieldType::ftBCD, 0, false, 2);
    t.FieldDefs().Add("B", TFieldType::ftBoolean);
    t.FieldDefs().Add("D", TFieldType::ftDate);
    t.FieldDefs().Add("T", TFieldType::ftTime);
    t.FieldDefs().Add("DT", TFieldType::ftDateTime);
    t.FieldDefs().Add("M", TFieldType::ftMemo);
    t.FieldDefs().Add("BL", TFieldType::ftBlob);
    t.Open();
    t.Append();
  }
  TField* F(const char* name) { return t.FieldByName(name); }
  TMemDataSet t;
};

TEST_F(FieldTest, DefinitionsGiveSizeNumberAndType) {
  EXPECT_EQ(F("S")->Size(), 5);
  EXPECT_EQ(F("S")->FieldNo(), 1);
  EXPECT_EQ(F("BL")->FieldNo(), 12);
  EXPECT_EQ(F("C")->Precision(), 2);
  EXPECT_EQ(F("d")->DataType(), TFieldType::ftDate);
  EXPECT_TRUE(F("M")->IsBlob());
  EXPECT_TRUE(F("C")->IsNumeric());
  EXPECT_FALSE(F("B")->IsNumeric());
  EXPECT_EQ(F("S")->DisplayLabel(), "S");
  F("S")->SetDisplayLabel("Naam");
  EXPECT_EQ(F("S")->DisplayLabel(), "Naam");
}

TEST_F(FieldTest, TextIsConvertedToEachType) {
  struct Case {
    const char* field;
    QString in;
    QString asString;
    QVariant value;
  };
  const QList<Case> cases = {
      {"S", "abcdefg", "abcde", "abcde"},  // cut to the size
      {"SI", " -12 ", "-12", qint64(-12)},
      {"I", "42", "42", qint64(42)},
      {"L", "9000000000", "9000000000", qint64(9000000000LL)},
      {"F", "1,5", "1.5", 1.5},
      {"F", "-0.25", "-0.25", -0.25},
      {"C", "12.345", "12.345", 12.345},
      {"B", "t", "True", true},
      {"B", "No", "False", false},
      {"B", "1", "True", true},
      {"D", "31-12-2024 13:30", "31-12-2024", 45657.0},  // a date drops the time
      {"D", "1/2/24", "01-02-2024", 45323.0},
      {"DT", "2024-12-31 18:00", "31-12-2024 18:00:00", 45657.75},
      {"DT", "31-12-2024", "31-12-2024", 45657.0},
      {"T", "8:05", "08:05:00", (8 * 60 + 5) / 1440.0},
      {"M", "lange tekst die blijft", "lange tekst die blijft", "lange tekst die blijft"},
  };
  for (const Case& c : cases) {
    F(c.field)->SetAsString(c.in);
    EXPECT_EQ(F(c.field)->AsString(), c.asString) << c.field << " " << c.in.toStdString();
    EXPECT_EQ(F(c.field)->Value(), c.value) << c.field << " " << c.in.toStdString();
  }
}

TEST_F(FieldTest, TypedSettersAndGettersConvert) {
  F("I")->SetAsFloat(2.5);
  EXPECT_EQ(F("I")->AsInteger(), 3);
  F("F")->SetAsInteger(7);
  EXPECT_EQ(F("F")->AsFloat(), 7.0);
  EXPECT_EQ(F("F")->AsString(), "7");
  F("F")->SetAsFloat(2.6);
  EXPECT_EQ(F("F")->AsInteger(), 3);  // rounded
  F("D")->SetAsDateTime(45657.75);
  EXPECT_EQ(F("D")->AsDateTime(), 45657.0);
  F("DT")->SetAsVariant(QDateTime(QDate(2024, 12, 31), QTime(6, 0)));
  EXPECT_EQ(F("DT")->AsDateTime(), 45657.25);
  F("S")->SetAsBoolean(true);
  EXPECT_EQ(F("S")->AsString(), "T");
  EXPECT_TRUE(F("S")->AsBoolean());
  F("S")->SetAsString("nee");
  EXPECT_FALSE(F("S")->AsBoolean());  // only T/Y count as true in a text field
  F("S")->SetAsInteger(12);
  EXPECT_EQ(F("S")->AsInteger(), 12);
  F("M")->SetAsString("1,25");
  EXPECT_EQ(F("M")->AsFloat(), 1.25);
  F("M")->SetAsDateTime(45657.5);
  EXPECT_EQ(F("M")->AsString(), "31-12-2024 12:00:00");
  EXPECT_EQ(F("M")->AsDateTime(), 45657.5);
  F("B")->SetAsInteger(0);
  EXPECT_FALSE(F("B")->AsBoolean());
  F("I")->SetAsBoolean(true);
  EXPECT_EQ(F("I")->AsInteger(), 1);
  const QByteArray bytes("\x00\xff\x10", 3);
  F("BL")->SetAsBytes(bytes);
  EXPECT_EQ(F("BL")->AsBytes(), bytes);
  F("L")->SetAsLargeInt(5000000000LL);
  EXPECT_EQ(F("L")->AsLargeInt(), 5000000000LL);
  EXPECT_THROW(F("L")->AsInteger(), EFieldConvertError);  // does not fit an int
}

TEST_F(FieldTest, NullReadsAsEmptyAndZero) {
  for (int i = 0; i < t.FieldCount(); ++i) {
    TField* f = t.Fields(i);
    f->Clear();
    EXPECT_TRUE(f->IsNull()) << f->FieldName().toStdString();
    EXPECT_FALSE(f->Value().isValid());
    EXPECT_EQ(f->AsString(), "");
  }
  EXPECT_EQ(F("I")->AsInteger(), 0);
  EXPECT_EQ(F("F")->AsFloat(), 0.0);
  EXPECT_EQ(F("DT")->AsDateTime(), 0.0);
  EXPECT_FALSE(F("B")->AsBoolean());
  // An empty text clears a field that is not a text field; a text field keeps "".
  F("I")->SetAsInteger(5);
  F("I")->SetAsString("  ");
  EXPECT_TRUE(F("I")->IsNull());
  F("D")->SetAsString("01-01-2024");
  F("D")->SetAsVariant(QVariant());
  EXPECT_TRUE(F("D")->IsNull());
  F("S")->SetAsString("");
  EXPECT_EQ(F("S")->AsString(), "");
  F("S")->SetAsString("  ");
  EXPECT_EQ(F("S")->AsInteger(), 0);  // a blank text reads as zero
}

TEST_F(FieldTest, UnreadableValuesRaiseConversionErrors) {
  struct Case {
    const char* field;
    QString in;
    QString message;
  };
  const QList<Case> cases = {
      {"I", "12a", "'12a' is not a valid integer value for field 'I'"},
      {"I", "1.5", "'1.5' is not a valid integer value for field 'I'"},
      {"F", "1.2.3", "'1.2.3' is not a valid floating point value for field 'F'"},
      {"B", "misschien", "'misschien' is not a valid boolean value for field 'B'"},
      {"D", "31-02-2024", "'31-02-2024' is not a valid date for field 'D'"},
      {"DT", "31-12-2024 25:00", "'31-12-2024 25:00' is not a valid date and time for field 'DT'"},
      {"T", "12:61", "'12:61' is not a valid time for field 'T'"},
  };
  for (const Case& c : cases) {
    F(c.field)->SetAsString("");
    try {
      F(c.field)->SetAsString(c.in);
      ADD_FAILURE() << "accepted " << c.in.toStdString();
    } catch (const EFieldConvertError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_TRUE(F(c.field)->IsNull()) << c.field;  // a refused write changes nothing
  }
  F("S")->SetAsString("abc");
  ExpectDbError([&] { F("S")->AsInteger(); }, "'abc' is not a valid integer value for field 'S'");
  ExpectDbError([&] { F("S")->AsFloat(); },
                "'abc' is not a valid floating point value for field 'S'");
  ExpectDbError([&] { F("S")->AsDateTime(); }, "'abc' is not a valid date and time for field 'S'");
  ExpectDbError([&] { F("SI")->SetAsInteger(40000); },
                "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767");
  EXPECT_THROW(F("F")->SetAsFloat(std::nan("")), EFieldConvertError);
}

TEST_F(FieldTest, MeaninglessTypesAreRefused) {
  F("D")->SetAsString("01-01-2024");
  F("B")->SetAsBoolean(true);
  ExpectDbError([&] { F("D")->AsInteger(); }, "Cannot access field 'D' as type Integer");
  ExpectDbError([&] { F("D")->AsBoolean(); }, "Cannot access field 'D' as type Boolean");
  ExpectDbError([&] { F("B")->AsFloat(); }, "Cannot access field 'B' as type Float");
  ExpectDbError([&] { F("B")->AsDateTime(); }, "Cannot access field 'B' as type DateTime");
  ExpectDbError([&] { F("I")->SetAsDateTime(1.0); }, "Cannot access field 'I' as type DateTime");
  ExpectDbError([&] { F("D")->SetAsBoolean(true); }, "Cannot access field 'D' as type Boolean");
  ExpectDbError([&] { F("I")->SetValue(QVariant::fromValue(QSize(1, 1))); },
                "Cannot access field 'I' as type Integer");
}

TEST_F(FieldTest, OnChangeFollowsEveryWrite) {
  QStringList seen;
  F("I")->OnChange = [&](TField& f) { seen << f.AsString(); };
  F("I")->SetAsInteger(1);
  F("I")->SetAsString("2");
  F("I")->Clear();
  EXPECT_EQ(seen, QStringList({"1", "2", ""}));
  t.Post();
  // The values survive the post and a reopen.
  t.Close();
  t.Open();
  t.Last();
  EXPECT_TRUE(F("I")->IsNull());
  EXPECT_EQ(F("S")->AsString(), "");
}

TEST(MomentText, ConvertsBothWays) {
  struct Case {
    const char* text;
    bool ok;
    double moment;
  };
  const QList<Case> cases = {
      {"30-12-1899", true, 0},
      {"01-01-1995", true, 34700},
      {"29-02-2024", true, 45351},
      {"29-02-2023", false, 0},
      {"2024-02-29 06:00", true, 45351.25},
      {"31.12.24", true, 45657},
      {"12:00", true, 0.5},
      {"24:00", false, 0},
      {"31-12-2024 x", false, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    double m = -1;
    EXPECT_EQ(TextToMoment(c.text, m), c.ok) << c.text;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(m, c.moment) << c.text;
    }
  }
  EXPECT_EQ(MomentToText(45657.75, TFieldType::ftDateTime), "31-12-2024 18:00:00");
  EXPECT_EQ(MomentToText(45657.75, TFieldType::ftTime), "18:00:00");
  // A moment a hair before midnight shows as the next day, never as 24:00:00.
  EXPECT_EQ(MomentToText(45657.9999999999, TFieldType::ftDateTime), "01-01-2025");
}

}  // namespace
