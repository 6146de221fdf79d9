// Metafiles of ours read by programs written elsewhere: libwmf's wmf2svg and emf2svg-conv turn
// them into SVG, which must show the chart's text, its data points and its limit line. Skipped
// where a reader is not installed.

#include "DashSeries.h"

#include "platform/chart/Chart.h"

#include <QFontInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <qcustomplot.h>

#include <gtest/gtest.h>

using namespace chart;

namespace {

constexpr int kItems = 6, kValuesPerItem = 3;
const QColor kLimitColor(200, 120, 40);

struct SvgElement
{
    QString name;
    QMap<QString, QString> attributes; // the style's properties included
    QString text;
    double number(const QString &key) const { return attributes.value(key).toDouble(); }
};

std::vector<SvgElement> readSvg(const QByteArray &svg, QString *error)
{
    std::vector<SvgElement> elements;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            SvgElement element{xml.name().toString(), {}, {}};
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                element.attributes[attribute.name().toString()] = attribute.value().toString().trimmed();
            for (const QString &property : element.attributes.value("style").split(';', Qt::SkipEmptyParts)) {
                const QStringList pair = property.split(':');
                if (pair.size() == 2)
                    element.attributes[pair[0].trimmed()] = pair[1].trimmed();
            }
            elements.push_back(element);
        } else if (xml.isCharacters() && !elements.empty() && elements.back().name == "text") {
            elements.back().text += xml.text().toString().trimmed();
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return elements;
}

class ChartReaders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_chart.resize(640, 420);
        m_chart.SetTitle({QStringLiteral("Distribution of values")});
        for (int i = 0; i < kItems; ++i) {
            TPointSeries *series = newDashSeries(&m_chart);
            series->SetName(QStringLiteral("Data%1").arg(i));
            series->SetTitle(QStringLiteral("Item%1 [A;A;B]").arg(i));
            series->SetPoints(std::vector<double>(kValuesPerItem, i), {10.0 + i, 20.0 + i, 31.0 - i});
            m_chart.AddSeries(series);
        }
        auto *limit = new TLineSeries(&m_chart);
        limit->SetName(QStringLiteral("Limit_4_5"));
        limit->SetTitle(QStringLiteral("Limit 4/5"));
        limit->SetSeriesColor(kLimitColor);
        limit->AddXY(0, 25.5);
        limit->AddXY(kItems - 1, 25.5);
        m_chart.AddSeries(limit);
    }

    // Runs the reader; the SVG's elements, or a skip when the reader is missing.
    std::vector<SvgElement> convert(const QString &program, const QStringList &arguments, const QString &svgName)
    {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return {};
        QProcess process;
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        QFile file(m_dir.filePath(svgName));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "no SVG written";
        QString error;
        std::vector<SvgElement> elements = readSvg(file.readAll(), &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return elements;
    }

    static QStringList texts(const std::vector<SvgElement> &elements)
    {
        QStringList found;
        for (const SvgElement &element : elements)
            if (element.name == "text")
                found << element.text;
        return found;
    }

    // The black marks the reader draws at `centre`, each as its drawn box
    // (outlines and round line ends included).
    static std::vector<QRectF> marksAround(const std::vector<SvgElement> &elements, const QStringList &blacks, QPointF centre)
    {
        std::vector<QRectF> marks;
        for (const SvgElement &e : elements) {
            const bool stroked = !e.attributes.value("stroke").isEmpty() && e.attributes.value("stroke") != "none";
            const double stroke = stroked ? std::max(1.0, e.number("stroke-width")) : 0.0;
            QRectF box;
            if (e.name == "rect" && blacks.contains(e.attributes.value("fill"))) {
                box = QRectF(e.number("x"), e.number("y"), e.number("width"), e.number("height"))
                          .adjusted(-stroke / 2, -stroke / 2, stroke / 2, stroke / 2);
            } else if ((e.name == "line" || e.name == "path") && blacks.contains(e.attributes.value("stroke"))) {
                QPointF a(e.number("x1"), e.number("y1")), b(e.number("x2"), e.number("y2"));
                if (e.name == "path") {
                    const QStringList parts = e.attributes.value("d").split(QRegularExpression("[ ,MLZ]+"), Qt::SkipEmptyParts);
                    if (parts.size() != 4)
                        continue;
                    a = QPointF(parts[0].toDouble(), parts[1].toDouble()), b = QPointF(parts[2].toDouble(), parts[3].toDouble());
                }
                const double cap = e.attributes.value("stroke-linecap") == "round" ? stroke / 2 : 0.0;
                box = QRectF(a, b).normalized();
                box = a.y() == b.y() ? box.adjusted(-cap, -stroke / 2, cap, stroke / 2) : box.adjusted(-stroke / 2, -cap, stroke / 2, cap);
            } else {
                continue;
            }
            // Readers may scale the picture by a fraction of a percent.
            if (box.adjusted(-2, -2, 2, 2).contains(centre) && box.width() < 20 && box.height() < 20)
                marks.push_back(box);
        }
        return marks;
    }

    // The black box of the data point at (x, y) on screen.
    QRect screenDash(double x, double y)
    {
        const QImage image = m_chart.ToImage();
        const QPoint centre(qRound(m_chart.plot()->xAxis->coordToPixel(x)), qRound(m_chart.plot()->yAxis->coordToPixel(y)));
        QRect box;
        for (int dy = -6; dy <= 6; ++dy)
            for (int dx = -8; dx <= 8; ++dx)
                if (image.pixelColor(centre + QPoint(dx, dy)) == QColor(Qt::black))
                    box |= QRect(centre + QPoint(dx, dy), QSize(1, 1));
        return box;
    }

    // The dash of the point (2, 12) as the reader draws it has the screen's thickness and length.
    void expectDashAsOnScreen(const std::vector<SvgElement> &svg, const QStringList &blacks)
    {
        const QRect screen = screenDash(2, 12);
        ASSERT_EQ(screen.size(), QSize(8, 1)) << "the screen draws 8 x 1";
        const std::vector<QRectF> marks = marksAround(svg, blacks, QRectF(screen).center());
        ASSERT_EQ(marks.size(), 1u);
        EXPECT_LE(marks[0].height(), 1.0) << "as thick as on screen";
        EXPECT_NEAR(marks[0].width(), 8.0, 1.0);
    }

    // The legend's texts are written in the family the screen uses, at its pixel size.
    void expectLegendFontAsOnScreen(const std::vector<SvgElement> &svg)
    {
        const QFont legend(m_chart.font().family(), 8);
        for (const SvgElement &e : svg) {
            if (e.name == "text" && e.text == "Item0 [A;A;B]") {
                EXPECT_EQ(e.attributes.value("font-family"), QFontInfo(legend).family());
                EXPECT_NEAR(e.number("font-size"), QFontInfo(legend).pixelSize(), 1.0);
                return;
            }
        }
        ADD_FAILURE() << "no legend text";
    }

    QTemporaryDir m_dir;
    TChart m_chart;
};

} // namespace

