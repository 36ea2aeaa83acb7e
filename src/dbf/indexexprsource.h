// Index keys computed by the expression language on stored record bytes.
//
// TIndexRecordSource is the key source of a table whose record buffer and before-image are
// byte images in the table file's layout: expressions are compiled by TExpHandler against
// the table's TExpRecordLink, and evaluated on the buffer or, for the before-image key of
// a rewrite, on the before-image (the link is pointed at it for that one evaluation). The
// table supplies its record count and the physical read of a record for bulk builds.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dbf/exprlink.h"
#include "dbf/indexsource.h"

namespace hb {

class TIndexRecordSource : public TIndexKeySource {
 public:
  struct TTableHooks {
    std::function<uint32_t()> RecordCount;
    // Reads record recNo from the file into the record buffer (and the before-image).
    std::function<void(uint32_t)> LoadRecord;
    std::function<void(int, int, int)> ReportStatus;
    std::function<void()> MarkOwnIndex;
  };

  // link reads fields from the record buffer; before points at the before-image. Both
  // buffers stay with the caller.
  TIndexRecordSource(TExpRecordLink& link, const char* buffer, const char* before,
                     TTableHooks hooks);
  ~TIndexRecordSource() override;

  std::unique_ptr<TIndexExpression> Compile(const std::string& text) override;
  uint32_t RecordCount() override { return hooks_.RecordCount ? hooks_.RecordCount() : 0; }
  void LoadRecord(uint32_t recNo) override;
  void ReportStatus(int stat1, int stat2, int stat3) override;
  std::string TablePath() override { return link_.TablePath(); }
  void MarkOwnIndex() override;

  TExpRecordLink& Link() { return link_; }
  const char* Buffer() const { return buffer_; }
  const char* BeforeImage() const { return before_; }

 private:
  TExpRecordLink& link_;
  std::unique_ptr<TExpUserLink> userLink_;
  const char* buffer_;
  const char* before_;
  TTableHooks hooks_;
};

}  // namespace hb
