#pragma once
// The chart component: a TChart widget with a title of lines, a left and a bottom axis, a legend,
// a border, a bevel, a background colour and an ordered list of series, drawn by QCustomPlot.
// Automatic axes follow the data until the user zooms or pans with the mouse. The chart writes
// itself as a bitmap, a Windows metafile or an enhanced metafile, at its size on screen, and
// copies itself to the clipboard.

#include "ChartAxis.h"
#include "ChartFont.h"
#include "MetafileWriter.h"
#include "platform/rtl/SysUtils.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QCustomPlot;
class QCPAbstractPlottable;
class QCPGraph;
class QCPGraphData;
class QCPLayoutGrid;
class QCPTextElement;
class QMouseEvent;
class QPainter;

namespace chart {

class ChartFrame;
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

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TPanelBevel { bvNone, bvLowered, bvRaised };

class TChart : public QWidget
{
    Q_OBJECT
public:
    explicit TChart(QWidget *parent = nullptr);
    ~TChart() override;

    /// The lines of the chart's title; an empty list or one empty line shows no title.
    QStringList Title() const { return m_title; }
    void SetTitle(const QStringList &lines);
    bool TitleVisible() const { return m_titleVisible; }
    void SetTitleVisible(bool visible);
    TChartFont TitleFont() const { return m_titleFont; }
    void SetTitleFont(const TChartFont &font);
    TAlignment TitleAlignment() const { return m_titleAlignment; }
    void SetTitleAlignment(TAlignment alignment);

    TChartAxis &LeftAxis() { return *m_leftAxis; }
    const TChartAxis &LeftAxis() const { return *m_leftAxis; }
    TChartAxis &BottomAxis() { return *m_bottomAxis; }
    const TChartAxis &BottomAxis() const { return *m_bottomAxis; }

    bool LegendVisible() const;
    void SetLegendVisible(bool visible);
    /// The width of the colour mark before each legend entry, in units of two pixels.
    int LegendColorWidth() const { return m_legendColorWidth; }
    /// The widest colour mark: 2000 pixels, wider than the legend can be on any screen.
    static constexpr int MaxLegendColorWidth = 1000;
    /// \throws EChartError when negative or above MaxLegendColorWidth.
    void SetLegendColorWidth(int width);
    TChartFont LegendFont() const { return m_legendFont; }
    void SetLegendFont(const TChartFont &font);

    /// A one-pixel frame around the chart, inside the bevels.
    bool BorderVisible() const;
    void SetBorderVisible(bool visible);
    /// Bevels around the chart, the outer one at its edge; each is BevelWidth pixels wide.
    TPanelBevel BevelInner() const;
    void SetBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const;
    void SetBevelOuter(TPanelBevel bevel);
    int BevelWidth() const;
    /// The widest bevel: two of them leave no room for a chart on any screen.
    static constexpr int MaxBevelWidth = 1000;
    /// \throws EChartError when below 1 or above MaxBevelWidth.
    void SetBevelWidth(int width);
    /// The chart's background.
    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    /// The background as a run-time colour value: a system or default colour it was set from
    /// with SetColorValue while the background still is that colour (see ValueOfColor).
    int32_t ColorValue() const;
    /// Sets the background to the colour a run-time colour value has on this desktop; the
    /// default colour is the palette's button face.
    void SetColorValue(int32_t value);

    int SeriesCount() const { return int(m_series.size()); }
    TChartSeries *Series(int index) const;
    int IndexOfSeries(const TChartSeries *series) const;
    /// Appends a series (ownership stays with the series' owner); a series in another chart moves.
    void AddSeries(TChartSeries *series);
    /// Takes the series out of the chart without freeing it.
    void RemoveSeries(TChartSeries *series);
    /// Frees every series of the chart, in time linear in their number (when their owners hold
    /// them in the order they were added, as SeriesOwner does).
    void FreeAllSeries();
    /// An owner for series that go with the chart and hold nothing else: freeing all series
    /// takes each from the front of its children.
    QObject *SeriesOwner() const { return m_seriesOwner; }

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
    /// Draws the chart as at ImageSize(), as vectors, stretched into `target` on an active painter
    /// of any device (a printer); the painter's state is left as it was.
    void Draw(QPainter &painter, const QRectF &target);

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

