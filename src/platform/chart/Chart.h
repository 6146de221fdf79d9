#pragma once
// The chart component: a TChart widget with a title of lines, a legend and an ordered list of
// series, drawn by QCustomPlot. Axes follow the data until the user zooms or pans with the mouse.
// The chart writes itself as a bitmap, a Windows metafile or an enhanced metafile, at its size on
// screen, and copies itself to the clipboard.

#include "MetafileWriter.h"
#include "platform/rtl/SysUtils.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

#include <utility>
#include <vector>

class QCustomPlot;
class QCPAbstractPlottable;
class QCPGraph;
class QCPLayoutGrid;
class QCPTextElement;
class QMouseEvent;

namespace chart {

class ChartLegend;
class ChartPlot;
class SeriesGraph;
class TChartSeries;

/// A chart image that could not be written (file or clipboard).
class EChartError : public rtl::Exception
{
public:
    using Exception::Exception;
};

class TChart : public QWidget
{
    Q_OBJECT
public:
    explicit TChart(QWidget *parent = nullptr);
    ~TChart() override;

    /// The lines of the chart's title; an empty list or one empty line shows no title.
    QStringList Title() const { return m_title; }
    void SetTitle(const QStringList &lines);

    bool LegendVisible() const;
    void SetLegendVisible(bool visible);

    int SeriesCount() const { return int(m_series.size()); }
    TChartSeries *Series(int index) const;
    int IndexOfSeries(const TChartSeries *series) const;
    /// Appends a series (ownership stays with the series' owner); a series in another chart moves.
    void AddSeries(TChartSeries *series);
    /// Takes the series out of the chart without freeing it.
    void RemoveSeries(TChartSeries *series);
    /// Frees every series of the chart.
    void FreeAllSeries();

    /// Draws the chart now (normally it redraws by itself after each change).
    void Repaint();

    /// True while the user's zoom or pan holds the axes; false while they follow the data.
    bool Zoomed() const { return m_zoomed; }
    /// Lets the axes follow the data again.
    void UndoZoom();

    /// The size the chart's images have: the chart's size on screen.
    QSize ImageSize() const { return size(); }
    /// The chart drawn at ImageSize() as a bitmap.
    QImage ToImage();
    /// The chart drawn at ImageSize() as the bytes of a metafile of the given format.
    QByteArray ToMetafile(MetafileFormat format);

    /// Writes the chart as a Windows bitmap (.bmp) under fileName, replacing a file of that name.
    /// The file is written under a temporary name first; on failure an existing file stays as it
    /// was. \throws EChartError when the file cannot be written.
    void SaveToBitmapFile(const QString &fileName);
    /// Writes the chart as a Windows metafile with the placeable header (.wmf), like
    /// SaveToBitmapFile. \throws EChartError
    void SaveToMetafile(const QString &fileName);
    /// Writes the chart as an enhanced metafile (.emf), like SaveToBitmapFile. \throws EChartError
    void SaveToMetafileEnh(const QString &fileName);
    /// Puts the chart on the clipboard as an enhanced metafile (MIME type image/x-emf) and as a
    /// bitmap image.
    void CopyToClipboardMetafile();

    QCustomPlot *plot() const;

signals:
    /// The user clicked near a point of series: valueIndex counts the series' points in the order
    /// they were added; x and y are the mouse position in the chart.
    void ClickSeries(chart::TChartSeries *series, int valueIndex, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                     int y);

private:
    friend class TChartSeries;
    void seriesChanged();
    void prepareDrawing(QSize size);
    void rescaleAxes(QSize size);
    void placeLegend();
    void pointClicked(QCPAbstractPlottable *plottable, int dataIndex, QMouseEvent *event);
    void writeFile(const QString &fileName, const QByteArray &bytes);

