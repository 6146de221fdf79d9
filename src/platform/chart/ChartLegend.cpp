#include "ChartLegend.h"

#include "SeriesGraph.h"

namespace chart {

namespace {
constexpr int kPadding = 4; // inside the frame
constexpr int kIconGap = 4;
const QMargins kOuterMargins(4, 12, 8, 8);
} // namespace

ChartLegend::ChartLegend(QCustomPlot *plot, EntryCount count, EntryAt entry)
    : QCPLayoutElement(plot), m_count(std::move(count)), m_entry(std::move(entry))
{
    setLayer(QStringLiteral("legend"));
    setAutoMargins(QCP::msNone);
    setMargins(kOuterMargins);
}

int ChartLegend::rowHeight() const { return QFontMetrics(m_font).height() + 2; }

int ChartLegend::rowsFitting(int height) const
{
    return std::clamp((height - 2 * kPadding) / rowHeight(), 0, m_count());
}

int ChartLegend::contentWidth(int rows) const
{
    if (rows == 0)
        return 0;
    const QFontMetrics metrics(m_font);
    int textWidth = 0;
    for (int i = 0; i < rows; ++i)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(m_entry(i).text));
    return 2 * kPadding + m_iconWidth + kIconGap + textWidth + 1;
}

// The width of the entries that can show in the plot's height: the legend never measures the
// titles it cannot show.
QSize ChartLegend::minimumOuterSizeHint() const
{
    const int available = mParentPlot ? mParentPlot->viewport().height() - kOuterMargins.top() - kOuterMargins.bottom() : 0;
    const int width = contentWidth(rowsFitting(available));
    if (width == 0)
        return {0, 0};
    // The plot keeps at least two thirds of the chart; longer titles are cut.
    const int widest = mParentPlot ? mParentPlot->viewport().width() / 3 : width;
    return {std::min(width + kOuterMargins.left() + kOuterMargins.right(), widest), 0};
}

QSize ChartLegend::maximumOuterSizeHint() const { return {minimumOuterSizeHint().width(), QWIDGETSIZE_MAX}; }

void ChartLegend::applyDefaultAntialiasingHint(QCPPainter *painter) const { painter->setAntialiasing(false); }

void ChartLegend::draw(QCPPainter *painter)
{
    const int rows = rowsFitting(mRect.height());
    if (rows == 0)
        return;
    const int row = rowHeight();
    const QRect frame(mRect.left(), mRect.top(), mRect.width() - 1, rows * row + 2 * kPadding);
    painter->setPen(QPen(Qt::black, 0));
    painter->setBrush(Qt::white);
    painter->drawRect(frame);
    painter->setFont(m_font);
    for (int i = 0; i < rows; ++i) {
        const Entry entry = m_entry(i);
        const int top = frame.top() + kPadding + i * row;
        if (entry.graph) {
            painter->save();
            entry.graph->paintLegendIcon(painter, QRectF(frame.left() + kPadding, top + 1, m_iconWidth, row - 2));
            painter->restore();
        }
        painter->setPen(m_textColor);
        const int textLeft = frame.left() + kPadding + m_iconWidth + kIconGap;
        const QRect textRect(textLeft, top, frame.right() - textLeft, row);
        const QString text = QFontMetrics(m_font).elidedText(entry.text, Qt::ElideRight, textRect.width());
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

} // namespace chart
