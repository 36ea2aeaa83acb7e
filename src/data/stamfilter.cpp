#include "data/stamfilter.h"

#include "data/termination.h"
#include "platform/dataset.h"

namespace hb {

TStamFilter::TStamFilter(TDataSet& table) : table_(table) {}

void TStamFilter::SetLetter(QChar letter) {
  if (letter == letter_) return;
  letter_ = letter;
  table_.SetFilter(QString("TYPE = '%1'").arg(letter));
  table_.SetFiltered(letter != ' ');
}

void TStamFilter::Reset() {
  if (!ApplicationTerminating()) SetLetter(' ');
}

}  // namespace hb
