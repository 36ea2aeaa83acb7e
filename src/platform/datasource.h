// TDataSource: the link between a dataset and the views that show it.
//
// A view connects to the signals of a data source whose DataSet() is the dataset; any number
// of sources may be attached to one dataset. The dataset sends nothing while its controls are
// disabled, nor while the source is disabled (SetEnabled(false)); the last EnableControls
// sends one dataSetChanged.
//
//   dataSetChanged   the records or their contents may have changed (open, close, refresh,
//                    post, delete, cancel, insert, filter, EnableControls): re-read everything
//   scrolled         only the current record moved
//   recordChanged    a field of the current record changed (field), or the whole record was
//                    re-read (nullptr)
//   stateChanged     the dataset's state changed (also when it is destroyed: DataSet() is then
//                    nullptr)
//   updateData       a post begins: controls write their pending input into the fields
#pragma once

#include <QObject>

#include "platform/dataset.h"

namespace hb {

class TDataSource : public QObject {
  Q_OBJECT

 public:
  explicit TDataSource(QObject* parent = nullptr);
  explicit TDataSource(TDataSet* dataSet, QObject* parent = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  TDataSetState State() const;  // dsInactive without a dataset
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Whether Edit() may put a browsing dataset into edit state (a control that is typed in
  // calls Edit()). Default true.
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
  void Edit();

 signals:
  void dataSetChanged();
  void scrolled();
  void recordChanged(hb::TField* field);
  void stateChanged();
  void updateData();

 private:
  friend class TDataSet;
  void DataSetDestroyed();

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true;
  bool autoEdit_ = true;
};

}  // namespace hb
