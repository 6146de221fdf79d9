#pragma once
// The QCustomPlot graph behind one chart series: knows its series, draws rectangle pointers as one
// batch of exact-size rectangles or each point as a bar standing on zero, and lends its legend
// icon to the chart's own legend.

#include <qcustomplot.h>

namespace chart {

class TChartSeries;

/// A graph's points that can be replaced at once, in the room the former points leave.
class GraphPoints : public QCPGraphDataContainer
{
public:
    /// Replaces the points by point(0) ... point(count - 1), which must come in key order.
    template <typename MakePoint>
    void fill(qsizetype count, MakePoint point)
    {
        mPreallocSize = 0;
        mPreallocIteration = 0;
        mData.resize(count);
        QCPGraphData *out = mData.data();
        for (qsizetype i = 0; i < count; ++i)
            out[i] = point(i);
    }
};

class SeriesGraph : public QCPGraph
{
    Q_OBJECT
public:
    SeriesGraph(QCPAxis *keyAxis, QCPAxis *valueAxis, TChartSeries *series);

    TChartSeries *series() const { return m_series; }
    /// The graph's points (its data container).
    GraphPoints &points() { return *m_points; }
    /// True while the graph waits, hidden, for a series to reuse it.
    bool isSpare() const { return m_series == nullptr; }

    /// Hides the graph without points and belonging to no series, to be reused.
    void setSpare();
    /// Shows a spare graph again for `series`, in the state a new graph starts in.
    void reuseFor(TChartSeries *series);

    /// Draws every point as a filled rectangle of size pixels in the pen's colour; an empty size
    /// leaves the points to the scatter style.
    void setRectanglePointer(QSizeF size) { m_rectanglePointer = size; }

    /// Draws every point as a bar from zero to its value, filled with the brush and outlined
    /// with the pen, widthFraction of the least distance between neighbouring x values wide
    /// (0 draws the graph as its line and scatter styles say).
    void setBars(double widthFraction) { m_barWidthFraction = widthFraction; }
    bool bars() const { return m_barWidthFraction > 0; }

    /// Draws arrows (in axis coordinates) with heads head.width() wide and head.height() long in
    /// pixels instead of the points; an empty list draws the points.
    void setArrows(QVector<QLineF> arrows, QSizeF head)
    {
        m_arrows = std::move(arrows);
        m_arrowHead = head;
    }

    /// Draws the rectangle between the first two points, filled with the brush and outlined with
    /// the pen, with text centred in it.
    void setShape(const QString &text, const QFont &font, const QColor &textColor)
    {
        m_shape = true;
        m_shapeText = text;
        m_shapeFont = font;
        m_shapeTextColor = textColor;
    }

    void paintLegendIcon(QCPPainter *painter, const QRectF &rect) const { drawLegendIcon(painter, rect); }

    QCPRange getKeyRange(bool &foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool &foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange &inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter *painter) override;
    void drawLegendIcon(QCPPainter *painter, const QRectF &rect) const override;
    void drawScatterPlot(QCPPainter *painter, const QVector<QPointF> &scatters, const QCPScatterStyle &style) const override;

private:
    /// Width of a bar in x units.
    double barWidth() const;
    void drawBars(QCPPainter *painter) const;
    void drawArrows(QCPPainter *painter) const;
    void drawShape(QCPPainter *painter) const;

    TChartSeries *m_series;
    GraphPoints *m_points; // shared with the base class as its data container
    QSizeF m_rectanglePointer;
    double m_barWidthFraction = 0;
    QVector<QLineF> m_arrows;
    QSizeF m_arrowHead;
    bool m_shape = false;
    QString m_shapeText;
    QFont m_shapeFont;
    QColor m_shapeTextColor;
};

} // namespace chart
