#include "platform/ui/DBGrid.h"

#include "platform/ui/DataSetModel.h"
#include "platform/ui/DataSource.h"

#include <QHeaderView>

namespace ui {

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent)
{
    // Fixed row heights keep a grid of a million records as quick as a small one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 2);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
}

void TDBGrid::SetDataSource(TDataSource *source)
{
    if (m_model) {
        setModel(nullptr);
        delete m_model;
        m_model = nullptr;
    }
    m_source = source;
    if (!source)
        return;
    m_model = new TDataSetModel(*source, this);
    setModel(m_model);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TDBGrid::currentRowChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TDBGrid::followDataSet);
    connect(source, &TDataSource::changed, this, &TDBGrid::followDataSet);
    followDataSet();
}

// The dataset moved (navigator, program): the current cell follows it.
void TDBGrid::followDataSet()
{
    if (!m_model || !selectionModel())
        return;
    const int row = m_model->currentRow();
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int column = std::max(currentIndex().column(), 0);
    if (currentIndex().row() == row)
        return;
    m_following = true;
    setCurrentIndex(m_model->index(row, column));
    m_following = false;
}

void TDBGrid::currentRowChanged(const QModelIndex &current)
{
    if (!m_following && current.isValid())
        m_model->moveTo(current.row());
}

} // namespace ui
