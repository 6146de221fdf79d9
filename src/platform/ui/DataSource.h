#pragma once
// The link between a dataset and the controls that show it (grid, navigator): the controls
// act on the dataset through it and hear through it when the dataset moved or changed.

#include <QObject>

namespace db {
class TDataSet;
}

namespace ui {

class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr) : QObject(parent) {}

    /// The dataset shown; nullptr for none. Not owned.
    db::TDataSet *DataSet() const { return m_dataSet; }
    void SetDataSet(db::TDataSet *dataSet);

    /// Called after the dataset was opened, closed, moved or edited other than through the
    /// controls, and by the controls after they acted on it.
    void notifyChanged() { emit changed(); }

signals:
    /// Another dataset (or none) is shown: the controls rebuild.
    void dataSetChanged();
    /// The same dataset moved, changed state or changed records.
    void changed();

private:
    db::TDataSet *m_dataSet = nullptr;
};

} // namespace ui