    /// The drawing widget, for tests only: the program changes the chart through its properties.
    QCustomPlot *plot() const;

signals:
    /// The user clicked near a point of series: valueIndex counts the series' points in the order
    /// they were added; x and y are the mouse position in the chart.
    void ClickSeries(chart::TChartSeries *series, int valueIndex, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                     int y);

private:
    friend class TChartSeries;
    friend class TChartAxis;
    void seriesChanged();
    void updateTitle();
    void updateFrame();
    const std::vector<TChartSeries *> &legendSeries();
    void prepareDrawing(QSize size);
    void rescaleAxes(QSize size);
    void rescaleAutomaticAxes(QSize size);
    void placeLegend();
    void pointClicked(QCPAbstractPlottable *plottable, int dataIndex, QMouseEvent *event);
    void writeFile(const QString &fileName, const QByteArray &bytes);
    SeriesGraph *takeSpareGraph(TChartSeries *series);
    void keepSpareGraphs(const std::vector<SeriesGraph *> &graphs);
    bool shareLastGraph(TChartSeries *series);
    void separate(TChartSeries *series);
    void restack(size_t firstSeries);

    ChartPlot *m_plot;
    QCPLayoutGrid *m_body; // the axis rectangle and, right of it, the legend
    ChartLegend *m_legend;
    ChartFrame *m_frame;
    std::unique_ptr<TChartAxis> m_leftAxis;
    std::unique_ptr<TChartAxis> m_bottomAxis;
    bool m_legendVisible = true;
    int m_legendColorWidth = 12;
    TChartFont m_legendFont;
    bool m_zoomed = false;
    // The axes' ranges while the chart holds no points.
    std::pair<double, double> m_emptyRangeX, m_emptyRangeY;
    QCPTextElement *m_titleElement = nullptr;
    QStringList m_title;
    bool m_titleVisible = true;
    TChartFont m_titleFont;
    TAlignment m_titleAlignment = TAlignment::taCenter;
    QColor m_color = Qt::white;
    std::optional<int32_t> m_colorValue; // the run-time colour value m_color was made from
    std::vector<TChartSeries *> m_series;
    std::vector<TChartSeries *> m_legendSeries; // the series the legend lists, when not stale
    bool m_legendStale = true;
    QObject *m_seriesOwner;
    // Hidden graphs of freed series, kept for new series since the plot unregisters and registers
    // a graph in time linear in its graphs; the lowest in drawing order last. For the same reason
    // (and a graph's size) a series that looks like the one before it and follows it in x is
    // drawn by that one's graph: a graph draws a run of series, the last series' graph is the
    // topmost in use, and graphs lie in the drawing order of their series.
    std::vector<SeriesGraph *> m_spareGraphs;
};

/// A series of points (x, y) with a component name, a legend title and a colour. A series is
/// owned by the QObject owner it was created with and leaves its chart when freed.
class TChartSeries : public QObject
{
    Q_OBJECT
public:
    explicit TChartSeries(QObject *owner);
    ~TChartSeries() override;

    QString Name() const { return m_name; }
    void SetName(const QString &name) { m_name = name; }
    QString Title() const { return m_title; }
    void SetTitle(const QString &title);
    QColor SeriesColor() const { return m_color; }
    void SetSeriesColor(const QColor &color);
    /// An inactive series is neither drawn nor listed in the legend.
    bool Active() const { return m_active; }
    void SetActive(bool active);
    bool ShowInLegend() const { return m_showInLegend; }
    void SetShowInLegend(bool show);

    TChart *ParentChart() const { return m_chart; }
    void SetParentChart(TChart *chart);

