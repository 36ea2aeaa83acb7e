// What an index needs from its table: compiled expressions and the records to read.
//
// An index computes its keys by evaluating the tag's key and FOR expressions on the
// table's record buffer. TIndexKeySource is the table side of that contract; the engine's
// table binds it to its own record buffer and expression compiler, and tests may give an
// in-memory table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace hb {

// The value of an expression as far as an index cares.
enum class TIndexValueKind { Unknown, Text, Number, Date, Logical };

struct TIndexValue {
  TIndexValueKind Kind = TIndexValueKind::Unknown;
  std::string Text;   // Text (also the text of a memo)
  double Number = 0;  // Number; Date as the julian day number
  bool Logical = false;
};

class TIndexExpression {
 public:
  virtual ~TIndexExpression() = default;
  // Evaluates on the record buffer, or on the before-image: the record as it was last read
  // from or written to the file, before the changes now being written.
  virtual TIndexValue Evaluate(bool beforeImage) = 0;
};

class TIndexKeySource {
 public:
  virtual ~TIndexKeySource() = default;

  // Compiles an expression against the table; raises the expression language's errors.
  virtual std::unique_ptr<TIndexExpression> Compile(const std::string& text) = 0;

  // Number of records in the table file.
  virtual uint32_t RecordCount() = 0;

  // Reads record recNo (deleted ones included) straight from the file into the buffer the
  // expressions evaluate on. Used by the bulk build only.
  virtual void LoadRecord(uint32_t recNo) = 0;

  // Progress of a build: (-1, code, total) at the start, (code, position, 0) per step and
  // (0, position, 0) at the end.
  virtual void ReportStatus(int stat1, int stat2, int stat3) {}

  // Full path of the table file; empty when the source is no table file.
  virtual std::string TablePath() { return {}; }

  // Sets bit 0 of the table's header flags (a compound index of its own name belongs to
  // it) and stores the header, unless the bit is set already.
  virtual void MarkOwnIndex() {}
};

}  // namespace hb
