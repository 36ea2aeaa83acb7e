// TDbfBlobStream: a memo or binary field of a TDbfDataSet's current record as a stream.
//
//   TDbfBlobStream in(tbl, *tbl.FieldByName("OMSCHR"), TBlobStreamMode::bmRead);
//   QByteArray text = in.Data();                 // Windows-1252 bytes
//
//   tbl.Edit();
//   {
//     TDbfBlobStream out(tbl, *tbl.FieldByName("OMSCHR"), TBlobStreamMode::bmWrite);
//     out.SetData("nieuw");
//   }                                            // released: the field holds the new text
//   tbl.Post();                                  // the memo file is written with the record
//
// Reading loads the whole memo (the text given since the last post when there is one) and,
// for a memo field of a translating table, converts it from code page 850 to Windows-1252.
// Writing needs edit or insert state; the stream starts empty (bmWrite) or with the old
// content (bmReadWrite). When released after a change the text is converted back (memo
// fields of a translating table) and kept with the record buffer as the field's new memo,
// and the field counts as modified; an empty text stores an empty memo.
#pragma once

#include <QByteArray>

namespace hb {

class TDbfDataSet;
class TField;

enum class TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

class TDbfBlobStream {
 public:
  // Raises EDatabaseError "Dataset not in edit or insert mode" for a writing mode outside
  // edit and insert state, "Field '%s' is not a memo or binary field" for other fields.
  TDbfBlobStream(TDbfDataSet& dataSet, TField& field, TBlobStreamMode mode);
  ~TDbfBlobStream();
  TDbfBlobStream(const TDbfBlobStream&) = delete;
  TDbfBlobStream& operator=(const TDbfBlobStream&) = delete;

  qint64 Size() const { return data_.size(); }
  qint64 Position() const { return position_; }
  void Seek(qint64 position);
  // Copies at most count bytes from the position on; returns the number copied.
  qint64 Read(char* buffer, qint64 count);
  // Writes at the position (growing the stream); returns count.
  qint64 Write(const char* buffer, qint64 count);
  void Truncate();  // cuts the stream at the position

  const QByteArray& Data() const { return data_; }
  void SetData(const QByteArray& data);

  // Stores a changed text in the record buffer (also done by the destructor).
  void Release();

 private:
  TDbfDataSet& dataSet_;
  TField& field_;
  TBlobStreamMode mode_;
  QByteArray data_;
  qint64 position_ = 0;
  bool modified_ = false;
};

}  // namespace hb
