#include "Chart.h"

#include "ChartFrame.h"
#include "ChartLegend.h"
#include "ChartPlot.h"
#include "Color.h"
#include "SeriesGraph.h"
#include "StretchedPaintDevice.h"

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WholeFile.h"

#include <QBuffer>
#include <QClipboard>
#include <QFontInfo>
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>
#include <cmath>
#include <numeric>
#include <typeinfo>
#include <utility>

namespace chart {

namespace {

// Sizes in pixels that a chart can draw run from 0 to `most`.
void checkPixels(int value, int most, const QString &what)
{
    if (value < 0 || value > most)
        throw EChartError(QStringLiteral("The %1 must be 0 to %2.").arg(what).arg(most));
}

// Orders x values with NaN last, so that sorting stays well defined.
bool xLess(double a, double b)
{
    if (std::isnan(a))
        return false;
    return std::isnan(b) || a < b;
}

QByteArray bitmapBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        throw EChartError(QStringLiteral("Cannot make the chart's bitmap: %1").arg(writer.errorString()));
    return bytes;
}

// Pixels left free between the outermost points and the axes, beyond the points' own reach.
constexpr int kAxisMargin = 4;

// Widens the axis' range so that pixels pixels stay free at both of its ends.
void widenByPixels(QCPAxis &axis, int pixels, int axisLength)
{
    const int inner = axisLength - 2 * pixels;
    if (pixels <= 0 || inner <= 0)
        return;
    const QCPRange range = axis.range();
    const double perPixel = range.size() / inner;
    axis.setRange(range.lower - pixels * perPixel, range.upper + pixels * perPixel);
}

} // namespace

