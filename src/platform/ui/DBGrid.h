#pragma once
// A grid over the dataset of a data source: one row per record, one column per field; the
// current cell follows the dataset's current record and moves it.

#include <QTableView>

namespace ui {

class TDataSource;
class TDataSetModel;

class TDBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    /// The source whose dataset the grid shows (not owned); nullptr shows nothing.
    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_source; }
    TDataSetModel *dataModel() const { return m_model; }

private:
    void followDataSet();
    void currentRowChanged(const QModelIndex &current);

    TDataSource *m_source = nullptr;
    TDataSetModel *m_model = nullptr;
    bool m_following = false;
};

} // namespace ui
