// The chart under the mouse: a click near a point reports its series and index; dragging a
// rectangle zooms or undoes the zoom; the right button pans.

#include "platform/chart/Chart.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace chart;

namespace {

struct Click
{
    TChartSeries *series = nullptr;
    int valueIndex = -2;
    Qt::MouseButton button = Qt::NoButton;
};

class ChartMouse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_chart.resize(600, 400);
        m_chart.show();
        QObject::connect(&m_chart, &TChart::ClickSeries, [this](TChartSeries *series, int index, Qt::MouseButton button) {
            m_clicks.push_back({series, index, button});
        });
    }

    TLineSeries *limitLine(double level, double last)
    {
        auto *line = new TLineSeries(&m_chart);
        line->SetName(QStringLiteral("Limit_4_5"));
        line->AddXY(0, level);
        line->AddXY(last, level);
        m_chart.AddSeries(line);
        return line;
    }

    TPointSeries *points(std::vector<double> x, std::vector<double> y)
    {
        auto *series = new TPointSeries(&m_chart);
        series->SetName(QStringLiteral("Data0"));
        series->SetPoints(std::move(x), std::move(y));
        m_chart.AddSeries(series);
        return series;
    }

    QPoint pixelOf(double x, double y)
    {
        m_chart.Repaint();
        QCustomPlot *plot = m_chart.plot();
        return QPoint(qRound(plot->xAxis->coordToPixel(x)), qRound(plot->yAxis->coordToPixel(y)));
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, m_chart.plot()->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(m_chart.plot(), &event);
    }

    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        mouse(QEvent::MouseButtonPress, at, button);
        mouse(QEvent::MouseButtonRelease, at, button);
    }

    void drag(QPoint from, QPoint to, Qt::MouseButton button)
    {
        mouse(QEvent::MouseButtonPress, from, button);
        mouse(QEvent::MouseMove, (from + to) / 2, button);
        mouse(QEvent::MouseMove, to, button);
        mouse(QEvent::MouseButtonRelease, to, button);
    }

    QCPRange xRange() const { return m_chart.plot()->xAxis->range(); }

    TChart m_chart;
    std::vector<Click> m_clicks;
};

} // namespace

TEST_F(ChartMouse, ClickOnTheSecondPointOfALimitLineReportsIndexOne)
{
    points({0, 1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 8, 9, 10});
    TLineSeries *line = limitLine(6, 6);
    click(pixelOf(6, 6) + QPoint(-2, 1));
    ASSERT_EQ(m_clicks.size(), 1u);
    EXPECT_EQ(m_clicks[0].series, line);
    EXPECT_EQ(m_clicks[0].series->Name(), "Limit_4_5");
    EXPECT_EQ(m_clicks[0].valueIndex, 1);
    EXPECT_EQ(m_clicks[0].button, Qt::LeftButton);
}

TEST_F(ChartMouse, ClickReportsTheIndexInTheOrderOfAdding)
{
    TPointSeries *series = points({4, 1, 3, 2}, {40, 10, 30, 20});
    click(pixelOf(3, 30));
    ASSERT_EQ(m_clicks.size(), 1u);
    EXPECT_EQ(m_clicks[0].series, series);
    EXPECT_EQ(m_clicks[0].valueIndex, 2);
}

// The items of the cases view: one series per item, alike, one after the other in x.
TEST_F(ChartMouse, ClickOnOneOfManyItemsReportsThatItemsSeries)
{
    std::vector<TPointSeries *> items;
    for (int i = 0; i < 3; ++i)
        items.push_back(points({double(i), double(i), double(i)}, {10.0 * i, 10.0 * i + 5, 10.0 * i + 2}));
    click(pixelOf(1, 15));
    click(pixelOf(2, 20));
    items[0]->SetSeriesColor(Qt::red); // the items no longer all look alike
    click(pixelOf(2, 22));
    click(pixelOf(0, 5));
    ASSERT_EQ(m_clicks.size(), 4u);
    EXPECT_EQ(m_clicks[0].series, items[1]);
    EXPECT_EQ(m_clicks[0].valueIndex, 1);
    EXPECT_EQ(m_clicks[1].series, items[2]);
    EXPECT_EQ(m_clicks[1].valueIndex, 0);
    EXPECT_EQ(m_clicks[2].series, items[2]);
    EXPECT_EQ(m_clicks[2].valueIndex, 2);
    EXPECT_EQ(m_clicks[3].series, items[0]);
    EXPECT_EQ(m_clicks[3].valueIndex, 1);
}