    void AddXY(double x, double y);
    /// Replaces all points at once; y is cut or padded with zeros to the length of x.
    void SetPoints(std::vector<double> x, std::vector<double> y);
    void Clear();
    int Count() const;
    /// \throws std::out_of_range for an index outside 0 .. Count() - 1, as YValue does.
    double XValue(int index) const;
    double YValue(int index) const;

    /// The drawing object while the series is in a chart, else nullptr. Its data are ordered by x
    /// and brought up to date when the chart draws; they may hold the points of neighbouring
    /// series that look alike before and after the series' own.
    QCPGraph *graph() const;

    /// The index (in the order added) of the series' point that comes dataIndex-th in x order.
    int ValueIndexOfDataIndex(int dataIndex) const;

protected:
    /// Gives the series' drawing object its look (line, pointer, colour).
    virtual void applyStyle(SeriesGraph &graph) const = 0;
    /// The pixels a drawn point reaches beyond its position, which the axes leave free around the
    /// data so that points at the extremes show whole.
    virtual int pointReach() const { return 0; }
    /// True when this series and `other` are drawn alike, so that one graph may draw both.
    virtual bool drawsLike(const TChartSeries &other) const;
    /// Brings what the graph draws besides the points up to date, before the chart draws.
    virtual void prepareGraph(SeriesGraph &) {}
    void restyle();
    /// The chart draws again soon, without restyling the series.
    void redrawLater();

private:
    friend class TChart;
    void attach(TChart *chart);
    void detach();
    void pushData();
    void syncData();
    void styleGraph();
    bool continuesPointsOf(SeriesGraph &graph) const;
    void leaveSharedGraph();

    // The points a series keeps itself, apart from the object: a million series in one graph
    // keep none.
    struct OwnPoints
    {
        std::vector<double> x;
        std::vector<double> y;
        std::vector<int> order; // value index of each data index when x is not ascending, else empty
    };
    OwnPoints &own();
    const OwnPoints &ownView() const;
    /// A series that shares a graph keeps its points only there; takes them back into its own.
    void takePointsBack();
    /// The first of the graph's points that are the series' while it keeps none, and their count.
    std::pair<qsizetype, qsizetype> heldRange() const;
    const QCPGraphData &heldPoint(int index) const;

    TChart *m_chart = nullptr;
    SeriesGraph *m_graph = nullptr;
    QString m_name; // kept apart from the object name, which costs each of thousands of series a block
    QString m_title;
    QColor m_color = Qt::red;
    bool m_active = true;
    bool m_showInLegend = true;
    bool m_dataStale = false;  // points were added out of x order and wait for the next drawing
    // While >= 0 the series' points are those of this member of m_graph, and the series keeps
    // none of its own: a million series drawn by one graph hold their points once.
    int m_heldMember = -1;
    std::unique_ptr<OwnPoints> m_own;
};

/// Pen styles in their run-time order.
enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

struct TChartPen
{
    TPenStyle Style = TPenStyle::psSolid;
    int Width = 1;
    bool operator==(const TChartPen &other) const = default;

    /// The widest line a series draws, in pixels: wider than a chart on any screen.
    static constexpr int MaxWidth = 1000;
    /// \throws EChartError when `width` is negative or above MaxWidth.
    static void CheckWidth(int width);
};

/// Pointer styles in their run-time order.
enum class TSeriesPointerStyle { psRectangle, psCircle, psTriangle, psDownTriangle, psCross, psDiagCross, psStar, psDiamond, psSmallDot };

struct TSeriesPointer
{
    bool Visible = true;
    TSeriesPointerStyle Style = TSeriesPointerStyle::psRectangle;
    int HorizSize = 4;
    int VertSize = 4;
    TChartPen Pen;