TChart::TChart(QWidget *parent) : QWidget(parent), m_plot(new ChartPlot(this)), m_body(new QCPLayoutGrid)
{
    m_seriesOwner = new QObject(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setBackground(m_color);
    m_frame = new ChartFrame(m_plot);
    m_leftAxis = std::make_unique<TChartAxis>(*this, m_plot->yAxis);
    m_bottomAxis = std::make_unique<TChartAxis>(*this, m_plot->xAxis);
    const QString family = QFontInfo(font()).family();
    m_titleFont = TChartFont{family, 10, true};
    m_legendFont = TChartFont{family, 8};
    // Our legend replaces QCustomPlot's, whose items cost time per series.
    m_plot->legend->setVisible(false);
    m_plot->setAutoAddPlottableToLegend(false);

    QCPAxisRect *axisRect = m_plot->axisRect();
    m_plot->plotLayout()->take(axisRect);
    m_plot->plotLayout()->simplify();
    m_plot->plotLayout()->addElement(0, 0, m_body);
    m_body->addElement(0, 0, axisRect);
    m_legend = new ChartLegend(
        m_plot, [this] { return int(legendSeries().size()); },
        [this](int index) {
            const TChartSeries *series = legendSeries()[size_t(index)];
            return ChartLegend::Entry{series->Title().isEmpty() ? series->Name() : series->Title(), series->m_graph};
        });
    m_legend->setFont(m_legendFont.ToQFont());
    m_legend->setIconWidth(2 * m_legendColorWidth);
    m_emptyRangeX = {m_plot->xAxis->range().lower, m_plot->xAxis->range().upper};
    m_emptyRangeY = {m_plot->yAxis->range().lower, m_plot->yAxis->range().upper};
    placeLegend();

    connect(m_plot, &QCustomPlot::beforeReplot, this, [this] { prepareDrawing(m_plot->viewport().size()); });
    connect(m_plot, &ChartPlot::pointClicked, this, &TChart::pointClicked);
    connect(m_plot, &ChartPlot::viewMoved, this, [this] { m_zoomed = true; });
    connect(m_plot, &ChartPlot::zoomUndone, this, &TChart::UndoZoom);
}

TChart::~TChart()
{
    // Series outlive their chart when their owner is another object; they must not point here.
    for (TChartSeries *series : m_series) {
        series->takePointsBack();
        series->m_chart = nullptr, series->m_graph = nullptr;
    }
    m_series.clear();
}

QCustomPlot *TChart::plot() const { return m_plot; }

void TChart::SetTitle(const QStringList &lines)
{
    m_title = lines;
    updateTitle();
}

void TChart::SetTitleVisible(bool visible)
{
    m_titleVisible = visible;
    updateTitle();
}

void TChart::SetTitleFont(const TChartFont &font)
{
    m_titleFont = font;
    updateTitle();
}

void TChart::SetTitleAlignment(TAlignment alignment)
{
    m_titleAlignment = alignment;
    updateTitle();
}

// A title shows as a row above the plot while it is visible and has text.
void TChart::updateTitle()
{
    const QString text = m_title.join(QLatin1Char('\n'));
    if (!m_titleVisible || text.trimmed().isEmpty()) {
        if (m_titleElement) {
            m_plot->plotLayout()->remove(m_titleElement);
            m_plot->plotLayout()->simplify();
            m_titleElement = nullptr;
        }
        seriesChanged();
        return;
    }
    if (!m_titleElement) {
        m_plot->plotLayout()->insertRow(0);
        m_titleElement = new QCPTextElement(m_plot);
        m_plot->plotLayout()->addElement(0, 0, m_titleElement);
    }
    m_titleElement->setText(text);
    m_titleElement->setFont(m_titleFont.ToQFont());
    m_titleElement->setTextColor(m_titleFont.Color);
    const Qt::Alignment horizontal = m_titleAlignment == TAlignment::taLeftJustify ? Qt::AlignLeft
        : m_titleAlignment == TAlignment::taRightJustify                           ? Qt::AlignRight
                                                                                    : Qt::AlignHCenter;
    m_titleElement->setTextFlags(int(horizontal | Qt::AlignVCenter));
    seriesChanged();
}

void TChart::SetLegendColorWidth(int width)
{
    checkPixels(width, MaxLegendColorWidth, QStringLiteral("legend's colour width"));
    m_legendColorWidth = width;
    m_legend->setIconWidth(2 * width);
    seriesChanged();
}

void TChart::SetLegendFont(const TChartFont &font)
{
    m_legendFont = font;
    m_legend->setFont(font.ToQFont());
    m_legend->setTextColor(font.Color);
    seriesChanged();
}

bool TChart::BorderVisible() const { return m_frame->border; }

void TChart::SetBorderVisible(bool visible)
{
    m_frame->border = visible;
    updateFrame();
}

TPanelBevel TChart::BevelInner() const { return m_frame->inner; }

void TChart::SetBevelInner(TPanelBevel bevel)
{
    m_frame->inner = bevel;
    updateFrame();
}

TPanelBevel TChart::BevelOuter() const { return m_frame->outer; }

void TChart::SetBevelOuter(TPanelBevel bevel)
{
    m_frame->outer = bevel;
    updateFrame();
}

int TChart::BevelWidth() const { return m_frame->bevelWidth; }

void TChart::SetBevelWidth(int width)
{
    if (width < 1 || width > MaxBevelWidth)
        throw EChartError(QStringLiteral("The bevel width must be 1 to %1.").arg(MaxBevelWidth));
    m_frame->bevelWidth = width;
    updateFrame();
}

// The chart's content keeps clear of the frame.
void TChart::updateFrame()
{
    const int t = m_frame->thickness();
    m_plot->plotLayout()->setMargins(QMargins(t, t, t, t));
    seriesChanged();
}

void TChart::SetColor(const QColor &color)
{
    m_color = color;
    m_colorValue.reset();
    m_plot->setBackground(color);
    seriesChanged();
}

int32_t TChart::ColorValue() const { return ValueOfColor(m_color, m_colorValue, QPalette::Button); }

void TChart::SetColorValue(int32_t value)
{
    SetColor(ColorOfValue(value, QPalette::Button));
    m_colorValue = value;
}

const std::vector<TChartSeries *> &TChart::legendSeries()
{
    if (m_legendStale) {
        m_legendSeries.clear();
        for (TChartSeries *series : m_series) {
            if (series->Active() && series->ShowInLegend())
                m_legendSeries.push_back(series);
        }
        m_legendStale = false;
    }
    return m_legendSeries;
}

bool TChart::LegendVisible() const { return m_legendVisible; }

void TChart::SetLegendVisible(bool visible)
{
    if (visible == m_legendVisible)
        return;
    m_legendVisible = visible;
    placeLegend();
    seriesChanged();
}

// A hidden legend leaves the layout, so that the plot takes its width.
void TChart::placeLegend()
{
    // An element taken out of the layout is still drawn where it was: hide it as well.
    m_legend->setVisible(m_legendVisible);
    if (m_legendVisible) {
        m_body->addElement(0, 1, m_legend);
        m_body->setColumnStretchFactor(1, 0.0001);
    } else {
        m_body->take(m_legend);
        m_body->simplify();
    }
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
    // The series leave the chart all at once and their graphs stay in the plot, hidden; then the
    // series are freed from the first, which an owner holding them in order takes from the front.
    const std::vector<TChartSeries *> all = std::exchange(m_series, {});
    std::vector<SeriesGraph *> graphs;
    graphs.reserve(all.size());
    for (TChartSeries *series : all) {
        if (series->m_graph && (graphs.empty() || graphs.back() != series->m_graph))
            graphs.push_back(series->m_graph);
        series->m_graph = nullptr;
        series->m_chart = nullptr;
    }
    keepSpareGraphs(graphs);
    for (TChartSeries *series : all)
        delete series;
    seriesChanged();
    UndoZoom();
}

void TChart::keepSpareGraphs(const std::vector<SeriesGraph *> &graphs)
{
    if (graphs.empty())
        return;
    for (SeriesGraph *graph : graphs)
        graph->setSpare();
    // Spare graphs lie above every graph in use, so a new series drawn by one is drawn on top as
    // when its graph was new; lowest first out. So they are listed in drawing order, highest first.
    std::vector<SeriesGraph *> outsideLayers;
    for (SeriesGraph *graph : m_spareGraphs)
        if (!graph->layer())
            outsideLayers.push_back(graph);
    for (SeriesGraph *graph : graphs)
        if (!graph->layer())
            outsideLayers.push_back(graph);
    m_spareGraphs.clear();
    for (int layer = m_plot->layerCount() - 1; layer >= 0; --layer) {
        const QList<QCPLayerable *> children = m_plot->layer(layer)->children();
        for (qsizetype i = children.size() - 1; i >= 0; --i) {
            auto *graph = qobject_cast<SeriesGraph *>(children[i]);
            if (graph && graph->isSpare())
                m_spareGraphs.push_back(graph);
        }
    }
    m_spareGraphs.insert(m_spareGraphs.end(), outsideLayers.begin(), outsideLayers.end());
}

bool TChart::shareLastGraph(TChartSeries *series)
{
    if (m_series.empty())
        return false;
    const TChartSeries *last = m_series.back();
    SeriesGraph *graph = last->m_graph;
    if (!graph || last->m_dataStale || !series->drawsLike(*last) || !series->continuesPointsOf(*graph))
        return false;
    const std::vector<double> &x = series->ownView().x, &y = series->ownView().y;
    const qsizetype first = graph->points().size();
    graph->points().append(qsizetype(x.size()), [&](qsizetype i) { return QCPGraphData(x[size_t(i)], y[size_t(i)]); });
    graph->addMember(series, first);
    series->m_graph = graph;
    series->m_heldMember = int(graph->members().size()) - 1;
    series->m_own.reset();
    return true;
}

// The series' graph keeps the series before it; the series gets a graph of its own and the series
// after it another one, both placed where the shared graph was in the drawing order.
void TChart::separate(TChartSeries *series)
{
    series->takePointsBack();
    SeriesGraph *graph = series->m_graph;
    const std::vector<SeriesGraph::Member> &members = graph->members();
    const auto found = std::find_if(members.begin(), members.end(),
                                    [series](const SeriesGraph::Member &member) { return member.series == series; });
    const size_t index = size_t(found - members.begin());
    std::vector<SeriesGraph::Member> after(found + 1, members.end());
    QVector<QCPGraphData> pointsAfter;
    if (!after.empty()) {
        const qsizetype shift = after.front().first;
        pointsAfter = graph->points().takeFrom(shift);
        for (size_t i = 0; i < after.size(); ++i) {
            after[i].first -= shift;
            if (after[i].series->m_heldMember >= 0)
                after[i].series->m_heldMember = int(i);
        }
    }
    graph->keepMembers(index == 0 ? 1 : index);
    if (index > 0) {
        series->m_graph = takeSpareGraph(series);
        series->pushData();
        series->styleGraph();
    }
    if (!after.empty()) {
        SeriesGraph *rest = takeSpareGraph(after.front().series);
        rest->setMembers(after, std::move(pointsAfter));
        for (const SeriesGraph::Member &member : after)
            member.series->m_graph = rest;
        after.front().series->styleGraph();
    }
    restack(size_t(IndexOfSeries(series)));
}

// Moves the graphs of the series from firstSeries on, then the spare graphs, to the top of their
// layers in drawing order.
void TChart::restack(size_t firstSeries)
{
    const SeriesGraph *previous = nullptr;
    for (size_t i = firstSeries; i < m_series.size(); ++i) {
        SeriesGraph *graph = m_series[i]->m_graph;
        if (graph && graph != previous && graph->layer())
            graph->setLayer(graph->layer());
        previous = graph;
    }
    for (auto spare = m_spareGraphs.rbegin(); spare != m_spareGraphs.rend(); ++spare) {
        if ((*spare)->layer())
            (*spare)->setLayer((*spare)->layer());
    }
}

SeriesGraph *TChart::takeSpareGraph(TChartSeries *series)
{
    if (m_spareGraphs.empty())
        return new SeriesGraph(m_plot->xAxis, m_plot->yAxis, series);
    SeriesGraph *graph = m_spareGraphs.back();
    m_spareGraphs.pop_back();
    graph->reuseFor(series);
    return graph;
}

void TChart::Repaint() { m_plot->replot(); }

void TChart::UndoZoom()
{
    m_zoomed = false;
    seriesChanged();
}

void TChart::seriesChanged()
{
    m_legendStale = true;
    m_plot->replot(QCustomPlot::rpQueuedReplot);
}

void TChart::prepareDrawing(QSize size)
{
    // Axis labels in the numbers' locale, without group separators as the program writes numbers.
    QLocale locale = rtl::FormatLocale();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    m_plot->setLocale(locale);
    for (TChartSeries *series : m_series)
        series->syncData();
    if (!m_zoomed)
        rescaleAxes(size);
}

void TChart::rescaleAxes(QSize size)
{
    rescaleAutomaticAxes(size);
    m_leftAxis->applyFixedRange();
    m_bottomAxis->applyFixedRange();
}

void TChart::rescaleAutomaticAxes(QSize size)
{
    int reach = 0;
    bool any = false;
    for (const TChartSeries *series : m_series) {
        if (series->Count() > 0 && series->Active())
            any = true, reach = std::max(reach, series->pointReach());
    }
    if (!any) {
        // Nothing to show: the axes leave the range of data that has gone.
        m_plot->xAxis->setRange(m_emptyRangeX.first, m_emptyRangeX.second);
        m_plot->yAxis->setRange(m_emptyRangeY.first, m_emptyRangeY.second);
        return;
    }
    m_plot->rescaleAxes(true);
    if (reach == 0)
        return;
    reach += kAxisMargin;
    // The axes' lengths in pixels come from laying the chart out at the size it is drawn at.
    const QRect viewport = m_plot->viewport();
    m_plot->setViewport(QRect(QPoint(0, 0), size));
    for (auto phase : {QCPLayoutElement::upPreparation, QCPLayoutElement::upMargins, QCPLayoutElement::upLayout})
        m_plot->plotLayout()->update(phase);
    const QRect area = m_plot->axisRect()->rect();
    m_plot->setViewport(viewport);
    if (m_bottomAxis->Automatic())
        widenByPixels(*m_plot->xAxis, reach, area.width());
    if (m_leftAxis->Automatic())
        widenByPixels(*m_plot->yAxis, reach, area.height());
}

QImage TChart::ToImage()
{
    const QSize size = ImageSize().expandedTo(QSize(1, 1));
    prepareDrawing(size);
    return m_plot->toPixmap(size.width(), size.height()).toImage();
}

QByteArray TChart::ToMetafile(MetafileFormat format)
{
    MetafileWriter device(format, ImageSize());
    prepareDrawing(device.size());
    QCPPainter painter(&device);
    m_plot->toPainter(&painter, device.size().width(), device.size().height());
    painter.end();
    return device.data();
}

void TChart::Draw(QPainter &painter, const QRectF &target)
{
    StretchedPaintDevice device(painter, ImageSize(), target);
    prepareDrawing(device.size());
    QCPPainter chartPainter(&device);
    chartPainter.setMode(QCPPainter::pmVectorized);
    chartPainter.setMode(QCPPainter::pmNonCosmetic); // lines grow with the picture, as in a metafile
    m_plot->toPainter(&chartPainter, device.size().width(), device.size().height());
    chartPainter.end();
}

void TChart::writeFile(const QString &fileName, const QByteArray &bytes)
{
    try {
        rtl::WriteWholeFile(fileName, bytes);
    } catch (const rtl::EInOutError &error) {
        throw EChartError(error.Message());
    }
}

void TChart::SaveToBitmapFile(const QString &fileName) { writeFile(fileName, bitmapBytes(ToImage())); }

void TChart::SaveToMetafile(const QString &fileName) { writeFile(fileName, ToMetafile(MetafileFormat::Wmf)); }

void TChart::SaveToMetafileEnh(const QString &fileName) { writeFile(fileName, ToMetafile(MetafileFormat::Emf)); }

void TChart::CopyToClipboardMetafile()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw EChartError(QStringLiteral("The clipboard is not available."));
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("image/x-emf"), ToMetafile(MetafileFormat::Emf));
    mime->setImageData(ToImage());
    clipboard->setMimeData(mime);
}

