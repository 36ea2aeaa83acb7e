#include "dbf/indexdbfsource.h"

namespace hb {

TDbfIndexSource::TDbfIndexSource(TDbfFields& table)
    : detail::TDbfLinkHolder(table),
      TIndexRecordSource(
          DbfLink, table.RecordBuffer(), table.BeforeImage(),
          {[&table] { return table.RecordCount(); },
           // Plain physical positioning: the record, deleted or not, into the buffer.
           [&table](uint32_t recNo) { table.TDbfTable::GotoRecord(recNo); },
           [&table](int a, int b, int c) { table.ReportStatus(a, b, c); },
           [&table] {
             if (table.TableFlags() & 0x01) return;
             table.SetTableFlags(table.TableFlags() | 0x01);
             table.StoreHeader();
           }}) {}

}  // namespace hb
