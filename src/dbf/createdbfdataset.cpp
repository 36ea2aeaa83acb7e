#include "dbf/createdbfdataset.h"

#include "dbf/dbfdataset.h"

namespace hb {

bool TCreateDbfDataSet::CreateTable() { return false; }

}  // namespace hb