void TChart::pointClicked(QCPAbstractPlottable *plottable, int dataIndex, QMouseEvent *event)
{
    const auto *graph = dynamic_cast<SeriesGraph *>(plottable);
    if (!graph || graph->isSpare())
        return;
    const auto [series, pointIndex] = graph->memberAt(dataIndex);
    const QPoint position = m_plot->mapTo(this, event->pos());
    emit ClickSeries(series, series->ValueIndexOfDataIndex(pointIndex), event->button(), event->modifiers(), position.x(),
                     position.y());
}

TChartSeries::TChartSeries(QObject *owner) : QObject(owner) {}

TChartSeries::~TChartSeries() { detach(); }

QCPGraph *TChartSeries::graph() const { return m_graph; }

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

void TChartSeries::SetActive(bool active)
{
    m_active = active;
    restyle();
}

void TChartSeries::SetShowInLegend(bool show)
{
    m_showInLegend = show;
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
    takePointsBack();
    leaveSharedGraph();
    OwnPoints &points = own();
    const bool inOrder = points.order.empty() && !m_dataStale && (points.x.empty() || !xLess(x, points.x.back()));
    points.x.push_back(x);
    points.y.push_back(y);
    if (!m_graph)
        return;
    // Points arriving in x order go straight to the graph; others wait for one rebuild.
    if (inOrder && !std::isnan(x))
        m_graph->addData(x, y);
    else
        m_dataStale = true;
    m_chart->seriesChanged();
}

