#include "ChartPlot.h"

namespace chart {

namespace {
constexpr int kClickTolerance = 3; // pixels the mouse may move during a click
}

ChartPlot::ChartPlot(QWidget *parent) : QCustomPlot(parent)
{
    setInteractions(QCP::iRangeZoom);
    setSelectionRectMode(QCP::srmZoom);
    // Cached tick labels are pictures as large as their text: a long label mask in a large font
    // from a settings file would take gigabytes. Drawn directly, they cost only their drawing.
    setPlottingHint(QCP::phCacheLabels, false);
}

void ChartPlot::mousePressEvent(QMouseEvent *event)
{
    m_pressPosition = event->pos();
    m_moved = false;
    m_pressedIndex = -1;
    m_pressedPlottable = plottableAt(event->position(), false, &m_pressedIndex);
    if (event->button() == Qt::RightButton) {
        m_panning = true;
        m_panStartX = xAxis->range();
        m_panStartY = yAxis->range();
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton)
        QCustomPlot::mousePressEvent(event);
    else
        event->accept();
}

void ChartPlot::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->pos() - m_pressPosition).manhattanLength() > kClickTolerance)
        m_moved = true;
    if (m_panning) {
        if (m_moved)
            panTo(event->pos());
        event->accept();
        return;
    }
    QCustomPlot::mouseMoveEvent(event);
}

void ChartPlot::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_panning)
        m_panning = false, event->accept();
    else if (event->button() == Qt::LeftButton)
        QCustomPlot::mouseReleaseEvent(event);
    else
        event->accept();
    if (!m_moved && m_pressedPlottable)
        emit pointClicked(m_pressedPlottable, m_pressedIndex, event);
    m_pressedPlottable = nullptr;
}

void ChartPlot::wheelEvent(QWheelEvent *event)
{
    // The axis rectangle zooms and redraws at once; the axes must stop following the data first.
    if (axisRect()->outerRect().contains(event->position().toPoint()))
        emit viewMoved();
    QCustomPlot::wheelEvent(event);
}

void ChartPlot::processRectZoom(QRect rect, QMouseEvent *event)
{
    const QPoint end = event->pos();
    if (end.x() < m_pressPosition.x() || end.y() < m_pressPosition.y()) {
        emit zoomUndone();
        return;
    }
    QCustomPlot::processRectZoom(rect, event);
    emit viewMoved();
}

// Moves the ranges held at the press by the mouse's way, so that the data follows the mouse.
void ChartPlot::panTo(QPoint position)
{
    const QRect area = axisRect()->rect();
    if (area.width() <= 0 || area.height() <= 0)
        return;
    const QPoint way = position - m_pressPosition;
    const double dx = -way.x() * m_panStartX.size() / area.width();
    const double dy = way.y() * m_panStartY.size() / area.height();
    xAxis->setRange(m_panStartX.lower + dx, m_panStartX.upper + dx);
    yAxis->setRange(m_panStartY.lower + dy, m_panStartY.upper + dy);
    emit viewMoved();
    replot(rpQueuedReplot);
}

QSize ChartPlot::minimumSizeHint() const
{
    constexpr QSize kLargestMinimum(320, 240);
    return QCustomPlot::minimumSizeHint().boundedTo(kLargestMinimum);
}

} // namespace chart
