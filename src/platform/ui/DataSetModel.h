#pragma once
// A table model over the records of a dataset. It holds no records: each cell is read from
// the dataset when the view paints it, so a table of a million records shows at once. The
// current record is shown from the dataset's edit buffer while it is edited or inserted
// (a record being inserted is an extra last row).

#include <QAbstractTableModel>

#include <utility>

namespace ui {

class TDataSource;

class TDataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TDataSetModel(TDataSource &source, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    /// Moves the dataset to the row, starts editing it and sets the field from the text; a
    /// value the field refuses is reported through the dialog seam and answers false.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    /// The row of the dataset's current record; -1 when there is none.
    int currentRow() const;
    /// Makes `row` the dataset's current record (posting a pending edit of another row).
    void moveTo(int row);

private:
    std::pair<int, int> shape() const;
    void rebuild();
    void refresh();

    TDataSource &m_source;
    int m_rows = 0;
    int m_columns = 0;
};

} // namespace ui