void TChartSeries::SetPoints(std::vector<double> x, std::vector<double> y)
{
    m_heldMember = -1; // the points held in the graph are replaced
    y.resize(x.size());
    own().x = std::move(x);
    own().y = std::move(y);
    pushData();
}

void TChartSeries::Clear()
{
    m_heldMember = -1;
    m_own.reset();
    pushData();
}

TChartSeries::OwnPoints &TChartSeries::own()
{
    if (!m_own)
        m_own = std::make_unique<OwnPoints>();
    return *m_own;
}

const TChartSeries::OwnPoints &TChartSeries::ownView() const
{
    static const OwnPoints none;
    return m_own ? *m_own : none;
}

int TChartSeries::Count() const
{
    return m_heldMember >= 0 ? int(heldRange().second) : m_own ? int(m_own->x.size()) : 0;
}

double TChartSeries::XValue(int index) const { return m_heldMember >= 0 ? heldPoint(index).key : ownView().x.at(size_t(index)); }

double TChartSeries::YValue(int index) const
{
    return m_heldMember >= 0 ? heldPoint(index).value : ownView().y.at(size_t(index));
}

const QCPGraphData &TChartSeries::heldPoint(int index) const
{
    const auto [first, count] = heldRange();
    if (index < 0 || index >= count)
        throw std::out_of_range("no point of the series at this index");
    return *(m_graph->points().constBegin() + first + index);
}