    ChartPlot *m_plot;
    QCPLayoutGrid *m_body; // the axis rectangle and, right of it, the legend
    ChartLegend *m_legend;
    bool m_legendVisible = true;
    bool m_zoomed = false;
    // The axes' ranges while the chart holds no points.
    std::pair<double, double> m_emptyRangeX, m_emptyRangeY;
    QCPTextElement *m_titleElement = nullptr;
    QStringList m_title;
    std::vector<TChartSeries *> m_series;
};

/// A series of points (x, y) with a component name, a legend title and a colour. A series is
/// owned by the QObject owner it was created with and leaves its chart when freed.
class TChartSeries : public QObject
{
    Q_OBJECT
public:
    explicit TChartSeries(QObject *owner);
    ~TChartSeries() override;

    QString Name() const { return objectName(); }
    void SetName(const QString &name) { setObjectName(name); }
    QString Title() const { return m_title; }
    void SetTitle(const QString &title);
    QColor SeriesColor() const { return m_color; }
    void SetSeriesColor(const QColor &color);

    TChart *ParentChart() const { return m_chart; }
    void SetParentChart(TChart *chart);

    void AddXY(double x, double y);
    /// Replaces all points at once; y is cut or padded with zeros to the length of x.
    void SetPoints(std::vector<double> x, std::vector<double> y);
    void Clear();
    int Count() const { return int(m_x.size()); }
    double XValue(int index) const { return m_x.at(size_t(index)); }
    double YValue(int index) const { return m_y.at(size_t(index)); }

    /// The drawing object while the series is in a chart, else nullptr. Its data are ordered by x
    /// and brought up to date when the chart draws.
    QCPGraph *graph() const;

    /// The index (in the order added) of the point at dataIndex of the drawing object's data.
    int ValueIndexOfDataIndex(int dataIndex) const;

protected:
    /// Gives the series' drawing object its look (line, pointer, colour).
    virtual void applyStyle(SeriesGraph &graph) const = 0;
    /// The pixels a drawn point reaches beyond its position, which the axes leave free around the
    /// data so that points at the extremes show whole.
    virtual int pointReach() const { return 0; }
    void restyle();

private:
    friend class TChart;
    void attach(TChart *chart);
    void detach();
    void pushData();
    void syncData();

    TChart *m_chart = nullptr;
    SeriesGraph *m_graph = nullptr;
    QString m_title;
    QColor m_color = Qt::red;
    std::vector<double> m_x;
    std::vector<double> m_y;
    std::vector<int> m_order; // value index of each data index when x is not ascending, else empty
    bool m_dataStale = false;  // points were added out of x order and wait for the next drawing
};

enum class TSeriesPointerStyle { psRectangle, psCircle, psTriangle, psDownTriangle, psCross, psDiagCross, psStar, psDiamond };

struct TSeriesPointer
{
    bool Visible = true;
    TSeriesPointerStyle Style = TSeriesPointerStyle::psRectangle;
    int HorizSize = 4;
    int VertSize = 4;
};

/// Points drawn with a pointer shape and no line.
class TPointSeries : public TChartSeries
{
    Q_OBJECT
public:
    explicit TPointSeries(QObject *owner) : TChartSeries(owner) {}
    const TSeriesPointer &Pointer() const { return m_pointer; }
    void SetPointer(const TSeriesPointer &pointer);

protected:
    void applyStyle(SeriesGraph &graph) const override;
    int pointReach() const override;

private:
    TSeriesPointer m_pointer;
};

/// Points joined by a line in the order of their x values.
class TLineSeries : public TChartSeries
{
    Q_OBJECT
public:
    explicit TLineSeries(QObject *owner) : TChartSeries(owner) {}

protected:
    void applyStyle(SeriesGraph &graph) const override;
};

/// Each point drawn as a bar from zero to its value, filled with the series colour and outlined
/// in black; bars are BarWidthPercent of the least distance between neighbouring x values wide,
/// so that 100 makes them touch.
class TBarSeries : public TChartSeries
{
    Q_OBJECT
public:
    explicit TBarSeries(QObject *owner) : TChartSeries(owner) {}
    int BarWidthPercent() const { return m_barWidthPercent; }
    void SetBarWidthPercent(int percent);

protected:
    void applyStyle(SeriesGraph &graph) const override;

private:
    int m_barWidthPercent = 70;
};

} // namespace chart