    /// The largest mark, in pixels: larger than a chart on any screen.
    static constexpr int MaxSize = 1000;
};

/// Points drawn with a pointer shape and no line.
class TPointSeries : public TChartSeries
{
    Q_OBJECT
public:
    explicit TPointSeries(QObject *owner) : TChartSeries(owner) {}
    const TSeriesPointer &Pointer() const { return m_pointer; }
    /// \throws EChartError, keeping the pointer it had, when a size is negative or above
    /// TSeriesPointer::MaxSize or the pen's width is refused by TChartPen::CheckWidth.
    void SetPointer(const TSeriesPointer &pointer);

protected:
    void applyStyle(SeriesGraph &graph) const override;
    int pointReach() const override;
    bool drawsLike(const TChartSeries &other) const override;

private:
    TSeriesPointer m_pointer;
};

/// Points joined by a line with a pen of its own, in the order of their x values.
class TCustomLineSeries : public TChartSeries
{
    Q_OBJECT
public:
    const TChartPen &LinePen() const { return m_linePen; }
    /// \throws EChartError, keeping the pen it had, when TChartPen::CheckWidth refuses the width.
    void SetLinePen(const TChartPen &pen);

protected:
    explicit TCustomLineSeries(QObject *owner) : TChartSeries(owner) {}
    void applyStyle(SeriesGraph &graph) const override;

private:
    TChartPen m_linePen;
};

class TLineSeries : public TCustomLineSeries
{
    Q_OBJECT
public:
    explicit TLineSeries(QObject *owner) : TCustomLineSeries(owner) {}
};

/// A line series meant for many points; drawn like TLineSeries.
class TFastLineSeries : public TCustomLineSeries
{
    Q_OBJECT
public:
    explicit TFastLineSeries(QObject *owner) : TCustomLineSeries(owner) {}
};

/// Arrows from a start point (the series' X and Y values) to an end point, in the series'
/// colour, with the pointer pen's width and heads ArrowWidth × ArrowHeight pixels.
class TArrowSeries : public TPointSeries
{
    Q_OBJECT
public:
    explicit TArrowSeries(QObject *owner);

    void AddArrow(double startX, double startY, double endX, double endY);
    double EndXValue(int index) const { return m_endX.at(size_t(index)); }
    double EndYValue(int index) const { return m_endY.at(size_t(index)); }
    void SetEndPoint(int index, double x, double y);
    /// The largest head: four times the widest line, as heads go with their lines.
    static constexpr int MaxArrowSize = 4 * TChartPen::MaxWidth;
    int ArrowWidth() const { return m_arrowWidth; }
    /// \throws EChartError when negative or above MaxArrowSize; so does SetArrowHeight.
    void SetArrowWidth(int pixels);
    int ArrowHeight() const { return m_arrowHeight; }
    void SetArrowHeight(int pixels);

protected:
    void applyStyle(SeriesGraph &graph) const override;
    int pointReach() const override { return 0; }
    void prepareGraph(SeriesGraph &graph) override;

private:
    void arrowsChanged();

    std::vector<double> m_endX;
    std::vector<double> m_endY;
    mutable bool m_arrowsStale = true; // the graph's arrows wait for the next drawing
    int m_arrowWidth = 4;
    int m_arrowHeight = 4;
};

/// Brush styles in their run-time order.
enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

/// A rectangle between two corners (the series' two points) filled with a brush or a bitmap,
/// with lines of text centred in it.
class TChartShape : public TChartSeries
{
    Q_OBJECT
public:
    explicit TChartShape(QObject *owner);

    void SetBounds(double x0, double y0, double x1, double y1);
    QStringList Text() const { return m_text; }
    void SetText(const QStringList &lines);
    TChartFont Font() const { return m_font; }
    void SetFont(const TChartFont &font);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);
    TBrushStyle BrushStyle() const { return m_brushStyle; }
    void SetBrushStyle(TBrushStyle style);
    /// The picture the brush tiles the shape with; a null image for none.
    QImage BrushBitmap() const { return m_bitmap; }
    void SetBrushBitmap(const QImage &bitmap);

protected:
    void applyStyle(SeriesGraph &graph) const override;

private:
    QStringList m_text;
    TChartFont m_font;
    bool m_transparent = false;
    TBrushStyle m_brushStyle = TBrushStyle::bsSolid;
    QImage m_bitmap;
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