std::pair<qsizetype, qsizetype> TChartSeries::heldRange() const
{
    if (m_heldMember < 0 || !m_graph)
        return {0, 0};
    const std::vector<SeriesGraph::Member> &members = m_graph->members();
    const auto member = size_t(m_heldMember);
    const qsizetype first = members[member].first;
    const qsizetype end = member + 1 < members.size() ? members[member + 1].first : m_graph->points().size();
    return {first, end - first};
}

void TChartSeries::takePointsBack()
{
    if (m_heldMember < 0)
        return;
    const auto [first, held] = heldRange();
    const auto count = static_cast<size_t>(held);
    std::vector<double> x(count), y(count);
    if (m_graph) {
        auto point = m_graph->points().constBegin() + first;
        for (size_t i = 0; i < x.size(); ++i, ++point) {
            x[i] = point->key;
            y[i] = point->value;
        }
    }
    own().x = std::move(x);
    own().y = std::move(y);
    m_heldMember = -1;
}

int TChartSeries::ValueIndexOfDataIndex(int dataIndex) const
{
    if (dataIndex < 0 || dataIndex >= Count())
        return -1;
    const std::vector<int> &order = ownView().order;
    return order.empty() ? dataIndex : order[size_t(dataIndex)];
}

void TChartSeries::redrawLater()
{
    if (m_chart)
        m_chart->seriesChanged();
}

