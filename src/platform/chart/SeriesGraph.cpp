#include "SeriesGraph.h"

namespace chart {

SeriesGraph::SeriesGraph(QCPAxis *keyAxis, QCPAxis *valueAxis, TChartSeries *series)
    : QCPGraph(keyAxis, valueAxis), m_series(series)
{
}

void SeriesGraph::drawScatterPlot(QCPPainter *painter, const QVector<QPointF> &scatters, const QCPScatterStyle &style) const
{
    if (m_rectanglePointer.isEmpty()) {
        QCPGraph::drawScatterPlot(painter, scatters, style);
        return;
    }
    // One call for all points: a path per point costs far more for large series.
    const double w = m_rectanglePointer.width(), h = m_rectanglePointer.height();
    QVector<QRectF> rectangles;
    rectangles.reserve(scatters.size());
    for (const QPointF &p : scatters)
        rectangles.append(QRectF(std::round(p.x() - w / 2), std::round(p.y() - h / 2), w, h));
    painter->setAntialiasing(false);
    painter->setPen(Qt::NoPen);
    painter->setBrush(style.pen().color());
    painter->drawRects(rectangles);
}

} // namespace chart
