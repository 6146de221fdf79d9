#pragma once
// The QCustomPlot widget of a chart with the mouse as chart users know it: dragging a rectangle
// down and to the right with the left button zooms into it, dragging it any other way undoes the
// zoom, dragging with the right button pans, the wheel zooms, and a click near a point reports
// the point.

#include <qcustomplot.h>

#include <QPointer>

namespace chart {

class ChartPlot : public QCustomPlot
{
    Q_OBJECT
public:
    explicit ChartPlot(QWidget *parent = nullptr);

    /// What the chart's texts and margins ask for, but never more than a small window: a title
    /// or legend too large for any screen is cut by the chart, not allowed to grow its window.
    QSize minimumSizeHint() const override;

signals:
    /// A press and release without moving, near a data point of plottable (dataIndex in the
    /// plottable's own data order).
    void pointClicked(QCPAbstractPlottable *plottable, int dataIndex, QMouseEvent *event);
    /// The user zoomed or panned: the axes no longer follow the data.
    void viewMoved();
    /// The user asked for the whole data again.
    void zoomUndone();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void processRectZoom(QRect rect, QMouseEvent *event) override;

private:
    void panTo(QPoint position);

    QPoint m_pressPosition;
    bool m_moved = false;
    bool m_panning = false;
    QCPRange m_panStartX, m_panStartY;
    QPointer<QCPAbstractPlottable> m_pressedPlottable;
    int m_pressedIndex = -1;
};

} // namespace chart