bool TChartSeries::drawsLike(const TChartSeries &) const { return false; }

void TChartSeries::restyle()
{
    if (!m_graph)
        return;
    if (m_graph->isShared()) {
        const SeriesGraph::Member &other = m_graph->members()[m_graph->members().front().series == this ? 1 : 0];
        if (drawsLike(*other.series)) { // the title or the legend changed, not the drawing
            m_chart->seriesChanged();
            return;
        }
        m_chart->separate(this);
    }
    styleGraph();
}

void TChartSeries::styleGraph()
{
    m_graph->setName(m_title);
    m_graph->setVisible(m_active);
    applyStyle(*m_graph);
    m_chart->seriesChanged();
}

// Whether the series' points, once appended, keep the graph's points in key order.
bool TChartSeries::continuesPointsOf(SeriesGraph &graph) const
{
    const std::vector<double> &x = ownView().x;
    if (x.empty())
        return true;
    // Sorted with NaN last and none at the end: no NaN at all.
    if (std::isnan(x.back()) || !std::is_sorted(x.begin(), x.end(), xLess))
        return false;
    GraphPoints &points = graph.points();
    return points.isEmpty() || !(x.front() < (points.constEnd() - 1)->key);
}

void TChartSeries::leaveSharedGraph()
{
    if (m_graph && m_graph->isShared())
        m_chart->separate(this);
}

void TChartSeries::attach(TChart *chart)
{
    m_chart = chart;
    if (chart->shareLastGraph(this)) {
        chart->m_series.push_back(this);
        chart->seriesChanged();
        return;
    }
    m_graph = chart->takeSpareGraph(this);
    chart->m_series.push_back(this);
    pushData();
    restyle();
}

void TChartSeries::detach()
{
    if (!m_chart)
        return;
    takePointsBack();
    leaveSharedGraph();
    auto &list = m_chart->m_series;
    const auto found = std::find(list.rbegin(), list.rend(), this);
    if (found != list.rend())
        list.erase(std::next(found).base());
    m_chart->m_plot->removeGraph(m_graph);
    m_chart->seriesChanged();
    m_graph = nullptr;
    m_chart = nullptr;
}

void TChartSeries::syncData()
{
    if (m_dataStale)
        pushData();
    if (m_graph)
        prepareGraph(*m_graph);
}

// Gives the graph the points in x order (QCustomPlot keeps its data so), remembering where each
// point came from when the order differs; points of equal x keep the order they were added in.
void TChartSeries::pushData()
{
    takePointsBack();
    leaveSharedGraph();
    m_dataStale = false;
    if (m_own)
        m_own->order.clear();
    if (!m_graph)
        return;
    const auto inXOrder = [](double a, double b) { return xLess(a, b); };
    const std::vector<double> &x = ownView().x, &y = ownView().y;
    if (!std::is_sorted(x.begin(), x.end(), inXOrder)) {
        std::vector<int> &order = own().order;
        order.resize(x.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&x](int a, int b) { return xLess(x[size_t(a)], x[size_t(b)]); });
    }
    const std::vector<int> &order = ownView().order;
    m_graph->points().fill(qsizetype(x.size()), [&](qsizetype i) {
        const size_t from = order.empty() ? size_t(i) : size_t(order[size_t(i)]);
        return QCPGraphData(x[from], y[from]);
    });
    m_chart->seriesChanged();
}

void TChartPen::CheckWidth(int width) { checkPixels(width, MaxWidth, QStringLiteral("pen width")); }

void TPointSeries::SetPointer(const TSeriesPointer &pointer)
{
    checkPixels(pointer.HorizSize, TSeriesPointer::MaxSize, QStringLiteral("horizontal size of marks"));
    checkPixels(pointer.VertSize, TSeriesPointer::MaxSize, QStringLiteral("vertical size of marks"));
    TChartPen::CheckWidth(pointer.Pen.Width);
    m_pointer = pointer;
    restyle();
}

