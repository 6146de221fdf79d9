#include "SeriesGraph.h"

#include "BandedPainting.h"

#include <algorithm>
#include <limits>

namespace chart {

SeriesGraph::SeriesGraph(QCPAxis *keyAxis, QCPAxis *valueAxis, TChartSeries *series)
    : QCPGraph(keyAxis, valueAxis), m_members{{series, 0}}, m_points(new GraphPoints)
{
    setData(QSharedPointer<QCPGraphDataContainer>(m_points));
}

void SeriesGraph::keepMembers(size_t count)
{
    if (count >= m_members.size())
        return;
    m_points->takeFrom(m_members[count].first);
    m_members.resize(count);
}

void SeriesGraph::setMembers(std::vector<Member> members, QVector<QCPGraphData> points)
{
    m_members = std::move(members);
    m_points->assign(std::move(points));
}

std::pair<TChartSeries *, int> SeriesGraph::memberAt(int dataIndex) const
{
    if (m_members.empty())
        return {nullptr, -1};
    const auto after = std::upper_bound(m_members.begin(), m_members.end(), qsizetype(dataIndex),
                                        [](qsizetype index, const Member &member) { return index < member.first; });
    const Member &member = after == m_members.begin() ? m_members.front() : *std::prev(after);
    return {member.series, int(dataIndex - member.first)};
}

void SeriesGraph::setSpare()
{
    setVisible(false);
    data()->clear();
    setSelection(QCPDataSelection());
    m_members.clear();
}

void SeriesGraph::reuseFor(TChartSeries *series)
{
    // What QCPAbstractPlottable's and QCPGraph's constructors set.
    // Made once: thousands of graphs are reused at a time, and copies of these share their data.
    static const QPen newPen(Qt::blue, 0);
    static const QBrush newBrush(Qt::NoBrush);
    setName(QString());
    setAntialiased(true);
    setAntialiasedFill(true);
    setAntialiasedScatters(true);
    setPen(newPen);
    setBrush(newBrush);
    setSelectable(QCP::stWhole);
    setLineStyle(lsLine);
    setScatterStyle(QCPScatterStyle());
    setScatterSkip(0);
    setChannelFillGraph(nullptr);
    setAdaptiveSampling(true);
    m_rectanglePointer = QSizeF();
    m_barWidthFraction = 0;
    // What the other kinds of series drew with it.
    m_arrows.clear();
    m_arrowHead = QSizeF();
    m_shape = false;
    m_shapeText.clear();
    m_members = {{series, 0}};
    setVisible(true);
}

double SeriesGraph::barWidth() const
{
    double spacing = std::numeric_limits<double>::infinity();
    double previous = std::numeric_limits<double>::quiet_NaN();
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it) {
        if (it->key > previous)
            spacing = std::min(spacing, it->key - previous);
        previous = it->key;
    }
    // A lone bar at x stands for the span from 0 to 2x, as the first bar of a histogram does.
    if (!std::isfinite(spacing))
        spacing = previous != 0 && std::isfinite(previous) ? 2 * std::abs(previous) : 1;
    return spacing * m_barWidthFraction;
}

QCPRange SeriesGraph::getKeyRange(bool &foundRange, QCP::SignDomain inSignDomain) const
{
    QCPRange range = QCPGraph::getKeyRange(foundRange, inSignDomain);
    if (foundRange && bars()) {
        const double half = barWidth() / 2;
        range.lower -= half;
        range.upper += half;
    }
    for (const QLineF &arrow : m_arrows)
        range.expand(arrow.x2());
    return range;
}

QCPRange SeriesGraph::getValueRange(bool &foundRange, QCP::SignDomain inSignDomain, const QCPRange &inKeyRange) const
{
    QCPRange range = QCPGraph::getValueRange(foundRange, inSignDomain, inKeyRange);
    if (foundRange && bars())
        range.expand(0.0);
    for (const QLineF &arrow : m_arrows)
        range.expand(arrow.y2());
    return range;
}

void SeriesGraph::draw(QCPPainter *painter)
{
    if (!m_arrows.isEmpty())
        drawArrows(painter);
    else if (m_shape)
        drawShape(painter);
    else if (bars())
        drawBars(painter);
    else
        QCPGraph::draw(painter);
}

namespace {

// An arrow in pixels: its line and, when it has a direction and a length, its head.
struct ArrowPixels
{
    QLineF line;
    QPointF head[3];
    bool hasHead = false;

