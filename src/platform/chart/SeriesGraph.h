#pragma once
// The QCustomPlot graph behind one chart series: knows its series, draws rectangle pointers as one
// batch of exact-size rectangles, and lends its legend icon to the chart's own legend.

#include <qcustomplot.h>

namespace chart {

class TChartSeries;

class SeriesGraph : public QCPGraph
{
    Q_OBJECT
public:
    SeriesGraph(QCPAxis *keyAxis, QCPAxis *valueAxis, TChartSeries *series);

    TChartSeries *series() const { return m_series; }

    /// Draws every point as a filled rectangle of size pixels in the pen's colour; an empty size
    /// leaves the points to the scatter style.
    void setRectanglePointer(QSizeF size) { m_rectanglePointer = size; }

    void paintLegendIcon(QCPPainter *painter, const QRectF &rect) const { drawLegendIcon(painter, rect); }

protected:
    void drawScatterPlot(QCPPainter *painter, const QVector<QPointF> &scatters, const QCPScatterStyle &style) const override;

private:
    TChartSeries *m_series;
    QSizeF m_rectanglePointer;
};

} // namespace chart