namespace {

// The scatter style of rectangle pointers; it still draws the legend icon (custom paths are scaled
// by size / 6). Thousands of series share one look: the style made last is shared while it fits.
const QCPScatterStyle &rectangleStyle(QSizeF size, const QColor &color)
{
    static QSizeF lastSize;
    static QColor lastColor;
    static QCPScatterStyle *last = nullptr; // lives as long as the program
    if (!last || size != lastSize || color != lastColor) {
        QPainterPath rectangle;
        rectangle.addRect(-size.width() / 2, -size.height() / 2, size.width(), size.height());
        delete last;
        last = new QCPScatterStyle(rectangle, QPen(color), QBrush(color), 6);
        lastSize = size;
        lastColor = color;
    }
    return *last;
}

} // namespace

void TPointSeries::applyStyle(SeriesGraph &graph) const
{
    graph.setLineStyle(QCPGraph::lsNone);
    graph.setRectanglePointer({});
    if (!m_pointer.Visible) {
        graph.setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        return;
    }
    const QColor color = SeriesColor();
    if (m_pointer.Style == TSeriesPointerStyle::psRectangle) {
        const QSizeF size(m_pointer.HorizSize, m_pointer.VertSize);
        graph.setRectanglePointer(size);
        const QCPScatterStyle &style = rectangleStyle(size, color);
        graph.setPen(style.pen());
        graph.setScatterStyle(style);
        return;
    }
    graph.setPen(QPen(color));
    QCPScatterStyle::ScatterShape shape = QCPScatterStyle::ssCircle;
    switch (m_pointer.Style) {
    case TSeriesPointerStyle::psTriangle: shape = QCPScatterStyle::ssTriangle; break;
    case TSeriesPointerStyle::psDownTriangle: shape = QCPScatterStyle::ssTriangleInverted; break;
    case TSeriesPointerStyle::psCross: shape = QCPScatterStyle::ssPlus; break;
    case TSeriesPointerStyle::psDiagCross: shape = QCPScatterStyle::ssCross; break;
    case TSeriesPointerStyle::psStar: shape = QCPScatterStyle::ssStar; break;
    case TSeriesPointerStyle::psDiamond: shape = QCPScatterStyle::ssDiamond; break;
    case TSeriesPointerStyle::psSmallDot: shape = QCPScatterStyle::ssDot; break;
    default: break;
    }
    graph.setScatterStyle(QCPScatterStyle(shape, color, color, std::max(m_pointer.HorizSize, m_pointer.VertSize)));
}

bool TPointSeries::drawsLike(const TChartSeries &other) const
{
    // Only plain point series: a derived class may draw more than its pointer.
    if (typeid(*this) != typeid(TPointSeries) || typeid(other) != typeid(TPointSeries))
        return false;
    const TSeriesPointer &a = m_pointer, &b = static_cast<const TPointSeries &>(other).m_pointer;
    return Active() && other.Active() && SeriesColor() == other.SeriesColor() && a.Visible == b.Visible
        && a.Style == b.Style && a.HorizSize == b.HorizSize && a.VertSize == b.VertSize && a.Pen == b.Pen;
}

int TPointSeries::pointReach() const
{
    return m_pointer.Visible ? (std::max(m_pointer.HorizSize, m_pointer.VertSize) + 1) / 2 + 1 : 0;
}

void TBarSeries::SetBarWidthPercent(int percent)
{
    m_barWidthPercent = std::clamp(percent, 1, 100);
    restyle();
}

void TBarSeries::applyStyle(SeriesGraph &graph) const
{
    graph.setLineStyle(QCPGraph::lsNone);
    graph.setRectanglePointer({});
    graph.setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    graph.setPen(QPen(Qt::black, 1));
    graph.setBrush(QBrush(SeriesColor()));
    graph.setBars(m_barWidthPercent / 100.0);
}

namespace {

Qt::PenStyle QtPenStyle(TPenStyle style)
{
    switch (style) {
    case TPenStyle::psDash: return Qt::DashLine;
    case TPenStyle::psDot: return Qt::DotLine;
    case TPenStyle::psDashDot: return Qt::DashDotLine;
    case TPenStyle::psDashDotDot: return Qt::DashDotDotLine;
    case TPenStyle::psClear: return Qt::NoPen;
    case TPenStyle::psSolid:
    case TPenStyle::psInsideFrame: break;
    }
    return Qt::SolidLine;
}

} // namespace

void TCustomLineSeries::SetLinePen(const TChartPen &pen)
{
    TChartPen::CheckWidth(pen.Width);
    m_linePen = pen;
    restyle();
}

void TCustomLineSeries::applyStyle(SeriesGraph &graph) const
{
    graph.setLineStyle(QCPGraph::lsLine);
    graph.setRectanglePointer({});
    graph.setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    QPen pen(SeriesColor(), std::max(m_linePen.Width, 1));
    pen.setStyle(QtPenStyle(m_linePen.Style));
    graph.setPen(pen);
}

