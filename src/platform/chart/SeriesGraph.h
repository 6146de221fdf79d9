#pragma once
// The QCustomPlot graph behind chart series: knows its series (one, or a run of series that look
// alike and follow each other in x, whose points it holds one run after the other), draws
// rectangle pointers as one batch of exact-size rectangles or each point as a bar standing on
// zero, and lends its legend icon to the chart's own legend.

#include <qcustomplot.h>

#include <utility>
#include <vector>

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

    /// Appends point(0) ... point(count - 1), which must come in key order after the last point.
    template <typename MakePoint>
    void append(qsizetype count, MakePoint point)
    {
        const qsizetype start = mData.size();
        mData.resize(start + count);
        QCPGraphData *out = mData.data() + start;
        for (qsizetype i = 0; i < count; ++i)
            out[i] = point(i);
    }

    /// Removes the points from the one at index `from` on and answers them.
    QVector<QCPGraphData> takeFrom(qsizetype from)
    {
        const qsizetype at = mPreallocSize + from;
        QVector<QCPGraphData> taken(mData.cbegin() + at, mData.cend());
        mData.resize(at);
        return taken;
    }

    /// Replaces the points by `points`, which must come in key order.
    void assign(QVector<QCPGraphData> points)
    {
        mPreallocSize = 0;
        mPreallocIteration = 0;
        mData = std::move(points);
    }
};

class SeriesGraph : public QCPGraph
{
    Q_OBJECT
public:
    SeriesGraph(QCPAxis *keyAxis, QCPAxis *valueAxis, TChartSeries *series);

    /// A series the graph draws, and the index of its first point in the graph's points.
    struct Member
    {
        TChartSeries *series = nullptr;
        qsizetype first = 0;
    };

    /// The first series the graph draws; nullptr for a spare graph.
    TChartSeries *series() const { return m_members.empty() ? nullptr : m_members.front().series; }
    /// The series the graph draws, in the order of their points.
    const std::vector<Member> &members() const { return m_members; }
    /// True while the graph draws more than one series.
    bool isShared() const { return m_members.size() > 1; }
    /// Draws `series` too, whose points have been appended to the graph's points from index first.
    void addMember(TChartSeries *series, qsizetype first) { m_members.push_back({series, first}); }
    /// Keeps the first `count` series and the points before the next one's first.
    void keepMembers(size_t count);
    /// Draws `members` with `points`, in place of the series it drew.
    void setMembers(std::vector<Member> members, QVector<QCPGraphData> points);
    /// The series drawn by the point at dataIndex, and that point's index among the series' points.
    std::pair<TChartSeries *, int> memberAt(int dataIndex) const;
    /// The graph's points (its data container).
    GraphPoints &points() { return *m_points; }
    /// True while the graph waits, hidden, for a series to reuse it.
    bool isSpare() const { return m_members.empty(); }

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

    std::vector<Member> m_members;
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