    // The line and the head are painted apart, as parts 2i and 2i + 1: a band paints only those
    // that reach it.
    QRectF partBounds(int part) const
    {
        if (part == 0)
            return QRectF(line.p1(), line.p2()).normalized();
        return hasHead ? QPolygonF({head[0], head[1], head[2]}).boundingRect() : QRectF();
    }

    void paintPart(QCPPainter &painter, int part) const
    {
        if (part == 0)
            painter.drawLine(line);
        else if (hasHead)
            painter.drawPolygon(head, 3);
    }
};

} // namespace

void SeriesGraph::drawArrows(QCPPainter *painter) const
{
    QCPAxis *keyAxis = mKeyAxis.data();
    QCPAxis *valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis)
        return;
    const double halfWidth = m_arrowHead.width() / 2, length = m_arrowHead.height();
    std::vector<ArrowPixels> arrows(size_t(m_arrows.size()));
    for (qsizetype i = 0; i < m_arrows.size(); ++i) {
        const QLineF &arrow = m_arrows[i];
        ArrowPixels &pixels = arrows[size_t(i)];
        const QPointF start(keyAxis->coordToPixel(arrow.x1()), valueAxis->coordToPixel(arrow.y1()));
        const QPointF end(keyAxis->coordToPixel(arrow.x2()), valueAxis->coordToPixel(arrow.y2()));
        pixels.line = QLineF(start, end);
        const double lineLength = pixels.line.length();
        if (lineLength <= 0 || length <= 0)
            continue;
        const QPointF along = (end - start) / lineLength;
        const QPointF across(-along.y(), along.x());
        const QPointF base = end - along * length;
        pixels.head[0] = end, pixels.head[1] = base + across * halfWidth, pixels.head[2] = base - across * halfWidth;
        pixels.hasHead = true;
    }
    painter->setPen(mPen);
    painter->setBrush(mPen.color());
    // Thousands of long arrows overlap: painting their pixels is most of a drawing's time.
    const bool banded = PaintInBands(
        *painter, 2 * arrows.size(), [&](size_t i) { return arrows[i / 2].partBounds(int(i % 2)); },
        [&](QCPPainter &bandPainter, size_t i) { arrows[i / 2].paintPart(bandPainter, int(i % 2)); });
    if (!banded) {
        for (const ArrowPixels &arrow : arrows)
            arrow.paintPart(*painter, 0), arrow.paintPart(*painter, 1);
    }
}

void SeriesGraph::drawShape(QCPPainter *painter) const
{
    QCPAxis *keyAxis = mKeyAxis.data();
    QCPAxis *valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis || mDataContainer->size() < 2)
        return;
    const auto first = mDataContainer->constBegin(), second = first + 1;
    const QRectF rect = QRectF(QPointF(keyAxis->coordToPixel(first->key), valueAxis->coordToPixel(first->value)),
                               QPointF(keyAxis->coordToPixel(second->key), valueAxis->coordToPixel(second->value)))
                            .normalized();
    painter->setPen(mPen);
    painter->setBrush(mBrush);
    painter->drawRect(rect);
    painter->setFont(m_shapeFont);
    painter->setPen(m_shapeTextColor);
    painter->drawText(rect, Qt::AlignCenter, m_shapeText);
}

void SeriesGraph::drawBars(QCPPainter *painter) const
{
    QCPAxis *keyAxis = mKeyAxis.data();
    QCPAxis *valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis || mDataContainer->isEmpty())
        return;
    const double half = barWidth() / 2;
    const double base = valueAxis->coordToPixel(0);
    painter->setAntialiasing(false);
    painter->setPen(mPen);
    painter->setBrush(mBrush);
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it) {
        const double left = keyAxis->coordToPixel(it->key - half);
        const double right = keyAxis->coordToPixel(it->key + half);
        const double top = valueAxis->coordToPixel(it->value);
        painter->drawRect(QRectF(QPointF(left, top), QPointF(right, base)).normalized());
    }
}

void SeriesGraph::drawLegendIcon(QCPPainter *painter, const QRectF &rect) const
{
    if (!bars()) {
        QCPGraph::drawLegendIcon(painter, rect);
        return;
    }
    painter->setPen(mPen);
    painter->setBrush(mBrush);
    painter->drawRect(rect.adjusted(rect.width() * 0.2, rect.height() * 0.1, -rect.width() * 0.2, -rect.height() * 0.1));
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
