#pragma once
// The chart component: a TChart widget with a title of lines, a legend and an ordered list of
// series, drawn by QCustomPlot. Axes follow the data unless a later setting fixes them.

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <vector>

class QCustomPlot;
class QCPGraph;
class QCPTextElement;

namespace chart {

class TChartSeries;

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

    QCustomPlot *plot() const { return m_plot; }

private:
    friend class TChartSeries;
    void seriesChanged();
    void rescaleAxes();

    QCustomPlot *m_plot;
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
    /// Replaces all points at once; both vectors have the same length.
    void SetPoints(std::vector<double> x, std::vector<double> y);
    void Clear();
    int Count() const { return int(m_x.size()); }
    double XValue(int index) const { return m_x.at(size_t(index)); }
    double YValue(int index) const { return m_y.at(size_t(index)); }

    QCPGraph *graph() const { return m_graph; }

protected:
    /// Gives the series' drawing object its look (line, pointer, colour).
    virtual void applyStyle(QCPGraph &graph) const = 0;
    void restyle();

private:
    friend class TChart;
    void attach(TChart *chart);
    void detach();
    void pushData();

    TChart *m_chart = nullptr;
    QCPGraph *m_graph = nullptr;
    QString m_title;
    QColor m_color = Qt::red;
    std::vector<double> m_x;
    std::vector<double> m_y;
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
    void applyStyle(QCPGraph &graph) const override;

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
    void applyStyle(QCPGraph &graph) const override;
};

} // namespace chart
