#pragma once
// The chart's legend: a framed list of series titles with their icons, right of the plot. It lays
// out and draws only the entries that fit its height, so that charts of thousands of series stay
// fast.

#include <qcustomplot.h>

#include <functional>

namespace chart {

class SeriesGraph;

class ChartLegend : public QCPLayoutElement
{
    Q_OBJECT
public:
    struct Entry
    {
        QString text;
        const SeriesGraph *graph = nullptr;
    };
    using EntryCount = std::function<int()>;
    using EntryAt = std::function<Entry(int index)>;

    ChartLegend(QCustomPlot *plot, EntryCount count, EntryAt entry);

    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    void setTextColor(const QColor &color) { m_textColor = color; }
    /// Width of the series' icon before each title, in pixels.
    void setIconWidth(int pixels) { m_iconWidth = pixels; }

    QSize minimumOuterSizeHint() const override;
    QSize maximumOuterSizeHint() const override;

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override;
    void draw(QCPPainter *painter) override;

private:
    int rowHeight() const;
    int rowsFitting(int height) const;
    int contentWidth(int rows) const;

    EntryCount m_count;
    EntryAt m_entry;
    QFont m_font;
    QColor m_textColor = Qt::black;
    int m_iconWidth = 24;
};

} // namespace chart
