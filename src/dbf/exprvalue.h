// Values of the expression language and the errors it raises.
//
// Every value carries a type code; the codes and their names (used in messages):
//
//   code  name        value
//   ----  ----------  ------------------------------------------------------------
//    0    Unknown     result of an expression that could not be typed
//    1    Empty       no value (a missing argument)
//    2    Any         only as the expected type of an argument: accepts every type
//    3    Text        a string of bytes (Windows-1252)
//    4    Number      a double
//    5    Integer     a number held as an integer
//    6    Date        a julian day number; 0 (field, literal) and 1E100 (CTOD of an
//                     empty text) are both the empty date
//    7    DateTime    a number
//    8    Boolean     true or false
//    9    Memo        raw field text of a type without a conversion of its own
//   10    Pointer     never produced by the library
//   >10   "Invalid Value"
//
// Codes 4..7 form the numeric family: they mix freely in arithmetic, comparisons and
// argument checks. All numeric values are held in TExpValue::Num.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "dbf/exprerror.h"

namespace hb {

enum TExpType : int {
  etUnknown = 0,
  etEmpty = 1,
  etAny = 2,
  etText = 3,
  etNumber = 4,
  etInteger = 5,
  etDate = 6,
  etDateTime = 7,
  etBoolean = 8,
  etMemo = 9,
  etPointer = 10,
};

// Name of a type code as messages show it.
const char* ExpTypeName(int type);

inline bool IsNumericType(int type) {
  return type >= etNumber && type <= etDateTime;
}

// Two types agree when they are equal or both numeric.
inline bool TypesAgree(int a, int b) {
  return a == b || (IsNumericType(a) && IsNumericType(b));
}

// The empty date sentinel produced by CTOD of an empty text.
constexpr double kEmptyDateSentinel = 1E100;

// The date functions take 0, the sentinel and anything else no day can be (negative, not a
// number, absurdly large) as the empty date.
inline bool IsEmptyDate(double julian) {
  return !(julian > 0 && julian < 1E15);
}

// The longest text a value may hold; functions and operators that would build a longer
// one refuse, so that an expression cannot exhaust memory.
constexpr std::size_t kMaxExprText = 16u * 1024u * 1024u;

struct TExpValue {
  int Type = etEmpty;
  double Num = 0;     // Number, Integer, Date, DateTime
  bool Bool = false;  // Boolean
  std::string Text;   // Text, Memo

  void SetText(std::string text) {
    Type = etText;
    Text = std::move(text);
  }
  void SetNumber(double value, int type = etNumber) {
    Type = type;
    Num = value;
  }
  void SetBool(bool value) {
    Type = etBoolean;
    Bool = value;
  }
  void SetEmpty() {
    Type = etEmpty;
    Text.clear();
    Num = 0;
    Bool = false;
  }
};

// Blanks are spaces and control characters (bytes up to 32).
inline bool IsBlank(unsigned char c) {
  return c <= ' ';
}
std::string_view TrimLeftBlanks(std::string_view s);
std::string_view TrimRightBlanks(std::string_view s);
std::string_view TrimBlanks(std::string_view s);

// Upper and lower case of Windows-1252 text by the fixed table of the code pages, so that
// index keys are the same on every machine.
void UpperInPlace(std::string& s);
void LowerInPlace(std::string& s);
unsigned char UpperByte(unsigned char c);
unsigned char LowerByte(unsigned char c);

// Locale-aware comparison of two Windows-1252 texts (user locale); texts that compare equal
// but differ in bytes are ordered by their bytes, so 0 means identical.
int LocaleCompare(std::string_view a, std::string_view b);

// Options of text comparison, copied into every operator node.
struct TExpCompareOptions {
  bool CaseInsensitive = false;
  bool Wildcards = true;
  char MultiWildcard = '*';
  char SingleWildcard = '?';
};

// Text comparison of the relations: <0, 0 or >0. With wildcards a right side that begins
// or ends with the many-character wildcard is a pattern: 0 when it matches, -1 otherwise.
// Without orderNeeded only equality counts (the sign is then by bytes, which is faster and
// gives the same zero as the locale comparison).
int CompareExprText(std::string_view left, std::string_view right,
                    const TExpCompareOptions& options, bool orderNeeded = true);

// Checks that a text of length n may be built; raises "Argument for %s must be %s".
void CheckTextLength(double n, const char* function);

// A number formatted as short as it reads back (for texts of numeric values).
std::string NumberText(double value);

}  // namespace hb
