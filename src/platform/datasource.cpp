#include "platform/datasource.h"

namespace hb {

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

TDataSource::TDataSource(TDataSet* dataSet, QObject* parent) : QObject(parent) {
  SetDataSet(dataSet);
}

TDataSource::~TDataSource() {
  if (dataSet_) dataSet_->dataSources_.removeAll(this);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) dataSet_->dataSources_.removeAll(this);
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->dataSources_.append(this);
  if (enabled_) {
    emit stateChanged();
    emit dataSetChanged();
  }
}

TDataSetState TDataSource::State() const {
  return dataSet_ && enabled_ ? dataSet_->State() : TDataSetState::dsInactive;
}

void TDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  emit stateChanged();
  if (enabled_) emit dataSetChanged();
}

void TDataSource::Edit() {
  if (autoEdit_ && enabled_ && dataSet_ && dataSet_->State() == TDataSetState::dsBrowse)
    dataSet_->Edit();
}

void TDataSource::DataSetDestroyed() {
  dataSet_ = nullptr;
  emit stateChanged();
  emit dataSetChanged();
}

}  // namespace hb