TArrowSeries::TArrowSeries(QObject *owner) : TPointSeries(owner) {}

void TArrowSeries::AddArrow(double startX, double startY, double endX, double endY)
{
    m_endX.push_back(endX);
    m_endY.push_back(endY);
    AddXY(startX, startY);
    arrowsChanged();
}

void TArrowSeries::SetEndPoint(int index, double x, double y)
{
    m_endX.at(size_t(index)) = x;
    m_endY.at(size_t(index)) = y;
    arrowsChanged();
}

// The arrows go to the graph once, before the next drawing: adding them one by one stays linear.
void TArrowSeries::arrowsChanged()
{
    m_arrowsStale = true;
    redrawLater();
}

void TArrowSeries::SetArrowWidth(int pixels)
{
    checkPixels(pixels, MaxArrowSize, QStringLiteral("arrow size"));
    m_arrowWidth = pixels;
    restyle();
}

void TArrowSeries::SetArrowHeight(int pixels)
{
    checkPixels(pixels, MaxArrowSize, QStringLiteral("arrow size"));
    m_arrowHeight = pixels;
    restyle();
}

void TArrowSeries::applyStyle(SeriesGraph &graph) const
{
    graph.setLineStyle(QCPGraph::lsNone);
    graph.setRectanglePointer({});
    graph.setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    QPen pen(SeriesColor(), std::max(Pointer().Pen.Width, 1));
    pen.setStyle(QtPenStyle(Pointer().Pen.Style));
    graph.setPen(pen);
    m_arrowsStale = true;
}

void TArrowSeries::prepareGraph(SeriesGraph &graph)
{
    if (!m_arrowsStale)
        return;
    QVector<QLineF> arrows;
    const int n = std::min(Count(), int(m_endX.size()));
    arrows.reserve(n);
    for (int i = 0; i < n; ++i)
        arrows.append(QLineF(XValue(i), YValue(i), m_endX[size_t(i)], m_endY[size_t(i)]));
    graph.setArrows(std::move(arrows), QSizeF(m_arrowWidth, m_arrowHeight));
    m_arrowsStale = false;
}

namespace {

Qt::BrushStyle qtBrushStyle(TBrushStyle style)
{
    switch (style) {
    case TBrushStyle::bsClear: return Qt::NoBrush;
    case TBrushStyle::bsHorizontal: return Qt::HorPattern;
    case TBrushStyle::bsVertical: return Qt::VerPattern;
    case TBrushStyle::bsFDiagonal: return Qt::FDiagPattern;
    case TBrushStyle::bsBDiagonal: return Qt::BDiagPattern;
    case TBrushStyle::bsCross: return Qt::CrossPattern;
    case TBrushStyle::bsDiagCross: return Qt::DiagCrossPattern;
    case TBrushStyle::bsSolid: break;
    }
    return Qt::SolidPattern;
}

} // namespace

TChartShape::TChartShape(QObject *owner) : TChartSeries(owner)
{
    SetSeriesColor(Qt::white);
    SetShowInLegend(false);
}

void TChartShape::SetBounds(double x0, double y0, double x1, double y1) { SetPoints({x0, x1}, {y0, y1}); }

void TChartShape::SetText(const QStringList &lines)
{
    m_text = lines;
    restyle();
}

void TChartShape::SetFont(const TChartFont &font)
{
    m_font = font;
    restyle();
}

void TChartShape::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    restyle();
}

void TChartShape::SetBrushStyle(TBrushStyle style)
{
    m_brushStyle = style;
    restyle();
}

void TChartShape::SetBrushBitmap(const QImage &bitmap)
{
    m_bitmap = bitmap;
    restyle();
}

void TChartShape::applyStyle(SeriesGraph &graph) const
{
    graph.setLineStyle(QCPGraph::lsNone);
    graph.setRectanglePointer({});
    graph.setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    graph.setPen(QPen(Qt::black, 1));
    QBrush brush(SeriesColor(), qtBrushStyle(m_brushStyle));
    if (!m_bitmap.isNull())
        brush.setTextureImage(m_bitmap);
    if (m_transparent)
        brush = Qt::NoBrush;
    graph.setBrush(brush);
    graph.setShape(m_text.join(QLatin1Char('\n')), m_font.ToQFont(), m_font.Color);
}

} // namespace chart
