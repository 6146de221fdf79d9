#include "platform/ui/DataSource.h"

namespace ui {

void TDataSource::SetDataSet(db::TDataSet *dataSet)
{
    m_dataSet = dataSet;
    emit dataSetChanged();
}

} // namespace ui