TEST_F(ChartReaders, Wmf2svgShowsTextPointsAndLines)
{
    if (QStandardPaths::findExecutable("wmf2svg").isEmpty())
        GTEST_SKIP() << "wmf2svg (libwmf-bin) is not installed";
    m_chart.SaveToMetafile(m_dir.filePath("graph.wmf"));
    const std::vector<SvgElement> svg = convert("wmf2svg", {"-o", m_dir.filePath("graph.svg"), m_dir.filePath("graph.wmf")}, "graph.svg");

    const QStringList text = texts(svg);
    EXPECT_TRUE(text.contains("Distribution of values")) << text.join('|').toStdString();
    EXPECT_TRUE(text.contains("Limit 4/5"));
    EXPECT_TRUE(text.contains("Item0 [A;A;B]"));
    expectDashAsOnScreen(svg, {"black", "#000000"});
    // wmf2svg writes every face it does not know as Helvetica, so the legend's font is checked on
    // the enhanced metafile only.
    // The limit line: long, level, in a colour of its own (the reader names the nearest colour).
    int limitLines = 0;
    for (const SvgElement &e : svg)
        limitLines += e.name == "line" && std::abs(e.number("y1") - e.number("y2")) < 0.5 && std::abs(e.number("x2") - e.number("x1")) > 300
                      && !QStringList{"black", "silver", "gray", "none"}.contains(e.attributes.value("stroke"));
    EXPECT_EQ(limitLines, 1);
}

TEST_F(ChartReaders, Emf2svgShowsTextPointsAndLines)
{
    if (QStandardPaths::findExecutable("emf2svg-conv").isEmpty())
        GTEST_SKIP() << "emf2svg-conv (emf2svg) is not installed";
    m_chart.SaveToMetafileEnh(m_dir.filePath("graph.emf"));
    const std::vector<SvgElement> svg =
        convert("emf2svg-conv", {"-i", m_dir.filePath("graph.emf"), "-o", m_dir.filePath("graph.svg")}, "graph.svg");

    const QStringList text = texts(svg);
    EXPECT_TRUE(text.contains("Distribution of values")) << text.join('|').toStdString();
    EXPECT_TRUE(text.contains("Limit 4/5"));
    EXPECT_TRUE(text.contains("Item0 [A;A;B]"));
    expectDashAsOnScreen(svg, {"#000000"});
    expectLegendFontAsOnScreen(svg);
    int limitLines = 0;
    for (const SvgElement &e : svg)
        limitLines += e.name == "path" && e.attributes.value("stroke").compare(kLimitColor.name(), Qt::CaseInsensitive) == 0
                      && e.attributes.value("fill") == "none";
    EXPECT_GE(limitLines, 1); // the line, and its legend icon
}
