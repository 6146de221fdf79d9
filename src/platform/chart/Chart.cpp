#include "Chart.h"

#include <qcustomplot.h>

#include <QVBoxLayout>

namespace chart {

TChart::TChart(QWidget *parent) : QWidget(parent), m_plot(new QCustomPlot(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setBackground(Qt::white);
    m_plot->legend->setVisible(true);
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    connect(m_plot, &QCustomPlot::beforeReplot, this, &TChart::rescaleAxes);
}

TChart::~TChart()
{
    // Series outlive their chart when their owner is another object; they must not point here.
    for (TChartSeries *series : m_series)
        series->m_chart = nullptr, series->m_graph = nullptr;
    m_series.clear();
}

void TChart::SetTitle(const QStringList &lines)
{
    m_title = lines;
    const QString text = lines.join(QLatin1Char('\n'));
    if (text.trimmed().isEmpty()) {
        if (m_titleElement) {
            m_plot->plotLayout()->remove(m_titleElement);
            m_plot->plotLayout()->simplify();
            m_titleElement = nullptr;
        }
    } else if (m_titleElement) {
        m_titleElement->setText(text);
    } else {
        m_plot->plotLayout()->insertRow(0);
        m_titleElement = new QCPTextElement(m_plot, text, QFont(font().family(), 10, QFont::Bold));
        m_titleElement->setTextColor(Qt::black);
        m_plot->plotLayout()->addElement(0, 0, m_titleElement);
    }
    seriesChanged();
}

bool TChart::LegendVisible() const { return m_plot->legend->visible(); }

void TChart::SetLegendVisible(bool visible)
{
    m_plot->legend->setVisible(visible);
    seriesChanged();
}

TChartSeries *TChart::Series(int index) const
{
    return index >= 0 && index < SeriesCount() ? m_series[size_t(index)] : nullptr;
}

int TChart::IndexOfSeries(const TChartSeries *series) const
{
    const auto found = std::find(m_series.begin(), m_series.end(), series);
    return found == m_series.end() ? -1 : int(found - m_series.begin());
}

void TChart::AddSeries(TChartSeries *series)
{
    if (series)
        series->SetParentChart(this);
}

void TChart::RemoveSeries(TChartSeries *series)
{
    if (series && series->m_chart == this)
        series->SetParentChart(nullptr);
}

void TChart::FreeAllSeries()
{
    const std::vector<TChartSeries *> all = m_series;
    for (TChartSeries *series : all)
        delete series;
}

void TChart::Repaint() { m_plot->replot(); }

void TChart::seriesChanged() { m_plot->replot(QCustomPlot::rpQueuedReplot); }

void TChart::rescaleAxes()
{
    bool any = false;
    for (TChartSeries *series : m_series)
        any = any || series->Count() > 0;
    if (any)
        m_plot->rescaleAxes();
}

TChartSeries::TChartSeries(QObject *owner) : QObject(owner) {}

TChartSeries::~TChartSeries() { detach(); }

void TChartSeries::SetTitle(const QString &title)
{
    m_title = title;
    restyle();
}

void TChartSeries::SetSeriesColor(const QColor &color)
{
    m_color = color;
    restyle();
}

void TChartSeries::SetParentChart(TChart *chart)
{
    if (chart == m_chart)
        return;
    detach();
    if (chart)
        attach(chart);
}

void TChartSeries::AddXY(double x, double y)
{
    m_x.push_back(x);
    m_y.push_back(y);
    if (m_graph) {
        m_graph->addData(x, y);
        m_chart->seriesChanged();
    }
}

void TChartSeries::SetPoints(std::vector<double> x, std::vector<double> y)
{
    y.resize(x.size());
    m_x = std::move(x);
    m_y = std::move(y);
    pushData();
}

void TChartSeries::Clear()
{
    m_x.clear();
    m_y.clear();
    pushData();
}

void TChartSeries::restyle()
{
    if (!m_graph)
        return;
    m_graph->setName(m_title);
    applyStyle(*m_graph);
    m_chart->seriesChanged();
}

void TChartSeries::attach(TChart *chart)
{
    m_chart = chart;
    m_graph = new QCPGraph(chart->m_plot->xAxis, chart->m_plot->yAxis);
    chart->m_series.push_back(this);
    pushData();
    restyle();
}

void TChartSeries::detach()
{
    if (!m_chart)
        return;
    auto &list = m_chart->m_series;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    m_chart->m_plot->removeGraph(m_graph);
    m_chart->seriesChanged();
    m_graph = nullptr;
    m_chart = nullptr;
}

void TChartSeries::pushData()
{
    if (!m_graph)
        return;
    m_graph->setData(QVector<double>(m_x.begin(), m_x.end()), QVector<double>(m_y.begin(), m_y.end()));
    m_chart->seriesChanged();
}

void TPointSeries::SetPointer(const TSeriesPointer &pointer)
{
    m_pointer = pointer;
    restyle();
}

void TPointSeries::applyStyle(QCPGraph &graph) const
{
    graph.setLineStyle(QCPGraph::lsNone);
    if (!m_pointer.Visible) {
        graph.setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        return;
    }
    const QColor color = SeriesColor();
    if (m_pointer.Style == TSeriesPointerStyle::psRectangle) {
        // Custom paths are drawn scaled by size / 6; size 6 keeps them in pixels.
        QPainterPath rectangle;
        const double w = m_pointer.HorizSize, h = m_pointer.VertSize;
        rectangle.addRect(-w / 2, -h / 2, w, h);
        graph.setScatterStyle(QCPScatterStyle(rectangle, QPen(color), QBrush(color), 6));
        return;
    }
    QCPScatterStyle::ScatterShape shape = QCPScatterStyle::ssCircle;
    switch (m_pointer.Style) {
    case TSeriesPointerStyle::psTriangle: shape = QCPScatterStyle::ssTriangle; break;
    case TSeriesPointerStyle::psDownTriangle: shape = QCPScatterStyle::ssTriangleInverted; break;
    case TSeriesPointerStyle::psCross: shape = QCPScatterStyle::ssPlus; break;
    case TSeriesPointerStyle::psDiagCross: shape = QCPScatterStyle::ssCross; break;
    case TSeriesPointerStyle::psStar: shape = QCPScatterStyle::ssStar; break;
    case TSeriesPointerStyle::psDiamond: shape = QCPScatterStyle::ssDiamond; break;
    default: break;
    }
    graph.setScatterStyle(QCPScatterStyle(shape, color, color, std::max(m_pointer.HorizSize, m_pointer.VertSize)));
}

void TLineSeries::applyStyle(QCPGraph &graph) const
{
    graph.setLineStyle(QCPGraph::lsLine);
    graph.setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    graph.setPen(QPen(SeriesColor(), 1));
}

} // namespace chart