TEST_F(ChartMouse, ClickAwayFromEveryPointReportsNothing)
{
    points({0, 10}, {0, 10});
    click(pixelOf(5, 9));
    click(pixelOf(0, 0), Qt::RightButton); // a right click on a point counts as well
    ASSERT_EQ(m_clicks.size(), 1u);
    EXPECT_EQ(m_clicks[0].button, Qt::RightButton);
    EXPECT_EQ(m_clicks[0].valueIndex, 0);
}

TEST_F(ChartMouse, DraggingDownRightZoomsAndUpLeftUndoes)
{
    points({0, 10}, {0, 10});
    drag(pixelOf(2, 8), pixelOf(6, 3), Qt::LeftButton);
    EXPECT_TRUE(m_chart.Zoomed());
    EXPECT_NEAR(xRange().lower, 2, 0.1);
    EXPECT_NEAR(xRange().upper, 6, 0.1);
    EXPECT_TRUE(m_clicks.empty());

    limitLine(5, 10); // a new limit line keeps the zoom
    m_chart.Repaint();
    EXPECT_NEAR(xRange().lower, 2, 0.1);

    drag(pixelOf(5, 4), pixelOf(3, 6), Qt::LeftButton);
    m_chart.Repaint();
    EXPECT_FALSE(m_chart.Zoomed());
    EXPECT_LT(xRange().lower, 0); // the data again, with room for the pointers
    EXPECT_GT(xRange().lower, -0.2);
    EXPECT_GT(xRange().upper, 10);
    EXPECT_LT(xRange().upper, 10.2);
}

TEST_F(ChartMouse, RightDragPansKeepingTheScale)
{
    points({0, 10}, {0, 10});
    m_chart.Repaint();
    const QCPRange before = xRange();
    drag(pixelOf(5, 5), pixelOf(5, 5) + QPoint(100, 0), Qt::RightButton);
    m_chart.Repaint();
    EXPECT_TRUE(m_chart.Zoomed());
    EXPECT_LT(xRange().lower, before.lower - 1);
    EXPECT_NEAR(xRange().size(), before.size(), 1e-9);
    EXPECT_TRUE(m_clicks.empty());
}

TEST_F(ChartMouse, WheelZoomsOnlyOverThePlot)
{
    TPointSeries *series = points({0, 10}, {0, 10});
    series->SetTitle(QStringLiteral("Data0"));
    const QCPRange before = (m_chart.Repaint(), xRange());
    auto wheel = [this](QPoint at) {
        QWheelEvent event(at, m_chart.plot()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_chart.plot(), &event);
    };
    wheel(QPoint(m_chart.width() - 20, 30)); // over the legend
    EXPECT_FALSE(m_chart.Zoomed());
    wheel(pixelOf(5, 5));
    EXPECT_TRUE(m_chart.Zoomed());
    EXPECT_LT(xRange().size(), before.size());
}

TEST_F(ChartMouse, FreeingAllSeriesShowsTheWholeDataAgain)
{
    points({0, 10}, {0, 10});
    drag(pixelOf(2, 8), pixelOf(6, 3), Qt::LeftButton);
    ASSERT_TRUE(m_chart.Zoomed());
    m_chart.FreeAllSeries();
    points({0, 100}, {0, 100});
    m_chart.Repaint();
    EXPECT_FALSE(m_chart.Zoomed());
    EXPECT_GT(xRange().upper, 100);
}
